// What the main window does around the pages: tabs of pages the instrument does not
// have stay out of reach, pages are built whole when first shown or reached, the
// device list stays readable, silence of the instrument is shown, an answered command
// is not repeated while the list is shown, a burst of device changes gives one wait,
// and nothing is asked of the driver while no converter is open.
#include "Harness.h"
#include "link/DeviceWatcher.h"
#include "pages/TrendChart.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <set>

using namespace zet;
using namespace zet::test;

TEST(HiddenPages, CtrlTabAndWheelNeverOpenThem)
{
    Harness h;
    h.connect(10);
    QTabWidget *tabs = h.form->pageControl();
    std::set<int> reached;
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        reached.insert(tabs->currentIndex());
    }
    QTabBar *bar = tabs->tabBar();
    for (int i = 0; i < 30; ++i) {
        QWheelEvent wheel(QPointF(10, 10), bar->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, i < 15 ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &wheel);
        reached.insert(tabs->currentIndex());
    }
    EXPECT_GT(reached.size(), 5u) << "the keys and the wheel did move between pages";
    for (int index : reached)
        EXPECT_TRUE(tabs->isTabVisible(index)) << "hidden page " << index << " was opened";
    EXPECT_FALSE(tabs->isTabEnabled(page::Tks));
}

// Start-up builds no page; a page shown, or reached through the window, is whole, and
// the controls of a page built while the window is on screen are on screen with it.
TEST(PagesBuiltOnFirstUse, WholeWhenShownOrReached)
{
    Harness h;
    h.form->show();
    EXPECT_EQ(h.form->findChild<TrendChart *>(), nullptr);
    h.connect(10);
    auto *chart = h.form->findChild<TrendChart *>("Chart1");
    ASSERT_TRUE(chart) << "the base page, shown by the identification";
    EXPECT_TRUE(chart->isVisible());
    EXPECT_EQ(h.form->findChild<TrendChart *>("Chart16"), nullptr) << "pressure not shown yet";
    // The tab answers as its page before and after the page is built.
    auto *tab = dynamic_cast<ModulePage *>(h.form->pageControl()->widget(page::Pressure));
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->block(), 17);
    EXPECT_TRUE(h.form->page(page::Pressure)->findChild<TrendChart *>("Chart16"));
    h.select(page::Pressure);
    EXPECT_TRUE(tab->findChild<TrendChart *>("Chart16")->isVisible());
}

TEST(DeviceListLook, SelectedRowTextStandsOutFromItsBackground)
{
    Harness h;
    auto *list = h.find<QTreeWidget>("ListView1");
    h.form->resize(h.form->size());
    list->setCurrentItem(list->topLevelItem(0));
    ASSERT_TRUE(list->topLevelItem(0)->isSelected());
    const QImage shot = list->viewport()->grab().toImage();
    const QRect row = list->visualItemRect(list->topLevelItem(0)).adjusted(2, 2, -2, -2);
    int low = 255, high = 0;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x) {
            const int g = qGray(shot.pixel(x, y));
            low = std::min(low, g);
            high = std::max(high, g);
        }
    EXPECT_GE(high - low, 120) << "text and background of the selected row are too alike";
}

TEST(NoAnswer, ShownAfterThreeSecondsOfSilenceAndClearedByTheNextReply)
{
    Harness h;
    h.connect(10);
    auto *indicator = h.find<QLabel>("NoAnswer");
    ASSERT_NE(indicator, nullptr);
    EXPECT_EQ(indicator->text(), "Нет ответа от прибора");
    // 350 ms transmit periods: the ninth without an answer passes 3 s.
    for (int i = 0; i < 8; ++i) {
        h.send();
        h.form->Timer2Timer();
    }
    EXPECT_TRUE(indicator->isHidden()) << "not before 3 s";
    const Frame before = h.request();
    h.send();
    EXPECT_FALSE(indicator->isHidden());
    EXPECT_EQ(h.request(), before) << "a display only: the request is untouched";
    h.reply({0, 12, 0, 0, 0, 0, 0});
    EXPECT_TRUE(indicator->isHidden());
    h.form->Button1Click(); // closing clears it, and no ticks run while closed
    EXPECT_TRUE(indicator->isHidden());
    EXPECT_FALSE(h.form->timer1()->isActive());
}

