// The hardware test program as an engineer runs it: it skips, saying why, where no
// converter is plugged in, and it passes against an instrument behind a serial port
// (zet-sim on a pseudo-terminal), with the instrument seeing the pages polled.
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
};

Outcome runHwtest(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZET_HWTEST_BIN), args);
    Outcome r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

TEST(HardwareProgram, SkipsWithTheReasonWhereNoConverterIsPluggedIn)
{
    QTemporaryDir sys; // a machine whose usb-serial bus holds nothing
    const Outcome r = runHwtest({"--sysfs", sys.path()});
    EXPECT_EQ(r.exitCode, 77) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith("ПРОПУСК: преобразователь FTDI не найден")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("zet-service --doctor")) << r.out.toStdString();
}

TEST(HardwareProgram, PassesAgainstAnInstrumentAndPollsEachOfItsPages)
{
    QTemporaryDir sys;
    QProcess sim;
    sim.start(QStringLiteral(ZET_SIM_BIN), {"--type", "1", "--steady", "--verbose"});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString banner = QString::fromUtf8(sim.readLine()).trimmed();
    const QString port = banner.section(' ', -1);
    ASSERT_TRUE(port.startsWith("/dev/pts/")) << banner.toStdString();

    const Outcome r = runHwtest({"--sysfs", sys.path(), "--port", port});
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
        const Outcome r = runHwtest(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    }
}

} // namespace
