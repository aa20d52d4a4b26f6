#include "JournalWrite.h"

#include "SimulatedDriver.h"
#include "TempPostgres.h"
#include "connection/PageIndex.h"
#include "connection/Session.h"
#include "journal/JournalDatabase.h"
#include "journal/JournalStore.h"
#include "platform/Platform.h"
#include "record/FileChooser.h"
#include "record/JournalWindow.h"
#include "record/ServiceRecord.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include <atomic>

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

namespace {

// Another writer that takes the journal file's write lock for `holdMs` at a time.
class LockHolder : public QThread {
public:
    LockHolder(QString file, int holdMs) : file_(std::move(file)), holdMs_(holdMs) {}
    std::atomic<bool> stop{false};

protected:
    void run() override
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                        QStringLiteral("bench-lock-holder"));
            db.setDatabaseName(file_);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000"));
            if (db.open()) {
                QSqlQuery q(db);
                while (!stop) {
                    q.exec(QStringLiteral("BEGIN IMMEDIATE"));
                    msleep(ulong(holdMs_));
                    q.exec(QStringLiteral("COMMIT"));
                    msleep(2);
                }
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-lock-holder"));
    }

private:
    QString file_;
    int holdMs_;
};

// The simulated type-1 instrument identified, its thermocatalytic page shown, the
// window's ticks run by hand.
struct TksBench {
    qint64 clock = 0;
    sim::SimulatedDriver driver{1, [this] { return clock; }};
    Platform quiet = quietPlatform();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(driver, quiet);

    TksBench()
    {
        form->show();
        auto *list = form->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
        list->setCurrentItem(list->topLevelItem(0));
        form->ListView1DblClick();
        form->pollCycle().stop();
        for (int i = 0; i < 20 && form->session().deviceType == 0; ++i) {
            cycle();
            form->Timer2Timer();
        }
        form->selectPage(page::Tks);
    }
    void cycle()
    {
        form->Timer1Timer();
        clock += 60;
    }
};

} // namespace

JournalTiming receiveTickOnSlowStore(int ticks, int holdMs, int *written)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("journal.sqlite"));
    ServiceRecord::setJournalLocation(file);
    TksBench b;
    JournalTiming r;
    {
        TForm1 &form = *b.form;
        auto cycle = [&b] { b.cycle(); };
        form.record().store(); // opened, and the file made, before the other writer starts
        QCoreApplication::processEvents();
        LockHolder holder(file, holdMs);
        holder.start();
        QPushButton *save = form.findChild<QPushButton *>(QStringLiteral("Button25"));
        std::vector<double> times;
        for (int i = 0; i < ticks + 30; ++i) {
            if (i % 4 == 0)
                save->click();
            cycle();
            QElapsedTimer t;
            t.start();
            form.Timer2Timer();
            const qint64 ns = t.nsecsElapsed();
            if (i >= 30 && form.session().replyValid)
                times.push_back(ns / 1e6);
            QCoreApplication::processEvents(); // hands the acknowledged lines to the store
        }
        holder.stop = true;
        holder.wait();
        // The lines held up by the other writer arrive once it lets go.
        QElapsedTimer quiet;
        quiet.start();
        for (int last = -1; quiet.elapsed() < 1000;) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
            if (form.record().linesConfirmed() != last) {
                last = form.record().linesConfirmed();
                quiet.restart();
            }
        }
        *written = form.record().linesConfirmed();
        r.timing = {median(times), int(times.size())};
    }
    ServiceRecord::setJournalLocation({});
    return r;
}

JournalTiming stateKeptOnLeaving(int turns, double *withoutMs)
{
    QTemporaryDir dir;
    ServiceRecord::setJournalLocation(dir.filePath(QStringLiteral("journal.sqlite")));
    JournalTiming r;
    {
        TksBench b;
        b.form->record().setStateDelay(3600 * 1000); // kept on leaving only
        QPushButton *save = b.form->findChild<QPushButton *>(QStringLiteral("Button25"));
        std::vector<double> kept, plain;
        for (int i = 0; i < turns; ++i) {
            const bool pending = i % 2 == 0;
            b.form->selectPage(page::Tks);
            for (int tick = 0; tick < 30; ++tick) { // the chart filled, the save answered
                if (pending && tick == 10)
                    save->click();
                b.cycle();
                b.form->Timer2Timer();
            }
            QCoreApplication::processEvents();
            QElapsedTimer t;
            t.start();
            b.form->selectPage(0);
            (pending ? kept : plain).push_back(double(t.nsecsElapsed()) / 1e6);
            QCoreApplication::processEvents();
        }
        *withoutMs = median(plain);
        r.timing = {median(kept), int(kept.size())};
    }
    ServiceRecord::setJournalLocation({});
    return r;
}

JournalTiming journalWindowOpening(int lines)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("journal.sqlite"));
    const Instrument instrument{QStringLiteral("ЗЕТ 75"), QStringLiteral("1010")};
    {
        JournalDatabase db(QStringLiteral("bench-fill"));
        JournalLocation where;
        where.file = file;
        if (db.open(where) != JournalDatabase::State::Ready)
            return {{}, db.message().toStdString()};
        QList<StoredLine> all;
        const QDateTime start = QDateTime::currentDateTime().addDays(-400);
        const char *pages[] = {"Кислород", "Оптика метан 100%", "Давление 20кПа", "Насос"};
        for (int i = 0; i < lines; ++i) {
            StoredLine l;
            l.id = QUuid::createUuid();
            l.entry.time = start.addSecs(i * 300);
            l.entry.instrument = instrument;
            l.entry.page = QString::fromUtf8(pages[i % 4]);
            l.entry.address = 150;
            l.entry.button = QStringLiteral("Применить");
            l.entry.code = 8;
            l.entry.parameters = QStringLiteral("Порог 4 = %1 % х10").arg(i % 500);
            l.entry.status = 0x01;
            l.workstation = i % 3 ? QStringLiteral("СТЕНД-1") : QStringLiteral("СТЕНД-2");
            l.engineer = QStringLiteral("Иванов");
            all << l;
        }
        int added = 0;
        if (!db.insertAll(all, &added))
            return {{}, db.message().toStdString()};
    }
    JournalStore store({.location = file});
    FileChooser files;
    Platform platform;
    std::vector<double> ms;
    for (int turn = 0; turn < 3; ++turn) {
        JournalWindow window(store, files, platform);
        window.resize(1240, 480);
        window.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        window.showInstrument(instrument);
        while (window.loading() && t.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::sendPostedEvents();
        window.repaint();
        if (window.model().rowCount() == lines)
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (ms.empty())
        return {{}, "the window did not show every line"};
    return {{median(ms), int(ms.size())}, {}};
}

} // namespace zet::bench
