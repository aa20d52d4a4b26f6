#pragma once
// The nine converter-driver calls the link layer needs, with D2XX flag values and
// status codes, so that every layer above sees the same semantics whatever stands
// behind them (a real serial port, the simulated instrument or a test script).

#include <cstdint>
#include <string>

namespace zet {

using FtStatus = uint32_t;
using FtHandle = uintptr_t; // 0 = no device

namespace ft {
// Status codes
constexpr FtStatus OK = 0;
constexpr FtStatus INVALID_HANDLE = 1;
constexpr FtStatus DEVICE_NOT_FOUND = 2;
constexpr FtStatus DEVICE_NOT_OPENED = 3;
constexpr FtStatus IO_ERROR = 4;
constexpr FtStatus INSUFFICIENT_RESOURCES = 5;
constexpr FtStatus INVALID_PARAMETER = 6;
constexpr FtStatus INVALID_BAUD_RATE = 7;
constexpr FtStatus OTHER_ERROR = 17;

// ListDevices / OpenEx flags
constexpr uint32_t LIST_NUMBER_ONLY = 0x80000000u;
constexpr uint32_t LIST_BY_INDEX = 0x40000000u;
constexpr uint32_t LIST_ALL = 0x20000000u;
constexpr uint32_t OPEN_BY_SERIAL_NUMBER = 1;
constexpr uint32_t OPEN_BY_DESCRIPTION = 2;

// Purge mask
constexpr uint32_t PURGE_RX = 1;
constexpr uint32_t PURGE_TX = 2;

// Data characteristics
constexpr uint8_t BITS_8 = 8;
constexpr uint8_t STOP_BITS_1 = 0;
constexpr uint8_t STOP_BITS_2 = 2;
constexpr uint8_t PARITY_NONE = 0;

// Buffer sizes the listing calls fill
constexpr int SERIAL_BUFFER_SIZE = 16;
constexpr int DESCRIPTION_BUFFER_SIZE = 64;
} // namespace ft

// Why the last OpenEx failed, where a driver can tell more than its status says.
enum class OpenFailure { Unknown, NoPermission, InUse };

struct OpenFailureInfo {
    OpenFailure cause = OpenFailure::Unknown;
    std::string device; // the device file, when the driver has one
};

class FtDriver {
public:
    virtual ~FtDriver() = default;

    // flags == LIST_NUMBER_ONLY: arg1 points to a uint32_t count, arg2 unused.
    // flags == LIST_BY_INDEX | OPEN_BY_SERIAL_NUMBER: arg1 is the index (cast to a
    //   pointer), arg2 a 16-byte buffer that receives the serial number.
    // flags == LIST_BY_INDEX | OPEN_BY_DESCRIPTION: arg2 a 64-byte buffer.
    // Strings that fill the buffer completely carry no terminating NUL.
    virtual FtStatus ListDevices(void *arg1, void *arg2, uint32_t flags) = 0;
    // flags == OPEN_BY_SERIAL_NUMBER: arg1 is a NUL-terminated serial number.
    virtual FtStatus OpenEx(const void *arg1, uint32_t flags, FtHandle *handle) = 0;
    virtual FtStatus Close(FtHandle handle) = 0;
    virtual FtStatus Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead) = 0;
    virtual FtStatus Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                           uint32_t *bytesWritten) = 0;
    virtual FtStatus SetBaudRate(FtHandle handle, uint32_t baud) = 0;
    virtual FtStatus SetDataCharacteristics(FtHandle handle, uint8_t wordLength, uint8_t stopBits,
                                            uint8_t parity) = 0;
    virtual FtStatus Purge(FtHandle handle, uint32_t mask) = 0;
    virtual FtStatus GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                               uint32_t *eventStatus) = 0;

    // Not a driver call: the cause behind the last failed OpenEx, for the user's message.
    virtual OpenFailureInfo lastOpenFailure() const { return {}; }
};

} // namespace zet
