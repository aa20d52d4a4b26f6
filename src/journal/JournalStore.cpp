#include "journal/JournalStore.h"

#include "journal/JournalExport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include <memory>

namespace zet {

namespace {

// A unique id that sorts in the order this process made it (UUID version 7 layout:
// milliseconds, then a counter where the random bits would be), so that lines of
// one click, which share their time, read back in the order they were written.
QUuid orderedId()
{
    static QMutex lock;
    static quint64 lastMs = 0;
    static quint16 counter = 0;
    QMutexLocker hold(&lock);
    quint64 ms = quint64(QDateTime::currentMSecsSinceEpoch());
    if (ms <= lastMs) {
        ms = lastMs;
        if (++counter > 0x0FFF) {
            ++ms;
            counter = 0;
        }
    } else {
        counter = 0;
    }
    lastMs = ms;
    QUuid id = QUuid::createUuid(); // random tail
    id.data1 = uint(ms >> 16);
    id.data2 = ushort(ms & 0xFFFF);
    id.data3 = ushort(0x7000 | counter);
    return id;
}

} // namespace

namespace journal {

QString defaultStoreLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zet-service/journal.sqlite");
}

QString defaultOutbox(const JournalLocation &server)
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
        QStringLiteral("/zet-service/");
    const QByteArray key =
        QCryptographicHash::hash(server.display().toUtf8(), QCryptographicHash::Sha256).toHex();
    const QString file = folder + QStringLiteral("journal-outbox-%1.sqlite")
                                      .arg(QString::fromLatin1(key.left(16)));
    // The one outbox of earlier versions holds lines for the server used then: most
    // likely this one, the first to ask for it.
    const QString shared = folder + QStringLiteral("journal-outbox.sqlite");
    if (QFile::exists(shared) && !QFile::exists(file)) {
        for (const QString &side : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            if (QFile::exists(shared + side))
                QFile::rename(shared + side, file + side);
    }
    return file;
}

QString waitingText(int count)
{
    return QStringLiteral("Журнал: нет связи с сервером, ожидают отправки: %1").arg(count);
}

} // namespace journal

namespace {

// Ids of imported lines are derived from where the line was, so that importing the
// same files again finds the lines already there.
const QUuid kImportNamespace(QStringLiteral("{5b0f6f0e-8d1c-4c55-9a3e-0d7a1c2f4e61}"));
constexpr int kSendBatch = 50;

std::optional<JournalEntry> entryFromCsv(const QStringList &f)
{
    if (f.size() != journal::ColumnCount)
        return std::nullopt;
    JournalEntry e;
    e.time = QDateTime::fromString(f[journal::Time], Qt::ISODate);
    bool addressOk = false, codeOk = false;
    e.address = f[journal::Address].toInt(&addressOk);
    e.code = f[journal::Code].toInt(&codeOk);
    if (!e.time.isValid() || !addressOk || !codeOk)
        return std::nullopt;
    e.instrument = {f[journal::Model], f[journal::Serial]};
    e.page = f[journal::Page];
    e.button = f[journal::Button];
    e.parameters = f[journal::Parameters];
    if (!f[journal::Status].isEmpty()) {
        bool ok = false;
        const uint status = f[journal::Status].toUInt(&ok, 16);
        if (!ok || status > 0xFF)
            return std::nullopt;
        e.status = uint8_t(status);
    }
    return e;
}

} // namespace

// Lives in the store's worker thread; every member is used in that thread only.
class JournalWorker : public QObject {
public:
    JournalWorker(JournalStore *store, JournalStore::Options options)
        : store_(store), options_(std::move(options))
    {
    }

    void start();
    void setPassword(const QString &password);
    // A line or a block's state: into the database, or the outbox while the server is away.
    template <typename Item> void write(const Item &item);
    void finish(QThread *home);
    // One instrument's lines or states, told to `done` in the store's thread.
    template <typename Row>
    void answer(std::optional<QList<Row>> (JournalDatabase::*read)(const LineQuery &),
                const LineQuery &query,
                const std::function<void(const QList<Row> &, const QString &)> &done);
    void importCsv(const QString &folder, const std::function<void(const CsvImport &)> &done);
    void exportCsv(const Instrument &instrument, const QString &file,
                   const std::function<void(const QString &)> &done);

private:
    bool server() const { return where_ && where_->kind == JournalLocation::Postgres; }
    template <typename F> void post(F f)
    {
        QMetaObject::invokeMethod(store_, std::move(f), Qt::QueuedConnection);
    }
    void setProblem(const QString &message);
    void setWaiting(int count);
    void fail(const QUuid &id, const QString &message);
    void confirm(const StoredLine &line);
    void confirm(const StoredState &state);
    template <typename Item> bool sendBatch(const std::optional<QList<Item>> &batch);
    void connectServer();
    void lost(const QString &why);
    void retryLater();
    void send();
    QString unavailable() const;

