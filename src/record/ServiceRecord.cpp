#include "record/ServiceRecord.h"

#include "connection/PollCycle.h"
#include "journal/JournalStore.h"
#include "pages/ModulePage.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Platform.h"
#include "record/JournalSettings.h"
#include "record/JournalWindow.h"
#include "record/ServiceProtocol.h"
#include "record/LineMonitor.h"
#include "record/TrendExport.h"

#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

namespace zet {

namespace {

QString &journalLocation()
{
    static QString location;
    return location;
}

std::optional<QString> passwordDialog(QWidget *parent, const QString &server)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Журнал работ"));
    dialog.setLabelText(QStringLiteral("Сервер журнала %1 просит пароль.\nПароль (хранится "
                                       "только до закрытия программы):")
                            .arg(server));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace

void ServiceRecord::setJournalLocation(const QString &location) { journalLocation() = location; }

ServiceRecord::ServiceRecord(QWidget &window, QTabWidget *pages, Session &session,
                             Platform &platform, PollCycle &cycle)
    : window_(window), platform_(platform), cycle_(cycle), files_(FileChooser::desktop()),
      recorder_(session, platform, *this), lineLog_([&platform] { return platform.stampMs(); }),
      location_(journalLocation())
{
    askPassword_ = passwordDialog;
    QTabWidget *tabs = pages;
    tabs_ = pages;
    recorder_.setPageCaption([tabs](const ModulePage *page) {
        return tabs->tabText(tabs->indexOf(const_cast<ModulePage *>(page)));
    });
    cycle_.addObserver(&lineLog_);
    cycle_.addObserver(&recorder_);

    // Right of the refresh button, in the device list page's free column.
    QWidget *devices = tabs->widget(0);
    QPushButton *journal =
        makeButton(devices, "JournalButton", QStringLiteral("Журнал…"), QRect(500, 318, 130, 30));
    connect(journal, &QPushButton::clicked, this, &ServiceRecord::showJournal);
    QPushButton *monitor = makeButton(devices, "MonitorButton", QStringLiteral("Монитор линии…"),
                                      QRect(636, 318, 142, 30));
    connect(monitor, &QPushButton::clicked, this, &ServiceRecord::showMonitor);
    storeState_ = makeLabel(devices, "JournalState", QString(), QRect(500, 352, 278, 40));
    storeState_->setWordWrap(true);
    storeState_->hide();
    auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), &window_);
    key->setObjectName(QStringLiteral("MonitorShortcut"));
    connect(key, &QShortcut::activated, this, &ServiceRecord::showMonitor);

    for (int i = 0; i < tabs->count(); ++i)
        attach(tabs->widget(i));
    // A page built later is reached when it is first shown.
    connect(tabs, &QTabWidget::currentChanged, this, [this, tabs](int index) {
        keepStates(tabs->widget(index)); // the page left is no longer polled
        attach(tabs->widget(index));
    });
}

ServiceRecord::~ServiceRecord()
{
    delete journal_;
    delete monitor_;
    cycle_.removeObserver(&recorder_);
    cycle_.removeObserver(&lineLog_);
    // Commands still unanswered go to the journal as such; the store writes them
    // before it closes.
    closing_ = true;
    handOver(); // lines acknowledged since the last turn of the event loop
    recorder_.flush();
    keepStates();
}

void ServiceRecord::attach(QWidget *widget)
{
    auto *page = dynamic_cast<ModulePage *>(widget);
    if (!page)
        return;
    recorder_.watch(page);
    for (QChartView *view : page->findChildren<QChartView *>()) {
        auto *chart = dynamic_cast<TrendChart *>(view);
        if (!chart || chart->contextMenuPolicy() == Qt::CustomContextMenu)
            continue;
        chart->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(chart, &QWidget::customContextMenuRequested, this, [this, chart](QPoint at) {
            QMenu *menu = chartMenu(chart);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(chart->mapToGlobal(at));
        });
    }
}

QMenu *ServiceRecord::chartMenu(TrendChart *chart) { return trendMenu(chart, files_, platform_); }

JournalStore &ServiceRecord::store()
{
    if (store_)
        return *store_;
    JournalStore::Options options;
    options.location = location_;
    if (options.location.isEmpty())
        options.location = savedJournalLocation();
    options.engineer = savedProtocolPeople().engineer;
    options.password = passwords_.value(options.location);
    storeLocation_ = options.location;
    storeEngineer_ = options.engineer;
    store_ = std::make_unique<JournalStore>(options);
    connect(store_.get(), &JournalStore::confirmed, this, [this] {
        ++confirmed_;
        if (journal_)
            journal_->refreshLines();
    });
    connect(store_.get(), &JournalStore::stateSaved, this, [this] {
        if (journal_)
            journal_->refreshStates();
    });
    connect(store_.get(), &JournalStore::failed, this, [this](QUuid, const QString &message) {
        if (failureTold_)
            return;
        failureTold_ = true;
        platform_.message(MessageKind::Error,
                          message + QStringLiteral(" Программа продолжает работу без журнала."));
    });
    connect(store_.get(), &JournalStore::passwordNeeded, this, [this](const QString &server) {
        const QPointer<JournalStore> asking = store_.get();
        const QString location = storeLocation_;
        const std::optional<QString> password = askPassword_(&window_, server);
        // The journal may have moved while the engineer was typing.
        if (!password || password->isEmpty() || !asking || asking != store_.get())
            return;
        passwords_.insert(location, *password);
        store_->setPassword(*password);
    });
    connect(store_.get(), &JournalStore::waitingChanged, this, [this] { showStoreState(); });
    connect(store_.get(), &JournalStore::problemChanged, this, [this] { showStoreState(); });
    store_->importCsv(journal::defaultDirectory(), [](const CsvImport &) {});
    return *store_;
}

