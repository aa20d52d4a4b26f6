// Optical pages (methane 100 %, methane 5 %, CO2, propane 2 %): one suite over
// the four pages for what they share, then what only one of them does.

#include "PageChecks.h"
#include "pages/Widgets.h"

#include <QListWidget>

namespace zet::test {
namespace {

struct Send {
    const char *button, *caption;
    std::vector<int> codes;
    std::vector<std::pair<const char *, int>> fields{}; // field and its first request byte
};

struct Optical {
    const char *id;
    int type, index;
    uint8_t block;
    std::array<const char *, 4> groups; // status, concentration, settings, inner panel
    std::array<const char *, 7> status; // on, mode, settings, link, thresholds 3, 2, 1
    const char *concentration, *signal, *chart, *version, *flags;
    double chartMax;
    std::vector<const char *> readouts;
    std::vector<const char *> labels;
    std::vector<std::pair<const char *, int>> fields; // with defaults: gases, thresholds 1-3
    std::vector<Send> sends;
    std::vector<int> idle;
    uint8_t address() const { return 0x80 | block; }
    const char *threshold(int n) const { return fields[fields.size() - 4 + size_t(n)].first; }
    const Send &calibration() const { return sends[5]; } // the first gas calibration
    const Send &pair() const                             // Apply beside thresholds 2 and 3
    {
        return *std::find_if(sends.begin(), sends.end(),
                             [](const Send &s) { return s.fields.size() == 2; });
    }
};

void PrintTo(const Optical &o, std::ostream *os) { *os << o.id; }

const char *const kApply = "Применить", *const kCal = "Применить U газа и С газа";

// clang-format off
const Optical kPages[] = {
    {"Methane100", 10, page::OpticMethane100, 11, {"GroupBox25", "GroupBox26", "GroupBox32", "Panel104"},
     {"Panel73", "Panel72", "Panel71", "Panel70", "Panel74", "Panel75", "Panel76"},
     "Edit8", "Panel78", "Chart9", "Panel77", "CheckListBox1", 15000, {"Edit13", "Edit14", "Edit29"},
     {"U нуля", "U газ Д1", "U газ Д2", "C газа Д1, % х100", "C газа Д2, % х100", "Порог 3, % х100"},
     {{"MaskEdit49", 480}, {"MaskEdit26", 4950}, {"MaskEdit27", 50}, {"MaskEdit28", 100}, {"MaskEdit29", 500}},
     {{"Button71", "ВКЛ.", {9, 13, 3, 4}}, {"Button73", "ОТКЛ.", {8}}, {"Button98", "Режим настройки", {6}},
      {"Button105", "Применить U нуля", {15, 5, 5}}, {"Button213", "Чтение параметров", {1, 1, 2, 2, 5, 5}},
      {"Button106", kCal, {14, 1, 1}, {{"MaskEdit49", 3}}}, {"Button212", kCal, {14, 2, 2}, {{"MaskEdit26", 3}}},
      {"Button211", kApply, {10}, {{"MaskEdit27", 5}}}, {"Button107", kApply, {11}, {{"MaskEdit28", 3}, {"MaskEdit29", 5}}},
      {"Button108", "Сохранение", {7}}, {"Button109", "Чтение", {3, 3, 4, 4, 13, 13}},
      {"Button152", "Температура", {97}}, {"Button110", "Установка по умолчанию", {}}},
     {12, 96}},
    {"Methane5", 6, page::OpticMethane5, 12, {"GroupBox33", "GroupBox34", "GroupBox35", "Panel113"},
     {"Panel107", "Panel106", "Panel105", "Panel103", "Panel108", "Panel109", "Panel110"},
     "Edit15", "Panel111", "Chart12", "Panel112", nullptr, 2500, {"Edit16", "Edit17"},
     {"U нуля", "U газ", "C газа, % х100", "Порог 1, % х100"},
     {{"MaskEdit25", 480}, {"MaskEdit22", 50}, {"MaskEdit23", 100}, {"MaskEdit24", 500}},
     {{"Button99", "ВКЛ.", {9, 13, 3, 4}}, {"Button100", "ОТКЛ.", {8}}, {"Button101", "Режим настройки", {6}},
      {"Button102", "Применить U нуля", {15, 5, 5}}, {"Button116", "Чтение параметров", {1, 1, 5, 5}},
      {"Button103", kCal, {14, 1, 1}, {{"MaskEdit25", 3}}}, {"Button114", kApply, {10}, {{"MaskEdit22", 5}}},
      {"Button104", kApply, {11}, {{"MaskEdit23", 3}, {"MaskEdit24", 5}}},
      {"Button111", "Сохранение", {7}}, {"Button112", "Чтение", {3, 3, 4, 4, 13, 13}},
      {"Button113", "Установка по умолчанию", {}}},
     {12}},
    {"Co2", 10, page::OpticCo2, 13, {"GroupBox37", "GroupBox36", "GroupBox38", "Panel122"},
     {"Panel118", "Panel117", "Panel116", "Panel115", "Panel119", "Panel120", "Panel121"},
     "Edit18", "Panel123", "Chart13", "Panel6", "CheckListBox2", 15000, {"Edit19", "Edit20"},
     {"U нуля", "U газ Д1", "C газа Д1, % х100", "Порог 2, % х100"},
     {{"MaskEdit34", 245}, {"MaskEdit31", 50}, {"MaskEdit32", 100}, {"MaskEdit33", 250}},
     {{"Button118", "ВКЛ.", {9, 13, 3, 4}}, {"Button117", "ОТКЛ.", {8}}, {"Button119", "Режим настройки", {6}},
      {"Button120", "Применить U нуля", {15, 5, 5}}, {"Button128", "Чтение параметров", {2, 2, 5, 5}},
      {"Button121", kCal, {14, 1, 1}, {{"MaskEdit34", 3}}}, {"Button126", kApply, {10}, {{"MaskEdit31", 5}}},
      {"Button122", kApply, {11}, {{"MaskEdit32", 3}, {"MaskEdit33", 5}}},
      {"Button123", "Сохранение", {7}}, {"Button124", "Чтение", {3, 3, 4, 4, 13, 13}},
      {"Button125", "Установка по умолчанию", {}}},
     {12, 96}},
    {"Propane", 10, page::OpticPropane, 28, {"GroupBox42", "GroupBox44", "GroupBox43", "Panel145"},
     {"Panel141", "Panel140", "Panel139", "Panel138", "Panel142", "Panel143", "Panel144"},
     "Edit25", "Panel146", "Chart15", "Panel137", "CheckListBox3", 15000, {"Edit23", "Edit24"},
     {"U нуля", "U газ", "C газа, % х100", "Порог 3, % х100"},
     {{"MaskEdit41", 100}, {"MaskEdit38", 20}, {"MaskEdit39", 40}, {"MaskEdit40", 200}},
     {{"Button149", "ВКЛ.", {9, 13, 3, 4}}, {"Button150", "ОТКЛ.", {8}}, {"Button151", "Режим настройки", {6}},
      {"Button141", "Применить U нуля", {15, 5, 5}}, {"Button148", "Чтение параметров", {2, 2, 5, 5}},
      {"Button142", kCal, {14}, {{"MaskEdit41", 3}}}, {"Button147", kApply, {10, 3}, {{"MaskEdit38", 5}}},
      {"Button143", kApply, {11, 2}, {{"MaskEdit39", 3}, {"MaskEdit40", 5}}},
      {"Button144", "Сохранение", {7}}, {"Button145", "Чтение", {3, 3, 4, 4, 13, 13}},
      {"Button146", "Установка по умолчанию", {}}},
     {12, 96}},
};
// clang-format on

class OpticalSuite : public ::testing::TestWithParam<Optical> {
protected:
    const Optical &p = GetParam();
    Harness h;
    // On the page with its start-up commands answered; the first reply addresses
    // the methane 5 % page, which a tab click leaves unaddressed.
    void SetUp() override
    {
        h.connect(p.type);
        h.select(p.index);
        for (int n = h.form->session().queue.count; n > 0; --n)
            h.reply({p.block, h.send()[1], 0x01, 0, 0, 0, 0});
        h.reply({p.block, 12, 0x01, 0, 0, 0, 0});
    }
    void type(const char *field, const QString &text) { h.find<QLineEdit>(field)->setText(text); }
    CheckList *list(const char *name)
    {
        return static_cast<CheckList *>(h.find<QListWidget>(name));
    }
};

TEST_P(OpticalSuite, ControlsTextsAndArrangementNothingClipped)
{
    h.form->show();
    h.reply({p.block, 12, 0x01, 0, 0, 0, 0}); // the longest panel texts
    QWidget *page = h.form->page(p.index);
    auto at = [page](QWidget *w) { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); };
    auto box = [&](const char *name) { return at(h.find<QWidget>(name)); };
    QStringList shown;
    for (QLabel *l : page->findChildren<QLabel *>())
        shown << l->text();
    for (const char *label : p.labels)
        EXPECT_TRUE(shown.contains(QString::fromUtf8(label))) << label;
    for (const Send &s : p.sends)
        EXPECT_EQ(h.find<QPushButton>(s.button)->text(), QString::fromUtf8(s.caption)) << s.button;
    EXPECT_EQ(groupTitle(h, p.groups[0]) + groupTitle(h, p.groups[1]) + groupTitle(h, p.groups[2]),
              "СостояниеКонцентрация, %Настройки");
    auto *chart = static_cast<TrendChart *>(h.find<QChartView>(p.chart));
    auto *axis = static_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical).first());
    EXPECT_EQ(chart->title() + QString(" %1 %2").arg(axis->min()).arg(axis->max()),
              QString("Сигнал детектора -10 %1").arg(p.chartMax));
    for (const char *r : p.readouts)
        EXPECT_TRUE(h.find<QLineEdit>(r)->isReadOnly()) << r;
    for (auto [field, value] : p.fields) {
        h.find<QLineEdit>(field)->clear();
        QTest::keyClicks(h.find<QLineEdit>(field), "123456");
        EXPECT_EQ(h.text(field), "1234") << field;
        EXPECT_TRUE(box(p.groups[3]).contains(box(field))) << field;
    }
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_TRUE(box(p.groups[0]).contains(box(p.status[i])));
        EXPECT_TRUE(i == 0 || box(p.status[i - 1]).bottom() < box(p.status[i]).top());
    }
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || !w->isVisible())
            continue;
        EXPECT_TRUE(page->rect().contains(at(w))) << qPrintable(w->objectName());
        if (qobject_cast<QPushButton *>(w) || qobject_cast<QLabel *>(w)) {
            EXPECT_LE(w->sizeHint().width(), w->width()) << qPrintable(w->objectName());
        }
        if (auto *l = qobject_cast<QListWidget *>(w); l) {
            for (int i = 0; i < l->count(); ++i)
                EXPECT_TRUE(l->viewport()->rect().contains(l->visualItemRect(l->item(i)))) << i;
        }
    }
    // Status top left, concentration beside it, settings below, chart right,
    // version top right, the diagnostics under the chart.
    EXPECT_LT(box(p.groups[0]).right(), box(p.groups[1]).left());
    EXPECT_LT(box(p.groups[0]).bottom(), box(p.groups[2]).top());
    EXPECT_LT(box(p.groups[2]).right(), box(p.chart).left());
    EXPECT_LT(box(p.version).bottom(), box(p.chart).top());
    EXPECT_GT(box(p.version).left(), page->width() / 2);
    EXPECT_TRUE(box(p.chart).contains(box(p.signal)));
    EXPECT_TRUE(!p.flags || box(p.chart).bottom() < box(p.flags).top());
}

