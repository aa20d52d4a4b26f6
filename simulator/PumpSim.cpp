#include "PumpSim.h"

namespace zet::sim {

namespace {
constexpr double kCentre = 2048.0;          // position sensor at rest
constexpr double kStrokePerAmplitude = 5.5; // position-sensor half-span per amplitude unit
} // namespace

PumpSim::PumpSim(uint64_t seed) : SimBlock(block::Pump, seed) {}

void PumpSim::powerUp()
{
    running_ = true;
    setup_ = false;
    frequency_ = savedFrequency_;
    amplitude_ = savedAmplitude_;
}

void PumpSim::advance(int ms) { centreDrift_.advance(ms, rng_); }

uint8_t PumpSim::status() const
{
    return uint8_t((running_ ? kRunning : 0) | (defaults_ ? kDefaultSettings : 0) |
                   (setup_ ? kSetupMode : 0));
}

uint16_t PumpSim::coilCurrent()
{
    if (!running_)
        return 0;
    // About 0.28 mA per amplitude unit, a little more away from resonance.
    const double detune = 1.0 + 0.004 * std::abs(frequency_ - kDefaultFrequency);
    const double mA = 0.28 * amplitude_ * detune + rng_.noise(0.8);
    return toUnsigned(2.0 * mA);
}

std::optional<Frame> PumpSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    switch (code) {
    case cmd::pump::On:
        running_ = true;
        return versionReply(code, status(), coilCurrent(), uint8_t(amplitude_), kVersion);
    case cmd::pump::Off:
        running_ = false;
        break;
    case cmd::pump::Setup:
        setup_ = true;
        break;
    case cmd::pump::Save:
        savedFrequency_ = frequency_;
        savedAmplitude_ = amplitude_;
        defaults_ = false;
        setup_ = false;
        break;
    case cmd::pump::FrequencyUp:
        frequency_ = std::min(frequency_ + 1, kMaxFrequency);
        break;
    case cmd::pump::FrequencyDown:
        frequency_ = std::max(frequency_ - 1, kMinFrequency);
        break;
    case cmd::pump::AmplitudeUp:
        amplitude_ = std::min(amplitude_ + 1, kMaxAmplitude);
        break;
    case cmd::pump::AmplitudeDown:
        amplitude_ = std::max(amplitude_ - 1, kMinAmplitude);
        break;
    case cmd::pump::ReadPosition: {
        const double half = running_ ? kStrokePerAmplitude * amplitude_ + rng_.noise(6.0)
                                     : std::abs(rng_.noise(3.0));
        const double centre = kCentre + centreDrift_.value();
        return reply(code, status(), toUnsigned(centre + half), toUnsigned(centre - half));
    }
    default:
        break;
    }
    Frame f = reply(code, status(), coilCurrent(), 0);
    f[5] = uint8_t(amplitude_);
    f[6] = uint8_t(frequency_);
    seal(f.data());
    return f;
}

} // namespace zet::sim
