#include "record/LineMonitor.h"

#include "platform/Platform.h"
#include "record/FileChooser.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace zet {

int LineMonitorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int LineMonitorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : monitor::ColumnCount;
}

QVariant LineMonitorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row &r = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return r.columns[index.column()];
    case Qt::ForegroundRole:
        if (!r.valid)
            return QColor(0xC0, 0, 0);
        break;
    case Qt::FontRole:
        if (index.column() == monitor::Bytes)
            return QFontDatabase::systemFont(QFontDatabase::FixedFont);
        break;
    default:
        break;
    }
    return {};
}

QVariant LineMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return monitor::header().value(section);
    return {};
}

void LineMonitorModel::append(const LineEntry &entry)
{
    if (rows_.size() >= size_t(LineLog::kCapacity)) {
        beginRemoveRows({}, 0, 0);
        rows_.pop_front();
        endRemoveRows();
    }
    const int at = int(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back({entry.valid, monitor::columns(entry)});
    endInsertRows();
}

void LineMonitorModel::fill(const LineLog &log)
{
    beginResetModel();
    rows_.clear();
    for (int i = 0; i < log.size(); ++i)
        rows_.push_back({log.at(i).valid, monitor::columns(log.at(i))});
    endResetModel();
}

LineMonitor::LineMonitor(LineLog &log, Platform &platform, FileChooser &files, QWidget *parent)
    : QWidget(parent, Qt::Window), log_(log), platform_(platform), files_(files),
      table_(new QTableView), pause_(new QPushButton(QStringLiteral("Пауза"))), count_(new QLabel)
{
    setObjectName(QStringLiteral("LineMonitor"));
    setWindowTitle(QStringLiteral("Монитор линии"));
    resize(920, 460);

    pause_->setObjectName(QStringLiteral("PauseButton"));
    pause_->setCheckable(true);
    connect(pause_, &QPushButton::toggled, this, &LineMonitor::setPaused);
    auto *copy = new QPushButton(QStringLiteral("Копировать"));
    copy->setObjectName(QStringLiteral("CopyButton"));
    connect(copy, &QPushButton::clicked, this, &LineMonitor::copySelection);
    auto *save = new QPushButton(QStringLiteral("Сохранить…"));
    save->setObjectName(QStringLiteral("SaveButton"));
    connect(save, &QPushButton::clicked, this, &LineMonitor::save);
    count_->setObjectName(QStringLiteral("FrameCount"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(pause_);
    bar->addWidget(copy);
    bar->addWidget(save);
    bar->addStretch();
    bar->addWidget(count_);

    table_->setObjectName(QStringLiteral("MonitorTable"));
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->setWordWrap(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {96, 100, 200, 100, 44, 124};
    for (int c = 0; c < int(std::size(widths)); ++c)
        table_->setColumnWidth(c, widths[c]);
    auto *copyKey = new QShortcut(QKeySequence::Copy, table_);
    copyKey->setContext(Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, &LineMonitor::copySelection);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table_);
    showCount();
}

LineMonitor::~LineMonitor() { log_.setListener(nullptr); }

bool LineMonitor::paused() const { return pause_->isChecked(); }

void LineMonitor::setPaused(bool paused)
{
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused); // comes back here through toggled
    pause_->setText(paused ? QStringLiteral("Продолжить") : QStringLiteral("Пауза"));
    // Frames keep going into the log while the view stands; going on shows them.
    if (!paused && isVisible())
        model_.fill(log_);
    listen(isVisible() && !paused);
    showCount();
}

void LineMonitor::listen(bool on)
{
    if (!on) {
        log_.setListener(nullptr);
        return;
    }
    log_.setListener([this](const LineEntry &e) {
        QScrollBar *bar = table_->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        model_.append(e);
        if (atEnd)
            table_->scrollToBottom();
        showCount();
    });
}

void LineMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!paused())
        model_.fill(log_);
    listen(!paused());
    table_->scrollToBottom();
    showCount();
}

void LineMonitor::hideEvent(QHideEvent *event)
{
    listen(false);
    QWidget::hideEvent(event);
}

void LineMonitor::showCount()
{
    QString text = QStringLiteral("Кадров: %1").arg(model_.rowCount());
    if (paused())
        text += QStringLiteral("  (пауза)");
    count_->setText(text);
}

QString LineMonitor::line(const QStringList &columns) { return columns.join(QLatin1Char('\t')); }

QString LineMonitor::selectionText() const
{
    QList<int> rows;
    for (const QModelIndex &i : table_->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (int r : rows)
        lines << line(model_.row(r));
    return lines.join(QLatin1Char('\n'));
}

void LineMonitor::copySelection()
{
    const QString text = selectionText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool LineMonitor::save()
{
    const QString path =
        files_.save(this, QStringLiteral("Сохранить монитор линии"), QStringLiteral("линия.txt"),
                    QStringLiteral("Текст (*.txt);;Все файлы (*)"));
    if (path.isEmpty())
        return false;
    QByteArray text = line(monitor::header()).toUtf8() + '\n';
    for (int r = 0; r < model_.rowCount(); ++r)
        text += line(model_.row(r)).toUtf8() + '\n';
    return saveFile(path, text, platform_);
}

} // namespace zet
