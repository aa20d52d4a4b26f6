#pragma once
// The service journal in a database: a SQLite file by default, or a PostgreSQL server
// shared by several workstations. A worker thread owns the connection and the queue
// of lines, so that append() returns at once; what became of each line is reported
// back in the store's own thread. With a server, lines it cannot take wait in a local
// outbox file and are sent when it is back, each exactly once.

#include "journal/JournalDatabase.h"

#include <QImage>
#include <QObject>
#include <QUuid>

#include <functional>

class QThread;

namespace zet {

struct CsvImport {
    int files = 0;
    int lines = 0; // lines read from the files
    int added = 0; // of those, not in the journal before
    QString error; // empty when every file was imported
};

namespace journal {

// $XDG_DATA_HOME/zet-service/journal.sqlite (~/.local/share/... when unset).
QString defaultStoreLocation();
// Where lines for that server wait: one file per server and database,
// $XDG_DATA_HOME/zet-service/journal-outbox-<hash of the address>.sqlite, so that lines
// never reach a server other than the one they were written for.
QString defaultOutbox(const JournalLocation &server);
// The window's line while lines wait for the server.
QString waitingText(int count);

} // namespace journal

class JournalWorker;

class JournalStore : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString location{};    // a file path or postgresql://user@host[:port]/db; empty: default
        QString engineer{};    // written with every line
        QString password{};    // for the server, not kept; empty: libpq's own (~/.pgpass)
        QString outbox{};      // empty: journal::defaultOutbox(location)
        QString workstation{}; // empty: this machine's host name
        int retryMs = 5000;  // between attempts to reach the server
    };

    explicit JournalStore(Options options, QObject *parent = nullptr);
    // Writes what is queued, then closes.
    ~JournalStore() override;

    // Queues the line and returns its id at once.
    QUuid append(const JournalEntry &entry);
    // Queues a block's state (its id, workstation and engineer are the store's) and
    // returns its id at once; it goes where the lines go, outbox included. A `chart`
    // given is kept as PNG, made in the store's thread.
    QUuid saveState(StoredState state, const QImage &chart = {});

    // The server's password for this run (never kept): the lines waiting are sent with it.
    void setPassword(const QString &password);

    // Lines waiting in the outbox for the server.
    int waiting() const { return waiting_; }
    // Why the journal is not written or not sent at the moment; empty when all is well.
    const QString &problem() const { return problem_; }

    using LinesDone = std::function<void(const QList<StoredLine> &lines, const QString &error)>;
    void lines(const LineQuery &query, LinesDone done);
    using StatesDone = std::function<void(const QList<StoredState> &states, const QString &error)>;
    void states(const LineQuery &query, StatesDone done);
    // Every line of the CSV journals in `folder` (the files are only read); a line
    // imported before is not added again.
    void importCsv(const QString &folder, std::function<void(const CsvImport &)> done);
    // One instrument's lines, oldest first, as the CSV journal writes them.
    void exportCsv(const Instrument &instrument, const QString &file,
                   std::function<void(const QString &error)> done);

signals:
    void confirmed(QUuid id); // committed by the journal's database
    void stateSaved(QUuid id); // a block's state, likewise
    void deferred(QUuid id);  // kept in the outbox until the server is back
    void failed(QUuid id, QString message);
    void waitingChanged(int count);
    void problemChanged(QString message);
    // The server refused the connection for its password: once, and again after each
    // setPassword() it refuses. Lines wait in the outbox meanwhile.
    void passwordNeeded(QString server);

private:
    friend class JournalWorker;
    void setWaiting(int count);
    void setProblem(const QString &message);

    QString engineer_;
    QString workstation_;
    QThread *thread_ = nullptr;
    JournalWorker *worker_ = nullptr;
    int waiting_ = 0;
    QString problem_;
};

} // namespace zet
