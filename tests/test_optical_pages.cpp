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
    std::vector<std::pair<const char *, int>> defaults; // every field, top to bottom
    std::vector<Send> sends;
    std::vector<int> idle;
    uint8_t address() const { return 0x80 | block; }
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

// Connects, opens the page and answers its start-up commands; the first reply
// addresses the methane 5 % page, which a tab click leaves unaddressed.
void enterOptical(Harness &h, int type, int index, uint8_t block)
{
    h.connect(type);
    h.select(index);
    for (int n = h.form->session().queue.count; n > 0; --n)
        h.reply({block, h.send()[1], 0x01, 0, 0, 0, 0});
    h.reply({block, 12, 0x01, 0, 0, 0, 0});
}

class OpticalSuite : public ::testing::TestWithParam<Optical> {
protected:
    const Optical &p = GetParam();
    Harness h;
    // Connected, on the page, start-up answered and addressed (methane 5 % has no
    // start-up queue and takes its address from the first reply).
    void SetUp() override { enterOptical(h, p.type, p.index, p.block); }
    const Send &send(int i) const { return p.sends.at(size_t(i)); }
    void type(const char *field, const char *text)
    {
        h.find<QLineEdit>(field)->setText(QString::fromUtf8(text));
    }
    std::vector<int> nextCodes(int n)
    {
        std::vector<int> codes;
        for (int i = 0; i < n; ++i) {
            const Frame f = h.send();
            EXPECT_EQ(f[0], p.address());
            codes.push_back(f[1]);
            h.reply({p.block, f[1], 0x01, 0, 0, 0, 0});
        }
        return codes;
    }
};

TEST_P(OpticalSuite, LayoutTextsAndNothingClipped)
{
    PageLayout l{p.type, p.index, {}, {}, {}, {}, {}, {}, {}, {}};
    for (const Send &s : p.sends)
        l.texts.push_back({s.button, s.caption});
    l.texts.insert(l.texts.end(), {{p.groups[0], "Состояние"},
                                   {p.groups[1], "Концентрация, %"},
                                   {p.groups[2], "Настройки"},
                                   {p.chart, "Сигнал детектора"}});
    l.captions = p.labels;
    l.inside = {{p.status[0], p.groups[0]},
                {p.status[6], p.groups[0]},
                {p.concentration, p.groups[1]},
                {p.groups[3], p.groups[2]},
                {p.signal, p.chart}};
    for (auto [field, value] : p.defaults) {
        l.inside.push_back({field, p.groups[3]});
        l.digits.push_back({field, 4});
    }
    l.topToBottom = {p.status.begin(), p.status.end()};
    l.charts = {{p.chart, -10, p.chartMax}};
    l.readOnly = p.readouts;
    l.readOnly.push_back(p.concentration);
    checkLayout(l);

    h.form->show();
    h.reply({p.block, 12, 0x01, 0, 0, 0, 0}); // the longest panel texts
    QWidget *page = h.form->page(p.index);
    const QRect area = page->rect();
    auto at = [page](QWidget *w) { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); };
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || !w->isVisible())
            continue;
        EXPECT_TRUE(area.contains(at(w))) << qPrintable(w->objectName());
        if (auto *b = qobject_cast<QPushButton *>(w)) {
            EXPECT_LE(b->sizeHint().width(), b->width()) << qPrintable(b->objectName());
        }
        if (auto *t = qobject_cast<QLabel *>(w); t && !t->text().isEmpty()) {
            EXPECT_LE(t->sizeHint().width(), t->width()) << qPrintable(t->objectName());
        }
        if (auto *list = qobject_cast<QListWidget *>(w)) {
            for (int i = 0; i < list->count(); ++i)
                EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(i))))
                    << qPrintable(list->item(i)->text());
        }
    }
    // Status top left, concentration beside it, settings below, chart right,
    // version top right, the diagnostics under the chart.
    auto box = [&](const char *name) { return at(h.find<QWidget>(name)); };
    EXPECT_LT(box(p.groups[0]).right(), box(p.groups[1]).left());
    EXPECT_LT(box(p.groups[0]).bottom(), box(p.groups[2]).top());
    EXPECT_LT(box(p.groups[2]).right(), box(p.chart).left());
    EXPECT_LT(box(p.version).bottom(), box(p.chart).top());
    EXPECT_GT(box(p.version).left(), area.center().x());
    if (p.flags) {
        EXPECT_LT(box(p.chart).bottom(), box(p.flags).top());
    }
}

