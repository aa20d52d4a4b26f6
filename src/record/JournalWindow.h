#pragma once
// A read-only look at a service journal file: newest line first, with a filter
// by page.

#include <QWidget>

class QComboBox;
class QLabel;
class QTableWidget;

namespace zet {

struct FileChooser;

class JournalWindow : public QWidget {
public:
    JournalWindow(FileChooser &files, QString directory, QWidget *parent = nullptr);

    // Shows a journal file; one that does not exist yet shows as empty.
    void showFile(const QString &path);
    const QString &file() const { return file_; }
    // Reads the file again if it is the one shown.
    void refresh(const QString &path);
    // Asks for another journal file and shows it.
    void chooseFile();
    // Shows only the lines of `page`; an empty text shows all.
    void filterPage(const QString &page);

    QTableWidget *table() const { return table_; }
    QComboBox *pageFilter() const { return filter_; }

private:
    void applyFilter();

    FileChooser &files_;
    QString directory_;
    QString file_;
    QLabel *path_;
    QLabel *note_;
    QComboBox *filter_;
    QTableWidget *table_;
};

} // namespace zet
