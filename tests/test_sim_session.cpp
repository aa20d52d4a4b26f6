// The tool against the simulated instrument: a few simulated seconds of polling.
#include "SimHarness.h"
#include "pages/TrendChart.h"

#include <QLineSeries>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace zet;
using namespace zet::test;

namespace {

int samplesTaken(TForm1 &form, const char *chart)
{
    auto *c = form.findChild<TrendChart *>(QString::fromLatin1(chart));
    const auto pts = c->series()->points();
    return int(std::count_if(pts.begin(), pts.end(), [](const QPointF &p) { return p.y() != 0; }));
}

TEST(SimSession, Type10BaseAndPumpValuesChangeAndChartsFill)
{
    SimHarness s(10);
    ASSERT_TRUE(s.connect());
    EXPECT_EQ(s.form->pageControl()->tabText(1), "База ЗЕТ 75");
    EXPECT_TRUE(s.text("Panel2").startsWith("ЗЕТ 75  № "));

    QSet<QString> currents;
    for (int i = 0; i < 10; ++i) {
        s.run(350);
        currents << s.text("Panel10");
    }
    EXPECT_GT(currents.size(), 1) << "the current drawn is live";
    EXPECT_TRUE(s.text("Panel10").endsWith("  мА"));
    EXPECT_EQ(s.text("Panel3"), "Контакт АКБ в норме");
    EXPECT_GE(samplesTaken(*s.form, "Chart1"), 8);

    s.select(page::Pump);
    s.run(1500);
    EXPECT_TRUE(s.text("Panel11").startsWith("Версия ")) << s.text("Panel11").toStdString();
    EXPECT_EQ(s.text("Panel12"), "Насос включен");
    const int amplitude = s.text("Panel17").toInt();
    s.click("Button12"); // continuous amplitude up
    s.run(3000);
    s.click("Button11");
    s.run(700);
    EXPECT_GT(s.text("Panel17").toInt(), amplitude + 3) << "amplitude stepped up continuously";
    const QString after = s.text("Panel17");
    s.run(1000);
    EXPECT_EQ(s.text("Panel17"), after) << "stepping stopped";
    EXPECT_GE(samplesTaken(*s.form, "Chart2"), 5);
    EXPECT_TRUE(s.capture.messages.isEmpty());

    s.click("Button21");
    s.run(700);
    EXPECT_TRUE(s.text("Panel20").startsWith(" MAX-MIN     : "));
}

TEST(SimSession, SwitchOffClosesTheConnection)
{
    SimHarness s(1);
    ASSERT_TRUE(s.connect());
    s.run(700);
    s.click("Button2");
    s.run(1500);
    EXPECT_FALSE(s.form->session().deviceOpen);
    EXPECT_EQ(s.form->pageControl()->currentIndex(), 0);
    EXPECT_EQ(s.text("Panel1"), "Нет активных устройств");
}

TEST(SimSession, EveryTypeIsIdentified)
{
    for (int type : {1, 2, 3, 4, 5, 6, 7, 9, 10}) {
        SimHarness s(type);
        EXPECT_TRUE(s.connect()) << type;
        EXPECT_EQ(s.form->session().deviceType, type);
        s.run(1000);
        EXPECT_TRUE(s.capture.messages.isEmpty()) << type;
    }
}

TEST(SimSession, TestModeWithLedShowsOnTheBasePage)
{
    SimHarness s(10);
    ASSERT_TRUE(s.connect());
    s.click("Button6");
    s.run(1000);
    EXPECT_EQ(s.text("Panel7"), "Режим теста");
    s.click("Button4");
    s.run(1000);
    EXPECT_EQ(s.text("Panel7"), "Режим теста не активен");
}

} // namespace
