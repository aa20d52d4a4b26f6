#pragma once
// Connection state shared by the window, the ticks and the pages: the request
// frame (inside the link's transmit buffer), the last reply, the command queue
// and the identified device type.

#include "connection/CommandQueue.h"
#include "connection/Frame.h"
#include "link/D2XXUnit.h"

#include <QString>

#include <span>

namespace zet {

struct Session {
    explicit Session(D2XXUnit &l) : link(l) {}

    D2XXUnit &link;

    Frame reply{};           // last 8 bytes read, valid or not
    bool replyValid = false; // the reply frame passed its check
    Frame lastValidReply{};  // most recent reply that passed its check
    bool haveValidReply = false;

    uint8_t deviceType = 0; // 0 until identified; kept across close and reopen
    bool deviceOpen = false;
    bool amplitudeStepping = false; // the pump steps its amplitude on each answer
    CommandQueue queue;

    QString selectedSerial;
    QString selectedDescription;

    uint8_t *request() { return link.request(); }
    void setRequest(uint8_t address, uint8_t code, uint8_t p2 = 0, uint8_t p3 = 0, uint8_t p4 = 0,
                    uint8_t p5 = 0, uint8_t p6 = 0)
    {
        zet::setRequest(request(), address, code, p2, p3, p4, p5, p6);
    }
    void statusRequest(uint8_t address) { setRequest(address, cmd::Status); }
    // Address and code only; parameters keep what they hold.
    void directCommand(uint8_t address, uint8_t code)
    {
        request()[0] = address;
        request()[1] = code;
    }
    void queueCommands(uint8_t address, std::initializer_list<uint8_t> codes)
    {
        request()[0] = address;
        queue.load(codes);
    }
    void queueCommands(uint8_t address, std::span<const uint8_t> codes)
    {
        request()[0] = address;
        queue.load(codes);
    }
};

} // namespace zet
