#pragma once
// The two ticks that carry the conversation with the instrument. The transmit tick
// takes the next queued code, seals the request and writes it; the receive tick
// reads one whole reply when one is waiting, keeps the stream on frame boundaries,
// checks it, and hands a valid one to identification or to the active page.

#include "connection/Frame.h"
#include "connection/Session.h"

#include <optional>

class QObject;
class QTimer;

namespace zet {

// Where the receive tick delivers valid replies.
class ReplyHandler {
public:
    virtual ~ReplyHandler() = default;
    // The base unit's answer to the identification request.
    virtual void identificationReply(const Frame &reply) = 0;
    // Any other valid reply, once an instrument has been identified.
    virtual void moduleReply(const Frame &reply) = 0;
    // Writing or reading failed because the converter is gone (unplugged, hung up).
    virtual void linkLost() = 0;
};

// Watches the line without taking part: every frame written, and every frame read
// with whether it passed its check. For monitors and tests.
class LineObserver {
public:
    virtual ~LineObserver() = default;
    virtual void frameSent(const Frame &) {}
    virtual void frameRead(const Frame &, bool /*valid*/) {}
};

// What a window other than the main one may do to the poll cycle: stop and
// restart the ticks, and reach the request, the queue and the device type.
class PollControl {
public:
    virtual ~PollControl() = default;
    virtual void stop() = 0;
    // Both ticks from the start of a full period.
    virtual void start() = 0;
    virtual Session &session() = 0;
};

class PollCycle : public PollControl {
public:
    static constexpr int kTransmitPeriod = 350;
    static constexpr int kReceivePeriod = 100;

    // The timers are created as children of `timerParent`, named Timer1 and Timer2;
    // whoever owns them connects their timeouts to the ticks.
    PollCycle(Session &session, ReplyHandler &handler, QObject *timerParent);

    void transmitTick();
    void receiveTick();

    void stop() override;
    void start() override;
    Session &session() override { return session_; }
    // Receive tick alone, from start-up: nothing is read until bytes arrive.
    void listen();
    // A converter was just opened: nothing seen on the last one counts.
    void resetFraming() { oddCount_.reset(); }
    void setTransmitPeriod(int ms);
    void setObserver(LineObserver *observer) { observer_ = observer; }

    QTimer *transmitTimer() const { return transmit_; }
    QTimer *receiveTimer() const { return receive_; }

private:
    static bool gone(FtStatus status);
    // Reads one frame into the session's reply when a whole one is waiting; false
    // when the converter is gone.
    bool readFrame();

    Session &session_;
    ReplyHandler &handler_;
    QTimer *transmit_;
    QTimer *receive_;
    // Bytes waiting at the last receive tick when not a whole number of frames.
    std::optional<uint32_t> oddCount_;
    LineObserver *observer_ = nullptr;
};

} // namespace zet