TEST_P(OpticalSuite, StatusPanels)
{
    h.reply({p.block, 12, 0x71, 0, 0, 0, 0});
    expectPanels(h,
                 {{p.status[0], "Сенсор включен", Colour::Normal},
                  {p.status[4], "Превышение порога 3", Colour::Red},
                  {p.status[5], "Превышение порога 2", Colour::Red},
                  {p.status[6], "Превышение порога 1", Colour::Red}},
                 0x71);
    h.reply({p.block, 12, 0x00, 0, 0, 0, 0});
    expectPanels(h,
                 {{p.status[0], "Сенсор выключен", Colour::Red},
                  {p.status[1], "Рабочий режим", Colour::Normal},
                  {p.status[2], "Настройки в норме", Colour::Normal},
                  {p.status[3], "Связь в норме", Colour::Normal},
                  {p.status[4], "", Colour::Normal},
                  {p.status[5], "", Colour::Normal},
                  {p.status[6], "", Colour::Normal}},
                 0x00);
    h.reply({p.block, 12, 0x85, 0, 0, 0, 0});
    expectPanels(h,
                 {{p.status[1], "Режим настройки", Colour::Yellow},
                  {p.status[2], "Ошибка настройки", Colour::Yellow}},
                 0x85);
}

TEST_P(OpticalSuite, LinkErrorStopsDecodingAndShowsOnlyOnItsCodes)
{
    h.reply({p.block, 12, 0x01, 0x32, 0x00, 0x10, 0x00});
    const int samples = ring(h, p.chart).writeIndex();
    h.reply({p.block, 12, 0x02, 0x1F, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(h.text(p.status[3]), "Ошибка связи 1F");
    EXPECT_EQ(h.colour(p.status[3]), Colour::Yellow);
    EXPECT_EQ(h.text(p.concentration), "  0,5");
    EXPECT_EQ(h.text(p.signal), "16");
    EXPECT_EQ(ring(h, p.chart).writeIndex(), samples);

    h.reply({p.block, 96, 0x01, 0, 0, 0x01, 0x00});
    h.reply({p.block, 96, 0x02, 0x2E, 0xFF, 0xFE, 0xFF});
    EXPECT_EQ(h.text(p.status[3]), "Связь в норме");
    if (auto *flags = static_cast<CheckList *>(h.find<QListWidget>(p.flags ? p.flags : "-"))) {
        EXPECT_TRUE(flags->checked(0) && !flags->checked(1));
    }
    const char *threshold1 = p.defaults[p.defaults.size() - 3].first;
    const QString before = h.text(threshold1);
    h.reply({p.block, 3, 0x02, 0, 0, 0x07, 0x00});
    EXPECT_EQ(h.text(threshold1), before);
}

TEST_P(OpticalSuite, ConcentrationSignalAndChart)
{
    h.reply({p.block, 12, 0x01, 0xF6, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(h.text(p.concentration), "  -0,1");
    EXPECT_EQ(h.text(p.signal), "65535");
    EXPECT_EQ(newest(h, p.chart), 65535);
    const int samples = ring(h, p.chart).writeIndex();
    h.reply({p.block, 7, 0x01, 0xD2, 0x04, 0x10, 0x00});
    EXPECT_EQ(h.text(p.concentration), "  12,34");
    EXPECT_EQ(h.text(p.signal), "16");
    EXPECT_EQ(ring(h, p.chart).writeIndex(), samples);
    h.reply({p.block, 9, 0x01, 0, 0, 0, 0x21});
    EXPECT_EQ(h.text(p.version), "Версия 2.1");
    h.reply({uint8_t(p.block + 1), 12, 0x01, 0, 0, 0, 0}); // another block's reply shows nothing
    EXPECT_EQ(h.text(p.signal), "16");
}

TEST_P(OpticalSuite, ReadBacksFillTheFieldsWholeEvenOutsideFourDigits)
{
    const size_t t = p.defaults.size() - 3; // threshold 1
    h.reply({p.block, 3, 0x01, 0, 0, 0xFB, 0xFF});
    h.reply({p.block, 4, 0x01, 0x10, 0x27, 0x32, 0x00});
    h.reply({p.block, 13, 0x01, 0xE0, 0x01, 0x56, 0x13});
    EXPECT_EQ(h.text(p.defaults[t].first), "-5");
    EXPECT_EQ(h.text(p.defaults[t + 1].first), "10000");
    EXPECT_EQ(h.text(p.defaults[t + 2].first), "50");
    EXPECT_EQ(h.text(p.defaults[0].first), "480");
    if (t == 2) {
        EXPECT_EQ(h.text(p.defaults[1].first), "4950");
    }
}

TEST_P(OpticalSuite, ButtonsQueueTheirCodesThenIdlePollingResumes)
{
    for (auto [field, value] : p.defaults)
        type(field, "1");
    for (const Send &s : p.sends) {
        h.click(s.button);
        EXPECT_EQ(nextCodes(int(s.codes.size()) + 4), [&] {
            std::vector<int> all = s.codes;
            for (int i = 0; i < 4; ++i)
                all.push_back(p.idle[size_t(i) % p.idle.size()]);
            return all;
        }()) << s.button;
    }
    EXPECT_TRUE(h.messages.isEmpty());
}

TEST_P(OpticalSuite, ApplyWritesEachFieldLittleEndianAndKeepsTheOtherBytes)
{
    for (const Send &s : p.sends) {
        if (s.fields.empty())
            continue;
        setRequest(h.form->link().request(), p.address(), 12, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6);
        Frame expected = sealed({p.address(), uint8_t(s.codes[0]), 0xA2, 0xA3, 0xA4, 0xA5, 0xA6});
        int value = 50;
        for (auto [field, byte] : s.fields) {
            type(field, QByteArray::number(value).constData());
            putU16(expected.data(), byte, uint16_t(value));
            value += 9949; // 50, 9999
        }
        seal(expected.data());
        h.click(s.button);
        EXPECT_EQ(h.send(), expected) << s.button;
        h.reply({p.block, uint8_t(s.codes[0]), 0x01, 0, 0, 0, 0});
    }
}

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
            const auto queue = h.form->session().queue;
            h.click(s.button);
            EXPECT_EQ(h.messages, QStringList(QStringLiteral("'%1' is not a valid integer value")
                                                  .arg(QString::fromUtf8(bad))))
                << s.button;
            EXPECT_EQ(h.request(), before) << s.button;
            EXPECT_EQ(h.form->session().queue.count, queue.count) << s.button;
        }
    }
}

// A calibration waiting in the queue keeps its concentration when a threshold
// entry is refused before it goes out.
TEST_P(OpticalSuite, RefusedEntryDoesNotReachAWaitingCalibration)
{
    const Send &cal = send(5), &pair = send(p.sends.size() == 13 ? 8 : 7);
    type(cal.fields[0].first, "480");
    type(pair.fields[0].first, "100");
    type(pair.fields[1].first, "");
    h.click(cal.button);
    h.click(pair.button);
    const Frame f = h.send();
    EXPECT_EQ(f[1], 14);
    EXPECT_EQ(u16(f, 3), 480);
}

TEST_P(OpticalSuite, DefaultsFillTheFieldsAndSendNothing)
{
    const Frame before = h.request();
    const auto queue = h.form->session().queue;
    h.click(p.sends.back().button);
    for (auto [field, value] : p.defaults)
        EXPECT_EQ(h.text(field), QString::number(value)) << field;
    EXPECT_EQ(h.request(), before);
    EXPECT_EQ(h.form->session().queue.count, queue.count);
    EXPECT_EQ(h.text(p.status[0]), "Сенсор включен");
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
            if (f[0] == p.address()) {
                EXPECT_NE(f[1], code) << button << " tick " << i;
            }
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
    enterOptical(h, 5, page::OpticMethane100, 11);
    EXPECT_EQ(h.text("Panel148"), "Panel148");
    EXPECT_EQ(h.text("Edit26"), "0");
    auto *state = static_cast<CheckList *>(h.find<QListWidget>("CheckListBox4"));
    auto *flags = static_cast<CheckList *>(h.find<QListWidget>("CheckListBox1"));
    h.reply({11, 96, 0x01, 0, 0, 0x05, 0x83});
    EXPECT_EQ(h.text("Panel148"), "3");
    EXPECT_EQ(state->item(5)->text(), "   11");
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(state->checked(i), i == 0 || i == 5) << i;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(flags->checked(k), k == 0 || k == 2) << k;
    EXPECT_EQ(h.text("Panel147"), "Измерение");
    EXPECT_EQ(h.colour("Panel147"), Colour::Normal);
    h.reply({11, 96, 0x01, 0, 0, 0x00, 0x45});
    EXPECT_EQ(h.text("Panel147"), "Показания");
    EXPECT_EQ(h.colour("Panel147"), Colour::Yellow);
    EXPECT_TRUE(state->checked(7));
    EXPECT_FALSE(state->checked(0));
    EXPECT_TRUE(state->checked(1));
    h.reply({11, 96, 0x01, 0, 0, 0x00, 0x8F}); // state 15: no state item
    for (int i = 2; i < 16; ++i)
        EXPECT_FALSE(state->checked(i)) << i;
    EXPECT_EQ(h.text("Panel147"), "Показания");
    h.reply({11, 97, 0x01, 0, 0, 0x28, 0x01});
    EXPECT_EQ(h.text("Edit26"), "23");
    h.reply({11, 97, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(h.text("Edit26"), "-273");
    h.reply({11, 97, 0x02, 0, 0, 0x28, 0x01});
    EXPECT_EQ(h.text("Edit26"), "-273");
}

TEST(OpticalMethane5, VoltagesAreSinglePrecisionNumbers)
{
    Harness h;
    enterOptical(h, 6, page::OpticMethane5, 12);
    const std::pair<std::array<uint8_t, 4>, const char *> cases[] = {
        {{0x00, 0x00, 0xC0, 0x3F}, "1,5"},      {{0, 0, 0, 0}, "0"},
        {{0x00, 0x00, 0x80, 0xBF}, "-1"},       {{0xCD, 0xCC, 0xCC, 0x3D}, "0,100000001490116"},
        {{0x00, 0x00, 0xC0, 0x7F}, "не число"}, {{0x00, 0x00, 0x80, 0x7F}, "+∞"},
        {{0x00, 0x00, 0x80, 0xFF}, "−∞"},       {{0xCD, 0xCC, 0xCC, 0xBD}, "-0,100000001490116"},
    };
    for (auto [b, text] : cases) {
        h.reply({12, 1, 0x01, b[0], b[1], b[2], b[3]});
        EXPECT_EQ(h.text("Edit17"), QString::fromUtf8(text));
        const QLineEdit *e = h.find<QLineEdit>("Edit17");
        EXPECT_LT(e->fontMetrics().horizontalAdvance(e->text()), e->width() - 8) << text;
        h.reply({12, 5, 0x01, b[0], b[1], b[2], b[3]});
        EXPECT_EQ(h.text("Edit16"), QString::fromUtf8(text));
    }
    h.reply({12, 2, 0x01, 1, 0, 0, 0}); // no such read-back here, nor diagnostics
    h.reply({12, 96, 0x01, 0, 0, 0xFF, 0xFF});
    EXPECT_EQ(h.text("Edit17"), "-0,100000001490116");
    EXPECT_TRUE(h.form->page(page::OpticMethane5)->findChildren<QListWidget *>().isEmpty());
}

TEST(OpticalMethane5, TabClickLoadsNothingFocusEntryQueuesIdentification)
{
    Harness h;
    h.connect(6);
    h.select(page::OpticMethane5);
    EXPECT_TRUE(h.form->session().queue.empty());
    h.form->page(page::OpticMethane5)->focusEnter();
    EXPECT_EQ(h.send(), frame({140, 9, 0, 0, 0, 0, 0}));
}

TEST(OpticalCo2, FlagsOnlyAndNoTemperature)
{
    Harness h;
    enterOptical(h, 10, page::OpticCo2, 13);
    h.reply({13, 96, 0x01, 0, 0, 0x81, 0xFF});
    auto *flags = static_cast<CheckList *>(h.find<QListWidget>("CheckListBox2"));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(flags->checked(k), k == 0 || k == 7) << k;
    EXPECT_EQ(flags->item(7)->text(), "   Сбой ПО");
    EXPECT_EQ(h.form->page(page::OpticCo2)->findChildren<QListWidget *>().size(), 1);
    for (QPushButton *b : h.form->page(page::OpticCo2)->findChildren<QPushButton *>())
        EXPECT_NE(b->text(), "Температура");
}

TEST(OpticalPropane, EntryEndsWithSwitchOnAndThresholdsReadBack)
{
    Harness h;
    h.connect(10);
    h.select(page::OpticPropane);
    std::vector<int> codes;
    for (int i = 0; i < 8; ++i) {
        const Frame f = h.send();
        codes.push_back(f[1]);
        h.reply({28, f[1], 0x01, 0, 0, 0x14, 0x00});
    }
    EXPECT_EQ(codes, (std::vector<int>{5, 2, 13, 3, 4, 9, 12, 96}));
    h.find<QLineEdit>("MaskEdit38")->setText("20");
    const Frame held = h.request();
    h.click("Button147");
    EXPECT_EQ(h.send(), frame({156, 10, held[2], held[3], held[4], 0x14, 0x00}));
    h.reply({28, 10, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(h.send(), frame({156, 3, held[2], held[3], held[4], 0x14, 0x00}));
    h.find<QLineEdit>("MaskEdit38")->clear();
    h.reply({28, 3, 0x01, 0, 0, 0x14, 0x00});
    EXPECT_EQ(h.text("MaskEdit38"), "20");
}

} // namespace
} // namespace zet::test
