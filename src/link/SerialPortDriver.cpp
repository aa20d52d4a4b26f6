#include "link/SerialPortDriver.h"

#include "link/LineSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zet {

namespace {

constexpr quint16 kFtdiVendorId = 0x0403;

// Copies text into a driver listing buffer: NUL-terminated when shorter than the
// buffer, cut to the buffer and without a NUL when it fills it.
void copyToListBuffer(const QByteArray &text, void *buffer, int size)
{
    auto *out = static_cast<char *>(buffer);
    const int n = std::min<int>(int(text.size()), size);
    std::memcpy(out, text.constData(), size_t(n));
    if (n < size)
        out[n] = '\0';
}

// Unix98 pseudo-terminal slaves use character majors 136 to 143.
bool isPseudoTerminalFd(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned maj = major(st.st_rdev);
    return maj >= 136 && maj <= 143;
}

// A removed USB converter and a pty whose other side closed both show up as a hang-up.
bool lineHungUp(int fd)
{
    if (fd < 0)
        return true;
    pollfd p{fd, 0, 0};
    int r;
    do {
        r = ::poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        return true;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

FtStatus statusForOpenError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return ft::DEVICE_NOT_FOUND;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return ft::DEVICE_NOT_OPENED;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        return ft::IO_ERROR;
    default:
        return ft::OTHER_ERROR;
    }
}

} // namespace

struct SerialPortDriver::OpenPort {
    std::unique_ptr<QSerialPort> port;
    bool pseudoTerminal = false;
    bool failed = false;
};

SerialPortDriver::SerialPortDriver(QStringList extraPorts, bool listFtdi, PortSource ports)
    : extraPorts_(std::move(extraPorts)), listFtdi_(listFtdi), ports_(std::move(ports))
{
}

SerialPortDriver::~SerialPortDriver() = default;

OpenFailure SerialPortDriver::openFailureCause(bool permissionError, bool mayReadWrite)
{
    if (!permissionError)
        return OpenFailure::Unknown;
    return mayReadWrite ? OpenFailure::InUse : OpenFailure::NoPermission;
}

QByteArray SerialPortDriver::keyForExtraPort(const QString &path, int position)
{
    const QByteArray bytes = path.toLocal8Bit();
    if (bytes.size() <= ft::SERIAL_BUFFER_SIZE)
        return bytes;
    return "PORT" + QByteArray::number(position);
}

std::vector<QByteArray> SerialPortDriver::converterKeys(const std::vector<QByteArray> &serials)
{
    std::map<QByteArray, int> uses;
    for (const QByteArray &s : serials)
        ++uses[s];
    std::map<QByteArray, int> channel;
    std::vector<QByteArray> keys;
    keys.reserve(serials.size());
    for (const QByteArray &s : serials) {
        const int n = channel[s]++;
        if (uses[s] == 1 || n >= 26)
            keys.push_back(s.left(ft::SERIAL_BUFFER_SIZE));
        else
            keys.push_back(s.left(ft::SERIAL_BUFFER_SIZE - 1) + char('A' + n));
    }
    return keys;
}

std::vector<SerialPortDriver::PortRecord> SerialPortDriver::systemPorts()
{
    return sysfsPorts(QStringLiteral("/sys"));
}

// Every port of the kernel's USB serial drivers (FTDI's among them) is listed on the
// usb-serial bus; its USB device, a few levels up, carries the identity as attributes.
// Reading those directly costs a few files per converter instead of a pass over every
// terminal of the machine, and needs no udev database.
std::vector<SerialPortDriver::PortRecord> SerialPortDriver::sysfsPorts(const QString &sysRoot)
{
    const auto attribute = [](const QDir &dir, const char *name) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(file.read(256)).trimmed();
    };
    std::vector<PortRecord> ports;
    const QDir bus(sysRoot + QStringLiteral("/bus/usb-serial/devices"));
    for (const QFileInfo &entry :
         bus.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        PortRecord p;
        p.portName = entry.fileName();
        p.location = QStringLiteral("/dev/") + p.portName;
        const QString real = entry.canonicalFilePath();
        QDir dir(real);
        for (int up = 0; up < 4 && !real.isEmpty() && dir.cdUp(); ++up) {
            if (!dir.exists(QStringLiteral("idVendor")))
                continue;
            p.vendorId = attribute(dir, "idVendor").toUShort(nullptr, 16);
            p.productId = attribute(dir, "idProduct").toUShort(nullptr, 16);
            p.serialNumber = attribute(dir, "serial");
            p.description = attribute(dir, "product");
            break;
        }
        ports.push_back(std::move(p));
    }
    return ports;
}

