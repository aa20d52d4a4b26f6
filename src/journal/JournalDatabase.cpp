#include "journal/JournalDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

namespace zet {

namespace {

// Each step takes the schema from the version before it to its own.
struct Migration {
    int version;
    QStringList statements;
};

const QList<Migration> &migrations()
{
    static const QList<Migration> steps = {
        {1,
         {QStringLiteral("CREATE TABLE journal_schema (version INTEGER NOT NULL)"),
          QStringLiteral("CREATE TABLE journal_line ("
                         "id VARCHAR(36) PRIMARY KEY, "
                         "time_ms BIGINT NOT NULL, "
                         "time_text VARCHAR(40) NOT NULL, "
                         "model TEXT NOT NULL, "
                         "serial TEXT NOT NULL, "
                         "page TEXT NOT NULL, "
                         "address INTEGER NOT NULL, "
                         "button TEXT NOT NULL, "
                         "code INTEGER NOT NULL, "
                         "parameters TEXT NOT NULL, "
                         "status INTEGER, "
                         "workstation TEXT NOT NULL, "
                         "engineer TEXT NOT NULL)")}},
        // The history window reads one instrument's lines by time.
        {2,
         {QStringLiteral("CREATE INDEX journal_line_instrument "
                         "ON journal_line (model, serial, time_ms)")}},
        // Blocks' states for protocols written without the instrument. BYTEA is a
        // type name SQLite takes as it is, and a blob keeps its bytes in any column.
        {3,
         {QStringLiteral("CREATE TABLE block_state ("
                         "id VARCHAR(36) PRIMARY KEY, "
                         "time_ms BIGINT NOT NULL, "
                         "time_text VARCHAR(40) NOT NULL, "
                         "model TEXT NOT NULL, "
                         "serial TEXT NOT NULL, "
                         "page TEXT NOT NULL, "
                         "version TEXT NOT NULL, "
                         "status TEXT NOT NULL, "
                         "read_back TEXT NOT NULL, "
                         "chart BYTEA, "
                         "workstation TEXT NOT NULL, "
                         "engineer TEXT NOT NULL)"),
          QStringLiteral("CREATE INDEX block_state_instrument "
                         "ON block_state (model, serial, time_ms)")}},
    };
    return steps;
}

const QString kColumns = QStringLiteral(
    "id, time_ms, time_text, model, serial, page, address, button, code, parameters, "
    "status, workstation, engineer");

const QString kInsert = QStringLiteral("INSERT INTO journal_line (") + kColumns +
                        QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                       "ON CONFLICT (id) DO NOTHING");

const QString kStateColumns = QStringLiteral(
    "id, time_ms, time_text, model, serial, page, version, status, read_back, chart, "
    "workstation, engineer");

// A null QString binds as SQL NULL; an empty field is an empty text.
QVariant text(const QString &s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

void bindLine(QSqlQuery &q, const StoredLine &line)
{
    const JournalEntry &e = line.entry;
    q.addBindValue(line.id.toString(QUuid::WithoutBraces));
    q.addBindValue(qlonglong(e.time.toMSecsSinceEpoch()));
    q.addBindValue(journal::fields(e)[journal::Time]);
    q.addBindValue(text(e.instrument.model));
    q.addBindValue(text(e.instrument.serial));
    q.addBindValue(text(e.page));
    q.addBindValue(e.address);
    q.addBindValue(text(e.button));
    q.addBindValue(e.code);
    q.addBindValue(text(e.parameters));
    q.addBindValue(e.status ? QVariant(int(*e.status)) : QVariant(QMetaType::fromType<int>()));
    q.addBindValue(text(line.workstation));
    q.addBindValue(text(line.engineer));
}

// The instant with the offset it was written with ("...+03:00", "...Z"); reading the
// offset alone keeps a history of many lines quick to load.
QDateTime timeOf(qint64 ms, const QString &text)
{
    int offset = 0;
    if (text.size() > 6 && (text.at(text.size() - 6) == QLatin1Char('+') ||
                            text.at(text.size() - 6) == QLatin1Char('-')) &&
        text.at(text.size() - 3) == QLatin1Char(':')) {
        const int hours = QStringView(text).mid(text.size() - 5, 2).toInt();
        const int minutes = QStringView(text).mid(text.size() - 2, 2).toInt();
        offset = (hours * 60 + minutes) * 60 * (text.at(text.size() - 6) == QLatin1Char('-') ? -1 : 1);
    } else if (!text.endsWith(QLatin1Char('Z'))) {
        const QDateTime parsed = QDateTime::fromString(text, Qt::ISODate);
        if (parsed.isValid())
            return parsed;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset);
}

StoredLine readLine(const QSqlQuery &q)
{
    StoredLine line;
    line.id = QUuid::fromString(q.value(0).toString());
    JournalEntry &e = line.entry;
    e.time = timeOf(q.value(1).toLongLong(), q.value(2).toString());
    e.instrument = {q.value(3).toString(), q.value(4).toString()};
    e.page = q.value(5).toString();
    e.address = q.value(6).toInt();
    e.button = q.value(7).toString();
    e.code = q.value(8).toInt();
    e.parameters = q.value(9).toString();
    if (!q.value(10).isNull())
        e.status = uint8_t(q.value(10).toInt());
    line.workstation = q.value(11).toString();
    line.engineer = q.value(12).toString();
    return line;
}

// Lists of texts are kept as JSON arrays: a panel's text may hold a line break.
QString textList(const QStringList &list)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
}

QStringList listText(const QString &json)
{
    QStringList list;
    for (const QJsonValue &v : QJsonDocument::fromJson(json.toUtf8()).array())
        list << v.toString();
    return list;
}

QVariantList stateValues(const StoredState &s)
{
    return {s.id.toString(QUuid::WithoutBraces),
            qlonglong(s.time.toMSecsSinceEpoch()),
            s.time.toString(Qt::ISODateWithMs),
            text(s.instrument.model),
            text(s.instrument.serial),
            text(s.page),
            text(s.version),
            textList(s.status),
            textList(s.readBack),
            s.chart.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(s.chart),
            text(s.workstation),
            text(s.engineer)};
}

StoredState readState(const QSqlQuery &q)
{
    StoredState s;
    s.id = QUuid::fromString(q.value(0).toString());
    s.time = timeOf(q.value(1).toLongLong(), q.value(2).toString());
    s.instrument = {q.value(3).toString(), q.value(4).toString()};
    s.page = q.value(5).toString();
    s.version = q.value(6).toString();
    s.status = listText(q.value(7).toString());
    s.readBack = listText(q.value(8).toString());
    s.chart = q.value(9).toByteArray();
    s.workstation = q.value(10).toString();
    s.engineer = q.value(11).toString();
    return s;
}

QString errorText(const QSqlError &e)
{
    const QString text = e.databaseText().trimmed();
    return text.isEmpty() ? e.text().trimmed() : text;
}

} // namespace

