#include "PgsSim.h"

namespace zet::sim
{

namespace semiconductor
{
double millivolts(double level, double k)
{
    level = std::max(0.0, level);
    return kCleanAirMv + kSwingMv * level / (level + k);
}

double levelAt(double mV, double k)
{
    const double x = std::clamp((mV - kCleanAirMv) / kSwingMv, 0.0, 0.999);
    return k * x / (1.0 - x);
}

int adcFor(double mV)
{
    return int(std::clamp(std::lround(mV * kAdcFull / kFullScaleMv), 0l, long(kAdcFull)));
}

double millivoltsFor(int adc)
{
    return adc * kFullScaleMv / kAdcFull;
}
} // namespace semiconductor

namespace
{
constexpr std::array<double, 2> kHalfSwingLevel = {200.0, 120.0}; // methane, propane
// Factory thresholds: the converter value at these levels (hundredths of a percent).
constexpr std::array<double, 2> kFirstLevel = {20.0, 10.0};
constexpr std::array<double, 2> kSecondLevel = {50.0, 25.0};
} // namespace

PgsSim::PgsSim(uint64_t seed) : SimBlock(8, seed), m_wander(seed ^ 0x5A5A)
{
    m_saved = {defaults(0), defaults(1)};
    m_ram = m_saved;
}

PgsSim::Thresholds PgsSim::defaults(int gas)
{
    using namespace semiconductor;
    const double k = kHalfSwingLevel[size_t(gas)];
    return {int16_t(adcFor(millivolts(kFirstLevel[size_t(gas)], k))),
            int16_t(adcFor(millivolts(kSecondLevel[size_t(gas)], k)))};
}

double PgsSim::k() const
{
    return kHalfSwingLevel[size_t(m_gas)];
}

void PgsSim::powerUp()
{
    m_on = true;
    m_setup = false;
    m_gas = m_savedGas;
    m_ram = m_saved;
}

bool PgsSim::setLevel(double level)
{
    m_level = level;
    return true;
}

void PgsSim::advance(int ms)
{
    m_drift.advance(ms, m_rng);
    const Thresholds &t = m_ram[size_t(m_gas)];
    const double first = semiconductor::levelAt(semiconductor::millivoltsFor(t.first), k());
    const double second = semiconductor::levelAt(semiconductor::millivoltsFor(t.second), k());
    m_wander.setAlarmLevels(first, second, 3.0 * second);
    m_wander.advance(ms);
}

PgsSim::Sample PgsSim::sample()
{
    double mV = 0.0;
    if (m_on && !m_fault)
        mV = semiconductor::millivolts(m_level + m_wander.excess(), k()) + m_drift.value() +
             m_rng.noise(3.0);
    else if (m_on)
        mV = semiconductor::kFullScaleMv - std::abs(m_rng.noise(2.0)); // open heater
    else
        mV = std::abs(m_rng.noise(1.0));
    return {mV, semiconductor::adcFor(mV)};
}

uint8_t PgsSim::status(const Sample &s) const
{
    const Thresholds &t = m_ram[size_t(m_gas)];
    uint8_t st = 0;
    if (m_on)
        st |= kOn;
    if (m_gas == 1)
        st |= kPropane;
    if (t.first >= t.second)
        st |= kSettingsError;
    if (m_fault)
        st |= kSensorFault;
    if (m_on && !m_fault) {
        if (s.adc >= t.first)
            st |= kThreshold1;
        if (s.adc >= t.second)
            st |= kThreshold2;
    }
    if (m_setup)
        st |= kSetupMode;
    return st;
}

std::optional<Frame> PgsSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    Thresholds &t = m_ram[size_t(m_gas)];
    switch (code) {
    case 1:
        m_gas ^= 1;
        break;
    case 6:
        m_setup = true;
        break;
    case 7:
        m_saved = m_ram;
        m_savedGas = m_gas;
        m_setup = false;
        break;
    case 8:
        m_on = false;
        break;
    case 9: {
        m_on = true;
        const Sample s = sample();
        return versionReply(code, status(s), toUnsigned(4.0 * s.millivolts), 0, kVersion);
    }
    case 4:
    case 10:
    case 11: {
        // 11 takes threshold 1 and 10 threshold 2 from the converter value now present
        const Sample s = sample();
        if (code != 4 && m_on && !m_fault)
            (code == 11 ? t.first : t.second) = int16_t(s.adc);
        return reply(code, status(s), uint16_t(t.first), uint16_t(t.second));
    }
    case 16:
        m_ram = m_saved;
        m_gas = m_savedGas;
        m_setup = false;
        break;
    default:
        break;
    }
    const Sample s = sample();
    return reply(code, status(s), toUnsigned(4.0 * s.millivolts), toWord(s.adc));
}

} // namespace zet::sim
