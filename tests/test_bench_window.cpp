// The multiplexer bench window: socket clicks, the sensor-type choice, opening it from
// the base page, and how it lives with the main window.
#include "Harness.h"
#include "PageChecks.h"
#include "connection/DeviceTypes.h"
#include "pages/Widgets.h"
#include "ui/BenchLayout.h"
#include "ui/Unit2.h"

#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zet;
using namespace zet::test;
using bench::gridSocket;
using bench::kSocketTable;

namespace {

struct Bench : ::testing::Test {
    Harness h;
    TForm2 *w = h.form->benchWindow();

    void open(int type)
    {
        h.connect(type);
        h.click("Button72");
    }
    void clickClient(QPoint client) { QTest::mouseClick(w, Qt::LeftButton, {}, client); }
    // Lamps lit red, by PanelN number.
    QList<int> litLamps() const
    {
        QList<int> lit;
        for (int n = 1; n <= bench::kSockets; ++n)
            if (panelColour(w->lamp(n)) == Colour::Red)
                lit << n;
        return lit;
    }
    QList<int> visibleTabs() const
    {
        QList<int> tabs;
        for (int i = 0; i < page::Count; ++i)
            if (h.form->pageControl()->isTabVisible(i))
                tabs << i;
        return tabs;
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
    clickClient(gridSocket(1, 2).client().center()); // channel 7 first
    ASSERT_EQ(litLamps(), QList<int>{11});
    h.form->session().request()[1] = 6;

    clickClient(bench::toClient(c.outer));
    const Frame sent = h.send();
    EXPECT_EQ(sent[0], 128);
    EXPECT_EQ(sent[1], 12);
    EXPECT_EQ(sent[2], c.channel ? c.channel : 7) << "a miss leaves the channel";
    EXPECT_EQ(litLamps(), c.channel ? QList<int>{c.lamp} : QList<int>{});
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, SocketClick,
    ::testing::Values(Click{{20, 40}, 1, 1}, Click{{100, 200}, 25, 28}, Click{{210, 140}, 21, 24},
                      Click{{31, 40}, 0, 0},                              // between two columns
                      Click{{6, 34}, 1, 1}, Click{{29, 54}, 1, 1},        // corners of socket 1
                      Click{{5, 34}, 0, 0}, Click{{29, 55}, 0, 0},        // one pixel beyond
                      Click{{223, 209}, 17, 32}, Click{{224, 209}, 0, 0}, // last socket's corner
                      Click{{60, 36}, 0, 0}));                            // left of column 3

TEST_F(Bench, EveryDrawnSocketSelectsItsChannelAndLamp)
{
    open(10);
    const QImage shot = w->grab().toImage();
    for (const bench::Socket &s : kSocketTable) {
        SCOPED_TRACE(s.channel);
        const QPoint centre = s.client().center();
        ASSERT_LT(shot.pixelColor(centre).lightness(), 80) << "a socket is drawn under the click";
        clickClient(centre);
        EXPECT_EQ(h.send()[2], s.channel);
        EXPECT_EQ(litLamps(), QList<int>{s.lamp});
    }
    clickClient(w->lamp(5)->geometry().center()); // a lamp is no socket, and no surface
    EXPECT_EQ(litLamps(), QList<int>{kSocketTable.back().lamp});
}

TEST_F(Bench, FixedWindowWithTheWholeTypeGroupInside)
{
    EXPECT_EQ(w->windowTitle(), "Управление мультиплексором");
    EXPECT_EQ(w->objectName(), "Form2");
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_EQ(w->size(), QSize(224, 353));
    RadioGroup *group = w->typeGroup();
    EXPECT_TRUE(w->rect().contains(group->geometry()));
    ASSERT_EQ(group->count(), 7);
    for (int i = 0; i < group->count(); ++i) {
        QRadioButton *item = group->button(i);
        EXPECT_LE(item->sizeHint().width(), item->width()) << "cut: " << item->text().toStdString();
        EXPECT_TRUE(group->rect().contains(item->geometry()));
    }
}

TEST_F(Bench, ChoosingATypeReidentifiesTheBaseUnitOneFullPeriodLater)
{
    open(10);
    clickClient(gridSocket(0, 0).client().center());
    h.select(page::Pump);
    h.send();
    h.form->timer1()->stop();

    w->typeGroup()->button(4)->click(); // "Кислород"
    EXPECT_EQ(h.form->pageControl()->currentIndex(), page::Base);
    EXPECT_TRUE(h.form->timer2()->isActive());
    ASSERT_TRUE(h.form->timer1()->isActive());
    EXPECT_GT(h.form->timer1()->remainingTime(), h.form->timer1()->interval() - 100);
    // Pages a bench block may have had are gone; the others keep their visibility.
    EXPECT_EQ(visibleTabs(), (QList<int>{0, 1, 2, 7, 11, 12, 13, 14}));
    // The entry step of the base page would have cleared the channel.
    EXPECT_EQ(h.send(), frame({128, 12, 1, 0, 7, 0, 0}));
    EXPECT_EQ(h.send(), frame({128, 9, 1, 0, 7, 0, 0}));

    h.reply({0, 9, 0, 0, 7, 0x39, 0x30});
    EXPECT_EQ(visibleTabs(), (QList<int>{0, 1, 2, page::Oxygen}));
    EXPECT_EQ(h.text("Panel2"), "ЗЕТ-74   № 12345");
    w->typeGroup()->button(4)->click(); // the same choice again is no change
    EXPECT_TRUE(h.form->session().queue.empty());
}

struct Preselect : Bench, ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(Preselect, OpeningSelectsTheIdentifiedTypeAndSendsIt)
{
    const auto [type, item] = GetParam();
    open(type);
    ASSERT_TRUE(w->isVisible());
    EXPECT_FALSE(w->picture().isNull());
    EXPECT_EQ(w->typeGroup()->itemIndex(), item);
    const Frame before = h.request();
    if (item < 0) {
        EXPECT_TRUE(h.form->session().queue.empty());
        EXPECT_EQ(h.send(), frame({before[0], 12, 0, 0, 0, 0, 0}));
        return;
    }
    EXPECT_EQ(h.send(), frame({128, 12, 0, 0, uint8_t(type), 0, 0}));
    EXPECT_EQ(h.send(), frame({128, 9, 0, 0, uint8_t(type), 0, 0}));
    // Closing hides the window; opening it again changes nothing and sends nothing.
    w->close();
    EXPECT_FALSE(w->isVisible());
    h.click("Button72");
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(h.form->session().queue.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, Preselect,
                         ::testing::Values(std::pair{1, 0}, std::pair{2, 1}, std::pair{3, 2},
                                           std::pair{4, 3}, std::pair{7, -1}, std::pair{9, -1},
                                           std::pair{10, -1}));

TEST_F(Bench, MissingPictureIsReportedAndTheSocketsStillWork)
{
    QTemporaryDir empty;
    h.form->setPictureDirectories({empty.path()});
    open(2);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(h.messages, QStringList{"Не удалось загрузить рисунок stend1.bmp"});
    EXPECT_TRUE(w->picture().isNull());
    EXPECT_EQ(w->typeGroup()->itemIndex(), -1);
    EXPECT_TRUE(h.form->session().queue.empty());
    clickClient(gridSocket(3, 3).client().center());
    EXPECT_EQ(h.send(), frame({148, 12, 25, 0, 0, 0, 0}));
    EXPECT_EQ(litLamps(), QList<int>{28});
}

TEST_F(Bench, Timer3RepaintsOnlyAVisibleWindow)
{
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } count;
    w->installEventFilter(&count);
    auto tick = [&] {
        QCoreApplication::processEvents();
        count.paints = 0;
        h.form->Timer3Timer();
        QCoreApplication::processEvents();
        return count.paints;
    };
    EXPECT_TRUE(h.form->timer3()->isActive());
    EXPECT_EQ(tick(), 0);
    open(1);
    EXPECT_EQ(tick(), 1);
    w->close();
    EXPECT_EQ(tick(), 0);
}

TEST_F(Bench, IdentificationShowsExactlyTheIdentifiedTypesPages)
{
    h.connect(10);
    for (int type : {1, 2, 3, 4, 5, 6, 7, 9, 10, 1}) {
        SCOPED_TRACE(type);
        h.reply({0, 9, 0, 0, uint8_t(type), 1, 0});
        QList<int> expected{0, page::Base, page::Pump};
        const auto info = deviceTypeInfo(type);
        for (const ShownPage &p : info->pages)
            expected << p.index;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(visibleTabs(), expected);
    }
}

// Closing the main window ends the program while the bench window is open: the event
// loop returns at once instead of waiting for the watchdog.
struct EndsWithMainWindow : Bench, ::testing::WithParamInterface<bool> {};

TEST_P(EndsWithMainWindow, EvenWithTheBenchWindowOpen)
{
    const bool unknownInstrument = GetParam();
    h.form->show();
    open(1);
    ASSERT_TRUE(w->isVisible());
    QTimer::singleShot(0, h.form.get(), [&] {
        if (unknownInstrument)
            h.reply({0, 9, 0, 0, 8, 0, 0});
        else
            h.form->close();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(3000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(h.form->isVisible());
    EXPECT_FALSE(w->isVisible());
    if (unknownInstrument) {
        EXPECT_EQ(h.messages.last(), "Прибор неизвестен! Приложение будут закрыто!");
    }
}

INSTANTIATE_TEST_SUITE_P(Close, EndsWithMainWindow, ::testing::Bool());

} // namespace
