#include "ThermoBlockSim.h"
#include "PgsSim.h"

namespace zet::sim {

namespace {
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

uint8_t versionOf(uint8_t number)
{
    return number == block::Tks ? 0x13 : number == block::TksPgs ? 0x21 : 0x22;
}
} // namespace

ThermoBlockSim::ThermoBlockSim(uint8_t number, uint64_t seed)
    : SensorBlockSim(number, seed, seed ^ 0xA5A5, Drift{60.0, 3.0}, factorySettings(number))
{
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

std::array<TksSettings, 2> ThermoBlockSim::factorySettings(uint8_t number)
{
    if (number == block::TksPgsH2)
        return {defaults(Gas::Hydrogen), defaults(Gas::Hydrogen)};
    return {defaults(Gas::Methane), defaults(Gas::Propane)};
}

Gas ThermoBlockSim::gas() const
{
    if (!selectsGas())
        return Gas::Hydrogen;
    return gasIndex() == 1 ? Gas::Propane : Gas::Methane;
}

uint8_t ThermoBlockSim::version() const { return versionOf(number()); }

double ThermoBlockSim::sensitivity() const { return sensitivityOf(gas()); }

double ThermoBlockSim::level() const { return std::max(0.0, levelNow()); }

void ThermoBlockSim::powerUp()
{
    SensorBlockSim::powerUp();
    pgsOn_ = true;
}

void ThermoBlockSim::advance(int ms)
{
    SensorBlockSim::advance(ms);
    pgsDrift_.advance(ms, rng_);
}

ThermoBlockSim::AlarmLevels ThermoBlockSim::alarmLevels() const
{
    const TksSettings &s = settings();
    return {double(s.threshold1), double(s.threshold2), double(s.switchOff)};
}

ThermoBlockSim::Sample ThermoBlockSim::sample()
{
    if (!on())
        return {std::abs(rng_.noise(3.0)), 0.0};
    if (faulty())
        return {kBridgeMax + 40000.0 + rng_.noise(10.0), 0.0}; // open bridge: at the rail
    const double u =
        std::min(kBridgeMax, kBridgeZero + drift() + sensitivity() * level() + rng_.noise(5.0));
    const TksSettings &s = settings();
    const double span = double(s.uGas) - s.uAir;
    const double c = span >= kMinSpan ? (u - s.uAir) * s.calGas / span : 0.0;
    return {u, c};
}

uint8_t ThermoBlockSim::status(const Sample &smp) const
{
    const TksSettings &s = settings();
    uint8_t st = commonStatus();
    if (double(s.uGas) - s.uAir < kMinSpan || s.calGas <= 0 ||
        !ordered(s.threshold1, s.threshold2, s.switchOff))
        st |= kSettingsError;
    if (faulty())
        st |= kSensorFault;
    if (measuring())
        st |= thresholdBits(std::lround(smp.concentration),
                            {s.threshold1, s.threshold2, s.switchOff});
    return st;
}

ThermoBlockSim::Reading ThermoBlockSim::measure()
{
    const Sample smp = sample();
    return {status(smp), toWord(smp.concentration), toUnsigned(smp.voltage)};
}

std::optional<Frame> ThermoBlockSim::handlePgsHalf(uint8_t code)
{
    if (code == cmd::sensor::PgsOn)
        pgsOn_ = true;
    else if (code == cmd::sensor::PgsOff)
        pgsOn_ = false;
    double mV = 0.0;
    if (pgsOn_ && pgsFault_)
        mV = semiconductor::kFullScaleMv - std::abs(rng_.noise(2.0));
    else if (pgsOn_)
        mV = semiconductor::millivolts(level(), halfSwingOf(gas())) + pgsDrift_.value() / 10.0 +
             rng_.noise(2.0);
    else
        mV = std::abs(rng_.noise(0.3));
    const uint8_t st = uint8_t((pgsOn_ ? kPgsOn : 0) | (pgsFault_ ? kPgsFault : 0));
    return reply(code, st, uint16_t(semiconductor::adcFor(mV)), toUnsigned(10.0 * mV));
}

std::optional<Frame> ThermoBlockSim::command(const Frame &r)
{
    const uint8_t code = r[1];
    if (hasPgsHalf() && (code == cmd::sensor::PgsOn || code == cmd::sensor::PgsOff ||
                         code == cmd::sensor::PgsStatus))
        return handlePgsHalf(code);

    TksSettings &s = working();
    switch (code) {
    case cmd::sensor::ReadVoltages:
        return settingsReply(code, s.uAir, s.uGas);
    case cmd::sensor::ReadCalibration:
        return settingsReply(code, s.calGas, s.threshold1);
    case cmd::sensor::ReadThresholds:
        return settingsReply(code, s.threshold2, s.switchOff);
    case cmd::sensor::AdjustZero:
    case cmd::sensor::TakeGasVoltage:
    case cmd::sensor::TakeAirVoltage:
        takeVoltage(code, sample().voltage, s.uAir, s.uGas);
        break;
    case cmd::sensor::SetFirst:
        return setPair(r, s.calGas, s.threshold1);
    case cmd::sensor::SetSecond:
        return setPair(r, s.threshold2, s.switchOff);
    default:
        break;
    }
    return std::nullopt;
}

} // namespace zet::sim
