#include "OpticalBlockSim.h"

#include <bit>

namespace zet::sim {

namespace {
using D = OpticalDiagnostics;

// Methane 100 %: detector 1 calibrated low, detector 2 high in the range. The others
// carry one detector. Factory gases and thresholds are the pages' defaults.
constexpr OpticalModel kModels[] = {
    {.block = block::OpticMethane100,
     .version = 0x24,
     .detectors = 2,
     .floatVoltages = false,
     .diagnostics = D::FlagsAndState,
     .cleanSignal = 12000.0,
     .depth = 0.60,
     .scale = 4000.0,
     .splitLevel = 1000,
     .calGas = {480, 4950},
     .threshold = {50, 100, 500}},
    {.block = block::OpticMethane5,
     .version = 0x15,
     .detectors = 1,
     .floatVoltages = true,
     .diagnostics = D::None,
     .cleanSignal = 2000.0,
     .depth = 0.40,
     .scale = 3000.0,
     .splitLevel = 32767,
     .calGas = {480, 0},
     .threshold = {50, 100, 500}},
    {.block = block::OpticCo2,
     .version = 0x21,
     .detectors = 1,
     .floatVoltages = false,
     .diagnostics = D::Flags,
     .cleanSignal = 11000.0,
     .depth = 0.60,
     .scale = 1500.0,
     .splitLevel = 32767,
     .calGas = {245, 0},
     .threshold = {50, 100, 250}},
    {.block = block::OpticPropane,
     .version = 0x12,
     .detectors = 1,
     .floatVoltages = false,
     .diagnostics = D::Flags,
     .cleanSignal = 10000.0,
     .depth = 0.50,
     .scale = 1500.0,
     .splitLevel = 32767,
     .calGas = {100, 0},
     .threshold = {20, 40, 200}},
};

constexpr double kMinAbsorbance = 0.005; // a gas point must stand this far below the zero
constexpr double kNoise = 0.0005;        // share of the clean-air signal
constexpr double kFaultyLight = 0.12;    // share of the light left with a failed source
constexpr double kMinCelsius = -40.0, kMaxCelsius = 60.0;
constexpr int kHoldMs = 5000;
constexpr int kSharpHoldMs = 3000;
constexpr int kWarmingFromMs = 120000, kZeroSearchFromMs = 180000;
} // namespace

std::span<const OpticalModel> OpticalBlockSim::models() { return kModels; }

const OpticalModel *OpticalBlockSim::model(int block)
{
    for (const auto &m : kModels)
        if (m.block == block)
            return &m;
    return nullptr;
}

double OpticalBlockSim::signalAt(const OpticalModel &m, double level)
{
    return m.cleanSignal * (1.0 - m.depth * (1.0 - std::exp(-std::max(0.0, level) / m.scale)));
}

OpticalSettings OpticalBlockSim::factorySettings(const OpticalModel &m)
{
    OpticalSettings s{m.calGas, m.threshold, int16_t(std::lround(m.cleanSignal)), {0, 0}};
    for (int d = 0; d < m.detectors; ++d)
        s.uGas[size_t(d)] = int16_t(std::lround(signalAt(m, m.calGas[size_t(d)])));
    return s;
}

OpticalBlockSim::OpticalBlockSim(const OpticalModel &model, uint64_t seed)
    : SensorBlockSim(model.block, seed, seed ^ 0x0F0F,
                     Drift{0.001 * model.cleanSignal, 0.0002 * model.cleanSignal},
                     {factorySettings(model)}),
      model_(model)
{
}

void OpticalBlockSim::setLinkErrors(double probability, uint8_t code)
{
    linkErrors_ = probability;
    linkErrorCode_ = code;
}

void OpticalBlockSim::powerUp()
{
    SensorBlockSim::powerUp();
    selfTestMs_ = kSelfTestMs;
    holdMs_ = 0;
    sharpMs_ = 0;
}

void OpticalBlockSim::setWander(bool on)
{
    SensorBlockSim::setWander(on);
    ambient_.setSwing(on);
}

void OpticalBlockSim::advance(int ms)
{
    SensorBlockSim::advance(ms);
    ambient_.advance(ms, rng_);
    if (ms <= 0)
        return;
    selfTestMs_ = std::max(0, selfTestMs_ - ms);
    holdMs_ = std::max(0, holdMs_ - ms);
    sharpMs_ = std::max(0, sharpMs_ - ms);
    // A cloud that climbs by more than threshold 1 a second counts as a sharp change.
    const double now = on() ? level() : 0.0;
    const double perSecond = std::abs(now - lastLevel_) * 1000.0 / ms;
    if (perSecond > std::max<double>(1.0, settings().threshold[0]))
        sharpMs_ = kSharpHoldMs;
    lastLevel_ = now;
}

double OpticalBlockSim::level() const { return std::max(0.0, levelNow()); }

OpticalBlockSim::AlarmLevels OpticalBlockSim::alarmLevels() const
{
    const auto &t = settings().threshold;
    return {double(t[0]), double(t[1]), double(t[2])};
}

bool OpticalBlockSim::settingsOk() const
{
    const OpticalSettings &s = settings();
    const auto absorbance = [&](int16_t u) {
        return u > 0 && s.uZero > 0 ? std::log(double(s.uZero) / u) : 0.0;
    };
    const double a1 = absorbance(s.uGas[0]);
    bool ok = a1 >= kMinAbsorbance && s.calGas[0] > 0;
    if (model_.detectors == 2)
        ok = ok && absorbance(s.uGas[1]) >= a1 + kMinAbsorbance && s.calGas[1] > s.calGas[0];
    const auto &t = s.threshold;
    return ok && ordered(t[0], t[1], t[2]);
}

// Absorbance ln(U zero / U) is taken as linear in the concentration between the
// zero and each calibration point, and beyond the last one.
double OpticalBlockSim::concentrationAt(double signal) const
{
    if (!settingsOk() || signal < 1.0)
        return 0.0;
    const OpticalSettings &s = settings();
    const double a = std::log(s.uZero / signal);
    const double a1 = std::log(double(s.uZero) / s.uGas[0]);
    if (model_.detectors == 1 || a <= a1)
        return s.calGas[0] * a / a1;
    const double a2 = std::log(double(s.uZero) / s.uGas[1]);
    return s.calGas[0] + (a - a1) * (s.calGas[1] - s.calGas[0]) / (a2 - a1);
}

OpticalBlockSim::Sample OpticalBlockSim::sample()
{
    if (!on())
        return {std::abs(rng_.noise(3.0)), 0.0}; // source off
    double signal = signalAt(model_, level()) + drift() + rng_.noise(kNoise * model_.cleanSignal);
    if (faulty())
        signal *= kFaultyLight;
    signal = std::clamp(signal, 0.0, 65535.0);
    return {signal, measuring() ? concentrationAt(signal) : 0.0};
}

uint8_t OpticalBlockSim::status(const Sample &smp) const
{
    uint8_t st = commonStatus();
    if (!settingsOk())
        st |= kSettingsError;
    if (measuring()) {
        const auto &t = settings().threshold;
        st |= thresholdBits(std::lround(smp.concentration), {t[0], t[1], t[2]});
    }
    return st;
}

OpticalBlockSim::Reading OpticalBlockSim::measure()
{
    const Sample s = sample();
    return {status(s), toWord(s.concentration), toUnsigned(s.signal)};
}

uint16_t OpticalBlockSim::kelvin() const { return toUnsigned(273.15 + ambient_.celsius()); }

uint8_t OpticalBlockSim::diagnosticFlags() const
{
    uint8_t f = 0;
    if (on() && selfTestMs_ > 0)
        f |= kSelfTest;
    if (sharpMs_ > 0)
        f |= kSharpChange;
    if (on() && faulty())
        f |= kSignalLevel;
    const double rate = std::abs(ambient_.ratePerMinute());
    if (rate > 0.15)
        f |= kTempRateSlow;
    if (rate > 0.6)
        f |= kTempRate;
    if (rate > 2.0)
        f |= kTempRateFast;
    const double t = ambient_.celsius();
    if (t < kMinCelsius || t > kMaxCelsius)
        f |= kTempLimits;
    return f;
}

uint8_t OpticalBlockSim::algorithmState() const
{
    const uint8_t flags = diagnosticFlags();
    State st = Clean;
    if (!on()) {
        st = Off;
    } else if (setupMode()) {
        st = Setup;
    } else if (selfTestMs_ > 0) {
        const int elapsed = kSelfTestMs - selfTestMs_;
        st = elapsed < kWarmingFromMs      ? SelfTest
             : elapsed < kZeroSearchFromMs ? Warming
                                           : ZeroSearch;
    } else if (holdMs_ > 0) {
        st = holdState_;
    } else if (flags & kSignalLevel) {
        st = SignalLost;
    } else if (flags & kTempLimits) {
        st = TempLimits;
    } else if (flags & kTempRate) {
        st = TempChange;
    } else {
        // the noiseless reading: the state does not flicker with the noise
        const double c = concentrationAt(signalAt(model_, level()) + drift());
        const auto &t = settings().threshold;
        st = c >= t[2] ? AboveThird : c >= t[1] ? AboveSecond : c >= t[0] ? AboveFirst : Clean;
    }
    uint8_t byte = st;
    if (st != Off && st < SelfTest && settingsOk())
        byte |= kZeroCaught;
    if (setupMode())
        byte |= kSetupFlag;
    return byte;
}

Frame OpticalBlockSim::voltageReply(uint8_t code, uint8_t st, int16_t counts) const
{
    if (!model_.floatVoltages)
        return reply(code, st, uint16_t(counts), 0);
    const auto bits = std::bit_cast<uint32_t>(float(counts * kVoltsPerCount));
    return reply(code, st, uint16_t(bits & 0xFFFF), uint16_t(bits >> 16));
}

Frame OpticalBlockSim::voltagesReply(uint8_t code)
{
    const OpticalSettings &s = settings();
    return settingsReply(code, s.uGas[0], s.uGas[1]);
}

Frame OpticalBlockSim::thresholdReply(uint8_t code)
{
    const Reading m = measure();
    return reply(code, m.status, m.first, uint16_t(settings().threshold[0]));
}

Frame OpticalBlockSim::diagnosticsReply(uint8_t code)
{
    const Reading m = measure();
    const uint8_t state =
        model_.diagnostics == OpticalDiagnostics::FlagsAndState ? algorithmState() : 0;
    return reply(code, m.status, m.first, uint16_t(diagnosticFlags() | state << 8));
}

std::optional<Frame> OpticalBlockSim::command(const Frame &r)
{
    const uint8_t code = r[1];
    OpticalSettings &s = working();
    switch (code) {
    case cmd::optical::ReadGasVoltage:
        if (model_.floatVoltages)
            return voltageReply(code, measure().status, s.uGas[0]);
        break;
    case cmd::optical::ReadGasVoltage2:
        if (!model_.floatVoltages)
            return voltagesReply(code);
        break;
    case cmd::optical::ReadFirst:
        return thresholdReply(code);
    case cmd::optical::ReadThresholds:
        return settingsReply(code, s.threshold[1], s.threshold[2]);
    case cmd::optical::ReadZeroVoltage:
        return voltageReply(code, measure().status, s.uZero);
    case cmd::optical::On:
        if (!on())
            selfTestMs_ = kSelfTestMs; // switched on: the self-test starts over
        break;
    case cmd::optical::SetFirst:
        s.threshold[0] = paramB(r);
        return thresholdReply(code);
    case cmd::optical::SetSecond:
        s.threshold[1] = paramA(r);
        s.threshold[2] = paramB(r);
        return settingsReply(code, s.threshold[1], s.threshold[2]);
    case cmd::optical::ReadConcentration:
        return settingsReply(code, s.calGas[0], s.calGas[1]);
    case cmd::optical::CalibrateGas: {
        const int16_t gas = paramA(r);
        const size_t d = model_.detectors == 2 && gas > model_.splitLevel ? 1 : 0;
        const Sample now = sample();
        if (measuring()) {
            s.calGas[d] = gas;
            s.uGas[d] = toWord(now.signal);
            holdMs_ = kHoldMs;
            holdState_ = TakingGas;
        }
        return settingsReply(code, s.calGas[0], s.calGas[1]);
    }
    case cmd::optical::CalibrateZero: {
        const Sample now = sample();
        if (measuring()) {
            s.uZero = toWord(now.signal);
            holdMs_ = kHoldMs;
            holdState_ = TakingZero;
        }
        return voltageReply(code, measure().status, s.uZero);
    }
    case cmd::optical::Diagnostics:
        if (model_.diagnostics != OpticalDiagnostics::None)
            return diagnosticsReply(code);
        break;
    case cmd::optical::Temperature: {
        const Reading m = measure();
        return reply(code, m.status, m.first, kelvin());
    }
    default:
        break;
    }
    return std::nullopt;
}

std::optional<Frame> OpticalBlockSim::handle(const Frame &request)
{
    auto f = SensorBlockSim::handle(request);
    if (f && linkErrors_ > 0.0 && rng_.chance(linkErrors_)) {
        (*f)[2] |= kLinkError;
        (*f)[3] = linkErrorCode_;
        seal(f->data());
    }
    return f;
}

} // namespace zet::sim
