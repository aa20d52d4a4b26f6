#include "SimulatedDriver.h"

#include <algorithm>
#include <cstring>

namespace zet::sim {

namespace {
constexpr FtHandle kHandleBase = 0x51D0;

uint16_t instrumentSerial(int deviceType) { return uint16_t(1000 + deviceType); }

// Fills a listing buffer; a string that fills it completely carries no NUL.
void copyField(const std::string &text, char *buffer, size_t size)
{
    const size_t n = std::min(text.size(), size);
    std::memcpy(buffer, text.data(), n);
    if (n < size)
        buffer[n] = '\0';
}
} // namespace

SimulatedDriver::SimulatedDriver(int deviceType, std::function<qint64()> clockMs, uint32_t seed)
    : clock_(std::move(clockMs)), instrument_(deviceType, instrumentSerial(deviceType), seed),
      faults_(uint64_t(seed) * 7919 + 17), delayRng_(uint64_t(seed) * 104729 + 3),
      description_("Имитатор ЗЕТ, тип " + std::to_string(deviceType)),
      serial_("SIM-ZET-" + std::to_string(deviceType))
{
    timer_.start();
    lastAdvanceMs_ = now();
    instrument_.setWander(true);
}

qint64 SimulatedDriver::now() const { return clock_ ? clock_() : timer_.elapsed(); }

void SimulatedDriver::setReplyDelay(int minMs, int maxMs)
{
    minDelayMs_ = std::max(0, minMs);
    maxDelayMs_ = std::max(minDelayMs_, maxMs);
}

FtStatus SimulatedDriver::ListDevices(void *arg1, void *arg2, uint32_t flags)
{
    if (flags == ft::LIST_NUMBER_ONLY) {
        if (!arg1)
            return ft::INVALID_PARAMETER;
        *static_cast<uint32_t *>(arg1) = 1;
        return ft::OK;
    }
    const uint32_t what = flags & (ft::OPEN_BY_SERIAL_NUMBER | ft::OPEN_BY_DESCRIPTION);
    const std::string *text = what == ft::OPEN_BY_SERIAL_NUMBER ? &serial_
                              : what == ft::OPEN_BY_DESCRIPTION ? &description_
                                                                : nullptr;
    const size_t size =
        what == ft::OPEN_BY_SERIAL_NUMBER ? ft::SERIAL_BUFFER_SIZE : ft::DESCRIPTION_BUFFER_SIZE;
    if (!text)
        return ft::INVALID_PARAMETER;
    const uint32_t mode = flags & (ft::LIST_BY_INDEX | ft::LIST_ALL);
    if (mode == ft::LIST_BY_INDEX) {
        if (!arg2)
            return ft::INVALID_PARAMETER;
        if (reinterpret_cast<uintptr_t>(arg1) != 0)
            return ft::DEVICE_NOT_FOUND;
        copyField(*text, static_cast<char *>(arg2), size);
        return ft::OK;
    }
    if (mode == ft::LIST_ALL) {
        // arg1: array of buffer pointers ended by a null pointer; arg2: count
        if (!arg1 || !arg2)
            return ft::INVALID_PARAMETER;
        char **buffers = static_cast<char **>(arg1);
        if (buffers[0])
            copyField(*text, buffers[0], size);
        *static_cast<uint32_t *>(arg2) = 1;
        return ft::OK;
    }
    return ft::INVALID_PARAMETER;
}

FtStatus SimulatedDriver::OpenEx(const void *arg1, uint32_t flags, FtHandle *handle)
{
    if (!arg1 || !handle)
        return ft::INVALID_PARAMETER;
    const char *name = static_cast<const char *>(arg1);
    bool match = false;
    if (flags == ft::OPEN_BY_SERIAL_NUMBER)
        match = serial_ == name;
    else if (flags == ft::OPEN_BY_DESCRIPTION)
        match = description_ == name;
    else
        return ft::INVALID_PARAMETER;
    *handle = 0;
    if (!match)
        return ft::DEVICE_NOT_FOUND;
    if (handle_ != 0)
        return ft::DEVICE_NOT_OPENED; // one user at a time, as with the real converter
    handle_ = kHandleBase + ++opens_;
    *handle = handle_;
    dropReceived();
    assembler_.clear();
    const qint64 t = now();
    instrument_.advance(t - lastAdvanceMs_);
    lastAdvanceMs_ = t;
    // After a switch-off the engineer presses the power button before reconnecting.
    if (instrument_.poweredOff())
        instrument_.powerUp();
    return ft::OK;
}

FtStatus SimulatedDriver::Close(FtHandle handle)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    handle_ = 0;
    dropReceived();
    assembler_.clear();
    return ft::OK;
}

