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
