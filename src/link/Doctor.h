#pragma once
// What the device list would show and why a converter may not appear there or not open,
// told from what the machine shows: sysfs, the device files, udev's database and rules,
// and the running processes. Every place looked at is a parameter, so that a made-up
// tree can stand in for the machine.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace zet {

struct DoctorSystem {
    QString sysRoot = QStringLiteral("/sys");
    QString procRoot = QStringLiteral("/proc");
    QString udevDataRoot = QStringLiteral("/run/udev/data");
    QString devRoot = QStringLiteral("/dev"); // where "/dev/..." paths are looked up
    QStringList rulesDirs = {QStringLiteral("/usr/lib/udev/rules.d"),
                             QStringLiteral("/lib/udev/rules.d"),
                             QStringLiteral("/etc/udev/rules.d")};
    QStringList groups;        // the groups this process runs with (the login session's)
    QStringList accountGroups; // the groups the group database puts the user in
    QString selfPid;           // this process, which holds no port but its own terminal
    // Whether this user may read and write a device file.
    std::function<bool(const QString &path)> mayReadWrite;
    // The name of the group that owns a file.
    std::function<QString(const QString &path)> ownerGroup;

    // The machine this program runs on, for the user running it.
    static DoctorSystem live();
};

// One row of the device list with the port behind it.
struct ListedPort {
    QString path; // what opens it: "/dev/ttyUSB0"
    QString description;
    QString serial; // the key the list shows
    bool exists = false;
    bool mayReadWrite = false;
    bool simulated = false; // --demo: no port behind it
};

// The rows the device list shows for the machine's converters and the --port paths.
std::vector<ListedPort> listedPorts(const DoctorSystem &system, const QStringList &extraPorts);
// One line per row under a header, or a sentence saying that there are none.
QString listText(const std::vector<ListedPort> &ports);

struct DoctorReport {
    QString text;
    int exitCode = 1; // 0 when at least one converter can be opened now
};
DoctorReport diagnose(const DoctorSystem &system, const QStringList &extraPorts);

} // namespace zet