// Each status panel as "text" with "!" for red and "?" for yellow.
QStringList panels(Harness &h, const Optical &p)
{
    QStringList out;
    for (const char *name : p.status)
        out << h.text(name) + QString(" !?").at(int(h.colour(name)));
    return out;
}

TEST_P(OpticalSuite, StatusValuesAndReadBacks)
{
    h.reply({p.block, 12, 0x71, 0xF6, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(panels(h, p), QStringList({"Сенсор включен ", "Рабочий режим ", "Настройки в норме ",
                                         "Связь в норме ", "Превышение порога 3!",
                                         "Превышение порога 2!", "Превышение порога 1!"}));
    EXPECT_EQ(h.text(p.concentration) + "|" + h.text(p.signal), "  -0,1|65535");
    EXPECT_EQ(newest(h, p.chart), 65535);
    h.reply({p.block, 12, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(panels(h, p), QStringList({"Сенсор выключен!", "Рабочий режим ", "Настройки в норме ",
                                         "Связь в норме ", " ", " ", " "}));
    h.reply({p.block, 12, 0x84, 0, 0, 0, 0});
    EXPECT_EQ(panels(h, p).mid(1, 2), QStringList({"Режим настройки?", "Ошибка настройки?"}));
    const int samples = ring(h, p.chart).writeIndex();
    h.reply({p.block, 7, 0x00, 0xD2, 0x04, 0x10, 0x00}); // save: values, no chart point
    EXPECT_EQ(h.text(p.concentration) + "|" + h.text(p.signal), "  12,34|16");
    EXPECT_EQ(ring(h, p.chart).writeIndex(), samples);
    h.reply({p.block, 9, 0x01, 0, 0, 0, 0x21});
    EXPECT_EQ(h.text(p.version), "Версия 2.1");
    // Read-backs are shown whole even outside the four digits a field takes.
    h.reply({p.block, 3, 0x01, 0, 0, 0xFB, 0xFF});
    h.reply({p.block, 4, 0x01, 0x10, 0x27, 0x32, 0x00});
    h.reply({p.block, 13, 0x01, 0xE0, 0x01, 0x56, 0x13});
    EXPECT_EQ(QStringList({h.text(p.threshold(1)), h.text(p.threshold(2)), h.text(p.threshold(3)),
                           h.text(p.fields[0].first)}),
              QStringList({"-5", "10000", "50", "480"}));
    if (p.flags) {
        h.reply({p.block, 96, 0x01, 0, 0, 0x81, 0});
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(list(p.flags)->checked(k), k == 0 || k == 7) << k;
        EXPECT_EQ(list(p.flags)->item(7)->text(), "   Сбой ПО");
    }
    h.reply({uint8_t(p.block + 1), 12, 0x00, 0, 0, 0, 0}); // another block's reply
    EXPECT_EQ(h.text(p.signal), "16");
}

TEST_P(OpticalSuite, LinkErrorStopsDecodingAndShowsOnlyOnItsCodes)
{
    h.reply({p.block, 96, 0x01, 0, 0, 0x01, 0x00});
    const int samples = ring(h, p.chart).writeIndex();
    h.reply({p.block, 12, 0x02, 0x1F, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(h.text(p.status[3]), "Ошибка связи 1F");
    EXPECT_EQ(h.colour(p.status[3]), Colour::Yellow);
    EXPECT_EQ(h.text(p.concentration) + "|" + h.text(p.signal), "  0|0");
    EXPECT_EQ(ring(h, p.chart).writeIndex(), samples);
    h.reply({p.block, 12, 0x00, 0, 0, 0, 0});
    const QString threshold1 = h.text(p.threshold(1));
    for (uint8_t code : {96, 3}) // not shown on these codes, and nothing decoded
        h.reply({p.block, code, 0x02, 0x2E, 0xFF, 0xFE, 0xFF});
    EXPECT_EQ(h.text(p.status[3]), "Связь в норме");
    EXPECT_EQ(h.text(p.threshold(1)), threshold1);
    EXPECT_TRUE(!p.flags || (list(p.flags)->checked(0) && !list(p.flags)->checked(1)));
}

TEST_P(OpticalSuite, ButtonsQueueTheirCodesThenIdlePollingResumesDefaultsSendNothing)
{
    for (auto [field, value] : p.fields)
        type(field, "1");
    for (const Send &s : p.sends) {
        h.click(s.button);
        std::vector<int> sent, expected = s.codes;
        for (size_t i = 0; i < s.codes.size() + 4; ++i) {
            const Frame f = h.send();
            EXPECT_EQ(f[0], p.address());
            sent.push_back(f[1]);
            h.reply({p.block, f[1], 0x01, 0, 0, 0, 0});
            if (i < 4)
                expected.push_back(p.idle[i % p.idle.size()]);
        }
        EXPECT_EQ(sent, expected) << s.button;
    }
    EXPECT_TRUE(h.messages.isEmpty());
    // The defaults button, last, filled the fields and sent nothing of its own.
    for (auto [field, value] : p.fields)
        EXPECT_EQ(h.text(field), QString::number(value)) << field;
}

TEST_P(OpticalSuite, ApplyWritesEachFieldLittleEndianAndKeepsTheOtherBytes)
{
    for (const Send &s : p.sends) {
        if (s.fields.empty())
            continue;
        setRequest(h.form->link().request(), p.address(), 12, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6);
        Frame expected = {p.address(), uint8_t(s.codes[0]), 0xA2, 0xA3, 0xA4, 0xA5, 0xA6};
        int value = 50;
        for (auto [field, byte] : s.fields) {
            type(field, QString::number(value));
            putU16(expected.data(), byte, uint16_t(value));
            value = 9999;
        }
        seal(expected.data());
        h.click(s.button);
        EXPECT_EQ(h.send(), expected) << s.button;
        h.reply({p.block, uint8_t(s.codes[0]), 0x01, 0, 0, 0, 0});
    }
}

// An answered command leaves its parameter bytes in the request: the polls after it
// carry them unchanged.
TEST_P(OpticalSuite, AnsweredCommandLeavesItsParametersForThePollsAfterIt)
{
    setRequest(h.form->link().request(), p.address(), 12, 0xA2, 0, 0, 0, 0);
    type(p.pair().fields[0].first, "100");
    type(p.pair().fields[1].first, "500");
    h.click(p.pair().button);
    EXPECT_EQ(h.send(), frame({p.address(), 11, 0xA2, 0x64, 0x00, 0xF4, 0x01}));
    h.reply({p.block, 11, 0x01, 0, 0, 0, 0});
    for (int i = 0; i < 4; ++i) {
        const Frame f = h.send();
        EXPECT_EQ(f, frame({p.address(), f[1], 0xA2, 0x64, 0x00, 0xF4, 0x01})) << "tick " << i;
        h.reply({p.block, f[1], 0x01, 0, 0, 0, 0});
    }
}

// A refused entry writes nothing: a calibration still waiting in the queue goes
// out with its own concentration, not with half of the refused entry.
TEST_P(OpticalSuite, EntryThatDoesNotConvertChangesNothing)
{
    for (const char *bad : {"", "1 2"}) {
        for (const Send &s : p.sends) {
            if (s.fields.empty())
                continue;
            for (auto [field, byte] : s.fields)
                type(field, "77");
            type(s.fields.back().first, bad);
            h.messages.clear();
            const Frame before = h.request();
            const int queued = h.form->session().queue.count;
            h.click(s.button);
            EXPECT_EQ(h.messages,
                      QStringList(QString("'%1' is not a valid integer value").arg(bad)));
            EXPECT_EQ(h.request(), before) << s.button;
            EXPECT_EQ(h.form->session().queue.count, queued) << s.button;
        }
    }
    type(p.calibration().fields[0].first, "480");
    type(p.pair().fields[0].first, "100");
    type(p.pair().fields[1].first, "");
    h.click(p.calibration().button);
    h.click(p.pair().button);
    const Frame f = h.send();
    EXPECT_EQ(f[1], 14);
    EXPECT_EQ(u16(f, 3), 480);
}

// Nothing the base unit was told reaches the optical block when the page is
// selected before the command went out or was answered.
TEST_P(OpticalSuite, BaseUnitCommandNeverReachesTheBlock)
{
    for (auto [button, code] : {std::pair{"Button3", 6}, std::pair{"Button2", 8}}) {
        Harness b;
        b.connect(p.type);
        b.click(button);
        b.select(p.index);
        for (int i = 0; i < 10; ++i) {
            const Frame f = b.send();
            EXPECT_FALSE(f[0] == p.address() && f[1] == code) << button << " tick " << i;
            b.reply({uint8_t(f[0] & 0x7F), f[1], 0x01, 0, 0, 0, 0});
        }
        EXPECT_EQ(b.request()[0], p.address());
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, OpticalSuite, ::testing::ValuesIn(kPages),
                         [](const auto &info) { return std::string(info.param.id); });

// ---- what only one page does -----------------------------------------------

TEST(OpticalMethane100, DiagnosticsAndTemperature)
{
    Harness h;
    h.connect(5);
    h.select(page::OpticMethane100);
    EXPECT_EQ(h.text("Panel148") + "|" + h.text("Edit26"), "Panel148|0");
    auto *state = static_cast<CheckList *>(h.find<QListWidget>("CheckListBox4"));
    auto ticked = [state] {
        QStringList on;
        for (int i = 0; i < state->count(); ++i)
            if (state->checked(i))
                on << state->item(i)->text().trimmed();
        return on.join(',');
    };
    const struct {
        uint8_t byte6;
        const char *code, *ticked, *panel;
        Colour colour;
    } cases[] = {{0x83, "3", "Словил автообнуление,11", "Измерение", Colour::Normal},
                 {0x45, "5", "Шестой бит,1XX", "Показания", Colour::Yellow},
                 {0x8F, "15", "Словил автообнуление", "Показания", Colour::Yellow}};
    for (const auto &c : cases) {
        h.reply({11, 96, 0x01, 0, 0, 0x05, c.byte6});
        EXPECT_EQ(h.text("Panel148"), c.code);
        EXPECT_EQ(ticked(), c.ticked);
        EXPECT_EQ(h.text("Panel147"), c.panel);
        EXPECT_EQ(h.colour("Panel147"), c.colour);
    }
    auto *flags = static_cast<CheckList *>(h.find<QListWidget>("CheckListBox1"));
    EXPECT_TRUE(flags->checked(0) && !flags->checked(1) && flags->checked(2));
    for (auto [lo, hi, shown] : {std::tuple{0x28, 0x01, "23"}, {0, 0, "-273"}}) {
        h.reply({11, 97, 0x01, 0, 0, uint8_t(lo), uint8_t(hi)});
        EXPECT_EQ(h.text("Edit26"), shown);
    }
    h.reply({11, 97, 0x02, 0, 0, 0x28, 0x01}); // link error: kept
    EXPECT_EQ(h.text("Edit26"), "-273");
}

TEST(OpticalMethane5, VoltagesAreSinglePrecisionNumbers)
{
    Harness h;
    h.connect(6);
    h.select(page::OpticMethane5);
    h.reply({12, 12, 0x01, 0, 0, 0, 0});
    // clang-format off
    const std::pair<std::array<uint8_t, 4>, const char *> cases[] = {
        {{0x00, 0x00, 0xC0, 0x3F}, "1,5"}, {{0, 0, 0, 0}, "0"}, {{0x00, 0x00, 0x80, 0xBF}, "-1"},
        {{0xCD, 0xCC, 0xCC, 0x3D}, "0,100000001490116"}, {{0x00, 0x00, 0xC0, 0x7F}, "не число"},
        {{0x00, 0x00, 0x80, 0x7F}, "+∞"}, {{0x00, 0x00, 0x80, 0xFF}, "−∞"},
        {{0xCD, 0xCC, 0xCC, 0xBD}, "-0,100000001490116"}};
    // clang-format on
    for (auto [b, text] : cases) {
        h.reply({12, 1, 0x01, b[0], b[1], b[2], b[3]});
        h.reply({12, 5, 0x01, b[0], b[1], b[2], b[3]});
        for (const char *name : {"Edit17", "Edit16"}) {
            const QLineEdit *e = h.find<QLineEdit>(name);
            EXPECT_EQ(e->text(), QString::fromUtf8(text)) << name;
            EXPECT_LT(e->fontMetrics().horizontalAdvance(e->text()), e->width() - 8) << text;
        }
    }
    h.reply({12, 2, 0x01, 1, 0, 0, 0}); // no such read-back here, nor diagnostics
    h.reply({12, 96, 0x01, 0, 0, 0xFF, 0xFF});
    EXPECT_EQ(h.text("Edit17"), "-0,100000001490116");
    EXPECT_TRUE(h.form->page(page::OpticMethane5)->findChildren<QListWidget *>().isEmpty());
}

} // namespace
} // namespace zet::test
