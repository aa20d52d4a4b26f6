// Device list, opening a converter, the close paths, device change and exit hold.
#include "Harness.h"
#include "link/DeviceWatcher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace zet;
using namespace zet::test;

namespace {

QStringList rowTexts(Harness &h)
{
    QStringList out;
    auto *list = h.find<QTreeWidget>("ListView1");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        auto *it = list->topLevelItem(i);
        out << it->text(0) + "|" + it->text(1) + "|" + it->text(2);
    }
    return out;
}

int visibleModuleTabs(Harness &h)
{
    int n = 0;
    for (int i = 1; i < 15; ++i)
        n += h.form->pageControl()->isTabVisible(i);
    return n;
}

TEST(DeviceList, RowsFollowTheDriverOrder)
{
    Harness h(Rows{{"Cable A", "AAA1"}, {"Cable B", "BBB2"}, {"Cable C", "CCC3"}});
    EXPECT_EQ(rowTexts(h), (QStringList{"Устройство 1|Cable A|AAA1", "Устройство 2|Cable B|BBB2",
                                        "Устройство 3|Cable C|CCC3"}));
    EXPECT_TRUE(h.messages.isEmpty());
    EXPECT_EQ(h.text("Panel1"), "Нет активных устройств");
    EXPECT_EQ(h.form->pageControl()->currentIndex(), 0);
    EXPECT_EQ(visibleModuleTabs(h), 0);
}

TEST(DeviceList, NoConverterGivesEmptyListAndNoMessage)
{
    Harness h(Rows{});
    EXPECT_TRUE(rowTexts(h).isEmpty());
    EXPECT_TRUE(h.messages.isEmpty());
}

