#pragma once
// The main window: device list, page control with the module pages, and the
// three timers that carry the conversation with the instrument.

#include "connection/PollCycle.h"
#include "connection/Session.h"
#include "link/D2XXUnit.h"
#include "pages/ModulePage.h"
#include "platform/Platform.h"
#include "ui/Unit2.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace zet {

class DeviceChangeSource;
class ServiceRecord;
class PageSlot;

class TForm1 : public QWidget, public PageHost, private ReplyHandler, private BenchHost {
public:
    static constexpr int kClientWidth = 792;
    static constexpr int kClientHeight = 573;
    // Silence after which the window says the instrument does not answer.
    static constexpr int kSilenceMs = 3000;

    // The window fills its device list from `driver` as it is created.
    TForm1(FtDriver &driver, Platform platform, DeviceChangeSource *deviceChanges = nullptr,
           QWidget *parent = nullptr);
    ~TForm1() override;

    // Ticks, callable directly by tests; the poll cycle does the work.
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();

    // Form-level handlers.
    void Button1Click();
    void ListView1DblClick();
    void PageControl1Change();
    void WMDeviceChange(unsigned wParam);

    // PageHost
    Session &session() override { return session_; }
    Platform &platform() override { return platform_; }
    void setTransmitPeriod(int ms) override;
    void switchOffCompleted() override;
    void showMultiplexer() override;
    bool loadPicture(const QString &file, QPixmap &picture) override;

    D2XXUnit &link() { return link_; }
    QTabWidget *pageControl() const { return pageControl_; }
    // The module page of a tab, built on first use.
    ModulePage *page(int index) const;
    PollCycle &pollCycle() { return cycle_; }
    QTimer *timer1() const { return cycle_.transmitTimer(); }
    QTimer *timer2() const { return cycle_.receiveTimer(); }
    QTimer *timer3() const { return timer3_; }
    // The bench window, built hidden on first use.
    TForm2 *benchWindow();
    // Journal, line monitor and chart export.
    ServiceRecord &record() { return *record_; }

    // Where pictures are looked for after the current directory.
    void setPictureDirectories(QStringList dirs) { pictureDirs_ = std::move(dirs); }

    // Selects a page the way a user's tab click does (runs the entry action).
    void selectPage(int index);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    bool FormClose();
    void buildDeviceListPage(QWidget *page);
    void refreshList();
    void closeConnection();
    void hideModulePages();
    // A hidden tab is also disabled, so that Ctrl+Tab and the wheel skip it.
    void showPage(int index, bool shown);
    // A valid reply clears the no-answer indicator.
    void watchSilence();
    void setActivePage(int index); // program-made change: no entry action
    // ReplyHandler
    void identificationReply(const Frame &reply) override;
    void moduleReply(const Frame &reply) override;
    void linkLost() override;
    void unknownInstrument();
    void onFocusChanged(QWidget *old, QWidget *now);
    bool findPicture(const QString &name, QPixmap &picture, bool currentDirectory);
    // BenchHost
    void activatePage(int index) override { setActivePage(index); }
    void hidePage(int index) override;

    Platform platform_;
    D2XXUnit link_;
    Session session_;
    PollCycle cycle_;
    std::unique_ptr<TForm2> form2_; // the bench window, hidden until Button72; built on first use

    QTabWidget *pageControl_ = nullptr;
    std::array<PageSlot *, page::Count> slots_{}; // tabs of the module pages
    QTreeWidget *listView_ = nullptr;
    QPushButton *button1_ = nullptr;
    QLabel *panel1_ = nullptr;
    QLabel *label1_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QTimer *timer3_ = nullptr;
    QMetaObject::Connection focusWatch_;
    bool programChange_ = false;
    bool closing_ = false;
    QStringList pictureDirs_;
    QLabel *noAnswer_ = nullptr;
    int silentMs_ = 0; // transmit periods since the last valid reply, or the open
    bool waitingForDevices_ = false;
    bool devicesChangedAgain_ = false;
    std::unique_ptr<ServiceRecord> record_; // gone before the poll cycle it watches
};

} // namespace zet
