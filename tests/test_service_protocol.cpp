// The service protocol as the customer gets it: a PDF written from a real SQLite
// journal, read back with poppler's pdftotext, pdfinfo and pdfimages.
#include "TempPostgres.h"
#include "journal/JournalStore.h"
#include "record/ProtocolCommand.h"
#include "record/ServiceProtocol.h"

#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace zet;

namespace {

const Instrument kZet71{QStringLiteral("ЗЕТ 71"), QStringLiteral("1234")};

QDateTime at(const QString &localTime)
{
    return QDateTime::fromString(localTime, Qt::ISODate);
}

JournalEntry command(const QDateTime &time, const QString &page, const QString &button,
                     const QString &parameters, std::optional<uint8_t> status = 0x01,
                     const Instrument &instrument = kZet71)
{
    JournalEntry e;
    e.time = time;
    e.instrument = instrument;
    e.page = page;
    e.address = 3;
    e.button = button;
    e.code = 12;
    e.parameters = parameters;
    e.status = status;
    return e;
}

// A block's state as a page leaves it, with a chart when `chart`.
StoredState state(const QDateTime &time, const QString &version, const QStringList &status,
                  const QStringList &readBack = {}, bool chart = false)
{
    StoredState s;
    s.time = time;
    s.instrument = kZet71;
    s.page = QStringLiteral("ТКС");
    s.version = version;
    s.status = status;
    s.readBack = readBack;
    if (chart) {
        QImage picture(400, 200, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).drawLine(0, 199, 399, 0);
        QBuffer png(&s.chart);
        png.open(QIODevice::WriteOnly);
        picture.save(&png, "PNG");
    }
    return s;
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString &pdf) { return run("pdftotext", {"-layout", pdf, "-"}); }

// The text with every run of blanks and line ends made one blank.
QString flat(const QString &text) { return text.simplified(); }

int pages(const QString &pdf)
{
    const QString info = run("pdfinfo", {pdf});
    const qsizetype where = info.indexOf("Pages:");
    return where < 0 ? -1 : info.mid(where + 6).section('\n', 0, 0).trimmed().toInt();
}

// The protocol's settings go to a scratch folder, never the user's.
class Protocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("config"));
        saveProtocolPeople({QStringLiteral("СЦ «Газоаналитика»"), QStringLiteral("Петров П. П.")});
    }
    // A journal with these lines and blocks' states in it, written through the store.
    void journal(const std::vector<JournalEntry> &entries, const QString &location = {},
                 const std::vector<StoredState> &states = {})
    {
        JournalStore::Options o;
        o.location = location.isEmpty() ? journalFile : location;
        o.password = test::TempPostgres::kPassword;
        o.outbox = dir.filePath("outbox.sqlite");
        JournalStore store(o);
        for (const JournalEntry &e : entries)
            store.append(e);
        for (const StoredState &st : states)
            store.saveState(st);
    } // the store writes what is queued before it closes
    int runCommand(const QStringList &args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return runProtocolCommand(args, o, e);
    }
    QTemporaryDir dir;
    QString journalFile = dir.filePath("journal.sqlite");
    QString pdf = dir.filePath("protocol.pdf");
    QString out, err;
};

} // namespace

// The same protocol from a SQLite file and from a PostgreSQL server.
TEST_F(Protocol, FromTheJournalByCommandLine)
{
    QStringList journals = {journalFile};
    test::TempPostgres server;
    if (test::TempPostgres::installed()) {
        QString error;
        ASSERT_TRUE(server.start(&error) && server.createDatabase("protocol", &error))
            << error.toStdString();
        journals << server.url("protocol");
    } else if (qEnvironmentVariable("ZET_REQUIRE_POSTGRES") == "1") {
        FAIL() << "no PostgreSQL server in " << qPrintable(test::TempPostgres::binDir());
    }
    // The command keeps no password: libpq takes it from its environment.
    qputenv("PGPASSWORD", test::TempPostgres::kPassword);
    for (const QString &where : journals) {
        SCOPED_TRACE(where.toStdString());
        journal({
            command(at("2026-12-08T10:20:00"), "ИК", "Калибровка нуля", "", std::nullopt),
            command(at("2026-12-08T10:05:00"), "ТКС", "Сохранение параметров",
                    "C газа = 250 % х100; Порог1 = 50 % х100"),
            command(at("2026-12-09T23:30:00"), "ТКС", "Включить блок", ""),
            // Outside the dates, and another instrument's line.
            command(at("2026-12-07T23:59:00"), "ТКС", "Сброс аварии", "прежний день"),
            command(at("2026-12-10T00:10:00"), "ТКС", "Сброс аварии", "следующий день"),
            command(at("2026-12-08T11:00:00"), "ИК", "Калибровка чувствительности", "чужой прибор",
                    0x01, Instrument{QStringLiteral("ЗЕТ 75"), QStringLiteral("555")}),
        }, where, {
            // The block as its page was left: the latest state within the dates counts.
            state(at("2026-12-08T10:06:00"), "Версия 1.2", {"Блок выключен"}),
            state(at("2026-12-09T23:31:00"), "Версия 1.3", {"Блок включён\nпрогрев окончен"},
                  {"Нуль = 12 мВ"}, true),
            state(at("2026-12-10T00:11:00"), "Версия 9.9", {"позже конца"}),
        });
        ASSERT_EQ(runCommand({"--protocol", "1234", pdf, "--from", "2026-12-08", "--to=2026-12-09",
                           "--journal", where}),
                  0)
            << err.toStdString();
        EXPECT_TRUE(out.contains("записан в файл")) << out.toStdString();
        EXPECT_TRUE(out.contains("команд: 3")) << out.toStdString();

        const QString text = flat(pdfText(pdf));
        // Each section after the one before it; the commands in the order sent, whatever
        // order they were written in.
        qsizetype last = -1;
        for (const char *expected :
             {"Протокол обслуживания", "СЦ «Газоаналитика»", "Петров П. П.", "9 декабря 2026 г.",
              "ЗЕТ 71", "1234", "ТКС Версия 1.3", "08.12.2026 10:05:00", "Сохранение параметров",
              "C газа = 250 % х100; Порог1 = 50 % х100", "Калибровка нуля", "нет ответа",
              "09.12.2026 23:30:00", "Включить блок", "Значения после калибровки", "Нуль = 12 мВ",
              "Итоговое состояние", "Блок включён прогрев окончен", "Графики калибровки", "Подписи",
              "Руководитель сервисного центра"}) {
            const qsizetype found = text.indexOf(QString::fromUtf8(expected), last + 1);
            EXPECT_GT(found, last) << expected << "\n" << text.toStdString();
            last = std::max(last, found);
        }
        for (const char *absent : {"прежний день", "следующий день", "чужой прибор", "Версия 1.2",
                                   "Блок выключен", "Версия 9.9", "позже конца"})
            EXPECT_FALSE(text.contains(QString::fromUtf8(absent))) << absent;
        EXPECT_EQ(run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).size(), 3);
        EXPECT_TRUE(run("pdfinfo", {pdf}).contains("(A4)"));
    }
    qunsetenv("PGPASSWORD");
}

