// The built programs as a shell sees them: every program's --help, exit codes and texts
// of zet-service (version, refused arguments, --list, --doctor) and zet-shots, the
// hardware test against an instrument behind a serial port, and the benchmark's table.
#include "TempPostgres.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include "journal/JournalStore.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
};

// Runs a program with no display, as on a build machine.
Outcome run(const QString &program, const QStringList &args, bool offscreen = true,
            int timeoutMs = 60000, const QString &workingDirectory = {})
{
    QProcess p;
    p.setWorkingDirectory(workingDirectory);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    if (offscreen)
        env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.crashed = true;
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

const QString kService = QStringLiteral(ZET_SERVICE_BIN);
const QString kShots = QStringLiteral(ZET_SHOTS_BIN);
const QString kSim = QStringLiteral(ZET_SIM_BIN);
const QString kHwtest = QStringLiteral(ZET_HWTEST_BIN);

struct ExitCase {
    QStringList args;
    int exitCode;
    const char *out; // part of standard output ("" for none expected)
    const char *err; // part of standard error
};

TEST(Programs, ServiceAnswersHelpVersionAndRefusesBadValuesWithoutADisplay)
{
    const ExitCase cases[] = {
        {{"--version"}, 0, "zet-service 1.0\n", ""},
        {{"--help"}, 0, "   8  неизвестный прибор", ""},
        {{"--demo", "0"}, 2, "", "--demo: тип прибора должен быть числом от 1 до 10, а не «0»"},
        {{"--demo=abc"}, 2, "", "а не «abc»"},
        {{"--port"}, 2, "", "--port: не указан путь к порту"},
    };
    for (const ExitCase &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        // No platform at all: these answers must not need the window system.
        const Outcome r = run(kService, c.args, false);
        ASSERT_FALSE(r.crashed) << r.err.toStdString();
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.out))) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(r.out.isEmpty());
        }
    }
}

// --list and --doctor read the machine and print, without a window system. A scratch
// file stands in for a port that this user may open and that nothing holds.
TEST(Programs, ServiceListsAndDiagnosesPortsWithoutADisplay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString port = dir.filePath("ttyFAKE");
    ASSERT_TRUE(QFile(port).open(QIODevice::WriteOnly));
    const ExitCase cases[] = {
        // The port's row, readable and writable, then the simulator's.
        {{"--list", "--port", port, "--demo", "3"}, 0, "  чтение и запись\n—  ", ""},
        {{"--doctor", "--port", port}, 0, "✓ Можно открыть.", ""},
    };
    for (const ExitCase &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(kService, c.args, false);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.out))) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
}

// --journal-csv writes one instrument's lines from the journal named by --journal,
// without a window system.
TEST(Programs, ServiceExportsAnInstrumentsJournalAsCsv)
{
    QTemporaryDir dir;
    const QString db = dir.filePath("journal.sqlite");
    {
        zet::JournalStore store({.location = db});
        zet::JournalEntry e;
        e.time = QDateTime(QDate(2026, 3, 2), QTime(10, 15), Qt::UTC);
        e.instrument = {"ЗЕТ 75", "1010"};
        e.page = "Кислород";
        e.address = 150;
        e.button = "Применить";
        e.code = 8;
        e.parameters = "Порог 4 = 300 % х10";
        e.status = 0x01;
        store.append(e);
        // One serial number under two models: two instruments, not one file.
        e.instrument = {"ЗЕТ 75", "2020"};
        store.append(e);
        e.instrument = {"ЗЕТ 71", "2020"};
        store.append(e);
    }
    const QString csv = dir.filePath("out.csv");
    const QString missing = dir.filePath("нет.sqlite");
    const ExitCase cases[] = {
        {{"--journal", db, "--journal-csv", "1010", csv}, 0, "", ""},
        {{"--journal", db, "--journal-csv", "999", dir.filePath("none.csv")},
         1,
         "",
         "В журнале нет записей о приборе с заводским номером 999."},
        {{"--journal", db, "--journal-csv", "2020", dir.filePath("two.csv")},
         1,
         "",
         "Заводской номер 2020 есть у нескольких моделей (ЗЕТ 71, ЗЕТ 75)"},
        {{"--journal", missing, "--journal-csv", "1010", dir.filePath("none.csv")},
         1,
         "",
         "не найден"},
    };
    for (const ExitCase &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = run(kService, c.args, false);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
    // Reading makes no journal, and a refusal writes no file.
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QFile::exists(dir.filePath("two.csv")));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = zet::journal::parseCsv(f.readAll());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].mid(zet::journal::Model, 2), QStringList({"ЗЕТ 75", "1010"}));
    EXPECT_EQ(rows[1][zet::journal::Parameters], "Порог 4 = 300 % х10");
    EXPECT_FALSE(QFile::exists(dir.filePath("none.csv")));
}

