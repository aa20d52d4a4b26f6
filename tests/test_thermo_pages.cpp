// Thermocatalytic pages (TKS, TKS+PGS, TKS+PGS hydrogen): what the engineer sees
// for each reply and what goes on the wire after each click; and the reply
// handling they share with the PGS and pressure pages.

#include "PageChecks.h"

#include <QTest>
#include <QTimer>

namespace zet::test {
namespace {

void type(Harness &h, const char *field, const QString &text)
{
    h.find<QLineEdit>(field)->setText(text);
}

// ---- layout ----------------------------------------------------------------

const QColor kWhite(0xFF, 0xFF, 0xFF);

TEST(ThermoLayout, ControlsTextsAndArrangement)
{
    const PageLayout tks = {
        1,
        page::Tks,
        {{"Button14", "ВКЛ."},
         {"Button15", "ОТКЛ."},
         {"Button16", "Режим настройки"},
         {"Button23", "Выбор газа"},
         {"Button26", "Подстройка \"0\""},
         {"Button30", "Применить U воздуха"},
         {"Button31", "Применить U газа"},
         {"Button27", "Применить"},
         {"Button32", "Применить"},
         {"Button25", "Сохранение параметров"},
         {"Button28", "Чтение параметров"},
         {"Button29", "Настр. по умолчанию"},
         {"Button24", "СБРОС"},
         {"GroupBox11", "Состояние"},
         {"GroupBox12", ""},
         {"GroupBox13", "Концентрация, %"},
         {"Chart3", "Напряжение на средней точке сенсора, мB"}, // Latin B
         {"Panel28", ""},
         {"Edit7", ""}},
        {"U воздух, мВ", "U газ, мВ", "C газа, % х100", "Порог1, % х100", "Порог2, % х100",
         "Порог откл., % х100"},
        {{"Panel21", "GroupBox11"},
         {"Panel27", "GroupBox11"},
         {"Panel30", "GroupBox12"},
         {"MaskEdit1", "Panel30"},
         {"MaskEdit4", "Panel30"},
         {"Edit7", "GroupBox13"},
         {"Panel29", "Chart3"}},
        {"Panel21", "Panel22", "Panel23", "Panel24", "Panel25", "Panel26", "Panel27"},
        {{"Chart3", -10, 2500}},
        {"Edit5", "Edit6", "Edit7"},
        {{"MaskEdit1", 3}, {"MaskEdit2", 3}, {"MaskEdit3", 3}, {"MaskEdit4", 3}},
        {},
    };
    const PageLayout tksPgs = {
        2,
        page::TksPgs,
        {{"Button42", "ВКЛ."},
         {"Button43", "ОТКЛ."},
         {"Button44", "Выбор газа"},
         {"Button45", "Подстройка \"0\""},
         {"Button46", "Режим настройки"},
         {"Button51", "Применить U воздуха"},
         {"Button50", "Применить U газа"},
         {"Button47", "Применить"},
         {"Button48", "Применить"},
         {"Button49", "Сохранение"},
         {"Button53", "Чтение"},
         {"Button52", "Настр. по умолчанию"},
         {"Button54", "СБРОС"},
         {"Button55", "ВКЛ."},
         {"Button56", "ОТКЛ."},
         {"GroupBox17", "Состояние ТКС"},
         {"GroupBox20", "Состояние ПГС"},
         {"GroupBox18", "Концентрация, %"},
         {"GroupBox19", ""},
         {"Chart5", "Напряжение термокаталитического сенсора, мB"}, // Latin B
         {"Chart6", "Напряжение полупроводникового сенсора, мВ"},   // Cyrillic В
         {"Panel42", ""},
         {"Panel54", ""}},
        {"U воздух, мВ", "U газ, мВ", "C газа, % х100", "Порог1, % х100", "Порог2, % х100",
         "Порог откл., % х100"},
        {{"Panel45", "GroupBox17"},
         {"Panel51", "GroupBox17"},
         {"Panel56", "GroupBox20"},
         {"Panel57", "GroupBox20"},
         {"Panel43", "GroupBox19"},
         {"MaskEdit5", "Panel43"},
         {"MaskEdit8", "Panel43"},
         {"Panel54", "GroupBox18"},
         {"Panel52", "Chart5"},
         {"Panel53", "Chart6"}},
        {"Panel48", "Panel47", "Panel46", "Panel45", "Panel49", "Panel50", "Panel51"},
        {{"Chart5", -10, 2510}, {"Chart6", -10, 2510}},
        {"Edit1", "Edit2"},
        {{"MaskEdit5", 3}, {"MaskEdit6", 3}, {"MaskEdit7", 3}, {"MaskEdit8", 3}},
        {{"Panel54", kWhite}},
    };
    const PageLayout hydrogen = {
        3,
        page::TksPgsH2,
        {{"Button69", "ВКЛ."},
         {"Button70", "ОТКЛ."},
         {"Button68", "Подстройка \"0\""},
         {"Button67", "Режим настройки"},
         {"Button64", "Применить U воздуха"},
         {"Button63", "Применить U газа"},
         {"Button60", "Применить"},
         {"Button61", "Применить"},
         {"Button62", "Сохранение"},
         {"Button65", "Чтение"},
         {"Button66", "Настр. по умолчанию"},
         {"Button57", "СБРОС"},
         {"Button58", "ВКЛ."},
         {"Button59", "ОТКЛ."},
         {"GroupBox21", "Состояние ТКС"},
         {"GroupBox23", "Состояние ПГС"},
         {"GroupBox22", "Концентрация, %"},
         {"GroupBox24", "Водород"},
         {"Chart7", "Напряжение термокаталитического сенсора, мB"}, // Latin B
         {"Chart8", "Напряжение полупроводникового сенсора, мВ"},   // Cyrillic В
         {"Panel63", ""},
         {"Panel64", ""}},
        {"U воздух, мВ", "U газ, мВ", "C газа, % х100", "Порог1, % х100", "Порог2, % х100",
         "Порог откл., % х100"},
        {{"Panel44", "GroupBox21"},
         {"Panel62", "GroupBox21"},
         {"Panel67", "GroupBox23"},
         {"Panel68", "GroupBox23"},
         {"Panel69", "GroupBox24"},
         {"MaskEdit9", "Panel69"},
         {"MaskEdit12", "Panel69"},
         {"Panel64", "GroupBox22"},
         {"Panel65", "Chart7"},
         {"Panel66", "Chart8"}},
        {"Panel59", "Panel58", "Panel55", "Panel44", "Panel60", "Panel61", "Panel62"},
        {{"Chart7", -10, 2510}, {"Chart8", -10, 2510}},
        {"Edit3", "Edit4"},
        {{"MaskEdit9", 3}, {"MaskEdit10", 3}, {"MaskEdit11", 3}, {"MaskEdit12", 3}},
        {{"Panel64", kWhite}},
    };
    for (const PageLayout *l : {&tks, &tksPgs, &hydrogen}) {
        SCOPED_TRACE(l->index);
        checkLayout(*l);
    }
    // The semiconductor status reads fault above power on both combined pages.
    checkLayout({2, page::TksPgs, {}, {}, {}, {"Panel57", "Panel56"}, {}, {}, {}, {}});
    checkLayout({3, page::TksPgsH2, {}, {}, {}, {"Panel68", "Panel67"}, {}, {}, {}, {}});
}

// ---- status byte -----------------------------------------------------------

TEST(TksStatus, SensorOffShowsRedAndBlanksThresholdPanelsKeepingTheirColours)
{
    Harness h;
    enter(h, 1, page::Tks, 3);
    // Thresholds exceeded while on: the threshold panels turn red.
    h.reply({3, 12, 0x71, 0, 0, 0, 0});
    ASSERT_EQ(h.text("Panel27"), "Превышение порога 1");
    h.reply({3, 12, 0x00, 0, 0, 0, 0});

    expectPanels(h,
                 {{"Panel21", "Сенсор выключен", Colour::Red},
                  {"Panel22", "Рабочий режим", Colour::Normal},
                  {"Panel23", "Настройки в норме", Colour::Normal},
                  {"Panel24", "Сенсор в норме", Colour::Normal},
                  {"Panel25", "", Colour::Red},
                  {"Panel26", "", Colour::Red},
                  {"Panel27", "", Colour::Red}},
                 0x00);
    EXPECT_EQ(groupTitle(h, "GroupBox12"), "МЕТАН");
    EXPECT_EQ(h.text("Edit7"), " XXXX");
}

TEST(TksStatus, EachBitDrivesItsPanel)
{
    struct Case {
        uint8_t status;
        std::vector<PanelState> panels;
        const char *gas;
        const char *concentration;
    };
    const Case cases[] = {
        {0x81,
         {{"Panel21", "Сенсор включен", Colour::Normal},
          {"Panel22", "Режим настройки", Colour::Yellow},
          {"Panel25", "Нет превышения порога откл.", Colour::Normal}},
         "МЕТАН",
         " XXXX"},
        {0x01,
         {{"Panel21", "Сенсор включен", Colour::Normal},
          {"Panel22", "Рабочий режим", Colour::Normal},
          {"Panel26", "Нет превышения порога 2", Colour::Normal},
          {"Panel27", "Нет превышения порога 1", Colour::Normal}},
         "МЕТАН",
         "  12,5"},
        {0x7F,
         {{"Panel23", "Ошибка настройки", Colour::Yellow},
          {"Panel24", "КЗ или обрыв сенсора", Colour::Red},
          {"Panel25", "Превышение порога откл.", Colour::Red},
          {"Panel26", "Превышение порога 2", Colour::Red},
          {"Panel27", "Превышение порога 1", Colour::Red}},
         "ПРОПАН",
         "  12,5"},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, 1, page::Tks, 3);
        h.reply({3, 12, c.status, 0xE2, 0x04, 0, 0}); // 1250 = 12.5 %
        expectPanels(h, c.panels, c.status);
        EXPECT_EQ(groupTitle(h, "GroupBox12"), QString::fromUtf8(c.gas)) << int(c.status);
        EXPECT_EQ(h.text("Edit7"), QString::fromUtf8(c.concentration)) << int(c.status);
    }
}

TEST(TksStatus, PanelsAndGasCaptionAreBlankUntilTheFirstReply)
{
    Harness h;
    h.connect(1);
    h.select(page::Tks);
    for (const char *p : {"Panel21", "Panel22", "Panel23", "Panel24", "Panel25", "Panel26",
                          "Panel27", "Panel28", "Panel29"})
        EXPECT_EQ(h.text(p), "") << p;
    EXPECT_EQ(groupTitle(h, "GroupBox12"), "");
    EXPECT_EQ(groupTitle(h, "GroupBox11"), "Состояние");
}

TEST(SensorFrame, ReplyFromAnotherBlockOnlySetsThePeriod)
{
    struct Case {
        int type, index;
        uint8_t block, other;
        const char *off; // leaves a command waiting
        std::vector<const char *> shown;
        const char *chart;
    };
    const Case cases[] = {
        {1, page::Tks, 3, 8, "Button15", {"Panel21", "Panel28", "Edit7", "Panel29"}, "Chart3"},
        {4, page::Pgs, 8, 3, "Button36", {"Panel32", "Panel40", "Panel41", "Panel31"}, "Chart4"},
        {2,
         page::TksPgs,
         20,
         21,
         "Button43",
         {"Panel45", "Panel42", "Panel54", "Panel52", "Panel56", "Panel53"},
         "Chart5"},
        {3,
         page::TksPgsH2,
         21,
         20,
         "Button70",
         {"Panel44", "Panel63", "Panel64", "Panel65", "Panel67", "Panel66"},
         "Chart7"},
        {10,
         page::Pressure,
         17,
         8,
         "Button154",
         {"Panel153", "Panel158", "Edit30", "Panel149"},
         "Chart16"},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        h.reply({c.block, 9, 0x01, 0, 0, 0, 0x12});
        h.reply({c.block, 12, 0x01, 0x10, 0x00, 0x10, 0x00});
        h.click(c.off);
        QStringList before;
        for (const char *name : c.shown)
            before << h.text(name);
        const Frame request = h.request();
        const int samples = ring(h, c.chart).writeIndex();
        h.form->timer1()->setInterval(800);

        for (uint8_t code : {9, 12, 21, 2})
            h.reply({c.other, code, 0x00, 0xFF, 0xFF, 0xFF, 0xFF});
        EXPECT_EQ(h.form->timer1()->interval(), 350) << c.index;
        QStringList after;
        for (const char *name : c.shown)
            after << h.text(name);
        EXPECT_EQ(after, before) << c.index;
        EXPECT_EQ(ring(h, c.chart).writeIndex(), samples) << c.index;
        EXPECT_EQ(h.request(), request) << c.index;
        EXPECT_EQ(h.send(), frame({uint8_t(0x80 | c.block), 8, 0, 0, 0, 0, 0})) << c.index;
    }
}

TEST(TksStatus, ReplyFromAnotherBlockChangesNothingAndKeepsTheCommand)
{
    Harness h;
    enter(h, 1, page::Tks, 3);
    h.reply({3, 9, 0x01, 0, 0, 0, 0x12});
    h.reply({3, 12, 0x01, 0, 0, 0x10, 0x00});
    const int samples = ring(h, "Chart3").writeIndex();
    h.click("Button15"); // ОТКЛ.: direct 8
    h.reply({8, 9, 0x00, 0, 0, 0, 0x99});
    EXPECT_EQ(h.text("Panel21"), "Сенсор включен");
    EXPECT_EQ(h.text("Panel28"), "Версия 1.2");
    EXPECT_EQ(ring(h, "Chart3").writeIndex(), samples);
    EXPECT_EQ(h.send()[1], 8);
}

// ---- values ----------------------------------------------------------------

TEST(TksValues, ChartTakesUnsignedVoltageWhileConcentrationIsSigned)
{
    Harness h;
    enter(h, 1, page::Tks, 3);
    h.reply({3, 12, 0x01, 0xF6, 0xFF, 0xFF, 0xFF});
    EXPECT_DOUBLE_EQ(newest(h, "Chart3"), 6553.5);
    EXPECT_EQ(h.text("Panel29"), "6553,5  мВ");
    EXPECT_EQ(h.text("Edit7"), "  -0,1");
}

TEST(TksValues, ReadBacksFillTheirFieldsAndVersion)
{
    Harness h;
    enter(h, 1, page::Tks, 3);
    type(h, "MaskEdit1", "9");
    h.reply({3, 2, 0x01, 0xD2, 0x04, 0x38, 0xFF}); // 1234, -200
    h.reply({3, 3, 0x01, 0xFA, 0x00, 0x32, 0x00});
    h.reply({3, 4, 0x01, 0x64, 0x00, 0xF4, 0x01});
    h.reply({3, 9, 0x01, 0, 0, 0, 0x13});
    EXPECT_EQ(h.text("Edit5"), "  123,4");
    EXPECT_EQ(h.text("Edit6"), "  -20");
    EXPECT_EQ(h.text("MaskEdit1"), "250");
    EXPECT_EQ(h.text("MaskEdit2"), "50");
    EXPECT_EQ(h.text("MaskEdit3"), "100");
    EXPECT_EQ(h.text("MaskEdit4"), "500");
    EXPECT_EQ(h.text("Panel28"), "Версия 1.3");
}

TEST(TksValues, ReadBackOutsideTheFieldRangeIsShownWhole)
{
    Harness h;
    enter(h, 1, page::Tks, 3);
    h.reply({3, 3, 0x01, 0xE8, 0x03, 0xFB, 0xFF}); // 1000, -5
    EXPECT_EQ(h.text("MaskEdit1"), "1000");
    EXPECT_EQ(h.text("MaskEdit2"), "-5");
    // Applied again, the block gets back exactly what it reported.
    h.click("Button27");
    const Frame sent = h.send();
    EXPECT_EQ(sent, frame({131, 10, 0, 0xE8, 0x03, 0xFB, 0xFF}));
}

TEST(ThermoCharts, OnlyMeasurementAnswersAddPoints)
{
    const uint8_t noPoint[] = {2, 3, 4, 5, 6, 8, 9, 10, 11, 14, 15, 16};
    const uint8_t point[] = {0, 1, 7, 12, 13, 17, 255};
    Harness h;
    enter(h, 1, page::Tks, 3);
    for (uint8_t code : noPoint) {
        const int before = ring(h, "Chart3").writeIndex();
        h.reply({3, code, 0x01, 0, 0, 0x10, 0x00});
        EXPECT_EQ(ring(h, "Chart3").writeIndex(), before) << int(code);
    }
    for (uint8_t code : point) {
        const int before = ring(h, "Chart3").writeIndex();
        h.reply({3, code, 0x01, 0, 0, 0x10, 0x00});
        EXPECT_EQ(ring(h, "Chart3").writeIndex(), before % TrendRing::kSize + 1) << int(code);
    }
}

TEST(ThermoCharts, CombinedPagesSplitAnswersBetweenTheTwoCharts)
{
    struct Page {
        int type, index;
        uint8_t block;
        const char *thermoChart, *pgsChart;
    };
    for (const Page p : {Page{2, page::TksPgs, 20, "Chart5", "Chart6"},
                         Page{3, page::TksPgsH2, 21, "Chart7", "Chart8"}}) {
        Harness h;
        enter(h, p.type, p.index, p.block);
        for (int code = 0; code < 256; ++code) {
            const int thermo = ring(h, p.thermoChart).writeIndex();
            const int pgs = ring(h, p.pgsChart).writeIndex();
            h.reply({p.block, uint8_t(code), 0x01, 0, 0, 0x10, 0x00});
            const bool pgsHalf = code == 18 || code == 20 || code == 21;
            const bool none = code == 2 || code == 3 || code == 4 || code == 5 || code == 6 ||
                              code == 8 || code == 9 || code == 10 || code == 11 || code == 14 ||
                              code == 15 || code == 16;
            EXPECT_EQ(ring(h, p.thermoChart).writeIndex() != thermo, !pgsHalf && !none)
                << p.thermoChart << " code " << code;
            EXPECT_EQ(ring(h, p.pgsChart).writeIndex() != pgs, pgsHalf)
                << p.pgsChart << " code " << code;
        }
    }
}

// ---- Apply -----------------------------------------------------------------

TEST(ThermoApply, FrameCarriesBothFieldsLittleEndian)
{
    struct Case {
        int type, index;
        uint8_t block;
        const char *button, *first, *second;
        const char *a, *b;
        Frame expected;
    };
    const Case cases[] = {
        {1, page::Tks, 3, "Button27", "MaskEdit1", "MaskEdit2", "250", "50",
         frame({131, 10, 0, 0xFA, 0x00, 0x32, 0x00})},
        {1, page::Tks, 3, "Button32", "MaskEdit3", "MaskEdit4", " 100", "500 ",
         frame({131, 11, 0, 0x64, 0x00, 0xF4, 0x01})},
        {2, page::TksPgs, 20, "Button47", "MaskEdit5", "MaskEdit6", "100", "20",
         frame({148, 10, 0, 0x64, 0x00, 0x14, 0x00})},
        {2, page::TksPgs, 20, "Button48", "MaskEdit7", "MaskEdit8", "40", "200",
         frame({148, 11, 0, 0x28, 0x00, 0xC8, 0x00})},
        {3, page::TksPgsH2, 21, "Button60", "MaskEdit9", "MaskEdit10", "200", "40",
         frame({149, 10, 0, 0xC8, 0x00, 0x28, 0x00})},
        {3, page::TksPgsH2, 21, "Button61", "MaskEdit11", "MaskEdit12", "80", "400",
         frame({149, 11, 0, 0x50, 0x00, 0x90, 0x01})},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        type(h, c.first, QString::fromUtf8(c.a));
        type(h, c.second, QString::fromUtf8(c.b));
        h.click(c.button);
        EXPECT_EQ(h.send(), c.expected) << c.button;
        EXPECT_TRUE(h.messages.isEmpty()) << c.button;
    }
}

TEST(ThermoApply, FieldThatDoesNotConvertShowsTheMessageAndSendsNothing)
{
    struct Case {
        int type, index;
        uint8_t block;
        const char *button, *first, *second;
        const char *a, *b;
        const char *message;
    };
    const Case cases[] = {
        {1, page::Tks, 3, "Button27", "MaskEdit1", "MaskEdit2", "", "50",
         "'' is not a valid integer value"},
        {1, page::Tks, 3, "Button32", "MaskEdit3", "MaskEdit4", "100", "1 2",
         "'1 2' is not a valid integer value"},
        {2, page::TksPgs, 20, "Button47", "MaskEdit5", "MaskEdit6", "1 2", "",
         "'1 2' is not a valid integer value"},
        {3, page::TksPgsH2, 21, "Button61", "MaskEdit11", "MaskEdit12", "80", "",
         "'' is not a valid integer value"},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        type(h, c.first, QString::fromUtf8(c.a));
        type(h, c.second, QString::fromUtf8(c.b));
        const Frame before = h.request();
        h.click(c.button);
        ASSERT_EQ(h.messages.size(), 1) << c.button;
        EXPECT_EQ(h.messages.first(), QString::fromUtf8(c.message)) << c.button;
        EXPECT_EQ(h.request(), before) << c.button;
        EXPECT_TRUE(h.form->session().queue.empty()) << c.button;
        const uint8_t code = h.send()[1];
        EXPECT_NE(code, 10) << c.button;
        EXPECT_NE(code, 11) << c.button;
    }
}

TEST(ThermoApply, TypedGapStaysInTheFieldAndIsRefused)
{
    Harness h;
    enter(h, 1, page::Tks, 3);
    auto *field = h.find<QLineEdit>("MaskEdit1");
    field->clear();
    QTest::keyClicks(field, "1 2");
    EXPECT_EQ(field->text(), "1 2");
    h.find<QLineEdit>("MaskEdit2")->clear();
    QTest::keyClicks(h.find<QLineEdit>("MaskEdit2"), "5678"); // three positions only
    EXPECT_EQ(h.text("MaskEdit2"), "567");
    h.click("Button27");
    ASSERT_EQ(h.messages.size(), 1);
    EXPECT_EQ(h.messages.first(), "'1 2' is not a valid integer value");
}

// A "Применить" click on a combined page, then the semiconductor half's status
// answer before the transmit tick: the set command still carries the values.
TEST(ThermoApply, CombinedSetCommandKeepsItsValuesAcrossTheFallBack)
{
    struct Case {
        int type, index;
        uint8_t block;
        const char *button, *first, *second;
        const char *firstValue, *secondValue;
        Frame expected;
    };
    const Case cases[] = {
        {2, page::TksPgs, 20, "Button47", "MaskEdit5", "MaskEdit6", "100", "20",
         frame({148, 10, 0, 0x64, 0x00, 0x14, 0x00})},
        {2, page::TksPgs, 20, "Button48", "MaskEdit7", "MaskEdit8", "100", "20",
         frame({148, 11, 0, 0x64, 0x00, 0x14, 0x00})},
        {3, page::TksPgsH2, 21, "Button60", "MaskEdit9", "MaskEdit10", "100", "20",
         frame({149, 10, 0, 0x64, 0x00, 0x14, 0x00})},
        {3, page::TksPgsH2, 21, "Button61", "MaskEdit11", "MaskEdit12", "100", "20",
         frame({149, 11, 0, 0x64, 0x00, 0x14, 0x00})},
        // Values above 255: both bytes of each value are kept.
        {2, page::TksPgs, 20, "Button47", "MaskEdit5", "MaskEdit6", "999", "300",
         frame({148, 10, 0, 0xE7, 0x03, 0x2C, 0x01})},
        {3, page::TksPgsH2, 21, "Button61", "MaskEdit11", "MaskEdit12", "256", "513",
         frame({149, 11, 0, 0x00, 0x01, 0x01, 0x02})},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        h.reply({c.block, 12, 0x01, 0, 0, 0, 0}); // the next request is the PGS status
        EXPECT_EQ(h.send()[1], 21);
        type(h, c.first, c.firstValue);
        type(h, c.second, c.secondValue);
        h.click(c.button);
        h.reply({c.block, 21, 0x01, 0, 0, 0x10, 0x00}); // answer to the 21 just sent
        EXPECT_EQ(h.send(), c.expected) << c.button;
        // Its answer returns the page to idle polling with clean parameters.
        h.reply({c.block, c.expected[1], 0x01, 0, 0, 0, 0});
        EXPECT_EQ(h.send(), frame({uint8_t(0x80 | c.block), 12, 0, 0, 0, 0, 0})) << c.button;
    }
}

TEST(ThermoApply, ValuesAreDroppedOnceAnotherQueueReplacesTheSetCommand)
{
    Harness h;
    enter(h, 2, page::TksPgs, 20);
    type(h, "MaskEdit5", "100");
    type(h, "MaskEdit6", "20");
    h.click("Button47");
    h.click("Button53"); // Чтение: 2, 3, 4 replaces the queued 10
    h.reply({20, 21, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(h.send(), frame({148, 2, 0, 0, 0, 0, 0}));
}

// ---- defaults --------------------------------------------------------------

TEST(ThermoDefaults, FollowTheGasCaption)
{
    struct Case {
        int type, index;
        uint8_t block;
        const char *button;
        std::array<const char *, 4> fields;
        uint8_t status;
        std::array<const char *, 4> values;
    };
    const Case cases[] = {
        {1,
         page::Tks,
         3,
         "Button29",
         {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"},
         0x01,
         {"250", "50", "100", "500"}},
        {1,
         page::Tks,
         3,
         "Button29",
         {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"},
         0x03,
         {"100", "20", "40", "200"}},
        {2,
         page::TksPgs,
         20,
         "Button52",
         {"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"},
         0x01,
         {"250", "50", "100", "500"}},
        {2,
         page::TksPgs,
         20,
         "Button52",
         {"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"},
         0x02,
         {"100", "20", "40", "200"}},
        // Hydrogen: fixed, whatever bit 1 says.
        {3,
         page::TksPgsH2,
         21,
         "Button66",
         {"MaskEdit9", "MaskEdit10", "MaskEdit11", "MaskEdit12"},
         0x02,
         {"200", "40", "80", "400"}},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        h.reply({c.block, 12, c.status, 0, 0, 0, 0});
        const int writes = h.driver.writeCount();
        h.click(c.button);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(h.text(c.fields[i]), QString::fromUtf8(c.values[i])) << c.button;
        EXPECT_EQ(h.driver.writeCount(), writes);
        EXPECT_TRUE(h.form->session().queue.empty());
    }
}

TEST(ThermoDefaults, BeforeTheFirstReplyGasPagesLeaveTheFieldsHydrogenFillsThem)
{
    {
        Harness h;
        h.connect(1);
        h.select(page::Tks);
        type(h, "MaskEdit1", "7");
        h.click("Button29");
        EXPECT_EQ(h.text("MaskEdit1"), "7");
        EXPECT_EQ(h.text("MaskEdit2"), "");
    }
    {
        Harness h;
        h.connect(2);
        h.select(page::TksPgs);
        h.click("Button52");
        EXPECT_EQ(h.text("MaskEdit5"), "");
    }
    {
        Harness h;
        h.connect(3);
        h.select(page::TksPgsH2);
        h.click("Button66");
        EXPECT_EQ(h.text("MaskEdit9"), "200");
        EXPECT_EQ(h.text("MaskEdit10"), "40");
        EXPECT_EQ(h.text("MaskEdit11"), "80");
        EXPECT_EQ(h.text("MaskEdit12"), "400");
    }
}

// ---- buttons ---------------------------------------------------------------

TEST(ThermoButtons, SendTheirCommands)
{
    struct Case {
        int type, index;
        uint8_t block;
        const char *button;
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {
        {1, page::Tks, 3, "Button14", {9, 2, 3, 4, 12}},
        {1, page::Tks, 3, "Button15", {8, 12}},
        {1, page::Tks, 3, "Button16", {6, 12}},
        {1, page::Tks, 3, "Button23", {1, 2, 3, 4, 12}},
        {1, page::Tks, 3, "Button26", {5, 2, 3, 4, 12}},
        {1, page::Tks, 3, "Button30", {15, 2, 12}},
        {1, page::Tks, 3, "Button31", {14, 2, 12}},
        {1, page::Tks, 3, "Button25", {7, 12}},
        {1, page::Tks, 3, "Button28", {2, 3, 4, 12}},
        {1, page::Tks, 3, "Button24", {16, 2, 3, 4, 12}},
        {2, page::TksPgs, 20, "Button42", {9, 2, 3, 4, 12}},
        {2, page::TksPgs, 20, "Button43", {8, 12}},
        {2, page::TksPgs, 20, "Button44", {1, 2, 3, 4, 12}},
        {2, page::TksPgs, 20, "Button45", {5, 2, 3, 4, 12}},
        {2, page::TksPgs, 20, "Button46", {6, 12}},
        {2, page::TksPgs, 20, "Button51", {15, 2, 12}},
        {2, page::TksPgs, 20, "Button50", {14, 2, 12}},
        {2, page::TksPgs, 20, "Button49", {7, 12}},
        {2, page::TksPgs, 20, "Button53", {2, 3, 4, 12}},
        {2, page::TksPgs, 20, "Button54", {16, 2, 3, 4, 12}},
        {2, page::TksPgs, 20, "Button55", {18, 21, 12}},
        {2, page::TksPgs, 20, "Button56", {20, 12}},
        {3, page::TksPgsH2, 21, "Button69", {9, 2, 3, 4, 12}},
        {3, page::TksPgsH2, 21, "Button70", {8, 12}},
        {3, page::TksPgsH2, 21, "Button68", {5, 2, 3, 4, 12}},
        {3, page::TksPgsH2, 21, "Button67", {6, 12}},
        {3, page::TksPgsH2, 21, "Button64", {15, 2, 12}},
        {3, page::TksPgsH2, 21, "Button63", {14, 2, 12}},
        {3, page::TksPgsH2, 21, "Button62", {7, 12}},
        {3, page::TksPgsH2, 21, "Button65", {2, 3, 4, 12}},
        {3, page::TksPgsH2, 21, "Button57", {16, 2, 3, 4, 12}},
        {3, page::TksPgsH2, 21, "Button58", {18, 21, 12}},
        {3, page::TksPgsH2, 21, "Button59", {20, 12}},
    };
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        EXPECT_EQ(sentAfter(h, c.button, c.block, int(c.codes.size())), c.codes) << c.button;
        EXPECT_EQ(h.driver.lastFrame()[0], 0x80 | c.block) << c.button;
    }
}

TEST(ThermoButtons, CombinedPagesQueueEvenSingleCommands)
{
    Harness h;
    enter(h, 2, page::TksPgs, 20);
    h.click("Button43");
    EXPECT_FALSE(h.form->session().queue.empty());
    EXPECT_EQ(h.request()[1], 12); // byte 1 is left to the transmit tick
    EXPECT_EQ(h.send()[1], 8);
}

TEST(ThermoButtons, HydrogenPageHasNoGasSelection)
{
    Harness h;
    h.connect(3);
    ModulePage *hydrogen = h.form->page(page::TksPgsH2);
    for (QPushButton *b : hydrogen->findChildren<QPushButton *>())
        EXPECT_NE(b->text(), "Выбор газа");
    EXPECT_EQ(groupTitle(h, "GroupBox24"), "Водород");
}

// ---- combined pages: the two halves ----------------------------------------

TEST(CombinedPoll, StatusAndSemiconductorStatusAlternate)
{
    struct Case {
        int type, index;
        uint8_t block;
    };
    for (const Case c : {Case{2, page::TksPgs, 20}, Case{3, page::TksPgsH2, 21}}) {
        Harness h;
        enter(h, c.type, c.index, c.block);
        const uint8_t address = 0x80 | c.block;
        h.reply({c.block, 12, 0x01, 0, 0, 0, 0});
        EXPECT_EQ(h.request()[1], 21) << c.index;
        for (int round = 0; round < 3; ++round) {
            EXPECT_EQ(h.send(), frame({address, 21, 0, 0, 0, 0, 0})) << c.index;
            h.reply({c.block, 21, 0x01, 0, 0, 0, 0});
            EXPECT_EQ(h.send(), frame({address, 12, 0, 0, 0, 0, 0})) << c.index;
            h.reply({c.block, 12, 0x01, 0, 0, 0, 0});
        }
    }
}

TEST(CombinedPoll, SemiconductorAnswerTouchesOnlyItsHalf)
{
    struct Page {
        int type, index;
        uint8_t block;
        std::vector<const char *> thermo;
        const char *upper, *lower, *value, *chart, *thermoChart;
    };
    const Page pages[] = {
        {2,
         page::TksPgs,
         20,
         {"Panel45", "Panel46", "Panel47", "Panel48", "Panel49", "Panel50", "Panel51", "Panel52",
          "Panel54"},
         "Panel57",
         "Panel56",
         "Panel53",
         "Chart6",
         "Chart5"},
        {3,
         page::TksPgsH2,
         21,
         {"Panel44", "Panel55", "Panel58", "Panel59", "Panel60", "Panel61", "Panel62", "Panel65",
          "Panel64"},
         "Panel68",
         "Panel67",
         "Panel66",
         "Chart8",
         "Chart7"},
    };
    for (const Page &p : pages) {
        Harness h;
        enter(h, p.type, p.index, p.block);
        h.reply({p.block, 12, 0x11, 0x32, 0x00, 0xD2, 0x04});
        QStringList before;
        for (const char *name : p.thermo)
            before << h.text(name);
        const int thermoSamples = ring(h, p.thermoChart).writeIndex();

        h.reply({p.block, 21, 0x08, 0x00, 0x00, 0x38, 0xFF}); // off, fault, -200
        QStringList after;
        for (const char *name : p.thermo)
            after << h.text(name);
        EXPECT_EQ(after, before);
        EXPECT_EQ(h.colour(p.thermo[0]), Colour::Normal);
        EXPECT_EQ(ring(h, p.thermoChart).writeIndex(), thermoSamples);
        EXPECT_EQ(h.text(p.upper), "КЗ или обрыв сенсора");
        EXPECT_EQ(h.colour(p.upper), Colour::Red);
        EXPECT_EQ(h.text(p.lower), "Сенсор выключен");
        EXPECT_EQ(h.colour(p.lower), Colour::Red);
        EXPECT_EQ(h.text(p.value), "  -20");
        EXPECT_DOUBLE_EQ(newest(h, p.chart), 6533.6);

        h.reply({p.block, 18, 0x01, 0, 0, 0x10, 0x27});
        EXPECT_EQ(h.text(p.upper), "Сенсор в норме");
        EXPECT_EQ(h.text(p.lower), "Сенсор включен");
        EXPECT_EQ(h.colour(p.lower), Colour::Normal);
        EXPECT_EQ(h.text(p.value), "  1000");
    }
}

TEST(CombinedValues, ThermocatalyticValueIsSignedWithoutUnitChartUnsigned)
{
    Harness h;
    enter(h, 2, page::TksPgs, 20);
    h.reply({20, 12, 0x01, 0xE2, 0x04, 0x38, 0xFF});
    EXPECT_EQ(h.text("Panel52"), "  -20");
    EXPECT_DOUBLE_EQ(newest(h, "Chart5"), 6533.6);
    EXPECT_EQ(h.text("Panel54"), "  12,5");
    h.reply({20, 12, 0x81, 0xE2, 0x04, 0x38, 0xFF});
    EXPECT_EQ(h.text("Panel54"), " XXXX");
}

TEST(CombinedValues, GasCaptionOnlyOnTheMethanePropaneBlock)
{
    Harness h;
    enter(h, 2, page::TksPgs, 20);
    h.reply({20, 12, 0x03, 0, 0, 0, 0});
    EXPECT_EQ(groupTitle(h, "GroupBox19"), "ПРОПАН");
    h.reply({20, 21, 0x00, 0, 0, 0, 0}); // bit 1 of the semiconductor answer is not the gas
    EXPECT_EQ(groupTitle(h, "GroupBox19"), "ПРОПАН");

    Harness h2;
    enter(h2, 3, page::TksPgsH2, 21);
    for (uint8_t status : {0x00, 0x02, 0x03, 0xFF}) {
        h2.reply({21, 12, status, 0, 0, 0, 0});
        EXPECT_EQ(groupTitle(h2, "GroupBox24"), "Водород") << int(status);
    }
}

TEST(CombinedValues, ReplyFromTheOtherCombinedBlockChangesNothing)
{
    Harness h;
    enter(h, 3, page::TksPgsH2, 21);
    h.reply({21, 9, 0x01, 0, 0, 0, 0x12});
    h.reply({21, 12, 0x01, 0, 0, 0, 0});
    const Frame request = h.request();
    h.reply({20, 9, 0x00, 0, 0, 0, 0x21});
    EXPECT_EQ(h.text("Panel44"), "Сенсор включен");
    EXPECT_EQ(h.text("Panel63"), "Версия 1.2");
    EXPECT_EQ(h.request(), request);
}

// ---- zero adjustment -------------------------------------------------------

TEST(ZeroAdjustment, GoesByTheLatestValidReply)
{
    struct Case {
        int type, index;
        uint8_t block;
        const char *button;
    };
    const Case cases[] = {{1, page::Tks, 3, "Button26"},
                          {2, page::TksPgs, 20, "Button45"},
                          {3, page::TksPgsH2, 21, "Button68"}};
    for (const Case &c : cases) {
        Harness h;
        enter(h, c.type, c.index, c.block, 0x00);
        // A frame claiming the sensor is on, but its check byte is wrong.
        Frame corrupt = sealed({c.block, 12, 0x01, 0, 0, 0, 0});
        corrupt[7] ^= 0x5A;
        h.driver.queueFrame(corrupt);
        h.form->Timer2Timer();
        ASSERT_FALSE(h.form->session().replyValid);
        ASSERT_EQ(h.form->session().reply[2], 0x01);
        h.click(c.button);
        EXPECT_TRUE(h.form->session().queue.empty()) << c.button;
        EXPECT_NE(h.send()[1], 5) << c.button;

        h.reply({c.block, 12, 0x01, 0, 0, 0, 0});
        h.send();
        h.reply({c.block, 21, 0x01, 0, 0, 0, 0}); // semiconductor half, harmless on TKS
        h.click(c.button);
        EXPECT_EQ(h.send()[1], 5) << c.button;
    }
}

TEST(ZeroAdjustment, NothingBeforeAnyReplyOrAfterAnotherBlock)
{
    Harness h;
    h.connect(1);
    h.select(page::Tks);
    h.form->session().queue.clear();
    h.click("Button26");
    EXPECT_TRUE(h.form->session().queue.empty());
    h.reply({3, 12, 0x01, 0, 0, 0, 0});
    h.reply({0, 12, 0x01, 0, 0, 0, 0}); // base unit, sensor bit set
    h.click("Button26");
    EXPECT_TRUE(h.form->session().queue.empty());
    EXPECT_TRUE(h.messages.isEmpty());
}

// On a combined block, the semiconductor half's answer reports that sensor in
// bit 0; zero adjustment of the thermocatalytic sensor goes by its own state.
TEST(ZeroAdjustment, CombinedBlockGoesByTheThermocatalyticSensor)
{
    Harness h;
    enter(h, 2, page::TksPgs, 20);
    h.reply({20, 12, 0x00, 0, 0, 0, 0}); // thermocatalytic sensor off
    h.send();
    h.reply({20, 21, 0x01, 0, 0, 0, 0}); // semiconductor sensor on
    h.click("Button45");
    EXPECT_TRUE(h.form->session().queue.empty());

    h.send();
    h.reply({20, 12, 0x01, 0, 0, 0, 0}); // thermocatalytic on
    h.send();
    h.reply({20, 21, 0x00, 0, 0, 0, 0}); // semiconductor off
    h.click("Button45");
    EXPECT_EQ(h.send()[1], 5);
}

} // namespace
} // namespace zet::test