    JournalStore *store_;
    JournalStore::Options options_;
    std::optional<JournalLocation> where_;
    std::unique_ptr<JournalDatabase> db_;
    std::unique_ptr<JournalDatabase> outbox_;
    QTimer *retry_ = nullptr;
    QString problem_;
    int waiting_ = 0;
    bool passwordAsked_ = false; // since the last password given
};

void JournalWorker::setProblem(const QString &message)
{
    if (message == problem_)
        return;
    problem_ = message;
    JournalStore *s = store_;
    post([s, message] { s->setProblem(message); });
}

void JournalWorker::setWaiting(int count)
{
    if (count == waiting_)
        return;
    waiting_ = count;
    JournalStore *s = store_;
    post([s, count] { s->setWaiting(count); });
}

void JournalWorker::fail(const QUuid &id, const QString &message)
{
    JournalStore *s = store_;
    post([s, id, message] { emit s->failed(id, message); });
}

void JournalWorker::confirm(const StoredLine &line)
{
    JournalStore *s = store_;
    const QUuid id = line.id;
    post([s, id] { emit s->confirmed(id); });
}

void JournalWorker::confirm(const StoredState &state)
{
    JournalStore *s = store_;
    const QUuid id = state.id;
    post([s, id] { emit s->stateSaved(id); });
}

QString JournalWorker::unavailable() const
{
    return problem_.isEmpty() ? QStringLiteral("Журнал работ недоступен.") : problem_;
}

void JournalWorker::start()
{
    const QString name = QStringLiteral("zet-journal-%1").arg(quintptr(this), 0, 16);
    db_ = std::make_unique<JournalDatabase>(name);
    QString error;
    where_ = JournalLocation::parse(options_.location.isEmpty() ? journal::defaultStoreLocation()
                                                                : options_.location,
                                    &error);
    if (!where_) {
        setProblem(error);
        return;
    }
    if (!server()) {
        if (db_->open(*where_) != JournalDatabase::State::Ready)
            setProblem(db_->message());
        return;
    }
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] { connectServer(); });
    outbox_ = std::make_unique<JournalDatabase>(name + QStringLiteral("-outbox"));
    JournalLocation box;
    box.file = options_.outbox.isEmpty() ? journal::defaultOutbox(*where_) : options_.outbox;
    if (outbox_->open(box) == JournalDatabase::State::Ready)
        setWaiting(outbox_->count().value_or(0));
    connectServer();
    if (outbox_->state() != JournalDatabase::State::Ready && problem_.isEmpty())
        setProblem(outbox_->message());
}

void JournalWorker::connectServer()
{
    const JournalDatabase::State state = db_->open(*where_, options_.password);
    if (state == JournalDatabase::State::Ready) {
        setProblem(outbox_->state() == JournalDatabase::State::Ready ? QString()
                                                                       : outbox_->message());
        send();
        return;
    }
    if (state == JournalDatabase::State::Refused) {
        setProblem(db_->message());
        return;
    }
    if (db_->passwordRefused() && !passwordAsked_) {
        passwordAsked_ = true;
        JournalStore *s = store_;
        const QString server = where_->display();
        post([s, server] { emit s->passwordNeeded(server); });
    }
    setProblem(db_->message() +
               QStringLiteral(" Строки сохраняются на этом компьютере и будут отправлены, "
                              "когда сервер станет доступен."));
    retryLater();
}

void JournalWorker::setPassword(const QString &password)
{
    options_.password = password;
    passwordAsked_ = false;
    if (server() && db_ && db_->state() != JournalDatabase::State::Ready &&
        db_->state() != JournalDatabase::State::Refused)
        connectServer();
}

void JournalWorker::lost(const QString &why)
{
    db_->close();
    setProblem(QStringLiteral("Журнал: нет связи с сервером %1 (%2). Строки сохраняются на "
                              "этом компьютере и будут отправлены, когда сервер станет "
                              "доступен.")
                   .arg(where_->display(), why));
    retryLater();
}