TEST_F(Protocol, LongCommandListFlowsOntoFurtherPages)
{
    std::vector<JournalEntry> entries;
    const QDateTime start = at("2026-12-08T08:00:00");
    for (int i = 1; i <= 300; ++i)
        entries.push_back(command(start.addSecs(i * 7), "ТКС", "Сохранение параметров",
                                  QStringLiteral("C газа = %1 % х100").arg(1000 + i)));
    journal(entries);
    ASSERT_EQ(runCommand({"--protocol", "1234", pdf, "--journal", journalFile}), 0)
        << err.toStdString();
    const int count = pages(pdf);
    EXPECT_GE(count, 4);
    // pdftotext ends each page with a form feed.
    const QStringList sheets = pdfText(pdf).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(sheets.size(), count);
    const QString text = flat(sheets.join(' '));
    for (int i = 1; i <= 300; ++i)
        ASSERT_EQ(text.count(QStringLiteral("C газа = %1 % х100").arg(1000 + i)), 1) << i;
    for (int page = 1; page <= count; ++page) {
        const QString sheet = sheets[page - 1];
        EXPECT_TRUE(sheet.contains(QStringLiteral("страница %1 из %2").arg(page).arg(count)))
            << page;
        // A command and its parameters on one page.
        EXPECT_EQ(sheet.count("Сохранение параметров"), sheet.count("C газа =")) << page;
    }
    // The signatures close the protocol on its last page.
    EXPECT_TRUE(flat(sheets.last()).contains("Руководитель сервисного центра"));
}

TEST_F(Protocol, CommandLineRefusals)
{
    journal({command(at("2026-12-08T10:05:00"), "ТКС", "Включить блок", "")});
    const QString missing = dir.filePath("нет.sqlite");
    struct Case {
        QStringList args;
        int exit;
        const char *message;
    };
    const Case cases[] = {
        {{"--protocol", "999", pdf, "--journal", journalFile}, 1,
         "нет прибора с заводским номером 999"},
        {{"--protocol", "1234", pdf, "--from", "2026-12-09", "--journal", journalFile}, 1,
         "нет команд прибора № 1234 с 09.12.2026"},
        {{"--protocol", "1234", pdf, "--to", "2026-12-07", "--journal", journalFile}, 1,
         "нет команд прибора № 1234 по 07.12.2026"},
        {{"--protocol", "1234", pdf, "--journal", missing}, 1, "не найден"},
        {{"--protocol", "1234", dir.filePath("нет/протокол.pdf"), "--journal", journalFile}, 1,
         "Протокол не записан в файл"},
        {{"--protocol", "1234", pdf, "--from", "08.12.2026", "--journal", journalFile}, 2,
         "ГГГГ-ММ-ДД, а не «08.12.2026»"},
        {{"--protocol", "1234", pdf, "--to", "2026-02-30"}, 2, "ГГГГ-ММ-ДД"},
        {{"--protocol", "1234", pdf, "--from", "2026-12-09", "--to", "2026-12-08"}, 2,
         "позже"},
        {{"--protocol", "1234"}, 2, "укажите заводской номер прибора и файл PDF"},
        {{"--protocol", "12a4", pdf}, 2, "заводской номер — число"},
        {{"--protocol", "1234", pdf, "--from"}, 2, "не указана дата"},
        {{"--protocol", "1234", pdf, "--pages", "2"}, 2, "неизвестный параметр «--pages»"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(runCommand(c.args), c.exit);
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.message))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
        EXPECT_FALSE(QFile::exists(missing));
    }
}