std::vector<SerialPortDriver::Row> SerialPortDriver::converterRows(std::vector<PortRecord> ports)
{
    std::erase_if(ports, [](const PortRecord &p) { return p.vendorId != kFtdiVendorId; });
    std::sort(ports.begin(), ports.end(), [](const PortRecord &a, const PortRecord &b) {
        if (a.serialNumber != b.serialNumber)
            return a.serialNumber < b.serialNumber;
        return a.portName < b.portName;
    });
    std::vector<QByteArray> serials;
    for (const PortRecord &p : ports) {
        // A converter without a serial number is still openable under its port name.
        serials.push_back((p.serialNumber.isEmpty() ? p.portName : p.serialNumber).toUtf8());
    }
    const std::vector<QByteArray> keys = converterKeys(serials);
    std::vector<Row> rows;
    for (size_t i = 0; i < ports.size(); ++i)
        rows.push_back({ports[i].description.toUtf8(), keys[i], ports[i].location});
    return rows;
}

std::vector<SerialPortDriver::Row> SerialPortDriver::listRows(std::vector<PortRecord> ports,
                                                              const QStringList &extraPorts)
{
    std::vector<Row> rows = converterRows(std::move(ports));
    for (int i = 0; i < extraPorts.size(); ++i) {
        const QString &path = extraPorts.at(i);
        rows.push_back({QStringLiteral("Последовательный порт %1").arg(path).toUtf8(),
                        keyForExtraPort(path, i + 1), path});
    }
    return rows;
}

std::vector<SerialPortDriver::Row> SerialPortDriver::enumerate() const
{
    return listRows(listFtdi_ && ports_ ? ports_() : std::vector<PortRecord>{}, extraPorts_);
}

FtStatus SerialPortDriver::ListDevices(void *arg1, void *arg2, uint32_t flags)
{
    if (flags == ft::LIST_NUMBER_ONLY) {
        if (!arg1)
            return ft::INVALID_PARAMETER;
        rows_ = enumerate();
        listed_ = true;
        *static_cast<uint32_t *>(arg1) = uint32_t(rows_.size());
        return ft::OK;
    }
    const bool bySerial = flags == (ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER);
    const bool byDescription = flags == (ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION);
    if (!bySerial && !byDescription)
        return ft::INVALID_PARAMETER;
    if (!arg2)
        return ft::INVALID_PARAMETER;
    if (!listed_) {
        rows_ = enumerate();
        listed_ = true;
    }
    const auto index = uintptr_t(arg1);
    if (index >= rows_.size())
        return ft::DEVICE_NOT_FOUND;
    const Row &row = rows_[index];
    if (bySerial)
        copyToListBuffer(row.serial, arg2, ft::SERIAL_BUFFER_SIZE);
    else
        copyToListBuffer(row.description, arg2, ft::DESCRIPTION_BUFFER_SIZE);
    return ft::OK;
}

FtStatus SerialPortDriver::OpenEx(const void *arg1, uint32_t flags, FtHandle *handle)
{
    if (!arg1 || !handle)
        return ft::INVALID_PARAMETER;
    if (flags != ft::OPEN_BY_SERIAL_NUMBER && flags != ft::OPEN_BY_DESCRIPTION)
        return ft::INVALID_PARAMETER;
    *handle = 0;
    lastOpenFailure_ = {};
    const QByteArray wanted(static_cast<const char *>(arg1));
    auto findIn = [&](const std::vector<Row> &rows) -> const Row * {
        for (const Row &row : rows) {
            const QByteArray &key =
                flags == ft::OPEN_BY_SERIAL_NUMBER ? row.serial : row.description;
            if (key == wanted)
                return &row;
        }
        return nullptr;
    };
    // The last listing usually holds the row; a converter plugged in since needs a fresh look.
    const Row *row = listed_ ? findIn(rows_) : nullptr;
    std::vector<Row> fresh;
    if (!row) {
        fresh = enumerate();
        row = findIn(fresh);
    }
    if (!row)
        return ft::DEVICE_NOT_FOUND;

    auto open = std::make_unique<OpenPort>();
    open->port = std::make_unique<QSerialPort>();
    QSerialPort *port = open->port.get();
    port->setPortName(row->location);
    // Opened at the port's default speed; the line speed is applied afterwards so that a
    // device refusing it (a pty) still opens.
    if (!port->open(QIODevice::ReadWrite)) {
        const QByteArray path = row->location.toLocal8Bit();
        const bool permissionError = port->error() == QSerialPort::PermissionError;
        lastOpenFailure_ = {
            openFailureCause(permissionError, ::access(path.constData(), R_OK | W_OK) == 0),
            path.toStdString()};
        return statusForOpenError(port->error());
    }
    port->clear(QSerialPort::AllDirections);
    open->pseudoTerminal = isPseudoTerminal(*port);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::TwoStop);
    port->setParity(QSerialPort::NoParity);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!setLineRate(*port, qint32(line::kBaudRate)))
        port->clearError(); // the caller's own baud-rate call reports it

    // Errors seen while the event loop reads for the port: a vanished device makes the
    // handle fail; the port is closed from the event loop, not inside Qt's notifier.
    OpenPort *raw = open.get();
    QObject::connect(
        port, &QSerialPort::errorOccurred, port, [raw, port](QSerialPort::SerialPortError error) {
            if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
                error != QSerialPort::WriteError)
                return;
            QMetaObject::invokeMethod(
                port,
                [raw, port, error] {
                    if (error == QSerialPort::ResourceError || lineHungUp(int(port->handle()))) {
                        raw->failed = true;
                        if (port->isOpen())
                            port->close();
                    }
                },
                Qt::QueuedConnection);
        });

    const FtHandle h = nextHandle_++;
    open_.emplace(h, std::move(open));
    *handle = h;
    return ft::OK;
}

