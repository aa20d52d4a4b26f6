#include "PgsSim.h"

namespace zet::sim {

namespace semiconductor {
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

double millivoltsFor(int adc) { return adc * kFullScaleMv / kAdcFull; }
} // namespace semiconductor

namespace {
constexpr std::array<double, 2> kHalfSwingLevel = {200.0, 120.0}; // methane, propane
// Factory thresholds: the converter value at these levels (hundredths of a percent).
constexpr std::array<double, 2> kFirstLevel = {20.0, 10.0};
constexpr std::array<double, 2> kSecondLevel = {50.0, 25.0};
} // namespace

PgsSim::PgsSim(uint64_t seed)
    : SensorBlockSim(block::Pgs, seed, seed ^ 0x5A5A, Drift{30.0, 1.5}, {defaults(0), defaults(1)})
{
}

PgsSim::Thresholds PgsSim::defaults(int gas)
{
    using namespace semiconductor;
    const double k = kHalfSwingLevel[size_t(gas)];
    return {int16_t(adcFor(millivolts(kFirstLevel[size_t(gas)], k))),
            int16_t(adcFor(millivolts(kSecondLevel[size_t(gas)], k)))};
}

double PgsSim::k() const { return kHalfSwingLevel[gasIndex()]; }

PgsSim::AlarmLevels PgsSim::alarmLevels() const
{
    const Thresholds &t = settings();
    const double first = semiconductor::levelAt(semiconductor::millivoltsFor(t.first), k());
    const double second = semiconductor::levelAt(semiconductor::millivoltsFor(t.second), k());
    return {first, second, 3.0 * second};
}

PgsSim::Sample PgsSim::sample()
{
    double mV = 0.0;
    if (measuring())
        mV = semiconductor::millivolts(levelNow(), k()) + drift() + rng_.noise(3.0);
    else if (on())
        mV = semiconductor::kFullScaleMv - std::abs(rng_.noise(2.0)); // open heater
    else
        mV = std::abs(rng_.noise(1.0));
    return {mV, semiconductor::adcFor(mV)};
}

uint8_t PgsSim::status(const Sample &s) const
{
    const Thresholds &t = settings();
    uint8_t st = commonStatus();
    if (t.first >= t.second)
        st |= kSettingsError;
    if (faulty())
        st |= kSensorFault;
    if (measuring())
        st |= thresholdBits(s.adc, {t.first, t.second});
    return st;
}

PgsSim::Reading PgsSim::measure()
{
    const Sample s = sample();
    return {status(s), toUnsigned(4.0 * s.millivolts), toWord(s.adc)};
}

std::optional<Frame> PgsSim::command(const Frame &r)
{
    const uint8_t code = r[1];
    using namespace cmd::sensor;
    if (code != ReadThresholds && code != SetFirst && code != SetSecond)
        return std::nullopt;
    // SetSecond takes threshold 1 and SetFirst threshold 2 from the converter value now present
    Thresholds &t = working();
    const Sample s = sample();
    if (code != ReadThresholds && measuring())
        (code == SetSecond ? t.first : t.second) = int16_t(s.adc);
    return reply(code, status(s), uint16_t(t.first), uint16_t(t.second));
}

} // namespace zet::sim
