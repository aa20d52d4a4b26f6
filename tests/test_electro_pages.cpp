// Electrochemical pages (oxygen, carbon monoxide, hydrogen sulphide) and their
// LMP91000 front end: register encoding, what the engineer sees for each reply and
// what goes on the wire after each click.

#include "PageChecks.h"
#include "pages/Lmp91000Group.h"
#include "pages/Widgets.h"

#include <QRadioButton>

namespace zet::test {
namespace {

using namespace lmp91000;

// Connects, opens the page and answers its five start-up commands; the page then
// polls 12 and 1 in turn.
void enterPage(Harness &h, int type, int index, uint8_t block)
{
    h.connect(type);
    h.select(index);
    for (int i = 0; i < 5; ++i) {
        const Frame sent = h.send();
        h.reply({block, sent[1], 0x00, 0, 0, 0, 0});
    }
}

// ---- registers -------------------------------------------------------------

TEST(Lmp91000Registers, ItemsAndRegistersByTable)
{
    const std::pair<Items, Registers> cases[] = {{{2, 4, 1, 1, 1, 4, 1, 3}, {0x12, 0xB4, 0x83}},
                                                 {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0}},
                                                 {{3, 7, 1, 2, 1, 13, 1, 5}, {0x1F, 0xDD, 0x87}},
                                                 {{1, 6, 0, 0, 0, 1, 0, 4}, {0x19, 1, 6}}};
    for (const auto &[items, registers] : cases) {
        EXPECT_EQ(encode(items), registers) << int(registers.refcn);
        EXPECT_EQ(decode(registers), items) << int(registers.refcn);
    }
    // Reserved bits are ignored; codes without an item give no selection, the
    // other fields are read all the same.
    EXPECT_EQ(decode({0xF2, 0xB4, 0xFB}), decode({0x12, 0xB4, 0x83}));
    EXPECT_EQ(decode({0x12, 0x60, 0x83}), (Items{2, 4, 0, kNone, 0, 0, 1, 3}));
    for (uint8_t bias : {14, 15})
        EXPECT_EQ(decode({0, bias, 0})[Bias], kNone);
    for (uint8_t mode : {0x84, 0x85})
        EXPECT_EQ(decode({0x12, 0xB4, mode}), (Items{2, 4, 1, 1, 1, 4, 1, kNone}));
    for (int f = 0; f < FieldCount; ++f) {
        Items items = {2, 4, 1, 1, 1, 4, 1, 3};
        items[size_t(f)] = kNone;
        EXPECT_FALSE(encode(items)) << f;
    }
}

TEST(Lmp91000Registers, EverySelectableCombinationRoundTrips)
{
    int total = 1;
    for (int f = 0; f < FieldCount; ++f)
        total *= itemCount(Field(f));
    EXPECT_EQ(total, 4 * 8 * 2 * 3 * 2 * 14 * 2 * 6);
    for (int n = 0; n < total; ++n) {
        Items items{};
        for (int f = 0, rest = n; f < FieldCount; rest /= itemCount(Field(f)), ++f)
            items[size_t(f)] = rest % itemCount(Field(f));
        const std::optional<Registers> r = encode(items);
        ASSERT_TRUE(r && (r->tiacn & 0xE0) == 0 && (r->modecn & 0x78) == 0) << n;
        ASSERT_EQ(decode(*r), items) << n;
    }
}

// ---- the three pages -------------------------------------------------------

struct Electro {
    const char *name;
    int type, index;
    uint8_t block;
    const char *group, *status, *read, *write, *toggle, *picture, *chart, *statusGroup,
        *settingsGroup, *settingsPanel;
    int firstRadio;
    bool placeholder;
    std::vector<const char *> statusPanels; // top to bottom
    const char *thr1, *thr2, *thr3, *thr4, *thermo, *range;
    const char *concentration, *climate, *voltage, *version, *uZero, *uGas;
    std::vector<const char *> fields, labels;
    // СБРОС, Режим настройки, Сохранение, Чтение, По умолчанию, the Apply buttons
    // of the fields, Применить U нуля, Применить U газа
    std::vector<const char *> buttons;