std::optional<JournalLocation> JournalLocation::parse(const QString &text, QString *error)
{
    JournalLocation where;
    const QString t = text.trimmed();
    if (!t.startsWith(QStringLiteral("postgresql://")) && !t.startsWith(QStringLiteral("postgres://"))) {
        if (!t.isEmpty() && !t.contains(QStringLiteral("://"))) {
            where.file = QDir::cleanPath(QFileInfo(t).absoluteFilePath());
            return where;
        }
    } else {
        const QUrl url(t, QUrl::StrictMode);
        const QString database = url.path().mid(1);
        if (url.isValid() && !url.host().isEmpty() && !url.userName().isEmpty() &&
            !database.isEmpty() && !database.contains(QLatin1Char('/'))) {
            if (!url.password().isEmpty()) {
                if (error)
                    *error = QStringLiteral("Пароль в адресе базы журнала не хранится: уберите "
                                            "его из адреса; программа спросит его сама или "
                                            "возьмёт из ~/.pgpass.");
                return std::nullopt;
            }
            where.kind = Postgres;
            where.user = url.userName();
            where.host = url.host();
            where.port = url.port(5432);
            where.database = database;
            return where;
        }
    }
    if (error)
        *error = QStringLiteral("Адрес базы журнала «%1» не понят: ожидается путь к файлу или "
                                "postgresql://пользователь@сервер[:порт]/база.")
                     .arg(t);
    return std::nullopt;
}

