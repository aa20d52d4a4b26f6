#pragma once
// Requests to the simulated instrument as the tool sends them, and the reply
// checks every answer must pass.

#include "Instrument.h"
#include "connection/Frame.h"

#include <gtest/gtest.h>

namespace zet::test {

inline Frame request(uint8_t address, uint8_t code, uint8_t p2 = 0, uint8_t p3 = 0, uint8_t p4 = 0,
                     uint8_t p5 = 0, uint8_t p6 = 0)
{
    Frame f{};
    setRequest(f.data(), address, code, p2, p3, p4, p5, p6);
    seal(f.data());
    return f;
}

// Request carrying two 16-bit values in bytes 3-4 and 5-6.
inline Frame request16(uint8_t address, uint8_t code, int first, int second)
{
    Frame f{};
    setRequest(f.data(), address, code);
    putU16(f.data(), 3, uint16_t(first));
    putU16(f.data(), 5, uint16_t(second));
    seal(f.data());
    return f;
}

// Sends a request that must be answered and checks the common reply layout.
inline Frame ask(sim::Instrument &in, const Frame &req)
{
    const auto reply = in.handle(req);
    EXPECT_TRUE(reply.has_value()) << "no reply to code " << int(req[1]);
    if (!reply)
        return Frame{};
    EXPECT_EQ((*reply)[0], req[0] & 0x7F);
    EXPECT_EQ((*reply)[1], req[1]);
    EXPECT_TRUE(checkOk(*reply));
    return *reply;
}

inline Frame ask(sim::Instrument &in, uint8_t block, uint8_t code)
{
    return ask(in, request(moduleAddress(block), code));
}

inline Frame ask16(sim::Instrument &in, uint8_t block, uint8_t code, int first, int second)
{
    return ask(in, request16(moduleAddress(block), code, first, second));
}

} // namespace zet::test