    uint8_t address() const { return uint8_t(0x80 | block); }
    friend void PrintTo(const Electro &e, std::ostream *os) { *os << e.name; }
    std::string radio(int field) const { return "RadioGroup" + std::to_string(firstRadio + field); }
};

// clang-format off
const Electro kOxygen = {"oxygen", 7, page::Oxygen, 22,
    "LMP91000", "Panel79", "Button74", "Button75", "Button76", "Image1", "Chart10", "GroupBox27", "GroupBox28", "Panel89", 1, false,
    {"Panel82", "Panel85", "Panel114", "Panel86", "Panel87", "Panel88", "Panel90"},
    "Panel88", "Panel87", "Panel86", "Panel114", "Panel90", nullptr,
    "Panel83", "Panel81", "Panel80", "Panel84", "Edit9", "Edit10",
    {"MaskEdit13", "MaskEdit14", "MaskEdit15", "MaskEdit16", "MaskEdit21"},
    {"C газа, % х10", "Порог1, % х10", "Порог2, % х10", "Порог 3, % х10", "Порог 4, % х10"},
    {"Button77", "Button78", "Button79", "Button82", "Button85", "Button80", "Button81", "Button115", "Button84", "Button83"}};
const Electro kCarbonMonoxide = {"carbonMonoxide", 9, page::CarbonMonoxide, 23,
    "GroupBox29", "Panel91", "Button86", "Button87", "Button89", "Image2", "Chart11", "GroupBox30", "GroupBox31", "Panel101", 9, true,
    {"Panel95", "Panel96", "Panel98", "Panel99", "Panel100", "Panel97"},
    "Panel100", "Panel99", "Panel98", nullptr, "Panel97", nullptr,
    "Panel102", "Panel92", "Panel94", "Panel93", "Edit11", "Edit12",
    {"MaskEdit17", "MaskEdit18", "MaskEdit19", "MaskEdit20"},
    {"C газа, мг/м3", "Порог1, мг/м3", "Порог2, мг/м3", "Порог3, мг/м3"},
    {"Button88", "Button90", "Button95", "Button96", "Button97", "Button93", "Button94", "Button92", "Button91"}};
const Electro kHydrogenSulphide = {"hydrogenSulphide", 10, page::HydrogenSulphide, 24,
    "GroupBox39", "Panel124", "Button129", "Button130", "Button140", "Image3", "Chart14", "GroupBox40", "GroupBox41", "Panel131", 17, true,
    {"Panel125", "Panel126", "Panel128", "Panel129", "Panel130", "Panel127", "Panel136"},
    "Panel130", "Panel129", "Panel128", nullptr, "Panel127", "Panel136",
    "Panel133", "Panel134", "Panel135", "Panel132", "Edit21", "Edit22",
    {"MaskEdit30", "MaskEdit35", "MaskEdit36", "MaskEdit37"},
    {"C газа, мг/м3", "Порог1, мг/м3", "Порог2, мг/м3", "Порог3, мг/м3"},
    {"Button138", "Button139", "Button135", "Button136", "Button137", "Button133", "Button134", "Button132", "Button131"}};
// clang-format on

class ElectroPages : public ::testing::TestWithParam<Electro> {
protected:
    void SetUp() override { enterPage(h, p().type, p().index, p().block); }
    const Electro &p() const { return GetParam(); }
    RadioGroup *radio(int field) { return h.find<RadioGroup>(p().radio(field).c_str()); }
    // The text of each group's selected item, "-" for none.
    QStringList selected()
    {
        QStringList texts;
        for (int f = 0; f < FieldCount; ++f) {
            const int i = radio(f)->itemIndex();
            texts << (i < 0 ? QStringLiteral("-") : radio(f)->button(i)->text());
        }
        return texts;
    }
    void reply(uint8_t code, uint8_t status, uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6)
    {
        h.reply({p().block, code, status, b3, b4, b5, b6});
    }
    QStringList texts(const std::vector<const char *> &names)
    {
        QStringList out;
        for (const char *n : names)
            out << h.text(n);
        return out;
    }
    Harness h;
};

const QStringList kExample = {"50 Ом",   "14 кОм", "Внешнее", "50%",
                              "Позитив", "6%",     "Включен", "Рабочий"};

TEST_P(ElectroPages, LayoutCaptionsAndDesignTimeTexts)
{
    const auto &b = p().buttons;
    std::vector<std::pair<const char *, int>> digits;
    for (const char *f : p().fields)
        digits.push_back({f, 4});
    std::vector<const char *> captions = {"U нуля, мВ", "U газ, мВ"};
    captions.insert(captions.end(), p().labels.begin(), p().labels.end());
    const QColor cream(0xFF, 0xFB, 0xF0);
    // clang-format off
    checkLayout({p().type, p().index,
                 {{p().group, "LMP91000"}, {p().status, "Статус: "}, {p().read, "Чтение"}, {p().write, "Запись"},
                  {p().toggle, "Схема/График"}, {p().chart, ""}, {p().statusGroup, "Состояние"},
                  {p().settingsGroup, "Настройки"}, {p().version, "Версия ХХ"}, {b[0], "СБРОС"},
                  {b[1], "Режим настройки"}, {b[2], "Сохранение"}, {b[3], "Чтение"}, {b[4], "По умолчанию"},
                  {b[5], "Применить"}, {b.end()[-2], "Применить U нуля"}, {b.end()[-1], "Применить U газа"}},
                 captions,
                 {{p().status, p().group}, {p().write, p().group}, {p().uZero, p().settingsGroup},
                  {p().statusPanels[0], p().statusGroup}, {p().fields.back(), p().settingsPanel}},
                 p().statusPanels, {{p().chart, -10, 2600}}, {p().uZero, p().uGas}, digits,
                 {{p().concentration, cream}, {p().climate, cream}, {p().voltage, cream}}});
    // clang-format on

    Harness fresh;
    fresh.connect(p().type);
    fresh.select(p().index);
    QStringList captionsOfGroups;
    for (int f = 0; f < FieldCount; ++f) {
        auto *g = fresh.find<RadioGroup>(p().radio(f).c_str());
        ASSERT_TRUE(g && fresh.find<QGroupBox>(p().group)->isAncestorOf(g)) << p().radio(f);
        EXPECT_EQ(g->itemIndex(), kNone) << "groups start empty";
        captionsOfGroups << g->title();
    }
    EXPECT_EQ(captionsOfGroups, QStringList({"R_Load", "R_TIA", "U_опоры", "U_нуля", "Полярность",
                                             "Смещение", "FET", "Режим"}));
    auto *picture = fresh.find<PictureBox>(p().picture);
    EXPECT_EQ(picture->picture().size(), picture->size()) << "loaded on entry, shown 1:1";
    EXPECT_FALSE(picture->isVisibleTo(fresh.form->page(p().index)));
}

TEST_P(ElectroPages, RegistersReadWrittenAndTakenByFrontEndState)
{
    h.click(p().read);
    EXPECT_EQ(h.text(p().status), p().placeholder ? "KKKKKKKKKK" : "Статус: ");
    EXPECT_EQ(h.send(), frame({p().address(), 32, 0, 0, 0, 0, 0}));
    reply(32, 0, 16, 0x12, 0xB4, 0x83);
    EXPECT_EQ(selected(), kExample);
    EXPECT_EQ(h.text(p().status), "Статус: Запись разрешена");
    h.click(p().write);
    EXPECT_EQ(h.send(), frame({p().address(), 33, 0, 0, 0x12, 0xB4, 0x83}));
    reply(33, 0, 17, 0x12, 0xB4, 0x83);
    EXPECT_EQ(h.text(p().status), "Статус: Запись защищена");
    for (int item : {4, 5}) { // TIA_OFF, TIA_ON C2
        radio(Mode)->button(item)->click();
        h.click(p().write);
        EXPECT_EQ(h.send()[6], 0x80 | (item + 2));
    }
    radio(Mode)->button(3)->click();

    reply(32, 0, 1, 0x00, 0x00, 0x00);
    EXPECT_EQ(h.text(p().status), "Статус: НЕ ГОТОВ");
    EXPECT_EQ(selected(), kExample) << "not ready: groups kept";
    reply(33, 0, 0x30, 0x00, 0x00, 0x00);
    EXPECT_EQ(h.text(p().status), "Статус: НЕ ГОТОВ") << "0x30 has no text";
    EXPECT_EQ(selected()[0], "10 Oм") << "ready bit set: groups taken";
    reply(9, 0, 0x12, 0x12, 0xB4, 0x83); // version reply: always taken
    EXPECT_EQ(selected(), kExample);
    EXPECT_EQ(h.text(p().version), "Версия 1.2");
    for (uint8_t code : {1, 2, 12})
        reply(code, 0, 16, 0x00, 0x00, 0x00);
    EXPECT_EQ(selected(), kExample) << "no other code touches the group";
    EXPECT_TRUE(h.messages.isEmpty());
}

TEST_P(ElectroPages, WriteWithGroupsWithoutSelectionNamesThemAndSendsNothing)
{
    reply(32, 0, 16, 0x12, 0xF4, 0x85); // zero code 3, mode 5: no item
    QStringList expected = kExample;
    expected[IntZero] = expected[Mode] = "-";
    EXPECT_EQ(selected(), expected);
    h.send();
    const Frame before = h.request();
    h.click(p().write);
    EXPECT_EQ(h.messages.value(0),
              "Не выбрано значение в группах: U_нуля, Режим. Регистры не записаны.");
    EXPECT_EQ(h.request(), before);
    EXPECT_NE(h.send()[1], 33);

    Harness fresh;
    fresh.connect(p().type);
    fresh.select(p().index);
    fresh.click(p().write);
    EXPECT_EQ(fresh.messages.value(0), "Не выбрано значение в группах: R_Load, R_TIA, U_опоры, "
                                       "U_нуля, Полярность, Смещение, FET, Режим. Регистры не "
                                       "записаны.");
    EXPECT_EQ(fresh.send()[1], 9) << "the entry queue goes on";
}

TEST_P(ElectroPages, ToggleSwapsChartAndPictureAndKeepsItAcrossPages)
{
    QWidget *page = h.form->page(p().index);
    auto shown = [&](const char *name) { return h.find<QWidget>(name)->isVisibleTo(page); };
    h.click(p().toggle);
    EXPECT_TRUE(shown(p().picture) && !shown(p().chart) && shown(p().concentration));
    h.select(page::Pump);
    h.select(p().index);
    EXPECT_TRUE(shown(p().picture));
    h.click(p().toggle);
    EXPECT_TRUE(shown(p().chart) && !shown(p().picture));
}

TEST_P(ElectroPages, StatusByte)
{
    reply(12, 0x58, 0, 0, 0, 0);
    expectPanels(h,
                 {{p().statusPanels[0], "Рабочий режим", Colour::Normal},
                  {p().statusPanels[1], "Настройки в норме", Colour::Normal},
                  {p().thr3, "Превышение порога 3", Colour::Red},
                  {p().thr2, "Нет превышения порога 2", Colour::Normal},
                  {p().thr1, "Превышение порога 1", Colour::Red},
                  {p().thermo, "Температура в норме", Colour::Normal}},
                 0x58);
    if (p().thr4)
        expectPanels(h, {{p().thr4, "Превышение порога 4", Colour::Red}}, 0x58);
    reply(12, 0x85, 0, 0, 0, 0);
    std::vector<PanelState> blanked = {{p().statusPanels[0], "Режим настройки", Colour::Yellow},
                                       {p().statusPanels[1], "Ошибка настройки", Colour::Yellow},
                                       {p().thermo, "Ошибка термосенсора", Colour::Red}};
    for (const char *panel : {p().thr1, p().thr2, p().thr3, p().thr4, p().range})
        if (panel)
            blanked.push_back({panel, "", Colour::Normal});
    expectPanels(h, blanked, 0x85);

    // Bit 1 is the temperature range on hydrogen sulphide and nothing elsewhere.
    reply(12, 0x00, 0, 0, 0, 0);
    const QStringList clear = texts(p().statusPanels);
    reply(12, 0x02, 0, 0, 0, 0);
    QStringList expected = clear;
    if (p().range) {
        expected.last() = "Выход за пределы температуры";
        EXPECT_EQ(clear.last(), "Измерения по температуре");
        EXPECT_EQ(h.colour(p().range), Colour::Yellow);
        reply(12, 0x82, 0, 0, 0, 0);
        expectPanels(h, {{p().range, "", Colour::Normal}}, 0x82);
        reply(12, 0x02, 0, 0, 0, 0);
    }
    EXPECT_EQ(texts(p().statusPanels), expected);
}

TEST_P(ElectroPages, ButtonsSendTheirCodesAndThePollAlternates)
{
    const auto &b = p().buttons;
    const std::vector<std::pair<const char *, std::vector<int>>> cases = {
        {b[0], {16, 9, 12, 1}},       {b[1], {6, 12, 1}},         {b[2], {7, 12, 1}},
        {b[3], {2, 3, 4, 13, 12, 1}}, {b.end()[-2], {15, 2, 12}}, {b.end()[-1], {14, 2, 12}}};
    for (const auto &[button, codes] : cases) {
        EXPECT_EQ(sentAfter(h, button, p().block, int(codes.size())), codes) << button;
        EXPECT_EQ(h.driver.lastFrame()[0], p().address());
    }
    // A 12 reply never reloads the queue; a 1 reply does once it is empty.
    std::vector<int> idle;
    for (int i = 0; i < 6; ++i) {
        idle.push_back(h.send()[1]);
        reply(uint8_t(idle.back()), 0, 0, 0, 0, 0);
    }
    EXPECT_EQ(idle, (std::vector<int>{1, 12, 1, 12, 1, 12}));
}

TEST_P(ElectroPages, DefaultsAndApplyAndAFailedEntryThatChangesNothing)
{
    h.form->session().queue.clear();
    const int writes = h.driver.writeCount();
    h.click(p().buttons[4]);
    EXPECT_EQ(texts(p().fields),
              QStringList({"210", "20", "180", "240", "300"}).mid(0, int(p().fields.size())));
    EXPECT_TRUE(h.form->session().queue.empty());
    EXPECT_EQ(h.driver.writeCount(), writes);
    h.click(p().buttons[5]);
    EXPECT_EQ(h.send(), frame({p().address(), 10, 0, 0xD2, 0x00, 0x14, 0x00}));
    h.click(p().buttons[6]);
    EXPECT_EQ(h.send(), frame({p().address(), 11, 0, 0xB4, 0x00, 0xF0, 0x00}));
    reply(11, 0, 0, 0, 0, 0);
    EXPECT_EQ(h.send(), frame({p().address(), 12, 0, 0xB4, 0x00, 0xF0, 0x00})) << "bytes stay";
    if (p().fields.size() == 5) { // threshold 4 of the oxygen block
        h.click(p().buttons[7]);
        EXPECT_EQ(h.send(), frame({p().address(), 8, 0, 0x2C, 0x01, 0x00, 0x00}));
    }

    // Calibration gas and threshold 1 wait in the queue when the thresholds 2 and 3
    // are applied with a bad field: neither the waiting command nor its bytes change.
    for (const char *bad : {"", "1 2"}) {
        h.click(p().buttons[5]);
        h.find<QLineEdit>(p().fields[3])->setText(QString::fromUtf8(bad));
        const Frame before = h.request();
        h.click(p().buttons[6]);
        EXPECT_EQ(h.messages.value(0),
                  QStringLiteral("'%1' is not a valid integer value").arg(bad));
        h.messages.clear();
        EXPECT_EQ(h.request(), before);
        EXPECT_EQ(h.send(), frame({p().address(), 10, 0, 0xD2, 0x00, 0x14, 0x00}));
        reply(10, 0, 0, 0, 0, 0);
    }
}

TEST_P(ElectroPages, ReadBacksFillTheirFieldsAndOnlyCodeOneCharts)
{
    reply(2, 0, 0xD2, 0x04, 0x38, 0xFF);
    reply(3, 0, 0xFA, 0x00, 0x32, 0x00);
    reply(4, 0, 0x64, 0x00, 0xF4, 0x01);
    reply(13, 0, 0x2C, 0x01, 0, 0);
    EXPECT_EQ(h.text(p().uZero), "  123,4");
    EXPECT_EQ(h.text(p().uGas), "  -20");
    EXPECT_EQ(texts(p().fields),
              QStringList({"250", "50", "100", "500", "300"}).mid(0, int(p().fields.size())));
    const int samples = ring(h, p().chart).writeIndex();
    for (uint8_t code : {2, 3, 4, 9, 12, 13, 32})
        reply(code, 0, 0x10, 0, 0x10, 0x27);
    EXPECT_EQ(ring(h, p().chart).writeIndex(), samples);
    reply(1, 0, 0x00, 0x00, 0xFF, 0xFF);
    EXPECT_EQ(h.text(p().voltage), "Usens = 6553  мВ");
    EXPECT_EQ(newest(h, p().chart), 6553);
}

INSTANTIATE_TEST_SUITE_P(Pages, ElectroPages,
                         ::testing::Values(kOxygen, kCarbonMonoxide, kHydrogenSulphide),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- what one page does ----------------------------------------------------

TEST(ElectroValues, ConcentrationTemperatureAndCoefficientPerBlock)
{
    struct Case {
        const Electro &page;
        Frame reply;
        const char *concentration, *climate;
    };
    // clang-format off
    const Case cases[] = {
        {kOxygen, {22, 12, 0, 0xD2, 0x00, 0x1E, 0x37}, "21,0 %", "t = 25 °C   k=95,5 %"},
        {kOxygen, {22, 12, 0, 0xF6, 0xFF, 200, 0}, "-1,0 %", "t = -145 °C   k=90,0 %"},
        {kCarbonMonoxide, {23, 12, 0, 0x0F, 0x00, 0x3C, 0x32}, "15 мг/м3", "t = 25 °C   k=110,0 %"},
        {kCarbonMonoxide, {23, 12, 0, 0xFF, 0xFF, 0, 255}, "-1 мг/м3", "t = 85 °C   k=233,0 %"},
        {kCarbonMonoxide, {23, 12, 0, 0, 0, 255, 0}, "0 мг/м3", "t = -170 °C   k=80,0 %"},
        {kHydrogenSulphide, {24, 12, 0, 0xC0, 0x00, 0x3C, 0x32}, "192 мг/м3", "t = 25 °C   k=110,0 %"},
        {kHydrogenSulphide, {24, 12, 0, 0, 0, 0x3C, 255}, "0 мг/м3", "t = 25 °C   k=192,0 %"},
    };
    // clang-format on
    for (const Case &c : cases) {
        Harness h;
        enterPage(h, c.page.type, c.page.index, c.page.block);
        h.driver.queueReply(sealed(
            {c.reply[0], c.reply[1], c.reply[2], c.reply[3], c.reply[4], c.reply[5], c.reply[6]}));
        h.form->Timer2Timer();
        EXPECT_EQ(h.text(c.page.concentration), QString::fromUtf8(c.concentration)) << c.page.name;
        EXPECT_EQ(h.text(c.page.climate), QString::fromUtf8(c.climate)) << c.page.name;
    }
}

TEST(ElectroCharts, CarbonMonoxideSamplesNeverReachTheHydrogenSulphideChart)
{
    Harness h;
    enterPage(h, 10, page::CarbonMonoxide, 23);
    for (int i = 0; i < 10; ++i)
        h.reply({23, 1, 0, 0, 0, 0x10, 0x27});
    h.select(page::HydrogenSulphide);
    h.reply({24, 1, 0, 0, 0, 0x88, 0x13});
    const QList<QPointF> points = ring(h, "Chart14").points();
    for (int i = 0; i < 199; ++i)
        EXPECT_EQ(points[i].y(), 0) << i;
    EXPECT_EQ(points[199].y(), 500);
    EXPECT_EQ(newest(h, "Chart11"), 1000);
}

// A picture that fails to load leaves the request addressed to the carbon monoxide
// block, with its "Запись" pending; the first reply makes it the status request.
TEST(ElectroEntry, NoCommandOfTheLastPageReachesTheNextBlock)
{
    for (bool sentBeforeSwitch : {false, true}) {
        Harness h;
        enterPage(h, 10, page::CarbonMonoxide, 23);
        h.reply({23, 32, 0, 16, 0x12, 0xB4, 0x83});
        h.send();
        h.click("Button87");
        if (sentBeforeSwitch) {
            EXPECT_EQ(h.send(), frame({151, 33, 0, 0, 0x12, 0xB4, 0x83}));
        }
        h.selectWithoutPictures(page::HydrogenSulphide);
        ASSERT_EQ(h.messages.size(), 1);
        h.reply({23, 33, 0, 16, 0x12, 0xB4, 0x83});
        for (int i = 0; i < 4; ++i) {
            const Frame f = h.send();
            EXPECT_EQ(f[0], 152);
            EXPECT_NE(f[1], 33) << sentBeforeSwitch;
            h.reply({24, f[1], 0, 0, 0, 0, 0});
        }
        EXPECT_EQ(h.text("Panel124"), "Статус: ");
    }
}

} // namespace
} // namespace zet::test