QString JournalLocation::display() const
{
    if (kind == Sqlite)
        return QDir::toNativeSeparators(file);
    return QStringLiteral("%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

JournalDatabase::JournalDatabase(QString connectionName) : name_(std::move(connectionName)) {}

JournalDatabase::~JournalDatabase()
{
    close();
}

void JournalDatabase::close()
{
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    state_ = State::Closed;
}

bool JournalDatabase::exec(const QString &sql)
{
    QSqlQuery q(db_);
    if (q.exec(sql))
        return true;
    message_ = errorText(q.lastError());
    return false;
}

JournalDatabase::State JournalDatabase::refuse(const QString &message)
{
    close();
    message_ = message;
    return state_ = State::Refused;
}

JournalDatabase::State JournalDatabase::unreachable(const QString &why)
{
    close();
    message_ = QStringLiteral("Журнал: нет связи с сервером %1 (%2).").arg(where_.display(), why);
    // libpq's and the server's wording, in English or Russian: no password, or a wrong one.
    passwordRefused_ = why.contains(QStringLiteral("password"), Qt::CaseInsensitive) ||
                       why.contains(QStringLiteral("парол"), Qt::CaseInsensitive);
    return state_ = State::Unreachable;
}

std::optional<QStringList> JournalDatabase::tables()
{
    QSqlQuery q(db_);
    const QString sql =
        where_.kind == JournalLocation::Sqlite
            ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")
            : QStringLiteral("SELECT table_name FROM information_schema.tables "
                             "WHERE table_schema = current_schema()");
    if (!q.exec(sql)) {
        message_ = errorText(q.lastError());
        return std::nullopt;
    }
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

// 0 for a database without the journal's tables; nullopt when it cannot be read.
std::optional<int> JournalDatabase::storedVersion(const QStringList &tables)
{
    if (!tables.contains(QStringLiteral("journal_schema")))
        return 0;
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT max(version) FROM journal_schema")) || !q.next()) {
        message_ = errorText(q.lastError());
        return std::nullopt;
    }
    return q.value(0).toInt();
}

JournalDatabase::State JournalDatabase::open(const JournalLocation &where, const QString &password)
{
    close();
    where_ = where;
    message_.clear();
    passwordRefused_ = false;
    const bool sqlite = where.kind == JournalLocation::Sqlite;
    if (sqlite) {
        const QString dir = QFileInfo(where.file).path();
        if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir))
            return refuse(QStringLiteral("Журнал работ не записывается: не удалось создать "
                                         "папку %1.")
                              .arg(QDir::toNativeSeparators(dir)));
        // The journal names customers' instruments: a new file is the user's alone
        // (SQLite gives its side files the same mode).
        const QByteArray path = QFile::encodeName(where.file);
        const int fd = ::open(path.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(where.file);
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000"));
    } else {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db_.setHostName(where.host);
        db_.setPort(where.port);
        db_.setUserName(where.user);
        db_.setDatabaseName(where.database);
        if (!password.isEmpty())
            db_.setPassword(password);
        db_.setConnectOptions(QStringLiteral("connect_timeout=3"));
    }
    const QString damaged =
        QStringLiteral("Файл журнала %1 повреждён или не читается (%2); файл не изменён.");
    if (!db_.isValid())
        return refuse(QStringLiteral("Журнал работ не записывается: нет драйвера базы данных "
                                     "%1 (пакет libqt6sql6-%2).")
                          .arg(sqlite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"),
                               sqlite ? QStringLiteral("sqlite") : QStringLiteral("psql")));
    if (!db_.open()) {
        const QString why = errorText(db_.lastError());
        return sqlite ? refuse(damaged.arg(where.display(), why)) : unreachable(why);
    }
    // Read before anything is written: a damaged file, someone else's database or a
    // newer schema is left exactly as it was.
    const std::optional<QStringList> names = tables();
    if (!names)
        return sqlite ? refuse(damaged.arg(where.display(), message_)) : unreachable(message_);
    const std::optional<int> version = storedVersion(*names);
    if (!version)
        return sqlite ? refuse(damaged.arg(where.display(), message_)) : unreachable(message_);
    if (*version > kSchemaVersion)
        return refuse(QStringLiteral("База журнала %1 создана более новой версией программы "
                                     "(версия схемы %2, эта программа знает версии до %3). "
                                     "Журнал не записывается; база не изменена. Обновите "
                                     "программу.")
                          .arg(where.display())
                          .arg(*version)
                          .arg(kSchemaVersion));
    if (*version == 0 && !names->isEmpty() && sqlite)
        return refuse(QStringLiteral("Файл %1 — не база журнала работ (в нём другие таблицы). "
                                     "Журнал не записывается; файл не изменён.")
                          .arg(where.display()));
    if (sqlite) {
        // Write-ahead log, and each commit synced to the disk before it returns.
        bool wal = false;
        for (int attempt = 0; attempt < 50 && !wal; ++attempt) {
            QSqlQuery q(db_);
            wal = q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.next() &&
                  q.value(0).toString() == QStringLiteral("wal");
            if (!wal)
                QThread::msleep(100);
        }
        if (!wal || !exec(QStringLiteral("PRAGMA synchronous=FULL")))
            return refuse(damaged.arg(where.display(), message_));
    }
    if (*version < kSchemaVersion && !migrate(kSchemaVersion)) {
        const QString why = message_;
        return sqlite ? refuse(damaged.arg(where.display(), why)) : unreachable(why);
    }
    if (state_ == State::Refused)
        return state_;
    return state_ = State::Ready;
}

// Under the database's write lock, so that two programs opening a new database at
// once build its tables once.
bool JournalDatabase::migrate(int known)
{
    const bool sqlite = where_.kind == JournalLocation::Sqlite;
    if (!exec(sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")))
        return false;
    auto rollback = [this] {
        const QString why = message_;
        exec(QStringLiteral("ROLLBACK"));
        message_ = why;
        return false;
    };
    if (!sqlite && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(7301160001)")))
        return rollback();
    const std::optional<QStringList> names = tables();
    if (!names)
        return rollback();
    const std::optional<int> version = storedVersion(*names);
    if (!version)
        return rollback();
    if (*version > known) {
        exec(QStringLiteral("ROLLBACK"));
        refuse(QStringLiteral("База журнала %1 создана более новой версией программы. Журнал "
                              "не записывается; база не изменена.")
                   .arg(where_.display()));
        return true;
    }
    for (const Migration &m : migrations()) {
        if (m.version <= *version || m.version > known)
            continue;
        for (const QString &sql : m.statements)
            if (!exec(sql))
                return rollback();
    }
    if (*version < known) {
        QSqlQuery q(db_);
        if (!exec(QStringLiteral("DELETE FROM journal_schema")) ||
            !q.prepare(QStringLiteral("INSERT INTO journal_schema (version) VALUES (?)")))
            return rollback();
        q.addBindValue(known);
        if (!q.exec()) {
            message_ = errorText(q.lastError());
            return rollback();
        }
    }
    return exec(QStringLiteral("COMMIT")) || rollback();
}

bool JournalDatabase::insert(const StoredLine &line)
{
    if (state_ != State::Ready)
        return false;
    QSqlQuery q(db_);
    if (!q.prepare(kInsert)) {
        message_ = errorText(q.lastError());
        return false;
    }
    bindLine(q, line);
    if (!q.exec()) {
        message_ = errorText(q.lastError());
        return false;
    }
    return true;
}

bool JournalDatabase::insertAll(const QList<StoredLine> &lines, int *added)
{
    *added = 0;
    if (state_ != State::Ready || !exec(QStringLiteral("BEGIN")))
        return false;
    QSqlQuery q(db_);
    if (!q.prepare(kInsert)) {
        message_ = errorText(q.lastError());
        exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    int count = 0;
    for (const StoredLine &line : lines) {
        bindLine(q, line);
        if (!q.exec()) {
            message_ = errorText(q.lastError());
            const QString why = message_;
            exec(QStringLiteral("ROLLBACK"));
            message_ = why;
            return false;
        }
        count += q.numRowsAffected() > 0 ? 1 : 0;
    }
    if (!exec(QStringLiteral("COMMIT")))
        return false;
    *added = count;
    return true;
}

namespace {

// " WHERE ..." of one instrument's rows in the query's dates, with the values to bind.
QString whereOf(const LineQuery &query, QVariantList *values)
{
    QString sql = QStringLiteral(" WHERE serial = ?");
    *values = {query.instrument.serial};
    auto add = [&sql, values](const char *clause, const QVariant &value) {
        sql += QLatin1String(clause);
        *values << value;
    };
    if (!query.instrument.model.isEmpty())
        add(" AND model = ?", query.instrument.model);
    if (query.from.isValid())
        add(" AND time_ms >= ?", qlonglong(query.from.toMSecsSinceEpoch()));
    if (query.to.isValid())
        add(" AND time_ms < ?", qlonglong(query.to.toMSecsSinceEpoch()));
    return sql;
}

} // namespace

std::optional<QList<StoredLine>> JournalDatabase::select(const LineQuery &query)
{
    QVariantList values;
    QString sql = QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM journal_line") +
                  whereOf(query, &values);
    sql += query.newestFirst ? QStringLiteral(" ORDER BY time_ms DESC, id DESC")
                             : QStringLiteral(" ORDER BY time_ms, id");
    return rows(sql, values, readLine);
}

std::optional<QStringList> JournalDatabase::models(const QString &serial)
{
    std::optional<QSqlQuery> q = run(
        QStringLiteral("SELECT DISTINCT model FROM journal_line WHERE serial = ? ORDER BY model"),
        {serial});
    if (!q)
        return std::nullopt;
    QStringList found;
    while (q->next())
        found << q->value(0).toString();
    return found;
}

std::optional<QList<StoredState>> JournalDatabase::states(const LineQuery &query)
{
    QVariantList values;
    const QString sql = QStringLiteral("SELECT ") + kStateColumns +
                        QStringLiteral(" FROM block_state") + whereOf(query, &values) +
                        QStringLiteral(" ORDER BY time_ms, id");
    return rows(sql, values, readState);
}

std::optional<QList<StoredState>> JournalDatabase::earliestStates(int count)
{
    return rows(QStringLiteral("SELECT ") + kStateColumns +
                    QStringLiteral(" FROM block_state ORDER BY time_ms, id LIMIT ?"),
                {count}, readState);
}

bool JournalDatabase::write(const QString &sql, const QVariantList &values)
{
    return run(sql, values).has_value();
}

bool JournalDatabase::insert(const StoredState &state)
{
    return write(QStringLiteral("INSERT INTO block_state (") + kStateColumns +
                     QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                    "ON CONFLICT (id) DO NOTHING"),
                 stateValues(state));
}

std::optional<QList<StoredLine>> JournalDatabase::earliest(int count)
{
    return rows(QStringLiteral("SELECT ") + kColumns +
                    QStringLiteral(" FROM journal_line ORDER BY time_ms, id LIMIT ?"),
                {count}, readLine);
}

std::optional<QSqlQuery> JournalDatabase::run(const QString &sql, const QVariantList &values)
{
    if (state_ != State::Ready)
        return std::nullopt;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        message_ = errorText(q.lastError());
        return std::nullopt;
    }
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        message_ = errorText(q.lastError());
        return std::nullopt;
    }
    return q;
}

bool JournalDatabase::remove(const QUuid &id)
{
    const QString key = id.toString(QUuid::WithoutBraces);
    return write(QStringLiteral("DELETE FROM journal_line WHERE id = ?"), {key}) &&
           write(QStringLiteral("DELETE FROM block_state WHERE id = ?"), {key});
}

std::optional<int> JournalDatabase::count()
{
    std::optional<QSqlQuery> q =
        run(QStringLiteral("SELECT (SELECT count(*) FROM journal_line) + "
                           "(SELECT count(*) FROM block_state)"),
            {});
    if (!q || !q->next())
        return std::nullopt;
    return q->value(0).toInt();
}

} // namespace zet
