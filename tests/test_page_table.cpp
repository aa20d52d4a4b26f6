// Every page of the table, driven through the window: what a tab click, the focus
// entry and the block's answers put on the wire. Also the status-row rules and the
// small controls the pages are built from.
#include "Harness.h"
#include "pages/CombinedThermoPage.h"
#include "pages/ElectroPage.h"
#include "pages/OpticalPage.h"
#include "pages/PageTable.h"
#include "pages/PgsPage.h"
#include "pages/PressurePage.h"
#include "pages/StatusPanels.h"
#include "pages/Widgets.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace zet;
using namespace zet::test;

namespace {

class EveryPage : public ::testing::TestWithParam<int> {
protected:
    const PageRow &row() const { return pageRow(GetParam()); }
};

std::string pageName(const ::testing::TestParamInfo<int> &info)
{
    return "Page" + std::to_string(info.param);
}

} // namespace

TEST(PageTableRows, OneRowPerPageWithDistinctBlocks)
{
    std::set<int> blocks;
    ASSERT_EQ(pageTable().size(), size_t(page::Count));
    for (int i = 0; i < page::Count; ++i) {
        EXPECT_EQ(pageRow(i).index, i);
        if (i == page::DeviceList)
            continue;
        EXPECT_TRUE(blocks.insert(pageRow(i).block).second) << "block of page " << i;
        EXPECT_NE(pageRow(i).create, nullptr);
    }
}

TEST_P(EveryPage, TabClickAddressesTheBlockAndSendsTheEntryQueue)
{
    Harness h;
    h.connect(10);
    // Come from another page, so the click is a change of page.
    const PageRow &before = pageRow(row().index == page::Pump ? page::Tks : page::Pump);
    h.select(before.index);
    h.send();
    h.select(row().index);
    const uint8_t expected = row().entryAddress ? row().address() : before.address();
    const auto codes = row().entryQueue.span();
    for (size_t i = 0; i < codes.size(); ++i) {
        const Frame f = h.send();
        EXPECT_EQ(f[0], expected);
        EXPECT_EQ(f[1], codes[i]) << "code " << i;
    }
    EXPECT_TRUE(h.form->session().queue.empty());
    if (row().freshStart) {
        EXPECT_EQ(h.send(), sealed({row().address(), 12, 0, 0, 0, 0, 0}));
    }
}

TEST_P(EveryPage, FocusEntryQueuesItsCodeAlone)
{
    Harness h;
    h.connect(10);
    h.select(row().index);
    h.form->session().queue.clear();
    h.form->page(row().index)->focusEnter();
    if (!row().focusCode) {
        EXPECT_TRUE(h.form->session().queue.empty());
        return;
    }
    EXPECT_EQ(h.send()[0], row().address());
    EXPECT_EQ(h.request()[1], *row().focusCode);
    EXPECT_TRUE(h.form->session().queue.empty());
}

