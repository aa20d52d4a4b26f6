// The multiplexer bench window: socket clicks, the sensor-type choice, opening it from
// the base page, and how it lives with the main window.
#include "Harness.h"
#include "PageChecks.h"
#include "SimHarness.h"
#include "pages/Widgets.h"
#include "ui/BenchLayout.h"

#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace zet;
using namespace zet::test;
using bench::gridSocket;

namespace {

struct Bench : ::testing::Test {
    Harness h;
    TForm2 *w = h.form->benchWindow();

    void open(int type)
    {
        h.connect(type);
        h.click("Button72");
    }
    void click(QPoint client) { QTest::mouseClick(w, Qt::LeftButton, {}, client); }
    template <typename Test> QList<int> which(int count, Test test) const
    {
        QList<int> found;
        for (int i = 0; i < count; ++i)
            if (test(i))
                found << i;
        return found;
    }
    QList<int> litLamps() const
    {
        return which(33, [&](int n) { return n && panelColour(w->lamp(n)) == Colour::Red; });
    }
    QList<int> visibleTabs() const
    {
        return which(page::Count, [&](int i) { return h.form->pageControl()->isTabVisible(i); });
    }
};

struct Click {
    QPoint outer; // relative to the window's outer corner under the standard frame
    int channel;  // 0: no socket there
    int lamp;
};
struct SocketClick : Bench, ::testing::WithParamInterface<Click> {};

TEST_P(SocketClick, SetsTheStatusCodeAndTheChannelAndLightsOneLamp)
{
    const Click c = GetParam();
    open(10);
    click(gridSocket(1, 2).client().center()); // channel 7 first
    h.form->session().request()[1] = 6;
    click(bench::toClient(c.outer));
    EXPECT_EQ(h.send(), frame({128, 12, uint8_t(c.channel ? c.channel : 7), 0, 0, 0, 0}));
    EXPECT_EQ(litLamps(), c.channel ? QList<int>{c.lamp} : QList<int>{});
}

INSTANTIATE_TEST_SUITE_P(Clicks, SocketClick,
                         ::testing::Values(Click{{20, 40}, 1, 1}, Click{{100, 200}, 25, 28},
                                           Click{{210, 140}, 21, 24}, Click{{31, 40}, 0, 0},
                                           Click{{6, 34}, 1, 1}, Click{{29, 54}, 1, 1},
                                           Click{{5, 34}, 0, 0}, Click{{29, 55}, 0, 0},
                                           Click{{223, 209}, 17, 32}, Click{{224, 209}, 0, 0}));

TEST_F(Bench, EveryDrawnSocketSelectsItsChannelAndLampAndNoItemIsCut)
{
    open(10);
    const QImage shot = w->grab().toImage();
    for (const bench::Socket &s : bench::kSocketTable) {
        ASSERT_LT(shot.pixelColor(s.client().center()).lightness(), 80) << "no socket drawn";
        click(s.client().center());
        EXPECT_EQ(h.send()[2], s.channel);
        EXPECT_EQ(litLamps(), QList<int>{s.lamp});
    }
    click(w->lamp(5)->geometry().center()); // a lamp is not the window's surface
    EXPECT_EQ(litLamps(), QList<int>{32});
    for (int i = 0; i < w->typeGroup()->count(); ++i)
        EXPECT_LE(w->typeGroup()->button(i)->sizeHint().width(),
                  w->typeGroup()->button(i)->width());
}

TEST_F(Bench, ChoosingATypeReidentifiesTheBaseUnitOneFullPeriodLater)
{
    open(10);
    click(gridSocket(0, 0).client().center());
    h.select(page::Pump);
    h.send();
    h.form->timer1()->stop();
    w->typeGroup()->button(4)->click(); // "Кислород"
    EXPECT_EQ(h.form->pageControl()->currentIndex(), page::Base);
    EXPECT_TRUE(h.form->timer2()->isActive());
    EXPECT_GT(h.form->timer1()->remainingTime(), h.form->timer1()->interval() - 100);
    EXPECT_EQ(visibleTabs(), (QList<int>{0, 1, 2, 7, 11, 12, 13, 14}));
    // No entry step: it would have cleared the channel.
    EXPECT_EQ(h.send(), frame({128, 12, 1, 0, 7, 0, 0}));
    EXPECT_EQ(h.send(), frame({128, 9, 1, 0, 7, 0, 0}));
    // Identification shows the oxygen page alone: none of the type-10 pages stays.
    h.reply({0, 9, 0, 0, 7, 0x39, 0x30});
    EXPECT_EQ(visibleTabs(), (QList<int>{0, 1, 2, page::Oxygen}));
    w->typeGroup()->button(4)->click(); // the same choice again is no change
    EXPECT_TRUE(h.form->session().queue.empty());
}

struct Preselect : Bench, ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(Preselect, OpeningSelectsTheIdentifiedTypeAndSendsIt)
{
    const auto [type, item] = GetParam();
    open(type);
    EXPECT_TRUE(w->isVisible() && !w->picture().isNull());
    EXPECT_EQ(w->typeGroup()->itemIndex(), item);
    if (item < 0) {
        EXPECT_EQ(h.send(), frame({128, 12, 0, 0, 0, 0, 0}));
        return;
    }
    EXPECT_EQ(h.send(), frame({128, 12, 0, 0, uint8_t(type), 0, 0}));
    EXPECT_EQ(h.send(), frame({128, 9, 0, 0, uint8_t(type), 0, 0}));
    w->close(); // hides it; opening it again changes nothing and sends nothing
    h.click("Button72");
    EXPECT_TRUE(w->isVisible() && h.form->session().queue.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, Preselect,
                         ::testing::Values(std::pair{1, 0}, std::pair{2, 1}, std::pair{3, 2},
                                           std::pair{4, 3}, std::pair{9, -1}));

// Every socket as the engineer sees it on the window's client area: its corners,
// the channel its click sends, and the lamp that lights and where that lamp sits.
struct Drawn {
    QPoint topLeft, bottomRight;
    int channel, lamp;
    QPoint lampAt;
};
// clang-format off
const Drawn kDrawnSockets[] = {
    {{3, 12}, {26, 32}, 1, 1, {10, 37}},      {{31, 12}, {54, 32}, 2, 2, {38, 37}},
    {{59, 12}, {81, 32}, 3, 4, {65, 37}},     {{86, 12}, {109, 32}, 4, 3, {93, 37}},
    {{114, 12}, {136, 32}, 9, 5, {121, 37}},  {{141, 12}, {164, 32}, 10, 6, {148, 37}},
    {{169, 12}, {193, 32}, 11, 7, {176, 37}}, {{198, 12}, {220, 32}, 12, 8, {204, 37}},
    {{3, 64}, {26, 88}, 5, 9, {10, 58}},      {{31, 64}, {54, 88}, 6, 10, {38, 58}},
    {{59, 64}, {81, 88}, 7, 11, {65, 58}},    {{86, 64}, {109, 88}, 8, 12, {93, 58}},
    {{114, 64}, {136, 88}, 13, 13, {121, 58}}, {{141, 64}, {164, 88}, 14, 14, {148, 58}},
    {{169, 64}, {193, 88}, 15, 15, {176, 58}}, {{198, 64}, {220, 88}, 16, 16, {204, 58}},
    {{3, 112}, {26, 134}, 32, 17, {10, 136}},  {{31, 112}, {54, 134}, 31, 18, {38, 136}},
    {{59, 112}, {81, 134}, 30, 19, {65, 136}}, {{86, 112}, {109, 134}, 29, 20, {93, 136}},
    {{114, 112}, {136, 134}, 24, 21, {121, 136}}, {{141, 112}, {164, 134}, 23, 22, {148, 136}},
    {{169, 112}, {193, 134}, 22, 23, {176, 136}}, {{198, 112}, {220, 134}, 21, 24, {204, 136}},
    {{3, 165}, {26, 187}, 28, 25, {10, 158}},  {{31, 165}, {54, 187}, 27, 26, {38, 158}},
    {{59, 165}, {81, 187}, 26, 27, {65, 158}}, {{86, 165}, {109, 187}, 25, 28, {93, 158}},
    {{114, 165}, {136, 187}, 20, 29, {121, 158}}, {{141, 165}, {164, 187}, 19, 30, {148, 158}},
    {{169, 165}, {193, 187}, 18, 31, {176, 158}}, {{198, 165}, {220, 187}, 17, 32, {204, 158}},
};
// clang-format on

TEST_F(Bench, EachSocketSendsItsChannelAndLightsItsLampFromCornerToCorner)
{
    open(10);
    const QImage shot = w->grab().toImage();
    for (const Drawn &d : kDrawnSockets) {
        SCOPED_TRACE(d.channel);
        for (QPoint p : {d.topLeft, d.bottomRight}) {
            EXPECT_LT(shot.pixelColor(p).lightness(), 80) << "drawn socket at " << p.x() << "," << p.y();
            click(p);
            EXPECT_EQ(h.send(), frame({128, 12, uint8_t(d.channel), 0, 0, 0, 0}));
            EXPECT_EQ(litLamps(), QList<int>{d.lamp});
            EXPECT_EQ(w->lamp(d.lamp)->geometry().topLeft(), d.lampAt);
        }
        for (QPoint p : {d.topLeft - QPoint(1, 0), d.topLeft - QPoint(0, 1),
                         d.bottomRight + QPoint(1, 0), d.bottomRight + QPoint(0, 1)}) {
            click(p);
            EXPECT_EQ(litLamps(), QList<int>{}) << "beside the socket at " << p.x() << "," << p.y();
        }
    }
}

// Each item of "Тип датчика" sends its own sensor type in byte 4 and identifies again.
TEST_F(Bench, EachSensorTypeItemSendsItsType)
{
    const std::pair<const char *, uint8_t> kItems[] = {
        {"ТКС", 1},      {"ТКС + ПГС метан/пропан", 2}, {"ТКС + ПГС водород", 3}, {"ПГС", 4},
        {"Кислород", 7}, {"Угарный", 9},                {"Сероводород", 10},
    };
    open(10);
    ASSERT_EQ(w->typeGroup()->count(), int(std::size(kItems)));
    for (int i = 0; i < w->typeGroup()->count(); ++i) {
        QRadioButton *item = w->typeGroup()->button(i);
        EXPECT_EQ(item->text(), QString::fromUtf8(kItems[i].first));
        item->click();
        EXPECT_EQ(h.send(), frame({128, 12, 0, 0, kItems[i].second, 0, 0})) << kItems[i].first;
        EXPECT_EQ(h.send(), frame({128, 9, 0, 0, kItems[i].second, 0, 0})) << kItems[i].first;
    }
}

TEST_F(Bench, MissingPictureIsReportedAndTheSocketsStillWork)
{
    QTemporaryDir empty;
    h.form->setPictureDirectories({empty.path()});
    open(2);
    EXPECT_EQ(h.messages, QStringList{"Не удалось загрузить рисунок stend1.bmp"});
    EXPECT_TRUE(w->isVisible() && w->picture().isNull());
    EXPECT_EQ(w->typeGroup()->itemIndex(), -1);
    click(gridSocket(3, 3).client().center());
    EXPECT_EQ(h.send(), frame({148, 12, 25, 0, 0, 0, 0}));
    EXPECT_EQ(litLamps(), QList<int>{28});
}

TEST_F(Bench, RepaintTimerRunsOnlyWhileTheWindowIsShown)
{
    h.connect(1);
    EXPECT_FALSE(h.form->timer3()->isActive());
    h.click("Button72");
    EXPECT_TRUE(h.form->timer3()->isActive());
    EXPECT_EQ(h.form->timer3()->interval(), 100);
    w->close();
    EXPECT_FALSE(h.form->timer3()->isActive());
    h.click("Button72");
    EXPECT_TRUE(h.form->timer3()->isActive());
}

// The event loop ends at once, not by the watchdog, when the main window closes by
// itself or after an unknown instrument, while the bench window is open.
struct EndsWithMainWindow : Bench, ::testing::WithParamInterface<bool> {};

TEST_P(EndsWithMainWindow, EvenWithTheBenchWindowOpen)
{
    h.form->show();
    open(1);
    QTimer::singleShot(0, h.form.get(), [&] {
        if (GetParam())
            h.reply({0, 9, 0, 0, 8, 0, 0}); // "Прибор неизвестен!"
        else
            h.form->close();
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(3000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(h.form->isVisible() || w->isVisible());
    EXPECT_EQ(h.messages.size(), GetParam() ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Close, EndsWithMainWindow, ::testing::Bool());

// The bench window over the simulated instrument (--demo): the base unit takes the
// chosen type and socket; the blocks of an empty socket do not answer.
TEST(BenchSimulated, OxygenChosenOnTheBenchIsIdentifiedAndItsPageAnswersInAFullSocket)
{
    SimHarness s(10);
    ASSERT_TRUE(s.connect());
    s.click("Button72");
    TForm2 *w = s.form->benchWindow();
    auto socket = [&](int row, int column) {
        s.select(page::Base);
        QTest::mouseClick(w, Qt::LeftButton, {}, gridSocket(row, column).client().center());
        s.run(1000);
    };
    auto oxygenAnswers = [&] {
        s.select(page::Oxygen);
        s.form->session().haveValidReply = false;
        s.run(3000);
        return s.form->session().haveValidReply && s.form->session().lastValidReply[0] == 22;
    };
    socket(1, 3); // channel 8: no sensor there
    EXPECT_EQ(s.text("Panel8"), "Связь с датчиками отсутствует");

    w->typeGroup()->button(4)->click(); // "Кислород"
    s.run(2000);
    EXPECT_EQ(s.form->session().deviceType, 7);
    EXPECT_EQ(s.text("Panel2").left(9), "ЗЕТ-74   ");
    for (int i = 3; i < page::Count; ++i)
        EXPECT_EQ(s.form->pageControl()->isTabVisible(i), i == page::Oxygen) << i;
    EXPECT_FALSE(oxygenAnswers());

    socket(0, 0); // channel 1
    EXPECT_EQ(s.text("Panel8"), "Связь с датчиками в норме");
    EXPECT_TRUE(oxygenAnswers());
}

} // namespace
