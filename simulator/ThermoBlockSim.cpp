#include "ThermoBlockSim.h"
#include "PgsSim.h"

namespace zet::sim
{

namespace
{
constexpr double kBridgeZero = 12500.0; // tenths of a millivolt in clean air
constexpr double kBridgeMax = 25000.0;
constexpr double kMinSpan = 50.0; // U gas must stand this far above U air

// Bridge response, tenths of a millivolt per hundredth of a percent.
double sensitivityOf(Gas gas)
{
    switch (gas) {
    case Gas::Methane:
        return 2.0;
    case Gas::Propane:
        return 3.0;
    case Gas::Hydrogen:
        return 2.4;
    }
    return 2.0;
}

double halfSwingOf(Gas gas)
{
    switch (gas) {
    case Gas::Methane:
        return 200.0;
    case Gas::Propane:
        return 120.0;
    case Gas::Hydrogen:
        return 80.0;
    }
    return 200.0;
}

uint8_t versionOf(uint8_t block)
{
    return block == 3 ? 0x13 : block == 20 ? 0x21 : 0x22;
}
} // namespace

ThermoBlockSim::ThermoBlockSim(uint8_t number, uint64_t seed)
    : SimBlock(number, seed), m_wander(seed ^ 0xA5A5)
{
    if (selectsGas())
        m_saved = {defaults(Gas::Methane), defaults(Gas::Propane)};
    else
        m_saved = {defaults(Gas::Hydrogen), defaults(Gas::Hydrogen)};
    m_ram = m_saved;
}

TksSettings ThermoBlockSim::defaults(Gas gas)
{
    int16_t cal = 250, t1 = 50, t2 = 100, off = 500;
    if (gas == Gas::Propane) {
        cal = 100, t1 = 20, t2 = 40, off = 200;
    } else if (gas == Gas::Hydrogen) {
        cal = 200, t1 = 40, t2 = 80, off = 400;
    }
    const auto uAir = int16_t(kBridgeZero);
    const auto uGas = int16_t(std::lround(kBridgeZero + sensitivityOf(gas) * cal));
    return {cal, t1, t2, off, uAir, uGas};
}

Gas ThermoBlockSim::gas() const
{
    if (!selectsGas())
        return Gas::Hydrogen;
    return m_gasIndex == 1 ? Gas::Propane : Gas::Methane;
}

uint8_t ThermoBlockSim::version() const
{
    return versionOf(number());
}

double ThermoBlockSim::sensitivity() const
{
    return sensitivityOf(gas());
}

double ThermoBlockSim::level() const
{
    return std::max(0.0, m_level + m_wander.excess());
}

void ThermoBlockSim::powerUp()
{
    m_on = true;
    m_setup = false;
    m_pgsOn = true;
    m_gasIndex = m_savedGasIndex;
    m_ram = m_saved;
}

bool ThermoBlockSim::setLevel(double level)
{
    m_level = level;
    return true;
}

void ThermoBlockSim::advance(int ms)
{
    m_drift.advance(ms, m_rng);
    m_pgsDrift.advance(ms, m_rng);
    const TksSettings &s = settings();
    m_wander.setAlarmLevels(s.threshold1, s.threshold2, s.switchOff);
    m_wander.advance(ms);
}

ThermoBlockSim::Sample ThermoBlockSim::sample()
{
    if (!m_on)
        return {std::abs(m_rng.noise(3.0)), 0.0};
    if (m_fault)
        return {kBridgeMax + 40000.0 + m_rng.noise(10.0), 0.0}; // open bridge: at the rail
    const double u = std::min(kBridgeMax, kBridgeZero + m_drift.value() + sensitivity() * level() +
                                              m_rng.noise(5.0));
    const TksSettings &s = settings();
    const double span = double(s.uGas) - s.uAir;
    const double c = span >= kMinSpan ? (u - s.uAir) * s.calGas / span : 0.0;
    return {u, c};
}

uint8_t ThermoBlockSim::status(const Sample &smp) const
{
    const TksSettings &s = settings();
    uint8_t st = 0;
    if (m_on)
        st |= kOn;
    if (gas() == Gas::Propane)
        st |= kPropane;
    const bool ordered =
        s.threshold1 > 0 && s.threshold1 <= s.threshold2 && s.threshold2 <= s.switchOff;
    if (double(s.uGas) - s.uAir < kMinSpan || s.calGas <= 0 || !ordered)
        st |= kSettingsError;
    if (m_fault)
        st |= kSensorFault;
    if (m_on && !m_fault) {
        const long c = std::lround(smp.concentration);
        if (c >= s.threshold1)
            st |= kThreshold1;
        if (c >= s.threshold2)
            st |= kThreshold2;
        if (c >= s.switchOff)
            st |= kSwitchOffThreshold;
    }
    if (m_setup)
        st |= kSetupMode;
    return st;
}

std::optional<Frame> ThermoBlockSim::handlePgsHalf(uint8_t code)
{
    if (code == kPgsOnCode)
        m_pgsOn = true;
    else if (code == kPgsOffCode)
        m_pgsOn = false;
    double mV = 0.0;
    if (m_pgsOn && m_pgsFault)
        mV = semiconductor::kFullScaleMv - std::abs(m_rng.noise(2.0));
    else if (m_pgsOn)
        mV = semiconductor::millivolts(level(), halfSwingOf(gas())) + m_pgsDrift.value() / 10.0 +
             m_rng.noise(2.0);
    else
        mV = std::abs(m_rng.noise(0.3));
    const uint8_t st = uint8_t((m_pgsOn ? kPgsOn : 0) | (m_pgsFault ? kPgsFault : 0));
    return reply(code, st, uint16_t(semiconductor::adcFor(mV)), toUnsigned(10.0 * mV));
}

std::optional<Frame> ThermoBlockSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    if (hasPgsHalf() && (code == kPgsOnCode || code == kPgsOffCode || code == kPgsStatusCode))
        return handlePgsHalf(code);