void ServiceRecord::settingsChanged()
{
    if (!store_)
        return; // opened with the new settings at its first use
    const QString location = location_.isEmpty() ? savedJournalLocation() : location_;
    if (location == storeLocation_ && savedProtocolPeople().engineer == storeEngineer_)
        return;
    handOver();
    keepStates(); // beside the lines they follow
    store_.reset(); // writes what it was given, then closes
    failureTold_ = false;
    store();
    showStoreState();
    if (journal_)
        journal_->setStore(*store_);
}

void ServiceRecord::showStoreState()
{
    const int waiting = store_->waiting();
    storeState_->setText(waiting > 0 ? journal::waitingText(waiting) : QString());
    storeState_->setVisible(waiting > 0);
}

void ServiceRecord::keepStateLater(const JournalEntry &entry)
{
    if (!entry.status || closing_)
        return;
    for (int i = 1; i < tabs_->count(); ++i) {
        auto *page = dynamic_cast<ModulePage *>(tabs_->widget(i));
        if (!page || tabs_->tabText(i) != entry.page)
            continue;
        StateToKeep &keep = statesToKeep_[page];
        if (!keep.timer) {
            keep.timer = new QTimer(this);
            keep.timer->setSingleShot(true);
            connect(keep.timer, &QTimer::timeout, this, [this, page] { keepState(page); });
        }
        keep.page = page;
        keep.instrument = entry.instrument;
        keep.caption = entry.page;
        keep.timer->start(stateDelayMs_);
        return;
    }
}

void ServiceRecord::keepState(const ModulePage *key)
{
    const auto found = statesToKeep_.find(key);
    if (found == statesToKeep_.end())
        return;
    const StateToKeep keep = *found;
    statesToKeep_.erase(found);
    keep.timer->deleteLater();
    const Instrument &now = recorder_.instrument();
    // Gone, or showing another instrument since: nothing of that block to keep.
    if (!keep.page || now.model != keep.instrument.model || now.serial != keep.instrument.serial)
        return;
    handOver(); // the lines first: a state read back has its lines beside it
    const BlockReport report = keep.page->report();
    StoredState state;
    state.time = platform_.now();
    state.instrument = keep.instrument;
    state.page = keep.caption;
    state.version = report.version;
    state.status = report.status;
    state.readBack = report.readBack;
    store().saveState(state, report.chart);
}

void ServiceRecord::keepStates(const QWidget *except)
{
    for (const ModulePage *page : statesToKeep_.keys())
        if (page != except)
            keepState(page);
}

void ServiceRecord::append(const JournalEntry &entry)
{
    lastServiced_ = entry.instrument;
    keepStateLater(entry);
    handOff_.append(entry);
    if (closing_)
        handOver();
    else if (handOff_.size() == 1) // written after the tick that acknowledged it, never inside it
        QTimer::singleShot(0, this, [this] { handOver(); });
}

void ServiceRecord::handOver()
{
    const QList<JournalEntry> entries = std::exchange(handOff_, {});
    for (const JournalEntry &entry : entries)
        store().append(entry);
}

void ServiceRecord::showJournal()
{
    if (!journal_) {
        journal_ = new JournalWindow(store(), files_, platform_, &window_);
        journal_->setSettingsAccepted([this] { settingsChanged(); });
        journal_->setBlockReports([this](const Instrument &instrument) {
            QMap<QString, BlockReport> reports;
            const Instrument &live = recorder_.instrument();
            if (live.model != instrument.model || live.serial != instrument.serial)
                return reports; // only the instrument on the cable shows its blocks
            for (int i = 1; i < tabs_->count(); ++i)
                if (tabs_->isTabVisible(i))
                    if (auto *page = dynamic_cast<ModulePage *>(tabs_->widget(i)))
                        reports.insert(tabs_->tabText(i), page->report());
            return reports;
        });
    }
    const Instrument &instrument = recorder_.instrument();
    journal_->showInstrument(instrument.known() ? instrument : lastServiced_);
    if (journal_->isVisible()) {
        journal_->raise();
        journal_->activateWindow();
    }
    journal_->show();
}

void ServiceRecord::showMonitor()
{
    if (!monitor_)
        monitor_ = new LineMonitor(lineLog_, platform_, files_, &window_);
    if (monitor_->isVisible()) {
        monitor_->raise();
        monitor_->activateWindow();
    }
    monitor_->show();
}

} // namespace zet
