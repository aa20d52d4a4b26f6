#pragma once
// The service journal: one CSV file per instrument under
// $XDG_DATA_HOME/zet-service/journal, one line per command the engineer sent.
// A line is appended and flushed to the disk before it counts as written.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace zet {

struct Instrument {
    QString model;  // as identification names it, e.g. "ЗЕТ 75"
    QString serial; // decimal
    bool known() const { return !model.isEmpty(); }
};

struct JournalEntry {
    QDateTime time; // when the button was clicked
    Instrument instrument;
    QString page;
    int address = 0;
    QString button;
    int code = 0;
    QString parameters;
    std::optional<uint8_t> status; // none: no acknowledgement within the time-out
};

namespace journal {

enum Column {
    Time,
    Model,
    Serial,
    Page,
    Address,
    Button,
    Code,
    Parameters,
    Status,
    Acknowledged,
    ColumnCount
};

// $XDG_DATA_HOME/zet-service/journal (~/.local/share/... when unset).
QString defaultDirectory();
QStringList header();
QStringList fields(const JournalEntry &entry);
inline const QString kAcknowledged = QStringLiteral("подтверждена");
inline const QString kUnacknowledged = QStringLiteral("нет ответа");

// One CSV record: fields separated by ';', quoted where needed, ending in '\n'.
QByteArray csvLine(const QStringList &fields);
// Records of a CSV text (a leading byte-order mark is skipped).
QList<QStringList> parseCsv(const QByteArray &data);

} // namespace journal

class JournalWriter {
public:
    // `failed` hears the first failure of the run, with a text for the engineer.
    JournalWriter(QString directory, std::function<void(const QString &)> failed);

    const QString &directory() const { return directory_; }
    QString fileFor(const Instrument &instrument) const;
    // Appends the line (with the header in a new file) and flushes it to the disk;
    // false when it could not be written.
    bool append(const JournalEntry &entry);

private:
    bool makeDirectory(QString &error);
    void fail(const QString &why);

    QString directory_;
    std::function<void(const QString &)> failed_;
    bool reported_ = false;
};

} // namespace zet