void SimulatedDriver::dropReceived()
{
    pending_.clear();
    ready_.clear();
    lastDueMs_ = now();
}

void SimulatedDriver::release()
{
    const qint64 t = now();
    while (!pending_.empty() && pending_.front().dueMs <= t) {
        const auto &bytes = pending_.front().bytes;
        ready_.insert(ready_.end(), bytes.begin(), bytes.end());
        pending_.pop_front();
    }
}

FtStatus SimulatedDriver::Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    if (!bytesRead || (!buffer && toRead > 0))
        return ft::INVALID_PARAMETER;
    release();
    const auto n = uint32_t(std::min<size_t>(toRead, ready_.size()));
    std::copy_n(ready_.begin(), n, static_cast<uint8_t *>(buffer));
    ready_.erase(ready_.begin(), ready_.begin() + n);
    *bytesRead = n;
    return ft::OK;
}

FtStatus SimulatedDriver::Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                                uint32_t *bytesWritten)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    if (!bytesWritten || (!buffer && toWrite > 0))
        return ft::INVALID_PARAMETER;
    const qint64 t = now();
    instrument_.advance(t - lastAdvanceMs_);
    lastAdvanceMs_ = t;
    const auto frames = assembler_.feed(static_cast<const uint8_t *>(buffer), toWrite, t);
    for (const Frame &request : frames) {
        const auto answer = instrument_.handle(request);
        if (!answer)
            continue;
        auto outcome = faults_.apply(*answer);
        if (replyWatch_)
            replyWatch_(*answer, outcome.bytes);
        if (outcome.bytes.empty())
            continue;
        // Replies leave the instrument one after another, never overtaking.
        const qint64 due = std::max(
            t + delayRng_.range(minDelayMs_, maxDelayMs_) + outcome.extraDelayMs, lastDueMs_ + 1);
        lastDueMs_ = due;
        pending_.push_back({due, std::move(outcome.bytes)});
    }
    *bytesWritten = toWrite;
    return ft::OK;
}

FtStatus SimulatedDriver::SetBaudRate(FtHandle handle, uint32_t baud)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    if (baud == 0)
        return ft::INVALID_BAUD_RATE;
    baud_ = baud;
    return ft::OK;
}

FtStatus SimulatedDriver::SetDataCharacteristics(FtHandle handle, uint8_t wordLength,
                                                 uint8_t stopBits, uint8_t parity)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    const bool ok = (wordLength == 7 || wordLength == ft::BITS_8) &&
                    (stopBits == ft::STOP_BITS_1 || stopBits == ft::STOP_BITS_2) && parity <= 4;
    return ok ? ft::OK : ft::INVALID_PARAMETER;
}

FtStatus SimulatedDriver::Purge(FtHandle handle, uint32_t mask)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    if (mask & ft::PURGE_RX)
        dropReceived();
    return ft::OK;
}

FtStatus SimulatedDriver::GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                                    uint32_t *eventStatus)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    if (!rxBytes || !txBytes || !eventStatus)
        return ft::INVALID_PARAMETER;
    release();
    *rxBytes = uint32_t(ready_.size());
    *txBytes = 0;
    *eventStatus = 0;
    return ft::OK;
}

} // namespace zet::sim
