// What --list and --doctor tell the engineer about a made-up machine: sysfs with FTDI
// converters, device files, udev's database and rules, and running processes, all in
// temporary folders.
#include "link/Doctor.h"

#include "FakeSysfs.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

using namespace zet;

namespace {

// The machine: sysfs in one folder, /proc, /run/udev/data, /dev and the rules folders
// in another. The user may read and write every device file but the refused ones.
struct Machine {
    test::FakeSysfs sys;
    QTemporaryDir rest;
    std::set<QString> refused;
    QString owner = QStringLiteral("dialout");
    DoctorSystem system;

    Machine()
    {
        system.sysRoot = sys.path();
        system.procRoot = rest.filePath("proc");
        system.udevDataRoot = rest.filePath("run/udev/data");
        system.devRoot = rest.filePath("dev");
        system.rulesDirs = {rest.filePath("usr/lib/udev/rules.d"),
                            rest.filePath("etc/udev/rules.d")};
        system.groups = system.accountGroups = {QStringLiteral("engineer")};
        system.mayReadWrite = [this](const QString &path) { return !refused.count(path); };
        system.ownerGroup = [this](const QString &) { return owner; };
        for (const char *dir : {"proc", "run/udev/data", "dev", "usr/lib/udev/rules.d"})
            QDir(rest.path()).mkpath(dir);
        sys.root().mkpath("bus/usb-serial/drivers/ftdi_sio");
    }
    void file(const QString &relative, const QString &line = {})
    {
        QDir(rest.path()).mkpath(QFileInfo(rest.filePath(relative)).path());
        QFile f(rest.filePath(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line.toUtf8());
    }
    // A converter as plugged in: its port in sysfs, its device file, its udev entry.
    void ft232r()
    {
        sys.device(
            "1-2",
            {"idVendor=0403", "idProduct=6001", "serial=A50285BI", "product=FT232R USB UART"},
            {"1-2:1.0/ttyUSB0"});
        sys.write("class/tty/ttyUSB0/dev", "188:0");
        file("dev/ttyUSB0");
        file("run/udev/data/c188:0", "E:ID_VENDOR_ID=0403\nE:ID_MODEL_ID=6001\n");
    }
    void process(const QString &pid, const QString &name, const QString &openFile = {})
    {
        file("proc/" + pid + "/comm", name + "\n");
        QDir(rest.path()).mkpath("proc/" + pid + "/fd");
        if (!openFile.isEmpty()) {
            ASSERT_TRUE(QFile::link(openFile, rest.filePath("proc/" + pid + "/fd/3")));
        }
    }
};

struct DoctorCase {
    const char *name;
    std::function<void(Machine &)> setUp;
    int exitCode;
    std::vector<const char *> says;
    std::vector<const char *> neverSays;
};

TEST(Doctor, ExplainsWhyAConverterIsMissingOrDoesNotOpen)
{
    const DoctorCase cases[] = {
        {"one converter ready",
         [](Machine &m) { m.ft232r(); },
         0,
         {"/dev/ttyUSB0 — FT232R USB UART, серийный номер A50285BI\n  ✓ Можно открыть.",
          "Итог: готовых к работе преобразователей: 1."},
         {"✗", "ModemManager", "udev не запущен"}},
        {"nothing plugged in",
         [](Machine &) {},
         1,
         {"Преобразователей FTDI (USB 0403) в списке нет", "lsusb",
          "Итог: ни один преобразователь не готов к работе."},
         {"new_id"}},
        {"FTDI device with a product id the driver does not know",
         [](Machine &m) {
             m.sys.device("1-3", {"idVendor=0403", "idProduct=ffa8", "product=ZET cable"}, {});
         },
         1,
         {"✗ Устройство FTDI (USB 0403:ffa8, ZET cable) подключено, но порта для него нет.",
          "Драйвер ftdi_sio не знает код изделия ffa8.",
          "Что сделать: echo 0403 ffa8 | sudo tee /sys/bus/usb-serial/drivers/ftdi_sio/new_id"},
         {"modprobe"}},
        {"FTDI device and no ftdi_sio loaded",
         [](Machine &m) {
             m.sys.root().rmpath("bus/usb-serial/drivers/ftdi_sio");
             m.sys.device("1-3", {"idVendor=0403", "idProduct=6001"}, {});
         },
         1,
         {"Драйвер ftdi_sio не загружен.", "sudo modprobe ftdi_sio",
          "echo 0403 6001 | sudo tee /sys/bus/usb-serial/drivers/ftdi_sio/new_id"},
         {}},
        {"port of a group the user is not in, no rule",
         [](Machine &m) {
             m.ft232r();
             m.refused.insert(m.rest.filePath("dev/ttyUSB0"));
         },
         1,
         {"✗ Нет прав на чтение и запись /dev/ttyUSB0.",
          "Правило udev пакета (70-zet-service.rules) не установлено.",
          "sudo cp 70-zet-service.rules /etc/udev/rules.d/",
          "Файл принадлежит группе dialout, вы в неё не входите.",
          "sudo usermod -aG dialout $USER, затем выйдите из системы и войдите снова"},
         {"Можно открыть"}},
        {"user added to the group after logging in, rule installed",
         [](Machine &m) {
             m.ft232r();
             m.refused.insert(m.rest.filePath("dev/ttyUSB0"));
             m.system.accountGroups << "dialout";
             m.file("etc/udev/rules.d/70-zet-service.rules");
         },
         1,
         {"Правило udev установлено: ", "etc/udev/rules.d/70-zet-service.rules.",
          "Вы добавлены в неё, но текущий сеанс начат раньше.",
          "отключите кабель и подключите снова", "- выйдите из системы и войдите снова"},
         {"usermod", "не установлено"}},
        {"ModemManager running, port not marked to be ignored",
         [](Machine &m) {
             m.ft232r();
             m.process("812", "ModemManager");
         },
         0,
         {"! Запущен ModemManager, а у порта нет свойства udev ID_MM_DEVICE_IGNORE=1",
          "sudo systemctl stop ModemManager", "✓ Можно открыть."},
         {}},
        {"ModemManager running, port ignored by it",
         [](Machine &m) {
             m.ft232r();
             m.process("812", "ModemManager");
             m.file("run/udev/data/c188:0", "E:ID_VENDOR_ID=0403\nE:ID_MM_DEVICE_IGNORE=1\n");
         },
         0,
         {"✓ Можно открыть."},
         {"ModemManager"}},
        {"port held by another program",
         [](Machine &m) {
             m.ft232r();
             m.process("4321", "minicom", "/dev/ttyUSB0");
             m.process("77", "bash", "/dev/pts/0");
             m.system.selfPid = "99"; // the doctor itself, run with the port as its input
             m.process("99", "zet-service", "/dev/ttyUSB0");
         },
         1,
         {"✗ Порт занят: его держит открытым процесс 4321 (minicom).",
          "Итог: ни один преобразователь не готов к работе."},
         {"bash", "zet-service", "Можно открыть"}},
        {"no udev at all, as in a container",
         [](Machine &m) {
             m.ft232r();
             QDir(m.rest.filePath("run")).removeRecursively();
         },
         0,
         {"udev не запущен (нет ", "✓ Можно открыть."},
         {}},
    };
    for (const DoctorCase &c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        ASSERT_TRUE(m.sys.isValid() && m.rest.isValid());
        c.setUp(m);
        const DoctorReport report = diagnose(m.system, {});
        EXPECT_EQ(report.exitCode, c.exitCode) << report.text.toStdString();
        for (const char *text : c.says)
            EXPECT_TRUE(report.text.contains(QString::fromUtf8(text))) << text << "\n--- in ---\n"
                                                                       << report.text.toStdString();
        for (const char *text : c.neverSays)
            EXPECT_FALSE(report.text.contains(QString::fromUtf8(text)))
                << text << "\n--- in ---\n"
                << report.text.toStdString();
    }
}

TEST(Doctor, ListShowsTheDeviceListRowsWithAccessOnePerLine)
{
    Machine m;
    m.ft232r();
    m.sys.device("1-3",
                 {"idVendor=0403", "idProduct=6010", "serial=FT4XQ", "product=Dual RS232-HS"},
                 {"1-3:1.0/ttyUSB1", "1-3:1.1/ttyUSB2"});
    m.file("dev/ttyUSB1");
    m.file("dev/ttyUSB2");
    m.refused.insert(m.rest.filePath("dev/ttyUSB2"));
    const QString text = listText(listedPorts(m.system, {"/dev/ttyACM0"}));
    const std::vector<QStringList> expected = {
        {"Порт", "Обозначение", "Серийный номер", "Доступ"},
        {"/dev/ttyUSB0", "FT232R USB UART", "A50285BI", "чтение и запись"},
        {"/dev/ttyUSB1", "Dual RS232-HS", "FT4XQA", "чтение и запись"},
        {"/dev/ttyUSB2", "Dual RS232-HS", "FT4XQB", "нет прав на чтение и запись"},
        {"/dev/ttyACM0", "Последовательный порт /dev/ttyACM0", "/dev/ttyACM0",
         "нет файла устройства"},
    };
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(expected.size())) << text.toStdString();
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[qsizetype(i)].split(QRegularExpression("\\s{2,}")), expected[i])
            << lines[qsizetype(i)].toStdString();
        EXPECT_EQ(lines[qsizetype(i)].indexOf(expected[i][3]), lines[0].indexOf("Доступ"))
            << "columns line up";
    }
    EXPECT_EQ(listText({}), "Преобразователи не найдены. Почему — покажет zet-service --doctor.\n");
}

} // namespace