SerialPortDriver::OpenPort *SerialPortDriver::find(FtHandle handle)
{
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.get();
}

void SerialPortDriver::markFailed(OpenPort &open)
{
    open.failed = true;
    if (open.port->isOpen())
        open.port->close();
}

bool SerialPortDriver::alive(OpenPort &open)
{
    if (open.failed || !open.port->isOpen())
        return false;
    if (lineHungUp(int(open.port->handle()))) {
        markFailed(open);
        return false;
    }
    return true;
}

bool SerialPortDriver::pullPending(OpenPort &open)
{
    if (!alive(open))
        return false;
    // QSerialPort fills its buffer only from the event loop or a wait call. The calls here
    // come from timers and must not block, so the descriptor is polled with a zero timeout
    // and waitForReadyRead(0) is used only when the OS already has bytes: it then reads them
    // at once instead of waiting. A few rounds cover data larger than one Qt read chunk.
    QSerialPort &port = *open.port;
    const int fd = int(port.handle());
    for (int round = 0; round < 8; ++round) {
        pollfd p{fd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, 0);
        } while (r < 0 && errno == EINTR);
        if (r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            markFailed(open);
            return false;
        }
        if (!(p.revents & POLLIN))
            break;
        if (!port.waitForReadyRead(0))
            break;
    }
    if (open.failed || !port.isOpen())
        return false;
    if (port.error() == QSerialPort::ResourceError) {
        markFailed(open);
        return false;
    }
    port.clearError();
    return true;
}

FtStatus SerialPortDriver::Close(FtHandle handle)
{
    auto it = open_.find(handle);
    if (it == open_.end())
        return ft::INVALID_HANDLE;
    if (it->second->port->isOpen())
        it->second->port->close();
    open_.erase(it);
    return ft::OK;
}

