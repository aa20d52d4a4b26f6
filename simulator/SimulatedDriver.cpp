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
    : m_clock(std::move(clockMs)), m_instrument(deviceType, instrumentSerial(deviceType), seed),
      m_faults(uint64_t(seed) * 7919 + 17), m_delayRng(uint64_t(seed) * 104729 + 3),
      m_description("Имитатор ЗЕТ, тип " + std::to_string(deviceType)),
      m_serial("SIM-ZET-" + std::to_string(deviceType))
{
    m_timer.start();
    m_lastAdvanceMs = now();
    m_instrument.setWander(true);
}

qint64 SimulatedDriver::now() const { return m_clock ? m_clock() : m_timer.elapsed(); }

void SimulatedDriver::setReplyDelay(int minMs, int maxMs)
{
    m_minDelayMs = std::max(0, minMs);
    m_maxDelayMs = std::max(m_minDelayMs, maxMs);
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
    const std::string *text = what == ft::OPEN_BY_SERIAL_NUMBER ? &m_serial
                              : what == ft::OPEN_BY_DESCRIPTION ? &m_description
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
        match = m_serial == name;
    else if (flags == ft::OPEN_BY_DESCRIPTION)
        match = m_description == name;
    else
        return ft::INVALID_PARAMETER;
    *handle = 0;
    if (!match)
        return ft::DEVICE_NOT_FOUND;
    if (m_handle != 0)
        return ft::DEVICE_NOT_OPENED; // one user at a time, as with the real converter
    m_handle = kHandleBase + ++m_opens;
    *handle = m_handle;
    dropReceived();
    m_assembler.clear();
    const qint64 t = now();
    m_instrument.advance(t - m_lastAdvanceMs);
    m_lastAdvanceMs = t;
    // After a switch-off the engineer presses the power button before reconnecting.
    if (m_instrument.poweredOff())
        m_instrument.powerUp();
    return ft::OK;
}

FtStatus SimulatedDriver::Close(FtHandle handle)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    m_handle = 0;
    dropReceived();
    m_assembler.clear();
    return ft::OK;
}

void SimulatedDriver::dropReceived()
{
    m_pending.clear();
    m_ready.clear();
    m_lastDueMs = now();
}

void SimulatedDriver::release()
{
    const qint64 t = now();
    while (!m_pending.empty() && m_pending.front().dueMs <= t) {
        const auto &bytes = m_pending.front().bytes;
        m_ready.insert(m_ready.end(), bytes.begin(), bytes.end());
        m_pending.pop_front();
    }
}

FtStatus SimulatedDriver::Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead)
{
    if (!valid(handle))
        return ft::INVALID_HANDLE;
    if (!bytesRead || (!buffer && toRead > 0))
        return ft::INVALID_PARAMETER;
    release();
    const auto n = uint32_t(std::min<size_t>(toRead, m_ready.size()));
    std::copy_n(m_ready.begin(), n, static_cast<uint8_t *>(buffer));
    m_ready.erase(m_ready.begin(), m_ready.begin() + n);
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
    m_instrument.advance(t - m_lastAdvanceMs);
    m_lastAdvanceMs = t;
    const auto frames = m_assembler.feed(static_cast<const uint8_t *>(buffer), toWrite, t);
    for (const Frame &request : frames) {
        const auto answer = m_instrument.handle(request);
        if (!answer)
            continue;
        auto outcome = m_faults.apply(*answer);
        if (replyWatch_)
            replyWatch_(*answer, outcome.bytes);
        if (outcome.bytes.empty())
            continue;
        // Replies leave the instrument one after another, never overtaking.
        const qint64 due =
            std::max(t + m_delayRng.range(m_minDelayMs, m_maxDelayMs) + outcome.extraDelayMs,
                     m_lastDueMs + 1);
        m_lastDueMs = due;
        m_pending.push_back({due, std::move(outcome.bytes)});
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
    m_baud = baud;
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
    *rxBytes = uint32_t(m_ready.size());
    *txBytes = 0;
    *eventStatus = 0;
    return ft::OK;
}

} // namespace zet::sim