// The device list has no decoder; an answered command must still not be repeated.
TEST(DeviceListPage, AnsweredCommandIsNotSentAgain)
{
    struct Case {
        const char *what;
        int type;
        int page;
        const char *button; // nullptr: the page's start-up queue is running
        uint8_t block;
    };
    const Case cases[] = {
        {"save on the TKS page", 1, page::Tks, "Button25", 3},
        {"switch-off on the base page", 1, page::Base, "Button2", 0},
        {"running start-up queue", 1, page::Tks, nullptr, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.connect(c.type);
        h.select(c.page);
        if (c.button) {
            h.form->session().queue.clear();
            h.click(c.button);
        }
        h.select(page::DeviceList);
        std::vector<int> codes;
        for (int i = 0; i < 8; ++i) {
            const Frame f = h.send();
            codes.push_back(f[1]);
            h.reply({c.block, f[1], 0x01, 0, 0, 0, 0});
        }
        std::set<int> afterwards(codes.begin() + 4, codes.end());
        EXPECT_EQ(afterwards, std::set<int>{12}) << "only the status request once answered";
        EXPECT_EQ(h.request()[0], moduleAddress(c.block));
    }
}

TEST(DeviceChange, BurstOfChangesGivesOneWaitAndOneRebuild)
{
    Harness h(Rows{{"A", "S1"}});
    h.connect(10);
    int steps = 0;
    int changes = 0;
    int lastChangeAt = 0;
    h.form->platform().processEvents = [&] {
        ++steps;
        if (steps % 40 == 0 && changes < 5) { // five more udev events during the wait
            ++changes;
            lastChangeAt = int(h.sleeps.size());
            h.form->WMDeviceChange(kDeviceArrival);
        }
    };
    h.driver.calls.clear();
    h.form->WMDeviceChange(kDeviceRemoveComplete);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(h.driver.calls.filter("Close").size(), 1) << "the connection is closed once";
    EXPECT_EQ(h.driver.calls.filter("ListDevices").isEmpty(), false);
    EXPECT_EQ(int(h.sleeps.size()) - lastChangeAt, 351) << "a full wait after the last change";
    EXPECT_LT(h.sleeps.size(), 2 * 351) << "the waits did not nest";
    EXPECT_EQ(h.text("Panel1"), "Список обновлен!");
}

// The device list page's status line shows its messages whole, beside the list and
// above the buttons, in its bold font: the lost link (after an unplug) and the search.
TEST(DeviceListPage, StatusLineShowsItsMessagesWhole)
{
    Harness h;
    h.connect(10);
    h.driver.failures["GetStatus"] = 4; // the converter has gone
    h.form->Timer2Timer();
    h.select(0);
    auto *label = h.find<QLabel>("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Связь с преобразователем потеряна");
    const QString texts[] = {label->text(), QStringLiteral("Поиск прибора ...")};
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        label->setText(text);
        const QRect room = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(
            room, int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), text);
        EXPECT_LE(needed.width(), room.width());
        EXPECT_LE(needed.height(), room.height());
    }
    for (const char *neighbour : {"ListView1", "Button1", "JournalButton"}) {
        SCOPED_TRACE(neighbour);
        auto *w = h.find<QWidget>(neighbour);
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(label->geometry().intersects(w->geometry()));
    }
}

// Before any converter is opened the receive tick runs, but asks the driver nothing,
// and the bench window's repaint timer sleeps.
TEST(NothingOpen, TicksAskTheDriverNothing)
{
    Harness h;
    h.driver.calls.clear();
    for (int i = 0; i < 3; ++i)
        h.form->Timer2Timer();
    EXPECT_TRUE(h.form->timer2()->isActive());
    EXPECT_EQ(h.driver.calls, QStringList());
    EXPECT_FALSE(h.form->timer3()->isActive());
}