void JournalWorker::retryLater()
{
    if (retry_ && !retry_->isActive())
        retry_->start(options_.retryMs);
}

// Sends the outbox's lines (then the blocks' states) a batch at a time, new lines
// taking their turn between batches. One the server already has (sent before a
// crash) is not added again.
void JournalWorker::send()
{
    if (!outbox_ || outbox_->state() != JournalDatabase::State::Ready ||
        db_->state() != JournalDatabase::State::Ready)
        return;
    const std::optional<QList<StoredLine>> lines = outbox_->earliest(kSendBatch);
    if (!sendBatch(lines))
        return;
    bool more = lines->size() == kSendBatch;
    if (!more) {
        const std::optional<QList<StoredState>> states = outbox_->earliestStates(kSendBatch);
        if (!sendBatch(states))
            return;
        more = states->size() == kSendBatch;
    }
    setWaiting(outbox_->count().value_or(waiting_));
    if (more)
        QTimer::singleShot(0, this, [this] { send(); });
}

// False when sending stopped: the outbox unreadable, or the server gone again.
template <typename Item> bool JournalWorker::sendBatch(const std::optional<QList<Item>> &batch)
{
    if (!batch) {
        setProblem(outbox_->message());
        return false;
    }
    for (const Item &item : *batch) {
        if (!db_->insert(item)) {
            lost(db_->message());
            return false;
        }
        if (!outbox_->remove(item.id)) {
            setProblem(outbox_->message());
            return false;
        }
        confirm(item);
        setWaiting(waiting_ - 1);
    }
    return true;
}

template <typename Item> void JournalWorker::write(const Item &item)
{
    JournalStore *s = store_;
    const QUuid id = item.id;
    if (!where_ || !db_) {
        fail(id, unavailable());
        return;
    }
    if (db_->state() == JournalDatabase::State::Ready) {
        if (db_->insert(item)) {
            confirm(item);
            return;
        }
        if (!server()) {
            fail(id, QStringLiteral("Строка журнала не записана в %1: %2.")
                         .arg(where_->display(), db_->message()));
            return;
        }
        lost(db_->message());
    }
    if (!server() || db_->state() == JournalDatabase::State::Refused) {
        fail(id, unavailable());
        return;
    }
    if (!outbox_ || outbox_->state() != JournalDatabase::State::Ready || !outbox_->insert(item)) {
        fail(id, outbox_ ? outbox_->message() : unavailable());
        return;
    }
    setWaiting(waiting_ + 1);
    post([s, id] { emit s->deferred(id); });
    retryLater();
}

void JournalWorker::finish(QThread *home)
{
    delete retry_;
    retry_ = nullptr;
    db_.reset();
    outbox_.reset();
    moveToThread(home);
}

namespace {

// What a read found, or the reason it found nothing.
template <typename Item>
QString readError(const std::optional<QList<Item>> &found, JournalDatabase *db,
                  const QString &unavailable)
{
    if (found)
        return {};
    return db && db->state() == JournalDatabase::State::Ready ? db->message() : unavailable;
}

} // namespace

template <typename Row>
void JournalWorker::answer(std::optional<QList<Row>> (JournalDatabase::*read)(const LineQuery &),
                           const LineQuery &query,
                           const std::function<void(const QList<Row> &, const QString &)> &done)
{
    std::optional<QList<Row>> found;
    if (db_ && db_->state() == JournalDatabase::State::Ready)
        found = (db_.get()->*read)(query);
    const QString error = readError(found, db_.get(), unavailable());
    QList<Row> result = found.value_or(QList<Row>());
    post([done, result, error] { done(result, error); });
}

