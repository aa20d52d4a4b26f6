#include "link/Doctor.h"

#include "link/SerialPortDriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zet {

namespace {

const QString kRuleName = QStringLiteral("70-zet-service.rules");
const QString kFtdiVendor = QStringLiteral("0403");

QString readLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// A "/dev/..." path as found under the system's device root.
QString deviceFile(const DoctorSystem &system, const QString &path)
{
    const QString dev = QStringLiteral("/dev/");
    return path.startsWith(dev) ? system.devRoot + QLatin1Char('/') + path.mid(dev.size()) : path;
}

// The name under which /proc shows a port open: its device file with links resolved
// (a /dev/serial/by-id/... path given with --port is open as /dev/ttyUSB0).
QString openedName(const DoctorSystem &system, const QString &path)
{
    const QString real = QFileInfo(deviceFile(system, path)).canonicalFilePath();
    const QString devRoot = QFileInfo(system.devRoot).canonicalFilePath() + QLatin1Char('/');
    if (real.isEmpty())
        return path;
    return real.startsWith(devRoot) ? QStringLiteral("/dev/") + real.mid(devRoot.size()) : real;
}

QString groupName(gid_t gid)
{
    const group *g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

struct Holder {
    QString pid;
    QString name;
};

// What the running processes show: ModemManager, and who has which file open.
struct Processes {
    bool modemManager = false;
    bool someUnreadable = false; // other users' processes hide their open files
    std::vector<std::pair<QString, Holder>> openFiles;

    std::vector<Holder> holding(const QString &path) const
    {
        std::vector<Holder> found;
        for (const auto &open : openFiles) {
            const Holder &holder = open.second;
            if (open.first == path && std::none_of(found.begin(), found.end(), [&](const Holder &h) {
                    return h.pid == holder.pid;
                }))
                found.push_back(holder);
        }
        return found;
    }
};

Processes scanProcesses(const QString &procRoot, const QStringList &paths, const QString &selfPid)
{
    Processes seen;
    const QDir proc(procRoot);
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        pid.toUInt(&numeric);
        if (!numeric || pid == selfPid)
            continue;
        const QString name = readLine(proc.filePath(pid + QStringLiteral("/comm")));
        if (name == QLatin1String("ModemManager"))
            seen.modemManager = true;
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        if (!fds.exists())
            continue;
        if (!fds.isReadable()) {
            seen.someUnreadable = true;
            continue;
        }
        for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            char target[4096];
            const QByteArray link = QFile::encodeName(fds.filePath(fd));
            const ssize_t n = ::readlink(link.constData(), target, sizeof target);
            if (n <= 0)
                continue;
            const QString file = QFile::decodeName(QByteArray(target, int(n)));
            if (paths.contains(file))
                seen.openFiles.push_back({file, {pid, name}});
        }
    }
    return seen;
}

