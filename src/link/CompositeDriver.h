#pragma once
// Several converter drivers shown as one: real converters, command-line ports and the
// simulated converter appear in a single list, and each open handle is routed back to
// the driver that opened it.

#include "link/FtDriver.h"

#include <map>
#include <memory>
#include <vector>

namespace zet {

class CompositeDriver : public FtDriver {
public:
    // Drivers are listed in the order they were added.
    void add(std::unique_ptr<FtDriver> backend);

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

private:
    struct Route {
        FtDriver *backend;
        FtHandle inner;
    };

    void countAll();
    const Route *route(FtHandle handle) const;
    // Calls a per-device operation on the backend that owns the handle, with its own handle.
    template <typename... Params, typename... Args>
    FtStatus forward(FtHandle handle, FtStatus (FtDriver::*call)(FtHandle, Params...),
                     Args... args) const
    {
        const Route *r = route(handle);
        if (!r)
            return ft::INVALID_HANDLE;
        return (r->backend->*call)(r->inner, args...);
    }

    std::vector<std::unique_ptr<FtDriver>> backends_;
    std::vector<uint32_t> counts_; // per backend, from the last count query
    bool counted_ = false;
    std::map<FtHandle, Route> routes_;
    FtHandle nextHandle_ = 1;
    OpenFailureInfo lastOpenFailure_;
};

} // namespace zet