void JournalWorker::importCsv(const QString &folder,
                              const std::function<void(const CsvImport &)> &done)
{
    CsvImport r;
    if (!db_ || db_->state() != JournalDatabase::State::Ready) {
        r.error = unavailable();
        post([done, r] { done(r); });
        return;
    }
    const QString workstation = options_.workstation.isEmpty() ? QSysInfo::machineHostName()
                                                               : options_.workstation;
    const QDir dir(folder);
    const QStringList files =
        dir.entryList({QStringLiteral("*.csv")}, QDir::Files | QDir::Readable, QDir::Name);
    QStringList errors;
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            errors << QStringLiteral("%1: %2").arg(name, f.errorString());
            continue;
        }
        const QList<QStringList> records = journal::parseCsv(f.readAll());
        QList<StoredLine> lines;
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (i == 0 && records[i] == journal::header())
                continue;
            const std::optional<JournalEntry> entry = entryFromCsv(records[i]);
            if (!entry)
                continue;
            const QByteArray key = name.toUtf8() + '\n' + QByteArray::number(i) + '\n' +
                                   journal::csvLine(records[i]);
            lines << StoredLine{QUuid::createUuidV5(kImportNamespace, key), *entry, workstation,
                                QString()};
        }
        int added = 0;
        if (!db_->insertAll(lines, &added)) {
            errors << QStringLiteral("%1: %2").arg(name, db_->message());
            continue;
        }
        ++r.files;
        r.lines += int(lines.size());
        r.added += added;
    }
    if (!errors.isEmpty())
        r.error = QStringLiteral("Не все файлы журнала импортированы:\n") +
                  errors.join(QLatin1Char('\n'));
    post([done, r] { done(r); });
}

void JournalWorker::exportCsv(const Instrument &instrument, const QString &file,
                              const std::function<void(const QString &)> &done)
{
    LineQuery query;
    query.instrument = instrument;
    query.newestFirst = false;
    std::optional<QList<StoredLine>> found;
    if (db_ && db_->state() == JournalDatabase::State::Ready)
        found = db_->select(query);
    QString error = readError(found, db_.get(), unavailable());
    if (found)
        writeCsvJournal(*found, file, &error);
    post([done, error] { done(error); });
}

JournalStore::JournalStore(Options options, QObject *parent)
    : QObject(parent), engineer_(options.engineer),
      workstation_(options.workstation.isEmpty() ? QSysInfo::machineHostName()
                                                 : options.workstation)
{
    options.workstation = workstation_;
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("journal"));
    worker_ = new JournalWorker(this, std::move(options));
    worker_->moveToThread(thread_);
    thread_->start();
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(w, [w] { w->start(); }, Qt::QueuedConnection);
}

JournalStore::~JournalStore()
{
    JournalWorker *w = worker_;
    QThread *home = thread();
    // After every line queued before it.
    QMetaObject::invokeMethod(w, [w, home] { w->finish(home); }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete worker_;
}

QUuid JournalStore::append(const JournalEntry &entry)
{
    const StoredLine line{orderedId(), entry, workstation_, engineer_};
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(w, [w, line] { w->write(line); }, Qt::QueuedConnection);
    return line.id;
}

QUuid JournalStore::saveState(StoredState state, const QImage &chart)
{
    state.id = orderedId();
    state.workstation = workstation_;
    state.engineer = engineer_;
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(
        w,
        [w, state, chart]() mutable {
            if (!chart.isNull()) {
                QBuffer png(&state.chart);
                png.open(QIODevice::WriteOnly);
                chart.save(&png, "PNG");
            }
            w->write(state);
        },
        Qt::QueuedConnection);
    return state.id;
}

void JournalStore::states(const LineQuery &query, StatesDone done)
{
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(
        w, [w, query, done] { w->answer(&JournalDatabase::states, query, done); },
        Qt::QueuedConnection);
}

void JournalStore::lines(const LineQuery &query, LinesDone done)
{
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(
        w, [w, query, done] { w->answer(&JournalDatabase::select, query, done); },
        Qt::QueuedConnection);
}

void JournalStore::importCsv(const QString &folder, std::function<void(const CsvImport &)> done)
{
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(
        w, [w, folder, done] { w->importCsv(folder, done); }, Qt::QueuedConnection);
}

void JournalStore::exportCsv(const Instrument &instrument, const QString &file,
                             std::function<void(const QString &)> done)
{
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(
        w, [w, instrument, file, done] { w->exportCsv(instrument, file, done); },
        Qt::QueuedConnection);
}

void JournalStore::setPassword(const QString &password)
{
    JournalWorker *w = worker_;
    QMetaObject::invokeMethod(w, [w, password] { w->setPassword(password); }, Qt::QueuedConnection);
}

void JournalStore::setWaiting(int count)
{
    if (count == waiting_)
        return;
    waiting_ = count;
    emit waitingChanged(count);
}

void JournalStore::setProblem(const QString &message)
{
    if (message == problem_)
        return;
    problem_ = message;
    emit problemChanged(message);
}

} // namespace zet
