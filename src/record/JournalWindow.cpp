#include "record/JournalWindow.h"

#include "journal/Journal.h"
#include "record/FileChooser.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zet {

JournalWindow::JournalWindow(FileChooser &files, QString directory, QWidget *parent)
    : QWidget(parent, Qt::Window), files_(files), directory_(std::move(directory)),
      path_(new QLabel), note_(new QLabel), filter_(new QComboBox), table_(new QTableWidget)
{
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(QStringLiteral("Журнал работ"));
    resize(1240, 480);

    path_->setObjectName(QStringLiteral("JournalFile"));
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_->setObjectName(QStringLiteral("JournalNote"));
    auto *open = new QPushButton(QStringLiteral("Открыть файл…"));
    open->setObjectName(QStringLiteral("OpenJournalButton"));
    connect(open, &QPushButton::clicked, this, &JournalWindow::chooseFile);
    filter_->setObjectName(QStringLiteral("PageFilter"));
    filter_->setMinimumContentsLength(22);
    connect(filter_, &QComboBox::currentIndexChanged, this, &JournalWindow::applyFilter);

    auto *bar = new QHBoxLayout;
    bar->addWidget(path_, 1);
    bar->addWidget(open);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Страница:")));
    bar->addWidget(filter_);

    table_->setObjectName(QStringLiteral("JournalTable"));
    table_->setColumnCount(journal::ColumnCount);
    table_->setHorizontalHeaderLabels(journal::header());
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->setWordWrap(false);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(note_);
    layout->addWidget(table_);
}

void JournalWindow::showFile(const QString &path)
{
    file_ = path;
    path_->setText(QDir::toNativeSeparators(path));
    QList<QStringList> records;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        records = journal::parseCsv(f.readAll());
    if (!records.isEmpty() && records.first() == journal::header())
        records.removeFirst();
    // Newest first; lines of the same second keep the newest written on top.
    std::reverse(records.begin(), records.end());
    std::stable_sort(records.begin(), records.end(),
                     [](const QStringList &a, const QStringList &b) {
                         return QDateTime::fromString(a.value(journal::Time), Qt::ISODate) >
                                QDateTime::fromString(b.value(journal::Time), Qt::ISODate);
                     });

    note_->setText(!f.exists() ? QStringLiteral("Записей нет: файл журнала ещё не создан.")
                   : records.isEmpty() ? QStringLiteral("Записей нет.")
                                       : QStringLiteral("Записей: %1").arg(records.size()));
    table_->setRowCount(int(records.size()));
    QStringList pages;
    for (int r = 0; r < int(records.size()); ++r) {
        const QStringList &rec = records[r];
        for (int c = 0; c < journal::ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(rec.value(c));
            item->setToolTip(rec.value(c));
            if (c == journal::Acknowledged && rec.value(c) == journal::kUnacknowledged)
                item->setForeground(QColor(0xC0, 0, 0));
            table_->setItem(r, c, item);
        }
        // The file keeps the time with its offset; the table shows it in local time.
        const QDateTime t = QDateTime::fromString(rec.value(journal::Time), Qt::ISODate);
        if (t.isValid())
            table_->item(r, journal::Time)
                ->setText(t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        if (!pages.contains(rec.value(journal::Page)))
            pages << rec.value(journal::Page);
    }

    table_->resizeColumnsToContents();
    table_->setColumnWidth(journal::Parameters,
                           std::min(table_->columnWidth(journal::Parameters), 260));

    const QString chosen = filter_->currentData().toString();
    QSignalBlocker quiet(filter_);
    filter_->clear();
    filter_->addItem(QStringLiteral("Все страницы"), QString());
    for (const QString &p : pages)
        filter_->addItem(p, p);
    filter_->setCurrentIndex(std::max(0, filter_->findData(chosen)));
    applyFilter();
}

void JournalWindow::refresh(const QString &path)
{
    if (path == file_)
        showFile(path);
}

void JournalWindow::chooseFile()
{
    const QString path = files_.open(this, QStringLiteral("Открыть журнал"), directory_,
                                     QStringLiteral("Журнал (*.csv);;Все файлы (*)"));
    if (!path.isEmpty())
        showFile(path);
}

void JournalWindow::filterPage(const QString &page)
{
    filter_->setCurrentIndex(std::max(0, filter_->findData(page)));
    applyFilter();
}

void JournalWindow::applyFilter()
{
    const QString page = filter_->currentData().toString();
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QTableWidgetItem *item = table_->item(r, journal::Page);
        table_->setRowHidden(r, !page.isEmpty() && (!item || item->text() != page));
    }
}

} // namespace zet
