#include "PressureSim.h"

namespace zet::sim
{

namespace
{
constexpr double kZeroVoltage = 3000.0; // tenths of a millivolt at zero pressure
constexpr double kGain = 10.0;          // tenths of a millivolt per hundredth of a kPa
constexpr double kMaxVoltage = 32000.0;
constexpr double kMinSpan = 100.0;
} // namespace

PressureSim::PressureSim(uint64_t seed)
    : SimBlock(17, seed), m_wander(seed ^ 0x3C3C), m_ram(defaults()), m_saved(defaults())
{
}

PressureSettings PressureSim::defaults()
{
    const int16_t cal = 1800;
    return {cal, 2000, int16_t(kZeroVoltage), int16_t(kZeroVoltage + kGain * cal)};
}

void PressureSim::powerUp()
{
    m_on = true;
    m_setup = false;
    m_ram = m_saved;
}

bool PressureSim::setLevel(double pressure)
{
    m_pressure = pressure;
    return true;
}

void PressureSim::advance(int ms)
{
    m_drift.advance(ms, m_rng);
    const double t = m_ram.rangeThreshold;
    m_wander.setAlarmLevels(0.4 * t, 0.8 * t, t);
    m_wander.advance(ms);
}

PressureSim::Sample PressureSim::sample()
{
    if (!m_on)
        return {std::abs(m_rng.noise(3.0)), 0.0};
    if (m_fault)
        return {std::abs(m_rng.noise(3.0)), 0.0}; // broken bridge: nothing at the output
    const double p = m_pressure + m_wander.excess();
    const double u =
        std::clamp(kZeroVoltage + m_drift.value() + kGain * p + m_rng.noise(4.0), 0.0, kMaxVoltage);
    const double span = double(m_ram.uCal) - m_ram.uZero;
    const double measured = span >= kMinSpan ? (u - m_ram.uZero) * m_ram.calPressure / span : 0.0;
    return {u, measured};
}

uint8_t PressureSim::status(const Sample &s) const
{
    uint8_t st = 0;
    if (m_on)
        st |= kOn;
    if (double(m_ram.uCal) - m_ram.uZero < kMinSpan || m_ram.calPressure <= 0 ||
        m_ram.rangeThreshold <= 0)
        st |= kSettingsError;
    if (m_on && !m_fault && std::lround(s.pressure) > m_ram.rangeThreshold)
        st |= kOverRange;
    if (m_setup)
        st |= kSetupMode;
    return st;
}

std::optional<Frame> PressureSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    switch (code) {
    case 2:
        return reply(code, status(sample()), uint16_t(m_ram.uZero), uint16_t(m_ram.uCal));
    case 3:
        return reply(code, status(sample()), uint16_t(m_ram.calPressure),
                     uint16_t(m_ram.rangeThreshold));
    case 5: { // zero adjustment keeps the span
        const Sample s = sample();
        if (m_on && !m_fault) {
            const int shift = int(std::lround(s.voltage)) - m_ram.uZero;
            m_ram.uZero = int16_t(m_ram.uZero + shift);
            m_ram.uCal = int16_t(std::clamp(m_ram.uCal + shift, -32768, 32767));
        }
        break;
    }
    case 6:
        m_setup = true;
        break;
    case 7:
        m_saved = m_ram;
        m_setup = false;
        break;
    case 8:
        m_on = false;
        break;
    case 9: {
        m_on = true;
        const Sample s = sample();
        return versionReply(code, status(s), toWord(s.pressure), 0, kVersion);
    }
    case 10:
        m_ram.calPressure = paramA(r);
        m_ram.rangeThreshold = paramB(r);
        return reply(code, status(sample()), uint16_t(m_ram.calPressure),
                     uint16_t(m_ram.rangeThreshold));
    case 14:
    case 15: { // present voltage as the calibration (14) or zero (15) voltage
        const Sample s = sample();
        if (m_on && !m_fault)
            (code == 14 ? m_ram.uCal : m_ram.uZero) = toWord(s.voltage);
        break;
    }
    case 16:
        m_ram = m_saved;
        m_setup = false;
        break;
    default:
        break;
    }
    const Sample s = sample();
    return reply(code, status(s), toWord(s.pressure), toUnsigned(s.voltage));
}

} // namespace zet::sim