    TksSettings &s = m_ram[m_gasIndex];
    switch (code) {
    case 1:
        if (selectsGas())
            m_gasIndex ^= 1;
        break;
    case 2:
        return reply(code, status(sample()), uint16_t(s.uAir), uint16_t(s.uGas));
    case 3:
        return reply(code, status(sample()), uint16_t(s.calGas), uint16_t(s.threshold1));
    case 4:
        return reply(code, status(sample()), uint16_t(s.threshold2), uint16_t(s.switchOff));
    case 5: { // zero adjustment keeps the span
        const Sample smp = sample();
        if (m_on && !m_fault) {
            const auto shift = int(std::lround(smp.voltage)) - s.uAir;
            s.uAir = int16_t(s.uAir + shift);
            s.uGas = int16_t(std::clamp(s.uGas + shift, -32768, 32767));
        }
        break;
    }
    case 6:
        m_setup = true;
        break;
    case 7:
        m_saved = m_ram;
        m_savedGasIndex = m_gasIndex;
        m_setup = false;
        break;
    case 8:
        m_on = false;
        break;
    case 9: {
        m_on = true;
        const Sample smp = sample();
        return versionReply(code, status(smp), toWord(smp.concentration), 0, version());
    }
    case 10:
        s.calGas = paramA(r);
        s.threshold1 = paramB(r);
        return reply(code, status(sample()), uint16_t(s.calGas), uint16_t(s.threshold1));
    case 11:
        s.threshold2 = paramA(r);
        s.switchOff = paramB(r);
        return reply(code, status(sample()), uint16_t(s.threshold2), uint16_t(s.switchOff));
    case 14:
    case 15: { // take the present voltage as U gas (14) or U air (15)
        const Sample smp = sample();
        if (m_on && !m_fault)
            (code == 14 ? s.uGas : s.uAir) = toWord(smp.voltage);
        break;
    }
    case 16:
        m_ram = m_saved;
        m_gasIndex = m_savedGasIndex;
        m_setup = false;
        break;
    default:
        break;
    }
    const Sample smp = sample();
    return reply(code, status(smp), toWord(smp.concentration), toUnsigned(smp.voltage));
}

} // namespace zet::sim
