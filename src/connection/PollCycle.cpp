#include "connection/PollCycle.h"

#include <QTimer>

#include <algorithm>

namespace zet {

PollCycle::PollCycle(Session &session, ReplyHandler &handler, QObject *timerParent)
    : session_(session), handler_(handler), transmit_(new QTimer(timerParent)),
      receive_(new QTimer(timerParent))
{
    transmit_->setObjectName(QStringLiteral("Timer1"));
    transmit_->setInterval(kTransmitPeriod);
    receive_->setObjectName(QStringLiteral("Timer2"));
    receive_->setInterval(kReceivePeriod);
}

// A converter that was unplugged, or a port whose other side hung up.
bool PollCycle::gone(FtStatus status)
{
    return status == ft::IO_ERROR || status == ft::DEVICE_NOT_FOUND;
}

void PollCycle::transmitTick()
{
    D2XXUnit &link = session_.link;
    FtStatus status = ft::OK;
    {
        D2XXUnit::Silence quiet(link);
        uint8_t code = 0;
        if (session_.queue.take(code))
            session_.request()[1] = code;
        seal(session_.request());
        link.WriteFTDevice(kFrameSize);
        status = link.lastIoStatus;
        if (!observers_.empty() && status == ft::OK) {
            Frame sent;
            std::copy_n(session_.request(), kFrameSize, sent.begin());
            for (LineObserver *o : observers_)
                o->frameSent(sent);
        }
    }
    if (gone(status))
        handler_.linkLost();
}

bool PollCycle::readFrame()
{
    D2XXUnit &link = session_.link;
    D2XXUnit::Silence quiet(link);
    session_.replyValid = false;
    // A failed status query leaves the old count behind; read nothing then.
    const FtStatus queueStatus = link.GetFTQueueStatus();
    if (gone(queueStatus))
        return false;
    const bool statusOk = queueStatus == ft::OK;
    const uint32_t waiting = statusOk ? link.rxQueueBytes : 0;
    if (waiting % kFrameSize != 0) {
        // Replies come whole, so a count that is not a multiple of a frame means a
        // byte was lost or a stray one came in: the line is off frame boundaries.
        // Once such a count stays unchanged over a tick (nothing more is arriving),
        // drop it all so the next reply starts on a boundary again.
        if (oddCount_ == waiting) {
            link.PurgeFTReceive();
            oddCount_.reset();
        } else {
            oddCount_ = waiting;
        }
        return true;
    }
    oddCount_.reset();
    if (waiting < kFrameSize)
        return true;
    const uint32_t got = link.ReadFTDevice(kFrameSize);
    if (gone(link.lastIoStatus))
        return false;
    std::copy_n(link.received(), kFrameSize, session_.reply.begin());
    session_.replyValid = got == kFrameSize && checkOk(session_.reply);
    // A frame that fails its check means the stream has slipped: drop what is
    // waiting so the next reply starts on a frame boundary.
    if (got == kFrameSize)
        for (LineObserver *o : observers_)
            o->frameRead(session_.reply, session_.replyValid);
    if (!session_.replyValid)
        link.PurgeFTReceive();
    return true;
}

void PollCycle::receiveTick()
{
    // With no converter open there is nothing to ask the driver: the tick costs no more
    // than its timer event.
    if (session_.link.handle == 0) {
        session_.replyValid = false;
        return;
    }
    if (!readFrame()) {
        handler_.linkLost();
        return;
    }
    if (!session_.replyValid)
        return;
    const Frame reply = session_.reply;
    session_.lastValidReply = reply;
    session_.haveValidReply = true;
    if (reply[1] == cmd::Identify && reply[0] == 0) {
        handler_.identificationReply(reply);
        return;
    }
    // Before identification any other valid reply is a stray: keep asking.
    if (session_.deviceType >= 1 && session_.deviceType <= 10)
        handler_.moduleReply(reply);
}

void PollCycle::stop()
{
    transmit_->stop();
    receive_->stop();
}

void PollCycle::start()
{
    transmit_->start(kTransmitPeriod);
    receive_->start(kReceivePeriod);
}

void PollCycle::addObserver(LineObserver *observer)
{
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void PollCycle::removeObserver(LineObserver *observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void PollCycle::listen() { receive_->start(kReceivePeriod); }

void PollCycle::setTransmitPeriod(int ms)
{
    if (transmit_->interval() != ms)
        transmit_->setInterval(ms);
}

} // namespace zet
