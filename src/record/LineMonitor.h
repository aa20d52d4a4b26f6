#pragma once
// The line monitor: a small window with the last thousand frames on the line, one
// row each. It reads the line log and never writes anything; while it is closed
// it hears of no frame.

#include "journal/LineLog.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <deque>

class QLabel;
class QPushButton;
class QTableView;

namespace zet {

struct FileChooser;
struct Platform;

class LineMonitorModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void append(const LineEntry &entry);
    void fill(const LineLog &log);
    const QStringList &row(int i) const { return rows_[size_t(i)].columns; }

private:
    struct Row {
        bool valid;
        QStringList columns;
    };
    std::deque<Row> rows_;
};

class LineMonitor : public QWidget {
public:
    LineMonitor(LineLog &log, Platform &platform, FileChooser &files, QWidget *parent = nullptr);
    ~LineMonitor() override;

    bool paused() const;
    void setPaused(bool paused);
    // The selected rows as text, one line each, columns separated by tabs.
    QString selectionText() const;
    void copySelection();
    // Asks for a file and writes every row shown; false when nothing was written.
    bool save();

    QTableView *table() const { return table_; }
    LineMonitorModel &model() { return model_; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void listen(bool on);
    void showCount();
    static QString line(const QStringList &columns);

    LineLog &log_;
    Platform &platform_;
    FileChooser &files_;
    LineMonitorModel model_;
    QTableView *table_;
    QPushButton *pause_;
    QLabel *count_;
};

} // namespace zet
