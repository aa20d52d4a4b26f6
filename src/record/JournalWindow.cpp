#include "record/JournalWindow.h"

#include "journal/JournalStore.h"
#include "platform/Platform.h"
#include "record/FileChooser.h"
#include "record/JournalSettings.h"
#include "record/ServiceProtocol.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace zet {

// ---- model -----------------------------------------------------------------

void JournalModel::setLines(QList<StoredLine> lines)
{
    beginResetModel();
    lines_ = std::move(lines);
    shown_.resize(size_t(lines_.size()));
    for (size_t i = 0; i < shown_.size(); ++i)
        shown_[i] = int(i);
    endResetModel();
}

void JournalModel::filter(const std::function<bool(const StoredLine &)> &keep)
{
    beginResetModel();
    shown_.clear();
    for (int i = 0; i < lines_.size(); ++i)
        if (keep(lines_[i]))
            shown_.push_back(i);
    endResetModel();
}

QString JournalModel::text(int row, int column) const
{
    if (row < 0 || size_t(row) >= shown_.size())
        return {};
    const StoredLine &l = lines_[shown_[size_t(row)]];
    if (column == Workstation)
        return l.workstation;
    if (column == Engineer)
        return l.engineer;
    return journal::fields(l.entry).value(column);
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return text(index.row(), index.column());
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == Workstation)
        return QStringLiteral("Рабочее место");
    if (section == Engineer)
        return QStringLiteral("Инженер");
    return journal::header().value(section);
}

// ---- window ----------------------------------------------------------------

