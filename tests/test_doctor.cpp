// What --doctor and --list tell the engineer about a made-up machine: sysfs, device
// files, udev's database and rules, and /proc, all under one temporary folder.
#include "link/Doctor.h"

#include "FakeSysfs.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

using namespace zet;

namespace {

struct Machine {
    test::FakeSysfs tree;
    std::set<QString> refused; // device files this user may not read and write
    DoctorSystem system;

    Machine()
    {
        const QString root = tree.path();
        system.sysRoot = root;
        system.procRoot = root + "/proc";
        system.udevDataRoot = root + "/run/udev/data";
        system.devRoot = root + "/dev";
        system.rulesDirs = {root + "/usr/lib/udev/rules.d", root + "/etc/udev/rules.d"};
        system.groups = system.accountGroups = {"engineer"};
        system.mayReadWrite = [this](const QString &path) { return !refused.count(path); };
        system.ownerGroup = [](const QString &) { return QStringLiteral("dialout"); };
        for (const char *dir : {"proc", "run/udev/data", "bus/usb-serial/drivers/ftdi_sio"})
            tree.root().mkpath(dir);
    }
    // An FT232R as plugged in: its port in sysfs, its device file, its udev entry.
    void ft232r()
    {
        tree.device("1-2", {"idVendor=0403", "idProduct=6001", "serial=A50285BI", "product=FT232R"},
                    {"1-2:1.0/ttyUSB0"});
        tree.write("class/tty/ttyUSB0/dev", "188:0");
        tree.write("dev/ttyUSB0", "");
        tree.write("run/udev/data/c188:0", "E:ID_VENDOR_ID=0403");
    }
    void process(const QString &pid, const QString &name, const QString &open = "/dev/null")
    {
        tree.write("proc/" + pid + "/comm", name);
        tree.root().mkpath("proc/" + pid + "/fd");
        QFile::link(open, tree.root().filePath("proc/" + pid + "/fd/3"));
    }
};

TEST(Doctor, ExplainsWhyAConverterIsMissingOrDoesNotOpen)
{
    struct Case {
        const char *name;
        bool ft232r; // an FT232R plugged in before setUp
        std::function<void(Machine &)> setUp;
        int exitCode;
        std::vector<const char *> says, neverSays;
    };
    const auto refuse = [](Machine &m) { m.refused.insert(m.tree.root().filePath("dev/ttyUSB0")); };
    const auto modemManager = [](Machine &m) { m.process("812", "ModemManager"); };
    const Case cases[] = {
        {"converter ready",
         true,
         [](Machine &) {},
         0,
         {"/dev/ttyUSB0 — FT232R, серийный номер A50285BI\n  ✓ Можно открыть.",
          "Итог: готовых к работе преобразователей: 1."},
         {"✗", "ModemManager", "udev"}},
        {"nothing plugged in",
         false,
         [](Machine &) {},
         1,
         {"(USB 0403) в списке нет. Проверьте кабель", "Итог: ни один преобразователь не готов"},
         {}},
        {"product id unknown to ftdi_sio",
         false,
         [](Machine &m) {
             m.tree.device("1-3", {"idVendor=0403", "idProduct=ffa8"}, {});
         },
         1,
         {"✗ Устройство FTDI (USB 0403:ffa8) подключено, но порта для него нет.",
          "Что сделать: echo 0403 ffa8 | sudo tee /sys/bus/usb-serial/drivers/ftdi_sio/new_id"},
         {"modprobe"}},
        {"not in the owning group, no rule",
         true,
         refuse,
         1,
         {"✗ Нет прав на чтение и запись /dev/ttyUSB0.", "(70-zet-service.rules) не установлено",
          "sudo cp assets/70-zet-service.rules /etc/udev/rules.d/",
          "группе dialout, вы в неё не входите",
          "sudo usermod -aG dialout $USER, затем выйдите из системы и войдите снова"},
         {"Можно открыть"}},
        {"added to the group after logging in, rule installed",
         true,
         [&](Machine &m) {
             refuse(m);
             m.system.accountGroups << "dialout";
             m.tree.write("etc/udev/rules.d/70-zet-service.rules", "");
         },
         1,
         {"etc/udev/rules.d/70-zet-service.rules.", "но текущий сеанс начат раньше"},
         {"usermod", "не установлено"}},
        {"ModemManager not told to leave the port alone",
         true,
         modemManager,
         0,
         {"! Запущен ModemManager, а у порта нет свойства udev ID_MM_DEVICE_IGNORE=1"},
         {}},
        {"ModemManager told to leave the port alone",
         true,
         [&](Machine &m) {
             modemManager(m);
             m.tree.write("run/udev/data/c188:0", "E:ID_MM_DEVICE_IGNORE=1");
         },
         0,
         {"✓ Можно открыть."},
         {"ModemManager"}},
        {"port held by another program, and by the doctor itself",
         true,
         [](Machine &m) {
             m.process("4321", "minicom", "/dev/ttyUSB0");
             m.process("99", "zet-service", "/dev/ttyUSB0");
             m.system.selfPid = "99";
         },
         1,
         {"✗ Порт занят: его держит открытым процесс 4321 (minicom)."},
         {"zet-service", "Можно открыть"}},
        {"no udev, as in a container",
         true,
         [](Machine &m) { QDir(m.tree.root().filePath("run")).removeRecursively(); },
         0,
         {"udev не запущен (нет ", "✓ Можно открыть."},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        if (c.ft232r)
            m.ft232r();
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

// /proc shows the port under its device name, whatever link --port named it by.
TEST(Doctor, PortNamedByALinkIsSeenHeld)
{
    Machine m;
    m.ft232r();
    m.tree.root().mkpath("dev/serial/by-id");
    ASSERT_TRUE(QFile::link(m.tree.root().filePath("dev/ttyUSB0"),
                            m.tree.root().filePath("dev/serial/by-id/usb-FTDI_FT232R")));
    m.process("4321", "minicom", "/dev/ttyUSB0");
    const QString text = diagnose(m.system, {"/dev/serial/by-id/usb-FTDI_FT232R"}).text;
    EXPECT_EQ(text.count("процесс 4321 (minicom)"), 2) << text.toStdString();
}

TEST(Doctor, ListShowsTheDeviceListRowsAndAccessInColumns)
{
    Machine m;
    m.ft232r();
    m.tree.device("1-3", {"idVendor=0403", "serial=FT4XQ", "product=Dual RS232-HS"},
                  {"1-3:1.0/ttyUSB1", "1-3:1.1/ttyUSB2"});
    m.tree.write("dev/ttyUSB1", "");
    m.tree.write("dev/ttyUSB2", "");
    m.refused.insert(m.tree.root().filePath("dev/ttyUSB2"));
    const QString text = listText(listedPorts(m.system, {"/dev/ttyACM0"}));
    const std::vector<QStringList> expected = {
        {"Порт", "Обозначение", "Серийный номер", "Доступ"},
        {"/dev/ttyUSB0", "FT232R", "A50285BI", "чтение и запись"},
        {"/dev/ttyUSB1", "Dual RS232-HS", "FT4XQA", "чтение и запись"},
        {"/dev/ttyUSB2", "Dual RS232-HS", "FT4XQB", "нет прав на чтение и запись"},
        {"/dev/ttyACM0", "Последовательный порт /dev/ttyACM0", "/dev/ttyACM0",
         "нет файла устройства"},
    };
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(expected.size())) << text.toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].split(QRegularExpression("\\s{2,}")), expected[size_t(i)]);
        EXPECT_EQ(lines[i].indexOf(expected[size_t(i)][3]), lines[0].indexOf("Доступ"));
    }
    EXPECT_EQ(listText({}), "Преобразователи не найдены. Почему — покажет zet-service --doctor.\n");
}

} // namespace