// The properties udev keeps for a character device ("E:KEY=VALUE" lines); empty when
// the device number or the database entry is unknown.
QStringList udevProperties(const DoctorSystem &system, const QString &path)
{
    QString number = readLine(system.sysRoot + QStringLiteral("/class/tty/") +
                              QFileInfo(path).fileName() + QStringLiteral("/dev"));
    if (number.isEmpty()) {
        struct stat st {};
        const QByteArray file = QFile::encodeName(deviceFile(system, path));
        if (::stat(file.constData(), &st) != 0 || !S_ISCHR(st.st_mode))
            return {};
        number = QStringLiteral("%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
    }
    QFile data(system.udevDataRoot + QStringLiteral("/c") + number);
    if (!data.open(QIODevice::ReadOnly))
        return {};
    QStringList properties;
    for (const QByteArray &line : data.readAll().split('\n'))
        if (line.startsWith("E:"))
            properties << QString::fromUtf8(line.mid(2)).trimmed();
    return properties;
}

QString installedRule(const DoctorSystem &system)
{
    for (const QString &dir : system.rulesDirs)
        if (QFileInfo::exists(dir + QLatin1Char('/') + kRuleName))
            return dir + QLatin1Char('/') + kRuleName;
    return {};
}

struct UnboundDevice {
    QString productId;
    QString product;
    QString serial;
};

// FTDI USB devices with no serial port bound under them: ftdi_sio does not know their
// product id, or is not loaded at all.
std::vector<UnboundDevice> unboundFtdiDevices(const QString &sysRoot)
{
    QStringList portPaths;
    const QDir bus(sysRoot + QStringLiteral("/bus/usb-serial/devices"));
    for (const QFileInfo &port : bus.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        portPaths << port.canonicalFilePath();
    std::vector<UnboundDevice> found;
    const QDir usb(sysRoot + QStringLiteral("/bus/usb/devices"));
    for (const QFileInfo &entry :
         usb.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString dir = entry.canonicalFilePath();
        if (dir.isEmpty() || readLine(dir + QStringLiteral("/idVendor")) != kFtdiVendor)
            continue;
        const bool bound = std::any_of(portPaths.begin(), portPaths.end(), [&](const QString &p) {
            return p.startsWith(dir + QLatin1Char('/'));
        });
        if (!bound)
            found.push_back({readLine(dir + QStringLiteral("/idProduct")),
                             readLine(dir + QStringLiteral("/product")),
                             readLine(dir + QStringLiteral("/serial"))});
    }
    return found;
}

QString rowTitle(const ListedPort &p)
{
    QString title = QStringLiteral("%1 — %2").arg(p.path, p.description);
    if (!p.serial.isEmpty() && p.serial != p.path)
        title += QStringLiteral(", серийный номер %1").arg(p.serial);
    return title;
}

// Why this user may not open the port, and what to do about it.
QString accessAdvice(const DoctorSystem &system, const QString &path, const QString &rule,
                     bool udevRunning)
{
    const QString group =
        system.ownerGroup ? system.ownerGroup(deviceFile(system, path)) : QString();
    QString text = QStringLiteral("  ✗ Нет прав на чтение и запись %1.\n").arg(path);
    QStringList remedies;
    if (rule.isEmpty()) {
        text += QStringLiteral("    Правило udev пакета (%1) не установлено.\n").arg(kRuleName);
        remedies << QStringLiteral("установите пакет zet-service или правило из исходников "
                                   "программы вручную:\n"
                                   "       sudo cp assets/%1 /etc/udev/rules.d/\n"
                                   "       sudo udevadm control --reload && sudo udevadm trigger")
                        .arg(kRuleName);
    } else {
        text += QStringLiteral("    Правило udev установлено: %1.\n").arg(rule);
        if (udevRunning)
            remedies << QStringLiteral("отключите кабель и подключите снова, чтобы правило "
                                       "применилось; доступ по нему получает пользователь, "
                                       "вошедший за этим компьютером (не по ssh)");
    }
    if (!group.isEmpty() && group != QLatin1String("root")) {
        if (system.groups.contains(group)) {
            text += QStringLiteral("    Файл принадлежит группе %1, вы в ней состоите, но у "
                                   "группы нет прав на чтение и запись.\n")
                        .arg(group);
        } else if (system.accountGroups.contains(group)) {
            text += QStringLiteral("    Файл принадлежит группе %1. Вы добавлены в неё, но "
                                   "текущий сеанс начат раньше.\n")
                        .arg(group);
            remedies << QStringLiteral("выйдите из системы и войдите снова");
        } else {
            text +=
                QStringLiteral("    Файл принадлежит группе %1, вы в неё не входите.\n").arg(group);
            remedies << QStringLiteral("sudo usermod -aG %1 $USER, затем выйдите из системы и "
                                       "войдите снова")
                            .arg(group);
        }
    }
    if (remedies.isEmpty())
        remedies << QStringLiteral("sudo chmod a+rw %1 (действует до отключения кабеля)").arg(path);
    text += remedies.size() > 1 ? QStringLiteral("    Что сделать (достаточно одного):\n")
                                : QStringLiteral("    Что сделать:\n");
    for (const QString &r : remedies)
        text += QStringLiteral("     - %1\n").arg(r);
    return text;
}

} // namespace

DoctorSystem DoctorSystem::live()
{
    DoctorSystem system;
    std::vector<gid_t> ids(size_t(std::max(0, ::getgroups(0, nullptr))));
    ids.resize(size_t(std::max(0, ::getgroups(int(ids.size()), ids.data()))));
    ids.push_back(::getegid());
    for (gid_t id : ids)
        system.groups << groupName(id);
    if (const passwd *pw = ::getpwuid(::getuid())) {
        int count = 64;
        std::vector<gid_t> account(static_cast<size_t>(count));
        if (::getgrouplist(pw->pw_name, pw->pw_gid, account.data(), &count) < 0) {
            account.resize(size_t(count));
            ::getgrouplist(pw->pw_name, pw->pw_gid, account.data(), &count);
        }
        account.resize(size_t(std::max(0, count)));
        for (gid_t id : account)
            system.accountGroups << groupName(id);
    }
    system.selfPid = QString::number(::getpid());
    system.mayReadWrite = [](const QString &path) {
        return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
    };
    system.ownerGroup = [](const QString &path) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return QString();
        return groupName(st.st_gid);
    };
    return system;
}

