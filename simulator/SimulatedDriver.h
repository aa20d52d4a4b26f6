#pragma once
// A converter driver with the simulated instrument behind it: one converter row
// that says plainly it is a simulator, D2XX semantics for listing, opening and the
// queue, and replies that become readable a little while after the request, by
// the clock it is given.

#include "FaultInjector.h"
#include "FrameAssembler.h"
#include "Instrument.h"
#include "link/FtDriver.h"

#include <QElapsedTimer>

#include <deque>
#include <functional>
#include <string>

namespace zet::sim {

class SimulatedDriver : public FtDriver {
public:
    // clockMs: milliseconds from any fixed origin; a monotonic timer when empty.
    explicit SimulatedDriver(int deviceType, std::function<qint64()> clockMs = {},
                             uint32_t seed = 1);

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

    // UTF-8 texts of the converter row.
    const std::string &description() const { return description_; }
    const std::string &serialNumber() const { return serial_; }

    Instrument &instrument() { return instrument_; }
    FaultPlan &faults() { return faults_.plan(); }
    // Sees every reply of the instrument and the bytes the line turned it into
    // (empty: dropped), for tests that follow faults.
    using ReplyWatch = std::function<void(const Frame &reply, const std::vector<uint8_t> &onLine)>;
    void watchReplies(ReplyWatch watch) { replyWatch_ = std::move(watch); }
    // Time from a request to its reply, drawn evenly from [minMs, maxMs].
    void setReplyDelay(int minMs, int maxMs);
    bool isOpen() const { return handle_ != 0; }
    uint32_t baudRate() const { return baud_; }

private:
    struct Pending {
        qint64 dueMs;
        std::vector<uint8_t> bytes;
    };
    qint64 now() const;
    bool valid(FtHandle handle) const { return handle != 0 && handle == handle_; }
    void release();
    void dropReceived();

    std::function<qint64()> clock_;
    ReplyWatch replyWatch_;
    QElapsedTimer timer_;
    Instrument instrument_;
    FaultInjector faults_;
    FrameAssembler assembler_;
    Rng delayRng_;
    std::string description_;
    std::string serial_;

    FtHandle handle_ = 0;
    uint32_t opens_ = 0;
    uint32_t baud_ = 9600;
    int minDelayMs_ = 10;
    int maxDelayMs_ = 40;
    qint64 lastAdvanceMs_ = 0;
    qint64 lastDueMs_ = 0;
    std::deque<Pending> pending_;
    std::deque<uint8_t> ready_;
};

} // namespace zet::sim