TEST(DeviceList, ControlsAndWindowAsDesigned)
{
    Harness h;
    auto *list = h.find<QTreeWidget>("ListView1");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->headerItem()->text(0), "Устройство");
    EXPECT_EQ(list->headerItem()->text(1), "Обозначение");
    EXPECT_EQ(list->headerItem()->text(2), "Серийный номер");
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(list->columnWidth(c), 150);
    EXPECT_EQ(h.find<QPushButton>("Button1")->text(), "Обновить список устройств");
    auto *bar = h.find<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 350);
    EXPECT_EQ(h.form->windowTitle(), "Настройка приборов серии ЗЕТxx  V1.0");
    EXPECT_EQ(h.form->size(), QSize(792, 573));
    EXPECT_FALSE(h.form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(h.form->pageControl()->count(), 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(h.form->pageControl()->widget(i)->objectName(), QString("TabSheet%1").arg(i + 1));
    EXPECT_TRUE(h.form->timer2()->isActive()) << "the receive tick runs from start-up";
    EXPECT_FALSE(h.form->timer1()->isActive());
}

TEST(DeviceList, FailedQueriesStillAddTheRow)
{
    Harness h(Rows{{"Cable A", "AAA1"}});
    h.driver.failures["ListSerial"] = 4;
    h.form->Button1Click();
    EXPECT_EQ(rowTexts(h), QStringList{"Устройство 1|Cable A|"});
    EXPECT_EQ(h.messages, QStringList{"GetFTDeviceSerialNo - General IO error..."});
}

TEST(DeviceList, FailedCountKeepsTheCountFromBefore)
{
    Harness h(Rows{{"Cable A", "AAA1"}, {"Cable B", "BBB2"}});
    h.driver.rows.push_back({"Cable C", "CCC3"});
    h.driver.failures["ListCount"] = 4;
    h.form->Button1Click();
    EXPECT_EQ(rowTexts(h), (QStringList{"Устройство 1|Cable A|AAA1", "Устройство 2|Cable B|BBB2"}));
    EXPECT_EQ(h.messages, QStringList{"GetFTDeviceCount - General IO error..."});
}

TEST(Open, SequenceLineSettingsAndIdentificationRequest)
{
    Harness h(Rows{{"USB Serial", "FT0001"}});
    h.driver.calls.clear();
    h.open();
    EXPECT_EQ(h.driver.calls,
              (QStringList{"OpenEx(FT0001,1)", "Purge(1)", "Purge(2)", "SetBaudRate(250000)",
                           "SetDataCharacteristics(8,2,0)"}));
    EXPECT_EQ(h.text("Panel1"), "Открыт USB порт   USB Serial   № FT0001");
    EXPECT_EQ(h.text("Label1"), "Поиск прибора ...");
    EXPECT_TRUE(h.form->timer1()->isActive());
    EXPECT_EQ(h.form->timer1()->interval(), 350);
    EXPECT_TRUE(h.form->timer2()->isActive());
    EXPECT_EQ(h.form->timer2()->interval(), 100);
    const Frame sent = h.send();
    EXPECT_EQ(sent, (Frame{0x80, 0x09, 0, 0, 0, 0, 0, 0x89}));
    EXPECT_EQ(h.driver.writes.back().size(), 8);
}

TEST(Open, FailedOpenShowsOnlyTheLinkMessage)
{
    Harness h;
    h.driver.failures["OpenEx"] = 3;
    h.open();
    EXPECT_EQ(h.messages, QStringList{"Open_USB_Device_By_Serial_Number - Device not opened..."});
    EXPECT_EQ(h.text("Panel1"), "Нет активных устройств");
    EXPECT_EQ(h.text("Label1"), "");
    EXPECT_FALSE(h.form->timer1()->isActive());
    EXPECT_FALSE(h.form->session().deviceOpen);
    EXPECT_EQ(visibleModuleTabs(h), 0);
}

TEST(Open, LineSettingFailuresAreReportedAndOpeningGoesOn)
{
    Harness h;
    h.driver.failures["SetBaudRate"] = 7;
    h.open();
    EXPECT_EQ(h.messages, QStringList{"FT_SetBaudRate - Invalid baud rate..."});
    EXPECT_TRUE(h.form->session().deviceOpen);
    EXPECT_TRUE(h.form->timer1()->isActive());
}

TEST(Open, DoubleClickWithNoRowSelectedOnlyHidesPages)
{
    Harness h;
    h.connect(1);
    ASSERT_GT(visibleModuleTabs(h), 0);
    auto *list = h.find<QTreeWidget>("ListView1");
    list->clearSelection();
    list->setCurrentItem(nullptr);
    h.driver.calls.clear();
    h.form->ListView1DblClick();
    EXPECT_EQ(visibleModuleTabs(h), 0);
    EXPECT_TRUE(h.form->session().deviceOpen) << "the open connection stays open";
    EXPECT_FALSE(h.driver.calls.contains("Close(4660)"));
}

// Double clicks as the mouse makes them, on a row and off the rows.
TEST(Open, DoubleClickOnARowOpensItAndOffTheRowsOnlyHidesPages)
{
    Harness h(Rows{{"A", "S1"}, {"B", "S2"}});
    h.form->show();
    auto *list = h.find<QTreeWidget>("ListView1");
    QWidget *area = list->viewport();
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();
    QTest::mouseClick(area, Qt::LeftButton, {}, second);
    QTest::mouseDClick(area, Qt::LeftButton, {}, second);
    EXPECT_EQ(h.text("Panel1"), "Открыт USB порт   B   № S2");
    EXPECT_EQ(h.send(), sealed({0x80, 9, 0, 0, 0, 0, 0}));
    h.reply({0, 9, 0, 0, 1, 1, 0});
    ASSERT_GT(visibleModuleTabs(h), 0);

    const QPoint empty(10, area->height() - 5);
    ASSERT_EQ(list->itemAt(empty), nullptr);
    h.driver.calls.clear();
    QTest::mouseClick(area, Qt::LeftButton, {}, empty);
    QTest::mouseDClick(area, Qt::LeftButton, {}, empty);
    EXPECT_EQ(visibleModuleTabs(h), 0);
    EXPECT_EQ(h.form->pageControl()->currentIndex(), 0);
    EXPECT_TRUE(h.form->session().deviceOpen) << "the open connection stays open";
    EXPECT_FALSE(h.driver.calls.join(",").contains("Close"))
        << h.driver.calls.join(",").toStdString();
    EXPECT_FALSE(h.driver.calls.join(",").contains("OpenEx"));
    EXPECT_EQ(h.text("Panel1"), "Открыт USB порт   B   № S2");
}

TEST(Open, OpeningAgainClosesTheCurrentConverterFirst)
{
    Harness h(Rows{{"A", "S1"}, {"B", "S2"}});
    h.open(0);
    h.driver.calls.clear();
    h.open(1);
    ASSERT_GE(h.driver.calls.size(), 2);
    EXPECT_TRUE(h.driver.calls[0].startsWith("Close("));
    EXPECT_EQ(h.driver.calls[1], "OpenEx(S2,1)");
    EXPECT_EQ(h.text("Panel1"), "Открыт USB порт   B   № S2");
}

TEST(Close, RefreshButtonClosesAndStopsTheTicks)
{
    Harness h;
    h.connect(10);
    h.driver.calls.clear();
    h.form->Button1Click();
    EXPECT_TRUE(h.driver.calls[0].startsWith("Close("));
    EXPECT_FALSE(h.form->timer1()->isActive());
    EXPECT_FALSE(h.form->timer2()->isActive());
    EXPECT_FALSE(h.form->session().deviceOpen);
    EXPECT_EQ(visibleModuleTabs(h), 0);
    EXPECT_EQ(h.text("Panel1"), "Нет активных устройств");
    EXPECT_EQ(h.form->pageControl()->currentIndex(), 0);
    EXPECT_EQ(rowTexts(h).size(), 1);
}

TEST(Close, RefreshWithoutConnectionOnlyRebuildsTheList)
{
    Harness h(Rows{{"A", "S1"}});
    h.driver.rows.push_back({"B", "S2"});
    h.driver.calls.clear();
    h.form->Button1Click();
    EXPECT_FALSE(h.driver.calls.join(",").contains("Close"));
    EXPECT_EQ(rowTexts(h).size(), 2);
}

TEST(Close, ExitWhileConnectedHoldsTheWindowThreeSeconds)
{
    Harness h;
    h.connect(1);
    h.form->close();
    EXPECT_EQ(h.text("Panel1"), "Закрытие программы !!!");
    EXPECT_EQ(h.sleeps, QList<int>{3000});
    EXPECT_FALSE(h.form->session().deviceOpen);
    EXPECT_EQ(visibleModuleTabs(h), 0);
    EXPECT_TRUE(h.driver.calls.join(",").contains("Close("));
}

TEST(Close, ExitWithoutConnectionIsImmediate)
{
    Harness h;
    h.form->close();
    EXPECT_TRUE(h.sleeps.isEmpty());
    EXPECT_EQ(h.text("Panel1"), "Нет активных устройств");
}

TEST(DeviceChange, ArrivalAndRemovalCloseWaitAndRebuild)
{
    for (unsigned wParam : {kDeviceArrival, kDeviceRemoveComplete}) {
        Harness h(Rows{{"A", "S1"}});
        h.connect(10);
        h.driver.rows.push_back({"B", "S2"});
        QStringList statusDuringWait;
        QList<int> progress;
        int steps = 0;
        h.form->platform().processEvents = [&] {
            if (steps++ == 0)
                statusDuringWait << h.text("Panel1");
            progress << h.find<QProgressBar>("ProgressBar1")->value();
        };
        h.form->WMDeviceChange(wParam);
        EXPECT_EQ(steps, 351);
        EXPECT_EQ(h.sleeps.size(), 351);
        EXPECT_TRUE(std::all_of(h.sleeps.begin(), h.sleeps.end(), [](int ms) { return ms == 20; }));
        EXPECT_EQ(progress.last(), 349) << "the bar reaches step 349 before the last sleep";
        EXPECT_EQ(statusDuringWait, QStringList{"Обновление списка устройств. Ожидайте! ..."});
        EXPECT_EQ(h.text("Panel1"), "Список обновлен!");
        EXPECT_EQ(h.find<QProgressBar>("ProgressBar1")->value(), 0);
        EXPECT_FALSE(h.form->session().deviceOpen);
        EXPECT_FALSE(h.form->timer1()->isActive());
        EXPECT_EQ(visibleModuleTabs(h), 0);
        EXPECT_EQ(rowTexts(h).size(), 2);
    }
}

TEST(DeviceChange, OtherActionsChangeNothing)
{
    Harness h;
    h.connect(1);
    h.driver.calls.clear();
    h.form->WMDeviceChange(0x0007);
    EXPECT_TRUE(h.sleeps.isEmpty());
    EXPECT_TRUE(h.form->session().deviceOpen);
    EXPECT_TRUE(h.driver.calls.isEmpty());
    EXPECT_GT(visibleModuleTabs(h), 0);
}

TEST(DeviceChange, SignalFromTheWatcherReachesTheWindow)
{
    ScriptedDriver driver;
    driver.rows = {{"A", "S1"}};
    ManualDeviceChangeSource source;
    Harness h;
    TForm1 form(driver, h.platform(), &source);
    source.fire(kDeviceArrival);
    EXPECT_EQ(form.findChild<QLabel *>("Panel1")->text(), "Список обновлен!");
    source.fire(0x8003);
    EXPECT_EQ(h.sleeps.size(), 351);
}

// Messages on the desktop: a modal box titled with the application's title and a
// single OK button, with the error icon for driver failures.
TEST(Messages, DesktopBoxesCarryTheApplicationTitle)
{
    struct Case {
        MessageKind kind;
        QMessageBox::Icon icon;
    };
    for (const Case c : {Case{MessageKind::Error, QMessageBox::Critical},
                         Case{MessageKind::Plain, QMessageBox::NoIcon}}) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Question;
        int buttons = 0;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = int(box->buttons().size());
            box->accept();
        });
        Platform::desktop().message(c.kind, "FT_Read - General IO error...");
        EXPECT_EQ(title, "Серия ЗЕТ-75");
        EXPECT_EQ(text, "FT_Read - General IO error...");
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(buttons, 1);
    }
}

} // namespace
