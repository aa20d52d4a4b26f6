#include "BaseUnitSim.h"

#include <algorithm>
#include <iterator>

namespace zet::sim {

namespace {
// Slow battery cycle shown while wandering: a charging spell and a low-battery spell.
constexpr int kCycleMs = 150000;
constexpr int kChargingFrom = 40000, kChargingTo = 75000;
constexpr int kLowFrom = 100000, kLowTo = 120000;

// Supply current, hundredths of a milliampere.
constexpr double kIdleCurrent = 7200.0;
constexpr double kLedCurrent = 2400.0;
constexpr double kSoundCurrent = 1500.0;
constexpr double kChargingCurrent = -900.0; // the charger carries part of the load
} // namespace

BaseUnitSim::BaseUnitSim(int deviceType, uint16_t serialNumber, uint64_t seed)
    : SimBlock(block::Base, seed), deviceType_(deviceType), serial_(serialNumber)
{
    cycleOffsetMs_ = rng_.range(0, kCycleMs - 1);
}

void BaseUnitSim::powerUp()
{
    testMode_ = false;
    led_ = false;
    sound_ = false;
}

uint8_t BaseUnitSim::status1() const
{
    const int t = (cycleMs_ + cycleOffsetMs_) % kCycleMs;
    const bool charging = charging_ || (wander_ && t >= kChargingFrom && t < kChargingTo);
    const bool low = batteryLow_ || (wander_ && t >= kLowFrom && t < kLowTo);
    uint8_t s = 0;
    if (contactBroken_)
        s |= kBatteryContactBroken;
    if (charging)
        s |= kCharging;
    if (low)
        s |= kBatteryLow;
    if (testMode_)
        s |= kTestMode;
    return s;
}

uint8_t BaseUnitSim::status2() const
{
    const bool sensorLost = sensorLinkLost_ || socketEmpty();
    return uint8_t((sensorLost ? kNoSensorLink : 0) | (pumpLinkLost_ ? kNoPumpLink : 0));
}

bool BaseUnitSim::isSensorType(int code)
{
    static constexpr int kTypes[] = {1, 2, 3, 4, 7, 9, 10};
    return std::find(std::begin(kTypes), std::end(kTypes), code) != std::end(kTypes);
}

bool BaseUnitSim::socketEmpty() const
{
    return std::find(kEmptySockets.begin(), kEmptySockets.end(), socket_) != kEmptySockets.end();
}

// The bench sends the sensor type in byte 4 of a status request and of the
// identification request after it, and a socket channel in byte 2 of a status
// request. A type is taken only from that pair, so parameter bytes another page
// left behind in a lone status request do not change the instrument. Zero bytes
// change nothing: plain requests keep the present choice.
void BaseUnitSim::takeBench(const Frame &r)
{
    const uint8_t code = r[1];
    if (code != cmd::Status && code != cmd::Identify) {
        armedType_ = 0;
        return;
    }
    if (r[2] >= 1 && r[2] <= kSockets)
        socket_ = r[2];
    if (code == cmd::Status)
        armedType_ = isSensorType(r[4]) ? r[4] : 0;
    else if (r[4] != 0 && r[4] == armedType_)
        benchType_ = armedType_;
}

uint16_t BaseUnitSim::current()
{
    double c = kIdleCurrent + drift_.value() + rng_.noise(500.0);
    if (testMode_ && led_)
        c += kLedCurrent;
    if (testMode_ && sound_)
        c += kSoundCurrent;
    if (status1() & kCharging)
        c += kChargingCurrent;
    return toUnsigned(c);
}

void BaseUnitSim::advance(int ms)
{
    if (ms <= 0)
        return;
    drift_.advance(ms, rng_);
    cycleMs_ = (cycleMs_ + ms) % kCycleMs;
    clockMs_ += ms;
    clockSeconds_ += uint32_t(clockMs_ / 1000);
    clockMs_ %= 1000;
}

std::optional<Frame> BaseUnitSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    takeBench(r);
    switch (code) {
    case cmd::Identify: {
        Frame f{};
        f[0] = number();
        f[1] = code;
        f[2] = status1();
        f[3] = status2();
        f[4] = uint8_t(identifiedType());
        putU16(f.data(), 5, serial_);
        seal(f.data());
        return f;
    }
    case cmd::base::TestMode: // with its outputs: byte 3 LED, byte 4 sound
        testMode_ = true;
        led_ = r[3] == 0xFF;
        sound_ = (r[4] & 0x10) != 0;
        break;
    case cmd::base::WorkMode:
        testMode_ = false;
        led_ = false;
        sound_ = false;
        break;
    case cmd::base::Clock: {
        clockSeconds_ = uint32_t(r[3]) << 24 | uint32_t(r[4]) << 16 | uint32_t(r[5]) << 8 | r[6];
        clockMs_ = 0;
        Frame f{};
        f[0] = number();
        f[1] = code;
        f[2] = status1();
        f[3] = status2();
        seal(f.data());
        return f;
    }
    default:
        break;
    }
    Frame f{};
    f[0] = number();
    f[1] = code;
    f[2] = status1();
    f[3] = status2();
    putU16(f.data(), 5, current());
    seal(f.data());
    return f;
}

} // namespace zet::sim