TEST(Programs, ServiceRefusesAnUnknownOptionOnceTheToolkitHasTakenItsOwn)
{
    const Outcome r = run(kService, {"-platform", "offscreen", "--demo", "2", "--bogus"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("неизвестный параметр «--bogus»")) << r.err.toStdString();
}

TEST(Programs, ShotsPrintsUsageRefusesBadTypesAndFailsOnAnUnidentifiedType)
{
    const Outcome help = run(kShots, {"--help"}, false);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: zet-shots")) << help.out.toStdString();

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Outcome badType = run(kShots, {dir.path(), "0"}, false);
    EXPECT_EQ(badType.exitCode, 2);
    EXPECT_TRUE(badType.err.contains("not a device type from 1 to 10: 0"));

    // No display and no platform named: it goes offscreen by itself.
    const Outcome unknown = run(kShots, {dir.path(), "8"}, false);
    EXPECT_FALSE(unknown.crashed) << unknown.err.toStdString();
    EXPECT_EQ(unknown.exitCode, 1) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.err.contains("type 8: not identified")) << unknown.err.toStdString();
}

// Every program of the project answers --help with its usage on standard output and
// does nothing else: no window system needed, nothing written where it was started.
TEST(Programs, EveryProgramAnswersHelpWithUsageAndNoSideEffects)
{
    struct Case {
        const char *program;
        const char *usage; // how its usage text begins
    };
    const Case cases[] = {
        {ZET_SERVICE_BIN, "Использование: zet-service"},
        {ZET_SIM_BIN, "usage: zet-sim"},
        {ZET_SHOTS_BIN, "usage: zet-shots"},
        {ZET_RECORD_SHOTS_BIN, "usage: record-shots"},
        {ZET_DRAW_PICTURES_BIN, "usage: draw-pictures"},
        {ZET_HWTEST_BIN, "Использование: zet-hwtest"},
#ifdef ZET_BENCH_BIN
        {ZET_BENCH_BIN, "usage: zet-bench"},
        {ZET_FLOOR_BIN, "usage: zet-floor"},
#endif
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.program);
        QTemporaryDir cwd;
        ASSERT_TRUE(cwd.isValid());
        const Outcome r = run(QString::fromUtf8(c.program), {"--help"}, false, 20000, cwd.path());
        ASSERT_FALSE(r.crashed) << r.err.toStdString();
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QString::fromUtf8(c.usage))) << r.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        EXPECT_TRUE(QDir(cwd.path()).isEmpty()) << "files left behind";
    }
}

// The hardware test as an engineer runs it: it skips, saying why, where no converter is
// plugged in, and it passes against an instrument behind a serial port (zet-sim on a
// pseudo-terminal), with the instrument seeing the pages polled.
TEST(HardwareProgram, SkipsWithTheReasonWhereNoConverterIsPluggedIn)
{
    QTemporaryDir sys; // a machine whose usb-serial bus holds nothing
    const Outcome r = run(kHwtest, {"--sysfs", sys.path()});
    EXPECT_EQ(r.exitCode, 77) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith("ПРОПУСК: преобразователь FTDI не найден")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("zet-service --doctor")) << r.out.toStdString();
}

