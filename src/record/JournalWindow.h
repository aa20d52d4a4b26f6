#pragma once
// The history of one instrument: every service written to the journal, from every
// workstation, newest first, with filters by date range, page and workstation, and
// the export of the instrument's lines as a CSV journal.

#include "journal/JournalDatabase.h"
#include "pages/ModulePage.h"
#include "record/ServiceProtocol.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QMap>
#include <QWidget>

#include <optional>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QPrinter;
class QTableView;

namespace zet {

struct FileChooser;
class JournalStore;
struct Platform;

// The lines shown: the journal's columns, then the workstation and the engineer.
class JournalModel : public QAbstractTableModel {
public:
    enum { Workstation = journal::ColumnCount, Engineer, ColumnCount };

    void setLines(QList<StoredLine> lines);
    // Keeps the lines that pass; the others stay loaded.
    void filter(const std::function<bool(const StoredLine &)> &keep);
    const QList<StoredLine> &lines() const { return lines_; }
    QString text(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<StoredLine> lines_;
    std::vector<int> shown_; // indices into lines_
};

class JournalWindow : public QWidget {
public:
    JournalWindow(JournalStore &store, FileChooser &files, Platform &platform,
                  QWidget *parent = nullptr);

    // The journal moved (its settings changed): reads from `store` from now on.
    void setStore(JournalStore &store);
    // Called after the "Журнал" settings were accepted.
    void setSettingsAccepted(std::function<void()> accepted) { settingsAccepted_ = std::move(accepted); }

    // Reads the instrument's lines and shows them; an unknown instrument shows none.
    void showInstrument(const Instrument &instrument);
    const Instrument &instrument() const { return instrument_; }
    // Reads the lines and the blocks' states again; the store answers in the order
    // asked, so the states are there when the lines come.
    void refresh();
    // Reads the lines again (a line was confirmed), or the states (one was kept).
    void refreshLines();
    void refreshStates();
    // True until the lines asked for last have arrived.
    bool loading() const { return loading_; }

    // Filters; an empty text shows every page or workstation, an invalid date leaves
    // that end of the range open (both days included).
    void filterPage(const QString &page);
    void filterWorkstation(const QString &workstation);
    void filterDates(QDate from, QDate to);
    // "Экспорт CSV…": the instrument's lines, oldest first, in the CSV journal's format.
    void exportCsv();
    // "Протокол…": the protocol of the service in the chosen dates (all when none), as PDF.
    void writeProtocolFile();
    // "Печать…": the same protocol on the printer the engineer chooses.
    void printProtocolSheets();
    // Asks for the printer and sets it up; false when the engineer cancels. Qt's print
    // dialog unless replaced (tests).
    using PrinterChooser = std::function<bool(QWidget *parent, QPrinter &printer)>;
    void setPrinterChooser(PrinterChooser choose) { choosePrinter_ = std::move(choose); }
    // "Настройки…": the "Журнал" settings dialog.
    void editSettings();
    // What the window's pages show of each block of the instrument connected now, by
    // page caption; for a service that reaches today the protocol takes version,
    // status, read-backs and chart from it rather than from the states kept.
    using BlockReports = std::function<QMap<QString, BlockReport>(const Instrument &)>;
    void setBlockReports(BlockReports reports) { reports_ = std::move(reports); }

    JournalModel &model() { return model_; }
    QTableView *table() const { return table_; }
    QComboBox *pageFilter() const { return pages_; }
    QComboBox *workstationFilter() const { return workstations_; }

private:
    void loaded(QList<StoredLine> lines, const QString &error);
    void applyFilter();
    // Within the chosen dates, both days included.
    bool inDates(const QDateTime &time) const;
    // The file name offered for the instrument shown: "<prefix>ЗЕТ75_1234.<extension>".
    QString fileNameFor(const QString &prefix, const char *extension) const;
    static void fillChoices(QComboBox *box, const QStringList &items);
    // The protocol of the chosen dates with the blocks as their pages show them;
    // nothing (and the engineer told why) when there is nothing to put in it.
    std::optional<ProtocolData> protocolData();

    JournalStore *store_;
    std::function<void()> settingsAccepted_;
    FileChooser &files_;
    Platform &platform_;
    BlockReports reports_;
    PrinterChooser choosePrinter_;
    Instrument instrument_;
    bool loading_ = false;
    int request_ = 0; // the answer to the latest request is the one shown
    int statesRequest_ = 0;
    JournalModel model_;
    QList<StoredState> states_; // of the instrument shown, oldest first
    QLabel *title_;
    QLabel *note_;
    QComboBox *pages_;
    QComboBox *workstations_;
    QDateEdit *from_;
    QDateEdit *to_;
    QTableView *table_;
};

} // namespace zet