namespace {

QDateEdit *makeDateEdit(const char *name)
{
    auto *e = new QDateEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setCalendarPopup(true);
    e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    // The earliest date stands for an open end.
    e->setMinimumDate(QDate(2000, 1, 1));
    e->setSpecialValueText(QStringLiteral("—"));
    e->setDate(e->minimumDate());
    return e;
}

QDate chosen(const QDateEdit *e) { return e->date() == e->minimumDate() ? QDate() : e->date(); }

bool askPrinter(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Печать протокола"));
    // The protocol goes out whole: its pages are laid out only when printed.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

JournalWindow::JournalWindow(JournalStore &store, FileChooser &files, Platform &platform,
                             QWidget *parent)
    : QWidget(parent, Qt::Window), store_(&store), files_(files), platform_(platform),
      choosePrinter_(askPrinter), title_(new QLabel),
      note_(new QLabel), pages_(new QComboBox), workstations_(new QComboBox),
      from_(makeDateEdit("JournalFrom")), to_(makeDateEdit("JournalTo")), table_(new QTableView)
{
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(QStringLiteral("Журнал работ"));
    resize(1320, 480);

    title_->setObjectName(QStringLiteral("JournalInstrument"));
    note_->setObjectName(QStringLiteral("JournalNote"));
    pages_->setObjectName(QStringLiteral("PageFilter"));
    pages_->setMinimumContentsLength(18);
    workstations_->setObjectName(QStringLiteral("WorkstationFilter"));
    workstations_->setMinimumContentsLength(12);
    for (QComboBox *box : {pages_, workstations_})
        connect(box, &QComboBox::currentIndexChanged, this, &JournalWindow::applyFilter);
    for (QDateEdit *e : {from_, to_})
        connect(e, &QDateEdit::dateChanged, this, &JournalWindow::applyFilter);
    auto button = [this](const char *name, const QString &text, void (JournalWindow::*slot)()) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    QPushButton *csv =
        button("ExportCsvButton", QStringLiteral("Экспорт CSV…"), &JournalWindow::exportCsv);
    QPushButton *protocol =
        button("ProtocolButton", QStringLiteral("Протокол…"), &JournalWindow::writeProtocolFile);
    QPushButton *print =
        button("PrintButton", QStringLiteral("Печать…"), &JournalWindow::printProtocolSheets);
    QPushButton *settings = button("JournalSettingsButton", QStringLiteral("Настройки…"),
                                   &JournalWindow::editSettings);

    auto *bar = new QHBoxLayout;
    bar->addWidget(title_, 1);
    bar->addWidget(new QLabel(QStringLiteral("С:")));
    bar->addWidget(from_);
    bar->addWidget(new QLabel(QStringLiteral("по:")));
    bar->addWidget(to_);
    bar->addSpacing(8);
    bar->addWidget(new QLabel(QStringLiteral("Страница:")));
    bar->addWidget(pages_);
    bar->addWidget(new QLabel(QStringLiteral("Рабочее место:")));
    bar->addWidget(workstations_);
    bar->addSpacing(8);
    bar->addWidget(csv);
    bar->addWidget(protocol);
    bar->addWidget(print);
    bar->addWidget(settings);

    table_->setObjectName(QStringLiteral("JournalTable"));
    table_->setModel(&model_);
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

void JournalWindow::showInstrument(const Instrument &instrument)
{
    instrument_ = instrument;
    title_->setText(instrument.known()
                        ? QStringLiteral("%1 № %2").arg(instrument.model, instrument.serial)
                        : QStringLiteral("Прибор не определён"));
    refresh();
}

void JournalWindow::setStore(JournalStore &store)
{
    store_ = &store;
    refresh();
}

void JournalWindow::refresh()
{
    refreshStates();
    refreshLines();
}

void JournalWindow::refreshStates()
{
    const int request = ++statesRequest_;
    if (!instrument_.known()) {
        states_.clear();
        return;
    }
    LineQuery q;
    q.instrument = instrument_;
    store_->states(q, [this, request](const QList<StoredState> &states, const QString &) {
        if (request == statesRequest_)
            states_ = states;
    });
}

void JournalWindow::refreshLines()
{
    const int request = ++request_;
    if (!instrument_.known()) {
        loaded({}, {});
        return;
    }
    loading_ = true;
    LineQuery q;
    q.instrument = instrument_;
    q.newestFirst = true;
    store_->lines(q, [this, request](const QList<StoredLine> &lines, const QString &error) {
        if (request == request_)
            loaded(lines, error);
    });
}

void JournalWindow::fillChoices(QComboBox *box, const QStringList &items)
{
    const QString current = box->currentText();
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItem(QStringLiteral("Все"));
    box->addItems(items);
    const int keep = box->findText(current);
    box->setCurrentIndex(keep > 0 ? keep : 0);
}

void JournalWindow::loaded(QList<StoredLine> lines, const QString &error)
{
    loading_ = false;
    std::set<QString> pages, workstations;
    for (const StoredLine &l : lines) {
        pages.insert(l.entry.page);
        workstations.insert(l.workstation);
    }
    fillChoices(pages_, QStringList(pages.begin(), pages.end()));
    fillChoices(workstations_, QStringList(workstations.begin(), workstations.end()));
    note_->setText(!error.isEmpty()   ? error
                   : lines.isEmpty() ? QStringLiteral("Записей нет.")
                                     : QString());
    model_.setLines(std::move(lines));
    applyFilter();
    table_->resizeColumnsToContents();
}

void JournalWindow::filterPage(const QString &page)
{
    pages_->setCurrentIndex(page.isEmpty() ? 0 : std::max(0, pages_->findText(page)));
}

void JournalWindow::filterWorkstation(const QString &workstation)
{
    workstations_->setCurrentIndex(workstation.isEmpty()
                                       ? 0
                                       : std::max(0, workstations_->findText(workstation)));
}

void JournalWindow::filterDates(QDate from, QDate to)
{
    from_->setDate(from.isValid() ? from : from_->minimumDate());
    to_->setDate(to.isValid() ? to : to_->minimumDate());
}

bool JournalWindow::inDates(const QDateTime &time) const
{
    const QDate day = time.date();
    const QDate from = chosen(from_), to = chosen(to_);
    return (!from.isValid() || day >= from) && (!to.isValid() || day <= to);
}

void JournalWindow::applyFilter()
{
    const QString page = pages_->currentIndex() > 0 ? pages_->currentText() : QString();
    const QString station =
        workstations_->currentIndex() > 0 ? workstations_->currentText() : QString();
    model_.filter([&](const StoredLine &l) {
        return (page.isEmpty() || l.entry.page == page) &&
               (station.isEmpty() || l.workstation == station) && inDates(l.entry.time);
    });
}

QString JournalWindow::fileNameFor(const QString &prefix, const char *extension) const
{
    return QStringLiteral("%1%2_%3.%4")
        .arg(prefix, QString(instrument_.model).remove(QLatin1Char(' ')), instrument_.serial,
             QLatin1String(extension));
}

void JournalWindow::exportCsv()
{
    if (!instrument_.known())
        return;
    const QString file = files_.save(this, QStringLiteral("Экспорт журнала в CSV"),
                                     fileNameFor(QString(), "csv"), QStringLiteral("CSV (*.csv)"));
    if (file.isEmpty())
        return;
    store_->exportCsv(instrument_, file, [this](const QString &error) {
        note_->setText(error.isEmpty() ? QString() : error);
    });
}

std::optional<ProtocolData> JournalWindow::protocolData()
{
    if (!instrument_.known())
        return std::nullopt;
    QList<StoredLine> lines;
    for (const StoredLine &l : model_.lines())
        if (inDates(l.entry.time))
            lines << l;
    QList<StoredState> states;
    for (const StoredState &s : states_)
        if (inDates(s.time))
            states << s;
    if (lines.isEmpty()) {
        platform_.message(MessageKind::Error,
                          QStringLiteral("За выбранные даты записей о приборе нет: протокол не "
                                         "составлен."));
        return std::nullopt;
    }
    ProtocolData data = protocolFromJournal(lines, instrument_, states);
    // The pages show the blocks as they are now: for a service that reaches today.
    const QDate to = chosen(to_);
    if (reports_ && (!to.isValid() || to >= QDate::currentDate())) {
        const QMap<QString, BlockReport> live = reports_(instrument_);
        for (ProtocolBlock &b : data.blocks) {
            const auto r = live.find(b.name);
            if (r == live.end())
                continue;
            // A page not built since the start shows nothing: what was kept stands.
            if (!r->version.isEmpty())
                b.version = r->version;
            if (!r->readBack.isEmpty())
                b.readBack = r->readBack;
            if (!r->status.isEmpty())
                b.finalStatus = r->status;
            if (!r->chart.isNull())
                b.chart = r->chart;
        }
    }
    const ProtocolPeople people = savedProtocolPeople();
    data.centre = people.centre;
    data.engineer = people.engineer;
    return data;
}

void JournalWindow::writeProtocolFile()
{
    const std::optional<ProtocolData> data = protocolData();
    if (!data)
        return;
    const QString file = files_.save(this, QStringLiteral("Протокол обслуживания"),
                                     fileNameFor(QStringLiteral("Протокол_"), "pdf"),
                                     QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty())
        return;
    QString error;
    if (!writeProtocol(*data, file, &error))
        platform_.message(MessageKind::Error, error);
}

void JournalWindow::printProtocolSheets()
{
    const std::optional<ProtocolData> data = protocolData();
    if (!data)
        return;
    QPrinter printer;
    if (!choosePrinter_(this, printer))
        return;
    QString error;
    if (!printProtocol(*data, printer, &error))
        platform_.message(MessageKind::Error, error);
}

void JournalWindow::editSettings()
{
    JournalSettingsDialog dialog(platform_, this);
    if (dialog.exec() == QDialog::Accepted && settingsAccepted_)
        settingsAccepted_();
}

} // namespace zet
