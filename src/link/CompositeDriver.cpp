#include "link/CompositeDriver.h"

namespace zet {

void CompositeDriver::add(std::unique_ptr<FtDriver> backend)
{
    if (!backend)
        return;
    m_backends.push_back(std::move(backend));
    m_counted = false;
}

void CompositeDriver::countAll()
{
    m_counts.assign(m_backends.size(), 0);
    for (size_t i = 0; i < m_backends.size(); ++i) {
        uint32_t n = 0;
        // A driver that cannot count its devices contributes none rather than hiding the rest.
        if (m_backends[i]->ListDevices(&n, nullptr, ft::LIST_NUMBER_ONLY) == ft::OK)
            m_counts[i] = n;
    }
    m_counted = true;
}

FtStatus CompositeDriver::ListDevices(void *arg1, void *arg2, uint32_t flags)
{
    if (flags == ft::LIST_NUMBER_ONLY) {
        if (!arg1)
            return ft::INVALID_PARAMETER;
        countAll();
        uint32_t total = 0;
        for (uint32_t n : m_counts)
            total += n;
        *static_cast<uint32_t *>(arg1) = total;
        return ft::OK;
    }
    if (flags != (ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER) &&
        flags != (ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION))
        return ft::INVALID_PARAMETER;
    if (!m_counted)
        countAll();
    uintptr_t index = uintptr_t(arg1);
    for (size_t i = 0; i < m_backends.size(); ++i) {
        if (index < m_counts[i])
            return m_backends[i]->ListDevices(reinterpret_cast<void *>(index), arg2, flags);
        index -= m_counts[i];
    }
    return ft::DEVICE_NOT_FOUND;
}

FtStatus CompositeDriver::OpenEx(const void *arg1, uint32_t flags, FtHandle *handle)
{
    if (!handle)
        return ft::INVALID_PARAMETER;
    *handle = 0;
    m_lastOpenFailure = {};
    // The first driver that knows the device opens it; a driver that knows it but fails
    // to open it (busy, unplugged) has the final word.
    for (auto &backend : m_backends) {
        FtHandle inner = 0;
        const FtStatus status = backend->OpenEx(arg1, flags, &inner);
        if (status == ft::DEVICE_NOT_FOUND)
            continue;
        if (status != ft::OK) {
            m_lastOpenFailure = backend->lastOpenFailure();
            return status;
        }
        const FtHandle h = m_nextHandle++;
        m_routes.emplace(h, Route{backend.get(), inner});
        *handle = h;
        return ft::OK;
    }
    return ft::DEVICE_NOT_FOUND;
}

const CompositeDriver::Route *CompositeDriver::route(FtHandle handle) const
{
    auto it = m_routes.find(handle);
    return it == m_routes.end() ? nullptr : &it->second;
}

FtStatus CompositeDriver::Close(FtHandle handle)
{
    auto it = m_routes.find(handle);
    if (it == m_routes.end())
        return ft::INVALID_HANDLE;
    const Route r = it->second;
    m_routes.erase(it);
    return r.backend->Close(r.inner);
}

FtStatus CompositeDriver::Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead)
{
    return forward(handle, &FtDriver::Read, buffer, toRead, bytesRead);
}

FtStatus CompositeDriver::Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                                uint32_t *bytesWritten)
{
    return forward(handle, &FtDriver::Write, buffer, toWrite, bytesWritten);
}

FtStatus CompositeDriver::SetBaudRate(FtHandle handle, uint32_t baud)
{
    return forward(handle, &FtDriver::SetBaudRate, baud);
}

FtStatus CompositeDriver::SetDataCharacteristics(FtHandle handle, uint8_t wordLength,
                                                 uint8_t stopBits, uint8_t parity)
{
    return forward(handle, &FtDriver::SetDataCharacteristics, wordLength, stopBits, parity);
}

FtStatus CompositeDriver::Purge(FtHandle handle, uint32_t mask)
{
    return forward(handle, &FtDriver::Purge, mask);
}

FtStatus CompositeDriver::GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                                    uint32_t *eventStatus)
{
    return forward(handle, &FtDriver::GetStatus, rxBytes, txBytes, eventStatus);
}

} // namespace zet