std::vector<ListedPort> listedPorts(const DoctorSystem &system, const QStringList &extraPorts)
{
    std::vector<ListedPort> ports;
    for (const SerialPortDriver::Row &row :
         SerialPortDriver::listRows(SerialPortDriver::sysfsPorts(system.sysRoot), extraPorts)) {
        ListedPort p;
        p.path = row.location;
        p.description = QString::fromUtf8(row.description);
        p.serial = QString::fromUtf8(row.serial);
        const QString file = deviceFile(system, p.path);
        p.exists = QFileInfo::exists(file);
        p.mayReadWrite = p.exists && system.mayReadWrite && system.mayReadWrite(file);
        ports.push_back(std::move(p));
    }
    return ports;
}

QString listText(const std::vector<ListedPort> &ports)
{
    if (ports.empty())
        return QStringLiteral("Преобразователи не найдены. Почему — покажет "
                              "zet-service --doctor.\n");
    const QString header[] = {QStringLiteral("Порт"), QStringLiteral("Обозначение"),
                              QStringLiteral("Серийный номер"), QStringLiteral("Доступ")};
    std::vector<std::array<QString, 4>> lines{{header[0], header[1], header[2], header[3]}};
    for (const ListedPort &p : ports) {
        const QString access = p.simulated ? QStringLiteral("симулятор, порт не нужен")
                               : !p.exists ? QStringLiteral("нет файла устройства")
                               : p.mayReadWrite ? QStringLiteral("чтение и запись")
                                                : QStringLiteral("нет прав на чтение и запись");
        lines.push_back({p.path, p.description, p.serial, access});
    }
    std::array<qsizetype, 3> width{};
    for (const auto &line : lines)
        for (size_t c = 0; c < width.size(); ++c)
            width[c] = std::max(width[c], line[c].size());
    QString text;
    for (const auto &line : lines) {
        for (size_t c = 0; c < width.size(); ++c)
            text += line[c].leftJustified(width[c] + 2);
        text += line[3] + QLatin1Char('\n');
    }
    return text;
}

