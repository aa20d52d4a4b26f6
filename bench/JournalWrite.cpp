#include "JournalWrite.h"

#include "TempPostgres.h"
#include "journal/JournalStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

namespace zet::bench {

namespace {

JournalTiming measure(const JournalStore::Options &options, int lines)
{
    JournalTiming r;
    JournalStore store(options);
    QUuid done;
    QString failed;
    QObject::connect(&store, &JournalStore::confirmed, [&](QUuid id) { done = id; });
    QObject::connect(&store, &JournalStore::failed, [&](QUuid, QString m) { failed = m; });
    std::vector<double> ms;
    JournalEntry e;
    e.instrument = {QStringLiteral("ЗЕТ 71"), QStringLiteral("1234")};
    e.page = QStringLiteral("ТКС");
    e.address = 3;
    e.button = QStringLiteral("Сохранение параметров");
    e.code = 12;
    e.status = 0x01;
    // The first line also opens the database: not counted.
    for (int i = 0; i <= lines && failed.isEmpty(); ++i) {
        e.time = QDateTime::currentDateTime();
        e.parameters = QString::number(i);
        QElapsedTimer t;
        t.start();
        const QUuid id = store.append(e);
        while (done != id && failed.isEmpty() && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (done == id && i > 0)
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    r.timing = {median(ms), int(ms.size())};
    if (!failed.isEmpty())
        r.error = failed.toStdString();
    return r;
}

} // namespace

JournalTiming journalLineSqlite(int lines)
{
    QTemporaryDir dir;
    JournalStore::Options o;
    o.location = dir.filePath(QStringLiteral("journal.sqlite"));
    return measure(o, lines);
}

JournalTiming journalLinePostgres(int lines)
{
    if (!test::TempPostgres::installed())
        return {{}, "no PostgreSQL server in " + test::TempPostgres::binDir().toStdString()};
    test::TempPostgres server;
    QString error;
    if (!server.start(&error) || !server.createDatabase(QStringLiteral("journal"), &error))
        return {{}, error.simplified().toStdString()};
    QTemporaryDir dir;
    JournalStore::Options o;
    o.location = server.url(QStringLiteral("journal"));
    o.password = QString::fromLatin1(test::TempPostgres::kPassword);
    o.outbox = dir.filePath(QStringLiteral("outbox.sqlite"));
    return measure(o, lines);
}

} // namespace zet::bench
