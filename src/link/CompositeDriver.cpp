#include "link/CompositeDriver.h"

namespace zet {

void CompositeDriver::add(std::unique_ptr<FtDriver> backend)
{
    if (!backend)
        return;
    backends_.push_back(std::move(backend));
    counted_ = false;
}

void CompositeDriver::countAll()
{
    counts_.assign(backends_.size(), 0);
    for (size_t i = 0; i < backends_.size(); ++i) {
        uint32_t n = 0;
        // A driver that cannot count its devices contributes none rather than hiding the rest.
        if (backends_[i]->ListDevices(&n, nullptr, ft::LIST_NUMBER_ONLY) == ft::OK)
            counts_[i] = n;
    }
    counted_ = true;
}

FtStatus CompositeDriver::ListDevices(void *arg1, void *arg2, uint32_t flags)
{
    if (flags == ft::LIST_NUMBER_ONLY) {
        if (!arg1)
            return ft::INVALID_PARAMETER;
        countAll();
        uint32_t total = 0;
        for (uint32_t n : counts_)
            total += n;
        *static_cast<uint32_t *>(arg1) = total;
        return ft::OK;
    }
    if (flags != (ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER) &&
        flags != (ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION))
        return ft::INVALID_PARAMETER;
    if (!counted_)
        countAll();
    uintptr_t index = uintptr_t(arg1);
    for (size_t i = 0; i < backends_.size(); ++i) {
        if (index < counts_[i])
            return backends_[i]->ListDevices(reinterpret_cast<void *>(index), arg2, flags);
        index -= counts_[i];
    }
    return ft::DEVICE_NOT_FOUND;
}

FtStatus CompositeDriver::OpenEx(const void *arg1, uint32_t flags, FtHandle *handle)
{
    if (!handle)
        return ft::INVALID_PARAMETER;
    *handle = 0;
    lastOpenFailure_ = {};
    // The first driver that knows the device opens it; a driver that knows it but fails
    // to open it (busy, unplugged) has the final word.
    for (auto &backend : backends_) {
        FtHandle inner = 0;
        const FtStatus status = backend->OpenEx(arg1, flags, &inner);
        if (status == ft::DEVICE_NOT_FOUND)
            continue;
        if (status != ft::OK) {
            lastOpenFailure_ = backend->lastOpenFailure();
            return status;
        }
        const FtHandle h = nextHandle_++;
        routes_.emplace(h, Route{backend.get(), inner});
        *handle = h;
        return ft::OK;
    }
    return ft::DEVICE_NOT_FOUND;
}

const CompositeDriver::Route *CompositeDriver::route(FtHandle handle) const
{
    auto it = routes_.find(handle);
    return it == routes_.end() ? nullptr : &it->second;
}

FtStatus CompositeDriver::Close(FtHandle handle)
{
    auto it = routes_.find(handle);
    if (it == routes_.end())
        return ft::INVALID_HANDLE;
    const Route r = it->second;
    routes_.erase(it);
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