FtStatus SerialPortDriver::Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead)
{
    OpenPort *open = find(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (bytesRead)
        *bytesRead = 0;
    if (!buffer && toRead > 0)
        return ft::INVALID_PARAMETER;
    if (!pullPending(*open))
        return ft::IO_ERROR;
    const qint64 n = std::min<qint64>(toRead, open->port->bytesAvailable());
    const qint64 got = n > 0 ? open->port->read(static_cast<char *>(buffer), n) : 0;
    if (got < 0)
        return ft::IO_ERROR;
    if (bytesRead)
        *bytesRead = uint32_t(got);
    return ft::OK;
}

FtStatus SerialPortDriver::Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                                 uint32_t *bytesWritten)
{
    OpenPort *open = find(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (bytesWritten)
        *bytesWritten = 0;
    if (!buffer && toWrite > 0)
        return ft::INVALID_PARAMETER;
    if (!alive(*open))
        return ft::IO_ERROR;
    const qint64 n = open->port->write(static_cast<const char *>(buffer), toWrite);
    if (n < 0)
        return ft::IO_ERROR;
    // Hands the bytes to the OS now without waiting; whatever the OS does not take at once
    // stays queued and goes out from the event loop.
    open->port->flush();
    if (!alive(*open))
        return ft::IO_ERROR;
    open->port->clearError();
    if (bytesWritten)
        *bytesWritten = uint32_t(n);
    return ft::OK;
}

FtStatus SerialPortDriver::SetBaudRate(FtHandle handle, uint32_t baud)
{
    OpenPort *open = find(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (!alive(*open))
        return ft::IO_ERROR;
    if (baud == 0 || baud > uint32_t(std::numeric_limits<qint32>::max()))
        return ft::INVALID_BAUD_RATE;
    if (setLineRate(*open->port, qint32(baud)))
        return ft::OK;
    open->port->clearError();
    // A pseudo-terminal has no line speed; some kernels still refuse non-standard rates
    // on it. The bytes go through regardless, so the refusal is not an error there.
    if (open->pseudoTerminal)
        return ft::OK;
    return ft::INVALID_BAUD_RATE;
}

bool SerialPortDriver::setLineRate(QSerialPort &port, qint32 baud)
{
    return port.setBaudRate(baud);
}

bool SerialPortDriver::isPseudoTerminal(const QSerialPort &port) const
{
    return isPseudoTerminalFd(int(port.handle()));
}

FtStatus SerialPortDriver::SetDataCharacteristics(FtHandle handle, uint8_t wordLength,
                                                  uint8_t stopBits, uint8_t parity)
{
    OpenPort *open = find(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (!alive(*open))
        return ft::IO_ERROR;
    QSerialPort::DataBits dataBits;
    switch (wordLength) {
    case 5:
        dataBits = QSerialPort::Data5;
        break;
    case 6:
        dataBits = QSerialPort::Data6;
        break;
    case 7:
        dataBits = QSerialPort::Data7;
        break;
    case 8:
        dataBits = QSerialPort::Data8;
        break;
    default:
        return ft::INVALID_PARAMETER;
    }
    QSerialPort::StopBits stop;
    switch (stopBits) {
    case ft::STOP_BITS_1:
        stop = QSerialPort::OneStop;
        break;
    case ft::STOP_BITS_2:
        stop = QSerialPort::TwoStop;
        break;
    default:
        return ft::INVALID_PARAMETER;
    }
    QSerialPort::Parity par;
    switch (parity) {
    case ft::PARITY_NONE:
        par = QSerialPort::NoParity;
        break;
    case 1:
        par = QSerialPort::OddParity;
        break;
    case 2:
        par = QSerialPort::EvenParity;
        break;
    case 3:
        par = QSerialPort::MarkParity;
        break;
    case 4:
        par = QSerialPort::SpaceParity;
        break;
    default:
        return ft::INVALID_PARAMETER;
    }
    // Each setting is applied on its own so that one refusal does not skip the others.
    QSerialPort &port = *open->port;
    const bool dataOk = port.setDataBits(dataBits);
    const bool stopOk = port.setStopBits(stop);
    const bool parityOk = port.setParity(par);
    if (dataOk && stopOk && parityOk)
        return ft::OK;
    port.clearError();
    if (!alive(*open))
        return ft::IO_ERROR;
    // The kernel keeps a pseudo-terminal at 8 data bits without parity whatever is asked;
    // only the stop bits follow. Bytes pass unchanged, so the refusal is not an error there.
    return open->pseudoTerminal ? ft::OK : ft::INVALID_PARAMETER;
}

FtStatus SerialPortDriver::Purge(FtHandle handle, uint32_t mask)
{
    OpenPort *open = find(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if ((mask & ~(ft::PURGE_RX | ft::PURGE_TX)) != 0)
        return ft::INVALID_PARAMETER;
    if (!alive(*open))
        return ft::IO_ERROR;
    QSerialPort::Directions directions;
    if (mask & ft::PURGE_RX)
        directions |= QSerialPort::Input;
    if (mask & ft::PURGE_TX)
        directions |= QSerialPort::Output;
    if (directions && !open->port->clear(directions)) {
        open->port->clearError();
        return alive(*open) ? ft::OTHER_ERROR : ft::IO_ERROR;
    }
    return ft::OK;
}

FtStatus SerialPortDriver::GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                                     uint32_t *eventStatus)
{
    OpenPort *open = find(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (!pullPending(*open))
        return ft::IO_ERROR;
    if (rxBytes)
        *rxBytes = uint32_t(open->port->bytesAvailable());
    if (txBytes)
        *txBytes = uint32_t(open->port->bytesToWrite());
    if (eventStatus)
        *eventStatus = 0;
    return ft::OK;
}

} // namespace zet
