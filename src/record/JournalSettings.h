#pragma once
// The "Журнал" settings: where the journal lives (a file on this computer or a
// PostgreSQL server shared by the centre's workstations), and the centre's name and
// the engineer that the journal and the protocols carry. No password is kept.

#include <QDialog>

class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace zet {

struct Platform;

// The journal's location as saved: a file path, a postgresql:// URL, or empty (the
// default file).
QString savedJournalLocation();
void saveJournalLocation(const QString &location);

class JournalSettingsDialog : public QDialog {
public:
    explicit JournalSettingsDialog(Platform &platform, QWidget *parent = nullptr);

    // What the fields describe; empty text in `error` when they describe a place.
    QString location(QString *error) const;
    // Checks and saves; a bad entry is told and the dialog stays open.
    void accept() override;

private:
    void showKind();

    Platform &platform_;
    QRadioButton *file_;
    QRadioButton *server_;
    QLineEdit *path_;
    QLineEdit *host_;
    QSpinBox *port_;
    QLineEdit *database_;
    QLineEdit *user_;
    QLineEdit *centre_;
    QLineEdit *engineer_;
};

} // namespace zet
