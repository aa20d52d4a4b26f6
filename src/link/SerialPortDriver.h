#pragma once
// Converter driver over the operating system's serial ports: FTDI converters seen
// through the kernel's FTDI driver, plus any serial device named on the command line
// (a pseudo-terminal served by the simulator, another adapter).

#include "link/FtDriver.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QSerialPort;

namespace zet {

class SerialPortDriver : public FtDriver {
public:
    // One serial port as the operating system describes it.
    struct PortRecord {
        quint16 vendorId = 0; // 0 when the port has no USB identity
        quint16 productId = 0;
        QString serialNumber;
        QString portName;    // "ttyUSB0"
        QString description; // the USB product string
        QString location;    // what opens it: "/dev/ttyUSB0"
    };
    // One row of the device list.
    struct Row {
        QByteArray description;
        QByteArray serial;
        QString location;
    };
    using PortSource = std::function<std::vector<PortRecord>()>;

    // extraPorts: device paths listed after the FTDI converters, in this order.
    // listFtdi: whether to enumerate the FTDI converters attached to the machine.
    // ports: where the converters are looked for; the machine's serial ports by default.
    explicit SerialPortDriver(QStringList extraPorts, bool listFtdi = true,
                              PortSource ports = systemPorts);
    ~SerialPortDriver() override;

    SerialPortDriver(const SerialPortDriver &) = delete;
    SerialPortDriver &operator=(const SerialPortDriver &) = delete;

    FtStatus ListDevices(void *arg1, void *arg2, uint32_t flags) override;
    FtStatus OpenEx(const void *arg1, uint32_t flags, FtHandle *handle) override;
    FtStatus Close(FtHandle handle) override;
    FtStatus Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead) override;
    FtStatus Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                   uint32_t *bytesWritten) override;
    FtStatus SetBaudRate(FtHandle handle, uint32_t baud) override;
    FtStatus SetDataCharacteristics(FtHandle handle, uint8_t wordLength, uint8_t stopBits,
                                    uint8_t parity) override;
    FtStatus Purge(FtHandle handle, uint32_t mask) override;
    FtStatus GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                       uint32_t *eventStatus) override;
    OpenFailureInfo lastOpenFailure() const override { return lastOpenFailure_; }

    // Why a port did not open. Qt reports a missing right on the device file and a port
    // held by another program alike; whether this user may read and write the file
    // tells them apart.
    static OpenFailure openFailureCause(bool permissionError, bool mayReadWrite);

    // The serial-number key under which an extra port is listed: the path itself when
    // it fits the 16-byte serial buffer, otherwise "PORT<n>" (n counts extra ports from 1).
    static QByteArray keyForExtraPort(const QString &path, int position);
    // Serial-number keys for converters in listing order. Each key fits the 16-byte
    // serial buffer, so what the list shows opens the same converter. The ports of a
    // multi-channel converter share one USB serial number; they get the channel
    // letters "A", "B", ... appended, as the vendor's own driver names them.
    static std::vector<QByteArray> converterKeys(const std::vector<QByteArray> &serials);
    // The rows for the FTDI converters among the ports: FTDI's vendor id only, ordered by
    // serial number and then port name, keyed as converterKeys() does.
    static std::vector<Row> converterRows(std::vector<PortRecord> ports);
    // The whole list: the converters' rows, then the extra ports' in their order.
    static std::vector<Row> listRows(std::vector<PortRecord> ports, const QStringList &extraPorts);
    static std::vector<PortRecord> systemPorts();
    // The USB serial ports found under a sysfs tree mounted at `sysRoot`.
    static std::vector<PortRecord> sysfsPorts(const QString &sysRoot);

protected:
    // Line access that differs between a real converter and a pseudo-terminal; tests
    // stand in for a converter refusing a rate.
    virtual bool setLineRate(QSerialPort &port, qint32 baud);
    virtual bool isPseudoTerminal(const QSerialPort &port) const;

private:
    struct OpenPort;

    std::vector<Row> enumerate() const;
    OpenPort *find(FtHandle handle);
    // Pulls whatever the OS holds for the port into its buffer without waiting.
    // Returns false when the line has gone (hang-up, device removed).
    bool pullPending(OpenPort &open);
    // False when the port has failed or the line was hung up.
    bool alive(OpenPort &open);
    void markFailed(OpenPort &open);

    QStringList extraPorts_;
    bool listFtdi_;
    PortSource ports_;
    std::vector<Row> rows_;
    bool listed_ = false;
    std::map<FtHandle, std::unique_ptr<OpenPort>> open_;
    FtHandle nextHandle_ = 1;
    OpenFailureInfo lastOpenFailure_;
};

} // namespace zet