// After an answered command the page falls back to its idle polling, by its policy:
// the status request with cleared parameters, or the idle queue with the parameters kept.
TEST_P(EveryPage, AnsweredCommandFallsBackByTheIdlePolicy)
{
    Harness h;
    h.connect(10);
    h.select(row().index);
    h.form->session().queue.clear();
    h.form->session().setRequest(row().address(), 5, 0, 0x34, 0x12, 0x78, 0x56);
    h.reply({uint8_t(row().block), 5, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(h.form->timer1()->interval(), row().period);
    if (row().idle == IdlePolicy::ResetToStatus) {
        EXPECT_EQ(h.send(), sealed({row().address(), 12, 0, 0, 0, 0, 0}));
        return;
    }
    for (uint8_t code : row().idleQueue.span()) {
        const Frame f = h.send();
        EXPECT_EQ(f[1], code);
        EXPECT_EQ(f[0], row().address());
        EXPECT_EQ(u16(f, 3), 0x1234) << "the idle queue keeps the parameters";
        EXPECT_EQ(u16(f, 5), 0x5678);
    }
    // A status answer with the queue empty loads nothing.
    h.reply({uint8_t(row().block), 12, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.form->session().queue.empty());
}

// A request still addressed to another block, with codes queued for it, is never
// passed on to this page's block once the first reply is decoded here.
TEST_P(EveryPage, FirstReplyDropsWhatWasMeantForAnotherBlock)
{
    Harness h;
    h.connect(10);
    h.select(row().index);
    h.form->session().setRequest(0xA0, 8, 0, 1, 2, 3, 4); // block 32: none of the pages
    h.form->session().queue.load({8, 6});
    h.reply({99, 12, 0, 0, 0, 0, 0}); // from no block of this page
    const Frame f = h.send();
    EXPECT_EQ(f[0], row().address());
    EXPECT_EQ(f[1], 12);
    EXPECT_EQ(u16(f, 3), 0);
}

INSTANTIATE_TEST_SUITE_P(ModulePages, EveryPage, ::testing::Range(1, int(page::Count)), pageName);

namespace {

struct Panels {
    QWidget page;
    QLabel *a = makePanel(&page, "PanelA", QRect(0, 0, 10, 10));
    QLabel *b = makePanel(&page, "PanelB", QRect(0, 0, 10, 10));
    QLabel *c = makePanel(&page, "PanelC", QRect(0, 0, 10, 10));
};

} // namespace

TEST(StatusRowRules, LinkErrorShownOnlyOnItsCodesAndStopsDecoding)
{
    Panels p;
    const StatusRow rows[] = {rows::opticalLink("PanelA")};
    EXPECT_TRUE(StatusPanels(&p.page, rows).apply(sealed({11, 12, 0x00, 0x1F, 0, 0, 0})));
    EXPECT_EQ(p.a->text(), "Связь в норме");
    EXPECT_FALSE(StatusPanels(&p.page, rows).apply(sealed({11, 12, 0x02, 0x1F, 0, 0, 0})));
    EXPECT_EQ(p.a->text(), "Ошибка связи 1F");
    EXPECT_EQ(panelColour(p.a), Colour::Yellow);
    setPanel(p.a, "old", Colour::Normal);
    EXPECT_FALSE(StatusPanels(&p.page, rows).apply(sealed({11, 96, 0x02, 0x0A, 0, 0, 0})))
        << "values stop on every code";
    EXPECT_EQ(p.a->text(), "old") << "code 96 leaves the panel as it was";
}

TEST(StatusRowRules, BlankingKeepsOrResetsTheColour)
{
    for (Blank mode : {Blank::Text, Blank::TextAndColour}) {
        Panels p;
        const StatusRow rows[] = {rows::sensorOn("PanelA", {"PanelB", "PanelC"}, mode),
                                  rows::threshold("PanelB", 1, 0x10)};
        StatusPanels(&p.page, rows).apply(sealed({1, 12, 0x11, 0, 0, 0, 0}));
        EXPECT_EQ(p.b->text(), "Превышение порога 1");
        setPanel(p.c, "x", Colour::Yellow);
        StatusPanels(&p.page, rows).apply(sealed({1, 12, 0x10, 0, 0, 0, 0}));
        EXPECT_EQ(p.a->text(), "Сенсор выключен");
        EXPECT_EQ(panelColour(p.a), Colour::Red);
        EXPECT_EQ(p.b->text(), "") << "threshold not evaluated while off, and emptied";
        EXPECT_EQ(p.c->text(), "");
        const Colour kept = mode == Blank::Text ? Colour::Red : Colour::Normal;
        EXPECT_EQ(panelColour(p.b), kept);
        EXPECT_EQ(panelColour(p.c), mode == Blank::Text ? Colour::Yellow : Colour::Normal);
    }
}

TEST(PageControls, RadioGroupIndexFromCodeClicksNothing)
{
    QWidget parent;
    RadioGroup group(&parent, "RadioGroup1", "Режим", {"a", "b", "c"}, QRect(0, 0, 120, 90));
    EXPECT_EQ(group.title(), "Режим");
    EXPECT_EQ(group.itemIndex(), -1);
    QSignalSpy clicks(group.button(1), &QRadioButton::clicked);
    group.setItemIndex(1);
    EXPECT_EQ(group.itemIndex(), 1);
    group.setItemIndex(2);
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_FALSE(group.button(1)->isChecked()) << "one choice at a time";
    group.setItemIndex(-1);
    EXPECT_EQ(group.itemIndex(), -1);
    group.setItemIndex(7);
    EXPECT_EQ(group.itemIndex(), -1);
    EXPECT_EQ(clicks.count(), 0);
    group.button(0)->click();
    EXPECT_EQ(group.itemIndex(), 0);
}

TEST(PageControls, CheckListIsReadOnlyFlags)
{
    QWidget parent;
    CheckList list(&parent, "CheckListBox1", {"   a", "   b"}, QRect(0, 0, 100, 60));
    EXPECT_FALSE(list.isEnabled());
    list.setChecked(1, true);
    EXPECT_FALSE(list.checked(0));
    EXPECT_TRUE(list.checked(1));
    list.setChecked(5, true); // out of range: nothing
    EXPECT_FALSE(list.checked(5));
}

namespace {

const StatusRow kMissingPanel[] = {rows::setupMode("Panel999")};
const StatusRow kMissingBlank[] = {rows::sensorOn("Panel21", {"Panel998"})};
const ButtonRow kMissingGroup[] = {{.name = "Button996", .group = "GroupBox999"}};

// An optical descriptor whose first field-sending button sends a field the page lacks.
struct OpticalWithMissingField {
    OpticalInfo info = methane100Info();
    std::vector<ButtonRow> buttons{info.buttons.begin(), info.buttons.end()};
    OpticalWithMissingField()
    {
        for (ButtonRow &b : buttons)
            if (b.slot == int(OpticalRole::ApplyField)) {
                b.fields[0].field = "MaskEdit997";
                break;
            }
        info.buttons = buttons;
    }
};

} // namespace

// Every page of the table builds; a descriptor naming a control its page does not
// make stops that page's construction, with the name.
TEST(PageConstruction, MissingControlIsCaughtWhenThePageIsBuilt)
{
    Harness h;
    PageHost &host = *h.form;
    for (int i = 1; i < page::Count; ++i) {
        ModulePage *page = nullptr;
        EXPECT_NO_THROW(page = pageRow(i).create(host, pageRow(i))) << "page " << i;
        delete page;
    }

    ThermoInfo tks = tksInfo();
    tks.status.rows = kMissingPanel;
    ThermoInfo tksBlank = tksInfo();
    tksBlank.status.rows = kMissingBlank;
    ThermoInfo combined = tksPgsInfo();
    combined.semiconductor.rows = kMissingPanel;
    ElectroInfo oxygen = oxygenInfo();
    oxygen.status.rows = kMissingPanel;
    OpticalWithMissingField optical;
    ElectroInfo carbonMonoxide = carbonMonoxideInfo();
    carbonMonoxide.buttons = kMissingGroup;
    PgsInfo pgs = pgsInfo();
    pgs.status = kMissingPanel;
    PressureInfo pressure = pressureInfo();
    pressure.buttons = kMissingGroup;

    const struct {
        const char *what;
        std::function<void()> build;
        const char *missing;
    } cases[] = {
        {"thermocatalytic status row",
         [&] { const ThermoPage page(host, pageRow(page::Tks), tks); }, "Panel999"},
        {"panel a status row empties",
         [&] { const ThermoPage page(host, pageRow(page::Tks), tksBlank); }, "Panel998"},
        {"semiconductor half's status row",
         [&] { const CombinedThermoPage page(host, pageRow(page::TksPgs), combined); }, "Panel999"},
        {"electrochemical status row",
         [&] { const ElectroPage page(host, pageRow(page::Oxygen), oxygen); }, "Panel999"},
        {"field an optical button sends",
         [&] { const OpticalPage page(host, pageRow(page::OpticMethane100), optical.info); }, "MaskEdit997"},
        {"group an electrochemical button sits in",
         [&] { const ElectroPage page(host, pageRow(page::CarbonMonoxide), carbonMonoxide); },
         "GroupBox999"},
        {"semiconductor status row",
         [&] { const PgsPage page(host, pageRow(page::Pgs), pgs); }, "Panel999"},
        {"group a button sits in",
         [&] { const PressurePage page(host, pageRow(page::Pressure), pressure); }, "GroupBox999"},
    };
    for (const auto &c : cases) {
        try {
            c.build();
            ADD_FAILURE() << c.what << ": built";
        } catch (const MissingControl &e) {
            EXPECT_NE(std::string(e.what()).find(c.missing), std::string::npos)
                << c.what << ": " << e.what();
        }
    }
}
