#pragma once
// Link layer: the converter operations over one driver, with fixed buffers, one
// device handle and a single error report that names the failed operation.

#include "link/FtDriver.h"

#include <QString>

#include <array>
#include <functional>

namespace zet {

class D2XXUnit {
public:
    using ErrorReport = std::function<void(const QString &)>;

    D2XXUnit(FtDriver &driver, ErrorReport report);

    FtStatus GetFTDeviceCount();
    FtStatus GetFTDeviceSerialNo(uint32_t index);
    FtStatus GetFTDeviceDescription(uint32_t index);
    FtStatus Open_USB_Device_By_Serial_Number(const QString &serial);
    FtStatus CloseFTDevice();
    uint32_t ReadFTDevice(uint32_t count);
    uint32_t WriteFTDevice(uint32_t count);
    FtStatus SetFTBaudRate();
    FtStatus SetFTDataCharacteristics();
    FtStatus PurgeFTReceive();
    FtStatus PurgeFTTransmit();
    FtStatus GetFTQueueStatus();
    // advice: shown on its own lines after the label and suffix, when not empty.
    void ReportFTError(const QString &label, FtStatus status, const QString &advice = {});

    // Text shown after an operation's label for a driver status.
    static QString errorSuffix(FtStatus status);
    // What the user can do about a port that did not open; empty when the cause is unknown.
    static QString openFailureAdvice(const OpenFailureInfo &failure);

    // Line settings, set by the caller before SetFTBaudRate/SetFTDataCharacteristics.
    uint32_t baudRate = 0;
    uint8_t wordLength = 0;
    uint8_t stopBits = 0;
    uint8_t parity = 0;

    // Results of the queue-status operation.
    uint32_t rxQueueBytes = 0;
    uint32_t txQueueBytes = 0;
    uint32_t eventStatus = 0;

    uint32_t deviceCount = 0;
    FtStatus lastIoStatus = ft::OK;
    bool errorReports = true;
    QString deviceString;
    FtHandle handle = 0;

    std::array<uint8_t, 65536> rxBuffer{};
    std::array<uint8_t, 65536> txBuffer{};
    std::array<char, ft::DESCRIPTION_BUFFER_SIZE> descriptionBuffer{};
    std::array<char, ft::SERIAL_BUFFER_SIZE> serialBuffer{};
    std::array<char, 50> openSerialBuffer{};

    // The request frame lives in the first bytes of the transmit buffer.
    uint8_t *request() { return txBuffer.data(); }
    const uint8_t *received() const { return rxBuffer.data(); }

    FtDriver &driver() { return driver_; }

    // Switches error reports off for the lifetime of the guard.
    class Silence {
    public:
        explicit Silence(D2XXUnit &u) : u_(u) { u_.errorReports = false; }
        ~Silence() { u_.errorReports = true; }
        Silence(const Silence &) = delete;
        Silence &operator=(const Silence &) = delete;

    private:
        D2XXUnit &u_;
    };

private:
    FtStatus checked(const char *label, FtStatus status);

    FtDriver &driver_;
    ErrorReport report_;
};

} // namespace zet
