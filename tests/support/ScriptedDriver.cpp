#include "ScriptedDriver.h"

#include <algorithm>
#include <cstring>

namespace zet::test {

Frame sealed(std::initializer_list<uint8_t> bytes)
{
    Frame f{};
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), 7), f.begin());
    seal(f.data());
    return f;
}

void ScriptedDriver::queueBytes(const QByteArray &bytes)
{
    for (char c : bytes)
        rx.push_back(uint8_t(c));
}

void ScriptedDriver::queueFrame(const Frame &f) { rx.insert(rx.end(), f.begin(), f.end()); }

void ScriptedDriver::queueReply(Frame f)
{
    seal(f.data());
    queueFrame(f);
}

Frame ScriptedDriver::lastFrame() const
{
    Frame f{};
    if (!writes.empty() && writes.back().size() >= kFrameSize)
        std::memcpy(f.data(), writes.back().constData(), kFrameSize);
    return f;
}

FtStatus ScriptedDriver::result(const QString &name) const
{
    auto it = failures.find(name);
    return it == failures.end() ? ft::OK : it->second;
}

static void copyField(const QByteArray &text, void *buffer, int size)
{
    auto *out = static_cast<char *>(buffer);
    std::memset(out, 0, size_t(size));
    std::memcpy(out, text.constData(), size_t(std::min<qsizetype>(text.size(), size)));
}

FtStatus ScriptedDriver::ListDevices(void *arg1, void *arg2, uint32_t flags)
{
    calls << QStringLiteral("ListDevices(%1,%2)")
                 .arg(flags == ft::LIST_NUMBER_ONLY ? 0 : uintptr_t(arg1))
                 .arg(flags, 0, 16);
    if (FtStatus st = result(QStringLiteral("ListDevices")))
        return st;
    if (flags == ft::LIST_NUMBER_ONLY) {
        if (FtStatus st = result(QStringLiteral("ListCount")))
            return st;
        *static_cast<uint32_t *>(arg1) = uint32_t(rows.size());
        return ft::OK;
    }
    const auto index = size_t(uintptr_t(arg1));
    if (index >= rows.size())
        return ft::DEVICE_NOT_FOUND;
    if (flags == (ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER)) {
        if (FtStatus st = result(QStringLiteral("ListSerial")))
            return st;
        copyField(rows[index].serial, arg2, ft::SERIAL_BUFFER_SIZE);
        return ft::OK;
    }
    if (flags == (ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION)) {
        if (FtStatus st = result(QStringLiteral("ListDescription")))
            return st;
        copyField(rows[index].description, arg2, ft::DESCRIPTION_BUFFER_SIZE);
        return ft::OK;
    }
    return ft::INVALID_PARAMETER;
}

FtStatus ScriptedDriver::OpenEx(const void *arg1, uint32_t flags, FtHandle *handle)
{
    const QByteArray serial(static_cast<const char *>(arg1));
    calls << QStringLiteral("OpenEx(%1,%2)").arg(QString::fromUtf8(serial)).arg(flags);
    if (FtStatus st = result(QStringLiteral("OpenEx")))
        return st;
    for (const Row &r : rows)
        if (r.serial == serial) {
            open_ = 0x1234;
            *handle = open_;
            return ft::OK;
        }
    return ft::DEVICE_NOT_FOUND;
}

FtStatus ScriptedDriver::Close(FtHandle handle)
{
    calls << QStringLiteral("Close(%1)").arg(handle);
    if (FtStatus st = result(QStringLiteral("Close")))
        return st;
    if (handle != open_ || open_ == 0)
        return ft::INVALID_HANDLE;
    open_ = 0;
    return ft::OK;
}

FtStatus ScriptedDriver::Read(FtHandle, void *buffer, uint32_t toRead, uint32_t *bytesRead)
{
    calls << QStringLiteral("Read(%1)").arg(toRead);
    *bytesRead = 0;
    if (FtStatus st = result(QStringLiteral("Read")))
        return st;
    auto *out = static_cast<uint8_t *>(buffer);
    while (*bytesRead < toRead && !rx.empty()) {
        out[(*bytesRead)++] = rx.front();
        rx.pop_front();
    }
    return ft::OK;
}

FtStatus ScriptedDriver::Write(FtHandle, const void *buffer, uint32_t toWrite,
                               uint32_t *bytesWritten)
{
    calls << QStringLiteral("Write(%1)").arg(toWrite);
    *bytesWritten = 0;
    if (FtStatus st = result(QStringLiteral("Write")))
        return st;
    const QByteArray data(static_cast<const char *>(buffer), qsizetype(toWrite));
    writes.push_back(data);
    *bytesWritten = toWrite;
    if (responder && toWrite >= kFrameSize) {
        Frame f{};
        std::memcpy(f.data(), data.constData(), kFrameSize);
        for (const Frame &r : responder(f))
            queueFrame(r);
    }
    return ft::OK;
}

FtStatus ScriptedDriver::SetBaudRate(FtHandle, uint32_t baud)
{
    calls << QStringLiteral("SetBaudRate(%1)").arg(baud);
    return result(QStringLiteral("SetBaudRate"));
}

FtStatus ScriptedDriver::SetDataCharacteristics(FtHandle, uint8_t wordLength, uint8_t stopBits,
                                                uint8_t parity)
{
    calls << QStringLiteral("SetDataCharacteristics(%1,%2,%3)")
                 .arg(wordLength)
                 .arg(stopBits)
                 .arg(parity);
    return result(QStringLiteral("SetDataCharacteristics"));
}

FtStatus ScriptedDriver::Purge(FtHandle, uint32_t mask)
{
    calls << QStringLiteral("Purge(%1)").arg(mask);
    if (FtStatus st = result(QStringLiteral("Purge")))
        return st;
    if (mask & ft::PURGE_RX)
        rx.clear();
    return ft::OK;
}

FtStatus ScriptedDriver::GetStatus(FtHandle, uint32_t *rxBytes, uint32_t *txBytes,
                                   uint32_t *eventStatus)
{
    calls << QStringLiteral("GetStatus");
    if (FtStatus st = result(QStringLiteral("GetStatus")))
        return st;
    *rxBytes = uint32_t(rx.size());
    *txBytes = 0;
    *eventStatus = 0;
    return ft::OK;
}

} // namespace zet::test
