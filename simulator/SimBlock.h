#pragma once
// One block of the simulated instrument behind its module address. A block
// answers every request addressed to it with a reply that repeats the command
// code; what it keeps and reports is up to the block family.

#include "Rng.h"
#include "connection/Frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace zet::sim {

class SimBlock {
public:
    SimBlock(uint8_t number, uint64_t seed) : rng_(seed), number_(number) {}
    virtual ~SimBlock() = default;
    SimBlock(const SimBlock &) = delete;
    SimBlock &operator=(const SimBlock &) = delete;

    uint8_t number() const { return number_; }

    // The reply to one valid request addressed to this block; nullopt = silent.
    virtual std::optional<Frame> handle(const Frame &request) = 0;
    // Time passes: drift and slow changes.
    virtual void advance(int ms) { (void)ms; }
    // Power-up: working settings from the saved copy, transient state reset.
    virtual void powerUp() {}
    // Let the measured quantity (and slow flags) wander by themselves.
    virtual void setWander(bool on) { (void)on; }
    // Gas level or pressure at the sensor in the unit of the block's reading:
    // hundredths of a percent (thermocatalytic, semiconductor, optical), tenths of
    // a percent (oxygen), mg/m3 (carbon monoxide, hydrogen sulphide), hundredths of
    // a kPa (pressure); false when the block measures nothing of the kind.
    virtual bool setLevel(double level)
    {
        (void)level;
        return false;
    }

protected:
    Frame reply(uint8_t code, uint8_t status, uint16_t first, uint16_t second) const
    {
        Frame f{};
        f[0] = number_;
        f[1] = code;
        f[2] = status;
        putU16(f.data(), 3, first);
        putU16(f.data(), 5, second);
        seal(f.data());
        return f;
    }
    // Firmware-version layout: byte 6 carries the version, bytes 3 to 5 stay free.
    Frame versionReply(uint8_t code, uint8_t status, uint16_t first, uint8_t byte5,
                       uint8_t version) const
    {
        Frame f{};
        f[0] = number_;
        f[1] = code;
        f[2] = status;
        putU16(f.data(), 3, first);
        f[5] = byte5;
        f[6] = version;
        seal(f.data());
        return f;
    }

    static uint16_t toWord(double v)
    {
        return uint16_t(int16_t(std::clamp(std::lround(v), -32768l, 32767l)));
    }
    static uint16_t toUnsigned(double v)
    {
        return uint16_t(std::clamp(std::lround(v), 0l, 65535l));
    }
    static int16_t paramA(const Frame &r) { return s16(r, 3); }
    static int16_t paramB(const Frame &r) { return s16(r, 5); }

    Rng rng_;

private:
    uint8_t number_;
};

} // namespace zet::sim
