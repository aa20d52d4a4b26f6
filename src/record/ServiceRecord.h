#pragma once
// The engineer's record beside the main window: the service journal with its
// window, the line monitor, and saving the trend charts. It only watches: the
// line through the poll cycle, the clicks through the pages' buttons. Its entry
// points move none of the window's own controls: two buttons in the free corner of
// the device list page, Ctrl+M, and the charts' context menus.

#include "journal/CommandRecorder.h"
#include "journal/Journal.h"
#include "journal/LineLog.h"
#include "record/FileChooser.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QWidget;

namespace zet {

class JournalStore;
class ModulePage;
class JournalWindow;
class LineMonitor;
class PollCycle;
struct Platform;
struct Session;
class TrendChart;

class ServiceRecord : public QObject, private JournalSink {
public:
    // A block's state is kept this long after the engineer's last answered command on
    // its page (the block has settled, and its chart shows the time around the
    // command), or when the engineer leaves the page or closes the program first.
    static constexpr int kStateDelayMs = 10000;
    void setStateDelay(int ms) { stateDelayMs_ = ms; }

    // The journal's location for this run (`--journal`): a file or a server's URL.
    // Empty: the "journal/location" setting, else the default SQLite file.
    static void setJournalLocation(const QString &location);

    // Watches the pages of `pages` and the line of `cycle`; its windows belong to `window`.
    ServiceRecord(QWidget &window, QTabWidget *pages, Session &session, Platform &platform,
                  PollCycle &cycle);
    ~ServiceRecord() override;

    // "Журнал…": the history of the instrument identified last (or of the one
    // serviced last when none has been), newest line first.
    void showJournal();
    // "Монитор линии…" and Ctrl+M.
    void showMonitor();

    JournalWindow *journalWindow() const { return journal_; }
    LineMonitor *monitor() const { return monitor_; }
    CommandRecorder &recorder() { return recorder_; }
    // The journal's database, opened at its first use; the CSV journals of earlier
    // versions are imported then (each line once, however often).
    JournalStore &store();
    // After the "Журнал" settings changed: the journal moves to the place and engineer
    // saved now, unless `--journal` chose its place for this run. Lines handed over
    // before are written to the old place first.
    void settingsChanged();
    // Lines the journal has confirmed since the start.
    int linesConfirmed() const { return confirmed_; }
    LineLog &lineLog() { return lineLog_; }
    // File dialogs; tests put their own answers here.
    FileChooser &files() { return files_; }
    // Asks for the journal server's password when it refuses the one it has (none
    // with no ~/.pgpass line); nothing: the engineer declined. Used for this run only.
    using AskPassword = std::function<std::optional<QString>(QWidget *parent, const QString &server)>;
    void setPasswordPrompt(AskPassword ask) { askPassword_ = std::move(ask); }
    // The context menu of a chart, as the right button opens it.
    QMenu *chartMenu(TrendChart *chart);

private:
    // Buttons and charts of a page, once the page exists.
    void attach(QWidget *page);
    void append(const JournalEntry &entry) override;
    // The pages still show the instrument before: its blocks' states are kept now.
    void instrumentChanging() override { keepStates(); }
    // Hands the lines acknowledged since to the journal.
    void handOver();
    void showStoreState();
    // The page that journalled `entry` keeps its block's state later.
    void keepStateLater(const JournalEntry &entry);
    void keepState(const ModulePage *page);
    // Keeps the states waiting, of every page but `except`.
    void keepStates(const QWidget *except = nullptr);

    struct StateToKeep {
        QPointer<ModulePage> page;
        Instrument instrument;
        QString caption;
        QTimer *timer = nullptr;
    };

    QWidget &window_;
    QTabWidget *tabs_ = nullptr;
    Platform &platform_;
    PollCycle &cycle_;
    FileChooser files_;
    AskPassword askPassword_;
    std::unique_ptr<JournalStore> store_;
    CommandRecorder recorder_;
    QLabel *storeState_ = nullptr; // on the device list page while lines wait for the server
    Instrument lastServiced_;
    int confirmed_ = 0;
    bool failureTold_ = false;
    bool closing_ = false;
    LineLog lineLog_;
    JournalWindow *journal_ = nullptr;
    LineMonitor *monitor_ = nullptr;
    QString location_; // of the journal, given when the window was made
    QString storeLocation_, storeEngineer_; // of the store open now
    QHash<QString, QString> passwords_;     // by location, given in this run
    QHash<const ModulePage *, StateToKeep> statesToKeep_;
    int stateDelayMs_ = kStateDelayMs;
    QList<JournalEntry> handOff_; // acknowledged, not yet handed to the journal
};

} // namespace zet