DoctorReport diagnose(const DoctorSystem &system, const QStringList &extraPorts)
{
    const std::vector<ListedPort> ports = listedPorts(system, extraPorts);
    QStringList paths;
    for (const ListedPort &p : ports)
        paths << openedName(system, p.path);
    const Processes processes = scanProcesses(system.procRoot, paths, system.selfPid);
    const bool udevRunning = QFileInfo(system.udevDataRoot).isDir();
    const QString rule = installedRule(system);
    const bool driverLoaded =
        QFileInfo::exists(system.sysRoot + QStringLiteral("/bus/usb-serial/drivers/ftdi_sio"));

    QString text = QStringLiteral("Проверка преобразователей\n\n");
    if (!udevRunning)
        text += QStringLiteral("udev не запущен (нет %1), например в контейнере: правила udev "
                               "не действуют, доступ к порту задают только владелец и права "
                               "файла устройства.\n\n")
                    .arg(system.udevDataRoot);

    const std::vector<UnboundDevice> unbound = unboundFtdiDevices(system.sysRoot);
    for (const UnboundDevice &d : unbound) {
        text += QStringLiteral("✗ Устройство FTDI (USB 0403:%1").arg(d.productId);
        if (!d.product.isEmpty())
            text += QStringLiteral(", %1").arg(d.product);
        if (!d.serial.isEmpty())
            text += QStringLiteral(", серийный номер %1").arg(d.serial);
        text += QStringLiteral(") подключено, но порта для него нет.\n");
        const QString newId =
            QStringLiteral("echo 0403 %1 | sudo tee /sys/bus/usb-serial/drivers/ftdi_sio/new_id")
                .arg(d.productId);
        if (driverLoaded)
            text += QStringLiteral("  Драйвер ftdi_sio не знает код изделия %1.\n"
                                   "  Что сделать: %2\n\n")
                        .arg(d.productId, newId);
        else
            text += QStringLiteral("  Драйвер ftdi_sio не загружен.\n"
                                   "  Что сделать: sudo modprobe ftdi_sio\n"
                                   "  Если порт так и не появится: %1\n\n")
                        .arg(newId);
    }

    if (ports.empty())
        text += unbound.empty()
                    ? QStringLiteral("Преобразователей FTDI (USB 0403) в списке нет. Проверьте "
                                     "кабель и разъём; подключённые устройства USB покажет "
                                     "команда lsusb.\n\n")
                    : QStringLiteral("Преобразователей FTDI (USB 0403) в списке нет.\n\n");
    int usable = 0;
    for (const ListedPort &p : ports) {
        text += rowTitle(p) + QLatin1Char('\n');
        bool ready = p.exists && p.mayReadWrite;
        if (!p.exists)
            text += QStringLiteral("  ✗ Файла устройства %1 нет.%2\n")
                        .arg(p.path, udevRunning ? QString()
                                                 : QStringLiteral(" В контейнере передайте "
                                                                  "устройство внутрь."));
        else if (!p.mayReadWrite)
            text += accessAdvice(system, p.path, rule, udevRunning);
        const std::vector<Holder> holders = processes.holding(openedName(system, p.path));
        for (const Holder &h : holders)
            text += QStringLiteral("  ✗ Порт занят: его держит открытым процесс %1 (%2). "
                                   "Закройте эту программу.\n")
                        .arg(h.pid, h.name);
        ready = ready && holders.empty();
        if (processes.modemManager && p.exists &&
            !udevProperties(system, p.path).contains(QStringLiteral("ID_MM_DEVICE_IGNORE=1"))) {
            text += QStringLiteral("  ! Запущен ModemManager, а у порта нет свойства udev "
                                   "ID_MM_DEVICE_IGNORE=1: ModemManager может занимать порт и "
                                   "слать в него AT-команды.\n");
            text += rule.isEmpty()
                        ? QStringLiteral("    Что сделать: установите правило %1 (оно задаёт это "
                                         "свойство) и подключите кабель заново, или остановите "
                                         "службу: sudo systemctl stop ModemManager\n")
                              .arg(kRuleName)
                        : QStringLiteral("    Что сделать: подключите кабель заново, чтобы "
                                         "правило %1 применилось, или остановите службу: "
                                         "sudo systemctl stop ModemManager\n")
                              .arg(kRuleName);
        }
        if (ready) {
            ++usable;
            text += QStringLiteral("  ✓ Можно открыть.\n");
        }
        text += QLatin1Char('\n');
    }
    if (usable == 0 && processes.someUnreadable)
        text += QStringLiteral("Открытые файлы процессов других пользователей проверены не "
                               "были: для этого нужны права root.\n");
    DoctorReport report;
    report.exitCode = usable > 0 ? 0 : 1;
    text += usable > 0
                ? QStringLiteral("Итог: готовых к работе преобразователей: %1.\n").arg(usable)
                : QStringLiteral("Итог: ни один преобразователь не готов к работе.\n");
    report.text = text;
    return report;
}

} // namespace zet