TEST(HardwareProgram, PassesAgainstAnInstrumentAndPollsEachOfItsPages)
{
    QTemporaryDir sys;
    QProcess sim;
    sim.start(kSim, {"--type", "1", "--steady", "--verbose"});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString banner = QString::fromUtf8(sim.readLine()).trimmed();
    const QString port = banner.section(' ', -1);
    ASSERT_TRUE(port.startsWith("/dev/pts/")) << banner.toStdString();

    const Outcome r = run(kHwtest, {"--sysfs", sys.path(), "--port", port}, true, 120000);
    sim.terminate();
    sim.waitForFinished();
    const QString log = QString::fromUtf8(sim.readAllStandardError());

    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    for (const char *line :
         {"ок: порт открыт: «Открыт USB порт   Последовательный порт ",
          "ок: прибор опознан: База ЗЕТ-71, «ЗЕТ71   № 1001»",
          "ок: страница «Блок ТКС» опрошена: ответов блока 3 на опрос состояния: 3",
          "ок: «Режим теста»: прибор сообщает «Режим теста»",
          "ок: «Рабочий режим»: прибор сообщает «Режим теста не активен»",
          "Все проверки прошли."})
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line))) << line << "\n" << r.out.toStdString();
    // What reached the instrument: identification, then status requests on the base unit,
    // the pump and the thermocatalytic block, and test mode set and cleared.
    for (const char *frame : {"-> 80 09 00 00 00 00 00 89", "-> 8F 0C 00 00 00 00 00 83",
                              "-> 83 0C 00 00 00 00 00 8F", "-> 80 06", "-> 80 07"})
        EXPECT_TRUE(log.contains(QLatin1String(frame))) << frame;
}

TEST(HardwareProgram, RefusesUnknownOptionsAndMissingValues)
{
    for (const QStringList &args : {QStringList{"--bogus"}, QStringList{"--serial"},
                                    QStringList{"--slow", "0"}}) {
        const Outcome r = run(kHwtest, args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    }
}

#ifdef ZET_BENCH_BIN
// A short run: every row is there with a measured result, the simulated instrument was
// identified for the polling row, and the tool and its floor both reached a first paint.
TEST(Programs, BenchPrintsOneMeasuredRowPerMeasure)
{
    const QString bench = QStringLiteral(ZET_BENCH_BIN);
    EXPECT_EQ(run(bench, {"--runs", "0"}, false).exitCode, 2);
    // Six turns of CPU measurement each wait for the tool to settle: give it time.
    const Outcome r =
        run(bench, {"--seconds", "1", "--runs", "1", "--samples", "60"}, false, 180000);
    ASSERT_FALSE(r.crashed) << r.err.toStdString();
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QMap<QString, QString> results;
    for (const QString &line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList cells = line.split('|');
        if (cells.size() == 6 && !cells[3].contains("---") && cells[1].trimmed() != "Measure") {
            results[cells[1].trimmed()] = cells[3].trimmed();
            EXPECT_FALSE(cells[2].contains(QRegularExpression("median of 0\\b")))
                << line.toStdString();
        }
    }
    const QRegularExpression ms(QStringLiteral("^\\d+\\.\\d{3} ms"));
    for (const char *row :
         {"Chart sample + repaint", "Chart sample + repaint, library series replace()",
          "Receive tick, base unit", "Receive tick, pressure",
          "Receive tick, thermocatalytic (TKS), journal store held 200 ms a commit",
          "Page left with its block's state to keep", "Journal window opening 100 000 lines"})
        EXPECT_TRUE(ms.match(results.value(row)).hasMatch())
            << row << ": " << results.value(row).toStdString();
    const QRegularExpression versus(QStringLiteral("^\\d+(\\.\\d+)? (ms|MB|%) vs \\d"));
    for (const char *row : {"Start-up to first paint", "Peak memory at first paint", "CPU idle"})
        EXPECT_TRUE(versus.match(results.value(row)).hasMatch())
            << row << ": " << results.value(row).toStdString();
    const QRegularExpression polling(
        QStringLiteral("^\\d+\\.\\d+ % vs \\d+\\.\\d+ % \\(bare wake-ups\\) of a core$"));
    EXPECT_TRUE(polling.match(results.value("CPU while polling")).hasMatch())
        << results.value("CPU while polling").toStdString();
    for (const char *row : {"Journal line written, SQLite", "Journal line written, PostgreSQL"})
        EXPECT_TRUE(ms.match(results.value(row)).hasMatch() ||
                    (!zet::test::TempPostgres::installed() &&
                     QString(row).endsWith("PostgreSQL") &&
                     qEnvironmentVariable("ZET_REQUIRE_POSTGRES") != "1"))
            << row << ": " << results.value(row).toStdString();
    EXPECT_EQ(results.size(), 20) << r.out.toStdString();
}
#endif

} // namespace
