// Semiconductor (PGS) and pressure pages: panels, values and frames on the wire.

#include "PageChecks.h"

#include <QStringList>

namespace zet::test {
namespace {

// ---- layout ----------------------------------------------------------------

TEST(PgsPressureLayout, ControlsTextsAndArrangement)
{
    const PageLayout pgs = {
        4,
        page::Pgs,
        {{"Button35", "ВКЛ."},
         {"Button36", "ОТКЛ."},
         {"Button37", "Режим настройки"},
         {"Button41", "Выбор газа"},
         {"Button38", "Применить"},
         {"Button39", "Применить"},
         {"Button40", "Чтение параметров"},
         {"Button33", "Сохранение параметров"},
         {"Button34", "СБРОС"},
         {"GroupBox14", "Состояние"},
         {"GroupBox15", "Данные АЦП"},
         {"GroupBox16", ""},
         {"Chart4", "Напряжение полупроводникового сенсора, мВ"}, // Cyrillic В
         {"Panel38", ""},
         {"Panel39", ""},
         {"Panel40", ""},
         {"Panel41", ""}},
        {"Порог1", "Порог2"},
        {{"Panel32", "GroupBox14"},
         {"Panel37", "GroupBox14"},
         {"Panel38", "GroupBox16"},
         {"Panel39", "GroupBox16"},
         {"Button38", "GroupBox16"},
         {"Panel41", "GroupBox15"},
         {"Panel31", "Chart4"}},
        {"Panel32", "Panel33", "Panel34", "Panel35", "Panel36", "Panel37"},
        {{"Chart4", -10, 3310}},
        {},
        {},
        {{"Panel38", QColor(0xFF, 0xFB, 0xF0)},
         {"Panel39", QColor(0xFF, 0xFB, 0xF0)},
         {"Panel41", QColor(0xFF, 0xFF, 0xFF)}},
    };
    const PageLayout pressure = {
        10,
        page::Pressure,
        {{"Button155", "ВКЛ."},
         {"Button154", "ОТКЛ."},
         {"Button153", "Режим настройки"},
         {"Button162", "Подстройка \"0\""},
         {"Button160", "Применить"},
         {"Button159", "Применить"},
         {"Button157", "Применить"},
         {"Button158", "Сохранение"},
         {"Button165", "Чтение параметров"},
         {"Button161", "Настр. по умолчанию"},
         {"Button163", "СБРОС"},
         {"GroupBox45", "Состояние"},
         {"GroupBox46", ""},
         {"GroupBox47", "Давление, кПа"},
         {"Chart16", "Напряжение сенсора, мB"}, // Latin B
         {"Panel158", ""},
         {"Edit30", ""}},
        {"U \"0\", мВ", "U кал. давления, мВ", "Калибровочое давление, кПа х100",
         "Порог превышения диапазона измерения, кПа х100"},
        {{"Panel153", "GroupBox45"},
         {"Panel150", "GroupBox45"},
         {"MaskEdit42", "GroupBox46"},
         {"MaskEdit45", "GroupBox46"},
         {"Edit30", "GroupBox47"},
         {"Panel149", "Chart16"}},
        {"Panel153", "Panel152", "Panel151", "Panel150"},
        {{"Chart16", -10, 3300}},
        {"Edit27", "Edit28", "Edit30"},
        {{"MaskEdit42", 4}, {"MaskEdit45", 4}},
        {},
    };
    for (const PageLayout *l : {&pgs, &pressure}) {
        SCOPED_TRACE(l->index);
        checkLayout(*l);
    }
    // The Apply buttons of the PGS page each sit level with their threshold.
    Harness h;
    h.connect(4);
    for (auto [panel, button] :
         {std::pair{"Panel38", "Button38"}, std::pair{"Panel39", "Button39"}})
        EXPECT_LT(std::abs(h.find(panel)->geometry().center().y() -
                           h.find(button)->geometry().center().y()),
                  8)
            << button;
}

// ---- PGS -------------------------------------------------------------------

TEST(PgsPage, StatusGroupReadsStateUntilTheBlockAnswersThenNamesTheGas)
{
    Harness h;
    h.connect(4);
    h.select(page::Pgs);
    auto *group = h.find<QGroupBox>("GroupBox14");
    EXPECT_EQ(group->title(), "Состояние");
    h.reply({3, 12, 0x02, 0, 0, 0, 0}); // another block
    EXPECT_EQ(group->title(), "Состояние");
    h.reply({8, 9, 0x00, 0, 0, 0, 0x21});
    EXPECT_EQ(group->title(), "МЕТАН");
    EXPECT_EQ(h.text("Panel40"), "Версия 2.1");
    h.reply({8, 12, 0x03, 0, 0, 0, 0});
    EXPECT_EQ(group->title(), "ПРОПАН");
    h.reply({8, 12, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(group->title(), "МЕТАН");
}

TEST(PgsPage, StatusBits)
{
    struct Case {
        uint8_t status;
        std::vector<PanelState> panels;
    };
    const Case cases[] = {
        {0x05,
         {{"Panel32", "Сенсор включен", Colour::Normal},
          {"Panel33", "Рабочий режим", Colour::Normal},
          {"Panel34", "Сенсор в норме", Colour::Normal},
          {"Panel35", "Ошибка настройки", Colour::Yellow},
          {"Panel36", "Нет превышения порога 2", Colour::Normal},
          {"Panel37", "Нет превышения порога 1", Colour::Normal}}},
        {0xB9,
         {{"Panel33", "Режим настройки", Colour::Yellow},
          {"Panel34", "КЗ или обрыв сенсора", Colour::Red},
          {"Panel35", "Настройки в норме", Colour::Normal},
          {"Panel36", "Превышение порога 2", Colour::Red},
          {"Panel37", "Превышение порога 1", Colour::Red}}},
        // Off after exceeded thresholds: texts go, the red stays.
        {0x70,
         {{"Panel32", "Сенсор выключен", Colour::Red},
          {"Panel36", "", Colour::Red},
          {"Panel37", "", Colour::Red}}},
    };
    Harness h;
    enter(h, 4, page::Pgs, 8);
    for (const Case &c : cases) {
        h.reply({8, 12, c.status, 0, 0, 0, 0});
        expectPanels(h, c.panels, c.status);
    }
}

TEST(PgsPage, MeasurementInQuarterMillivoltsAndConverterValue)
{
    Harness h;
    enter(h, 4, page::Pgs, 8);
    h.reply({8, 12, 0x81, 0x10, 0x27, 0xFB, 0xFF}); // 10000, -5; set-up mode does not blank
    EXPECT_DOUBLE_EQ(newest(h, "Chart4"), 2500.0);
    EXPECT_EQ(h.text("Panel31"), "2500  мВ");
    EXPECT_EQ(h.text("Panel41"), "  -5");
    h.reply({8, 12, 0x00, 0xFF, 0xFF, 0x10, 0x00});
    EXPECT_DOUBLE_EQ(newest(h, "Chart4"), 16383.75);
    EXPECT_EQ(h.text("Panel41"), " XXXX");
}

TEST(PgsPage, ThresholdAnswersFillBothPanelsWithoutChartPoints)
{
    Harness h;
    enter(h, 4, page::Pgs, 8);
    for (uint8_t code : {4, 10, 11}) {
        const int samples = ring(h, "Chart4").writeIndex();
        h.reply({8, code, 0x01, uint8_t(code), 0x00, 0xF6, 0xFF});
        EXPECT_EQ(h.text("Panel38"), QString::number(code));
        EXPECT_EQ(h.text("Panel39"), "-10");
        EXPECT_EQ(ring(h, "Chart4").writeIndex(), samples) << int(code);
    }
    const int samples = ring(h, "Chart4").writeIndex();
    h.reply({8, 6, 0x81, 0, 0, 0, 0});
    EXPECT_EQ(ring(h, "Chart4").writeIndex(), samples);
    h.reply({8, 7, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(ring(h, "Chart4").writeIndex(), samples % TrendRing::kSize + 1);
}

TEST(PgsPage, EntrySendsSwitchOnOnceAndThresholdsStayBlank)
{
    Harness h;
    h.connect(4);
    h.select(page::Pgs);
    EXPECT_EQ(h.send(), frame({136, 9, 0, 0, 0, 0, 0}));
    h.reply({8, 9, 0x01, 0, 0, 0, 0x10});
    EXPECT_EQ(h.send(), frame({136, 12, 0, 0, 0, 0, 0}));
    EXPECT_EQ(h.text("Panel38"), "");
    EXPECT_EQ(h.text("Panel39"), "");
}

TEST(PgsPage, ButtonsSendTheirCommandsWithoutParameters)
{
    struct Case {
        const char *button;
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {
        {"Button35", {9, 12}},    {"Button36", {8, 12}},     {"Button37", {6, 12}},
        {"Button41", {1, 4, 12}}, {"Button38", {11, 4, 12}}, {"Button39", {10, 4, 12}},
        {"Button40", {4, 12}},    {"Button33", {7, 12}},     {"Button34", {16, 12}},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, 4, page::Pgs, 8);
        EXPECT_EQ(sentAfter(h, c.button, 8, int(c.codes.size())), c.codes) << c.button;
        for (const QByteArray &w : h.driver.writes)
            EXPECT_EQ(w.mid(2, 5), QByteArray(5, '\0')) << c.button;
    }
}

// ---- pressure --------------------------------------------------------------

TEST(PressurePage, StatusAndPressure)
{
    struct Case {
        uint8_t status;
        std::vector<PanelState> panels;
        const char *pressure;
    };
    const Case cases[] = {
        {0x11,
         {{"Panel153", "Сенсор включен", Colour::Normal},
          {"Panel152", "Превышение диапазона", Colour::Red},
          {"Panel151", "Настройки в норме", Colour::Normal},
          {"Panel150", "Рабочий режим", Colour::Normal}},
         "  18"},
        {0x10,
         {{"Panel153", "Сенсор выключен", Colour::Red}, {"Panel152", "", Colour::Red}},
         " XXXX"},
        {0x81,
         {{"Panel153", "Сенсор включен", Colour::Normal},
          {"Panel152", "Измерение", Colour::Normal},
          {"Panel150", "Режим настройки", Colour::Yellow}},
         "  18"},
        {0x05, {{"Panel151", "Ошибка настройки", Colour::Yellow}}, "  18"},
    };
    Harness h;
    enter(h, 10, page::Pressure, 17);
    for (const Case &c : cases) {
        h.reply({17, 12, c.status, 0x08, 0x07, 0x00, 0x00}); // 1800 = 18.00 kPa
        expectPanels(h, c.panels, c.status);
        EXPECT_EQ(h.text("Edit30"), QString::fromUtf8(c.pressure)) << int(c.status);
    }
    h.reply({17, 12, 0x01, 0xEA, 0x08, 0xFF, 0xFF}); // 2282
    EXPECT_EQ(h.text("Edit30"), "  22,82");
    EXPECT_DOUBLE_EQ(newest(h, "Chart16"), 6553.5);
    EXPECT_EQ(h.text("Panel149"), "6553,5  мВ");
}

TEST(PressurePage, EntryReadsParametersAndVoltages)
{
    Harness h;
    h.connect(10);
    h.select(page::Pressure);
    EXPECT_EQ(h.send()[0], 145);
    EXPECT_EQ(h.driver.lastFrame()[1], 3);
    h.reply({17, 3, 0x01, 0x08, 0x07, 0xD0, 0x07});
    EXPECT_EQ(h.send(), frame({145, 2, 0, 0, 0, 0, 0}));
    h.reply({17, 2, 0x01, 0xD2, 0x04, 0xF6, 0xFF});
    EXPECT_EQ(h.text("MaskEdit42"), "1800");
    EXPECT_EQ(h.text("MaskEdit45"), "2000");
    EXPECT_EQ(h.text("Edit27"), "  123,4");
    EXPECT_EQ(h.text("Edit28"), "  -1");
    h.reply({17, 9, 0x01, 0, 0, 0, 0x13});
    EXPECT_EQ(h.text("Panel158"), "Версия 1.3");
}

TEST(PressurePage, AnswersWithoutMeasurementChangeOnlyTheStatus)
{
    Harness h;
    enter(h, 10, page::Pressure, 17);
    h.reply({17, 12, 0x01, 0x08, 0x07, 0x10, 0x00});
    const QString pressure = h.text("Edit30");
    const QString calibration = h.text("MaskEdit42");
    const int samples = ring(h, "Chart16").writeIndex();
    for (uint8_t code : {4, 11, 5, 10, 14, 15, 16}) {
        h.reply({17, code, 0x11, 0x00, 0x01, 0x00, 0x02});
        EXPECT_EQ(h.text("Edit30"), pressure) << int(code);
        EXPECT_EQ(h.text("MaskEdit42"), calibration) << int(code);
        EXPECT_EQ(ring(h, "Chart16").writeIndex(), samples) << int(code);
        EXPECT_EQ(h.text("Panel152"), "Превышение диапазона");
    }
}

TEST(PressurePage, ApplyDefaultsAndRefusedEntries)
{
    Harness h;
    enter(h, 10, page::Pressure, 17);
    const int writes = h.driver.writeCount();
    h.click("Button161");
    EXPECT_EQ(h.text("MaskEdit42"), "1800");
    EXPECT_EQ(h.text("MaskEdit45"), "2000");
    EXPECT_EQ(h.driver.writeCount(), writes);
    h.click("Button157");
    EXPECT_EQ(h.send(), frame({145, 10, 0, 0x08, 0x07, 0xD0, 0x07}));
    h.reply({17, 10, 0x01, 0, 0, 0, 0});

    struct Bad {
        const char *calibration, *range, *message;
    };
    for (const Bad &b : {Bad{"18 0", "2000", "'18 0' is not a valid integer value"},
                         Bad{"1800", "", "'' is not a valid integer value"}}) {
        h.messages.clear();
        h.find<QLineEdit>("MaskEdit42")->setText(QString::fromUtf8(b.calibration));
        h.find<QLineEdit>("MaskEdit45")->setText(QString::fromUtf8(b.range));
        const Frame before = h.request();
        h.click("Button157");
        ASSERT_EQ(h.messages.size(), 1);
        EXPECT_EQ(h.messages.first(), QString::fromUtf8(b.message));
        EXPECT_EQ(h.request(), before);
        EXPECT_EQ(h.send()[1], 12);
    }
}

TEST(PressurePage, ButtonsSendTheirCommands)
{
    struct Case {
        const char *button;
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {
        {"Button155", {9, 2, 3, 12}}, {"Button154", {8, 12}},     {"Button153", {6, 12}},
        {"Button162", {5, 2, 3, 12}}, {"Button160", {15, 2, 12}}, {"Button159", {14, 2, 12}},
        {"Button158", {7, 12}},       {"Button165", {2, 3, 12}},  {"Button163", {16, 2, 3, 12}},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, 10, page::Pressure, 17);
        EXPECT_EQ(sentAfter(h, c.button, 17, int(c.codes.size())), c.codes) << c.button;
    }
}

TEST(PressurePage, ZeroAdjustmentNeedsAValidReplyWithTheSensorOn)
{
    Harness h;
    enter(h, 10, page::Pressure, 17, 0x00);
    Frame corrupt = sealed({17, 12, 0x01, 0, 0, 0, 0});
    corrupt[7] ^= 0x01;
    h.driver.queueFrame(corrupt);
    h.form->Timer2Timer();
    h.click("Button162");
    EXPECT_TRUE(h.form->session().queue.empty());
    h.reply({17, 12, 0x01, 0, 0, 0, 0});
    h.click("Button162");
    EXPECT_EQ(h.send()[1], 5);
}

TEST(PressurePage, TabGoesThroughEachButtonWhereItStandsAmongTheFields)
{
    Harness h;
    h.connect(10);
    h.select(page::Pressure);
    const QWidget *pressure = h.form->page(page::Pressure);
    QStringList order;
    QWidget *first = h.find("Button155");
    QWidget *w = first;
    do {
        if (pressure->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) &&
            !w->objectName().isEmpty())
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    EXPECT_EQ(order.join(' '), "Button155 Button154 Button153 Button162 Edit30 Edit27 Button160 "
                               "Edit28 Button159 MaskEdit42 MaskEdit45 Button157 Button158 "
                               "Button165 Button161 Button163 Chart16");
}

} // namespace
} // namespace zet::test
