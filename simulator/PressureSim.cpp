#include "PressureSim.h"

namespace zet::sim {

namespace {
constexpr double kZeroVoltage = 3000.0; // tenths of a millivolt at zero pressure
constexpr double kGain = 10.0;          // tenths of a millivolt per hundredth of a kPa
constexpr double kMaxVoltage = 32000.0;
constexpr double kMinSpan = 100.0;
} // namespace

PressureSim::PressureSim(uint64_t seed)
    : SensorBlockSim(block::Pressure, seed, seed ^ 0x3C3C, Drift{40.0, 2.0}, {defaults()})
{
}

PressureSettings PressureSim::defaults()
{
    const int16_t cal = 1800;
    return {cal, 2000, int16_t(kZeroVoltage), int16_t(kZeroVoltage + kGain * cal)};
}

PressureSim::AlarmLevels PressureSim::alarmLevels() const
{
    const double t = settings().rangeThreshold;
    return {0.4 * t, 0.8 * t, t};
}

PressureSim::Sample PressureSim::sample()
{
    if (!on())
        return {std::abs(rng_.noise(3.0)), 0.0};
    if (faulty())
        return {std::abs(rng_.noise(3.0)), 0.0}; // broken bridge: nothing at the output
    const PressureSettings &s = settings();
    const double u =
        std::clamp(kZeroVoltage + drift() + kGain * levelNow() + rng_.noise(4.0), 0.0, kMaxVoltage);
    const double span = double(s.uCal) - s.uZero;
    const double measured = span >= kMinSpan ? (u - s.uZero) * s.calPressure / span : 0.0;
    return {u, measured};
}

uint8_t PressureSim::status(const Sample &smp) const
{
    const PressureSettings &s = settings();
    uint8_t st = commonStatus();
    if (double(s.uCal) - s.uZero < kMinSpan || s.calPressure <= 0 || s.rangeThreshold <= 0)
        st |= kSettingsError;
    if (measuring() && std::lround(smp.pressure) > s.rangeThreshold)
        st |= kOverRange;
    return st;
}

PressureSim::Reading PressureSim::measure()
{
    const Sample s = sample();
    return {status(s), toWord(s.pressure), toUnsigned(s.voltage)};
}

std::optional<Frame> PressureSim::command(const Frame &r)
{
    const uint8_t code = r[1];
    PressureSettings &s = working();
    switch (code) {
    case cmd::sensor::ReadVoltages:
        return settingsReply(code, s.uZero, s.uCal);
    case cmd::sensor::ReadCalibration:
        return settingsReply(code, s.calPressure, s.rangeThreshold);
    case cmd::sensor::AdjustZero:
    case cmd::sensor::TakeGasVoltage:
    case cmd::sensor::TakeAirVoltage:
        takeVoltage(code, sample().voltage, s.uZero, s.uCal);
        break;
    case cmd::sensor::SetFirst:
        return setPair(r, s.calPressure, s.rangeThreshold);
    default:
        break;
    }
    return std::nullopt;
}

} // namespace zet::sim
