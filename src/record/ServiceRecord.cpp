#include "record/ServiceRecord.h"

#include "connection/PollCycle.h"
#include "pages/ModulePage.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Platform.h"
#include "record/JournalWindow.h"
#include "record/LineMonitor.h"
#include "record/TrendExport.h"

#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

namespace zet {

ServiceRecord::ServiceRecord(QWidget &window, QTabWidget *pages, Session &session,
                             Platform &platform, PollCycle &cycle)
    : window_(window), platform_(platform), cycle_(cycle), files_(FileChooser::desktop()),
      writer_(journal::defaultDirectory(),
              [this](const QString &text) {
                  // Told after the tick that wrote, never inside it.
                  QTimer::singleShot(0, this,
                                     [this, text] { platform_.message(MessageKind::Error, text); });
              }),
      recorder_(session, platform, writer_), lineLog_([&platform] { return platform.stampMs(); })
{
    QTabWidget *tabs = pages;
    recorder_.setPageCaption([tabs](const ModulePage *page) {
        return tabs->tabText(tabs->indexOf(const_cast<ModulePage *>(page)));
    });
    recorder_.setWritten([this](const QString &file) {
        if (journal_)
            journal_->refresh(file);
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
    auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), &window_);
    key->setObjectName(QStringLiteral("MonitorShortcut"));
    connect(key, &QShortcut::activated, this, &ServiceRecord::showMonitor);

    for (int i = 0; i < tabs->count(); ++i)
        attach(tabs->widget(i));
    // A page built later is reached when it is first shown.
    connect(tabs, &QTabWidget::currentChanged, this,
            [this, tabs](int index) { attach(tabs->widget(index)); });
}

ServiceRecord::~ServiceRecord()
{
    delete journal_;
    delete monitor_;
    cycle_.removeObserver(&recorder_);
    cycle_.removeObserver(&lineLog_);
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

QString ServiceRecord::newestJournal() const
{
    const QFileInfoList files =
        QDir(writer_.directory()).entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Time);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

void ServiceRecord::showJournal()
{
    if (!journal_)
        journal_ = new JournalWindow(files_, writer_.directory(), &window_);
    const Instrument &instrument = recorder_.instrument();
    journal_->showFile(instrument.known() ? writer_.fileFor(instrument) : newestJournal());
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
