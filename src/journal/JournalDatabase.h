#pragma once
// The journal's tables in one database, a SQLite file or a PostgreSQL server, used
// from the one thread that opened it: the schema check and forward migrations on
// opening, a line inserted by its id (a line already there is not added twice), and
// lines read back.

#include "journal/Journal.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include <optional>

namespace zet {

// A journal line as the database keeps it.
struct StoredLine {
    QUuid id; // made where the line was written
    JournalEntry entry;
    QString workstation;
    QString engineer;
};

// What a page showed of its block some seconds after the engineer's last command
// there: the firmware version, status panels, values read back and the trend chart,
// kept so that a protocol can be written later without the instrument.
struct StoredState {
    QUuid id{};
    QDateTime time{};
    Instrument instrument{};
    QString page{};
    QString version{};
    QStringList status{};
    QStringList readBack{};
    QByteArray chart{}; // PNG; empty: none
    QString workstation{};
    QString engineer{};
};

// Where the journal lives: a file path (SQLite) or postgresql://user@host[:port]/db.
struct JournalLocation {
    enum Kind { Sqlite, Postgres };
    Kind kind = Sqlite;
    QString file;
    QString user, host, database;
    int port = 5432;

    // nullopt, with `error` in Russian, for a text that is neither.
    static std::optional<JournalLocation> parse(const QString &text, QString *error);
    // For messages: the file, or the server and database (never a password).
    QString display() const;
};

// Lines or states of one instrument (an empty model: every model with that serial
// number). A range end left invalid is open; `from` is included and `to` is not.
struct LineQuery {
    Instrument instrument{};
    QDateTime from{}, to{};
    bool newestFirst = true;
};

class JournalDatabase {
public:
    static constexpr int kSchemaVersion = 3;

    enum class State {
        Closed,
        Ready,
        Unreachable, // the server did not answer: try again later
        Refused,     // not to be used: damaged, not a journal, or a newer schema
    };

    explicit JournalDatabase(QString connectionName);
    ~JournalDatabase();
    JournalDatabase(const JournalDatabase &) = delete;
    JournalDatabase &operator=(const JournalDatabase &) = delete;

    // Opens and brings the schema up to date; message() says why when not Ready.
    // The password, when not empty, is used for this connection only.
    State open(const JournalLocation &where, const QString &password = {});
    void close();
    State state() const { return state_; }
    // Unreachable because the server wants a password it was not given, or another one.
    bool passwordRefused() const { return passwordRefused_; }
    const QString &message() const { return message_; }

    // One line, its own transaction, committed before this returns true (also when
    // a line of that id was already there).
    bool insert(const StoredLine &line);
    // Lines in one transaction; `added` counts those that were not there yet.
    bool insertAll(const QList<StoredLine> &lines, int *added);
    // A block's state, likewise.
    bool insert(const StoredState &state);
    std::optional<QList<StoredLine>> select(const LineQuery &query);
    // The models that have lines under this serial number, in name order.
    std::optional<QStringList> models(const QString &serial);
    // States of one instrument's blocks in the query's dates, oldest first.
    std::optional<QList<StoredState>> states(const LineQuery &query);
    // The earliest lines and states, whatever the instrument: the outbox's next to send.
    std::optional<QList<StoredLine>> earliest(int count);
    std::optional<QList<StoredState>> earliestStates(int count);
    // The line or state of that id.
    bool remove(const QUuid &id);
    // Lines and states.
    std::optional<int> count();

private:
    bool exec(const QString &sql);
    // A read prepared, bound and run, forward only; nothing (with message()) on an error.
    std::optional<QSqlQuery> run(const QString &sql, const QVariantList &values);
    // Each row of a read, as `read` makes it.
    template <typename Row>
    std::optional<QList<Row>> rows(const QString &sql, const QVariantList &values,
                                   Row (*read)(const QSqlQuery &))
    {
        std::optional<QSqlQuery> q = run(sql, values);
        if (!q)
            return std::nullopt;
        QList<Row> found;
        while (q->next())
            found << read(*q);
        return found;
    }
    bool write(const QString &sql, const QVariantList &values);
    std::optional<QStringList> tables();
    State refuse(const QString &message);
    State unreachable(const QString &why);
    bool migrate(int known);
    std::optional<int> storedVersion(const QStringList &tables);

    QString name_;
    QSqlDatabase db_;
    JournalLocation where_;
    State state_ = State::Closed;
    QString message_;
    bool passwordRefused_ = false;
};

} // namespace zet
