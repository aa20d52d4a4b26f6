#include "ElectroBlockSim.h"

namespace zet::sim {

namespace {
// Factory gases and thresholds: clean air for oxygen with two low and two high
// alarms; the pages' defaults for the toxic gases.
constexpr ElectroModel kModels[] = {
    {.block = block::Oxygen,
     .version = 0x12,
     .thresholds = 4,
     .cleanLevel = 209.0,
     .zeroVoltage = 300.0,
     .slope = 75.0,
     .tempCoef = 0.003,
     .tempOffset = 55,
     .coefBase = 900,
     .coefStep = 1,
     .rangeFlag = false,
     .calGas = 209,
     .threshold = {195, 180, 230, 250},
     .frontEnd = {0x0C, 0x20, 0x03}},
    {.block = block::CarbonMonoxide,
     .version = 0x13,
     .thresholds = 3,
     .cleanLevel = 0.0,
     .zeroVoltage = 4000.0,
     .slope = 30.0,
     .tempCoef = 0.005,
     .tempOffset = 85,
     .coefBase = 800,
     .coefStep = 6,
     .rangeFlag = false,
     .calGas = 210,
     .threshold = {20, 180, 240, 0},
     .frontEnd = {0x19, 0x20, 0x03}},
    {.block = block::HydrogenSulphide,
     .version = 0x11,
     .thresholds = 3,
     .cleanLevel = 0.0,
     .zeroVoltage = 2500.0,
     .slope = 50.0,
     .tempCoef = 0.004,
     .tempOffset = 85,
     .coefBase = 900,
     .coefStep = 4,
     .rangeFlag = true,
     .calGas = 210,
     .threshold = {20, 180, 240, 0},
     .frontEnd = {0x15, 0x20, 0x03}},
};

// Feedback resistor of each R_TIA code, kilohms; code 0 is an external resistor,
// fitted at the factory value.
constexpr double kTiaKiloohms[] = {0.0, 2.75, 3.5, 7.0, 14.0, 35.0, 120.0, 350.0};
constexpr double kMinSpan = 100.0; // U gas must stand this far above U zero
constexpr double kMaxVoltage = 30000.0;

int tiaCode(uint8_t tiacn) { return (tiacn >> 2) & 0x07; }
} // namespace

std::span<const ElectroModel> ElectroBlockSim::models() { return kModels; }

const ElectroModel *ElectroBlockSim::model(int block)
{
    for (const auto &m : kModels)
        if (m.block == block)
            return &m;
    return nullptr;
}

ElectroSettings ElectroBlockSim::factorySettings(const ElectroModel &m)
{
    const auto uGas = int16_t(std::lround(m.zeroVoltage + m.slope * m.calGas));
    return {m.calGas, m.threshold, int16_t(std::lround(m.zeroVoltage)), uGas, m.frontEnd};
}

ElectroBlockSim::ElectroBlockSim(const ElectroModel &model, uint64_t seed)
    : SensorBlockSim(model.block, seed, seed ^ 0x3939, Drift{0.5 * model.slope, 0.05 * model.slope},
                     {factorySettings(model)}),
      model_(model), enrich_(seed ^ 0x7E7E)
{
    setLevel(model.cleanLevel);
}

uint8_t ElectroBlockSim::frontEndState() const
{
    return uint8_t((ready_ ? kFrontEndReady : 0) | (protected_ ? kWriteProtected : 0));
}

void ElectroBlockSim::setWander(bool on)
{
    SensorBlockSim::setWander(on);
    ambient_.setSwing(on);
    enrich_.setEnabled(on && model_.cleanLevel > 0.0);
}

// Peaks of passing clouds around the distances of the thresholds from the clean-air
// reading, nearest first.
ElectroBlockSim::AlarmLevels ElectroBlockSim::cloudLevels(std::vector<double> distances, double cap)
{
    std::sort(distances.begin(), distances.end());
    const double first = distances.empty() ? 15.0 : distances[0];
    const double second = distances.size() > 1 ? distances[1] : 2.0 * first;
    return {first, second, std::max(second, std::min(1.5 * second, cap))};
}

ElectroBlockSim::AlarmLevels ElectroBlockSim::alarmLevels() const
{
    const ElectroSettings &s = settings();
    if (model_.cleanLevel <= 0.0)
        return {double(s.threshold[0]), double(s.threshold[1]), double(s.threshold[2])};
    // oxygen: the common clouds displace it, down towards the low alarms
    return cloudLevels(thresholdDistances(false), model_.cleanLevel / 1.15);
}

// How far each threshold on one side of the clean-air level lies from it.
std::vector<double> ElectroBlockSim::thresholdDistances(bool above) const
{
    std::vector<double> distances;
    for (int i = 0; i < model_.thresholds; ++i) {
        const double t = settings().threshold[size_t(i)];
        if ((t >= model_.cleanLevel) == above)
            distances.push_back(std::abs(t - model_.cleanLevel));
    }
    return distances;
}

void ElectroBlockSim::advance(int ms)
{
    SensorBlockSim::advance(ms);
    ambient_.advance(ms, rng_);
    if (model_.cleanLevel <= 0.0)
        return;
    const AlarmLevels a = cloudLevels(thresholdDistances(true), 1e9);
    enrich_.setAlarmLevels(a.first, a.second, a.top);
    enrich_.advance(ms);
}

double ElectroBlockSim::level() const
{
    if (model_.cleanLevel > 0.0)
        return std::max(0.0, levelSet() - cloud() + enrich_.excess());
    return std::max(0.0, levelNow());
}

double ElectroBlockSim::sensitivity() const
{
    return std::max(0.2, 1.0 + model_.tempCoef * (ambient_.celsius() - 20.0));
}

double ElectroBlockSim::compensation() const { return faulty() ? 1.0 : sensitivity(); }

double ElectroBlockSim::gain() const
{
    const int factory = tiaCode(model_.frontEnd[0]);
    const int now = tiaCode(settings().frontEnd[0]);
    if (factory == 0 || now == 0)
        return 1.0;
    return kTiaKiloohms[now] / kTiaKiloohms[factory];
}

bool ElectroBlockSim::settingsOk() const
{
    const ElectroSettings &s = settings();
    bool ok = double(s.uGas) - s.uZero >= kMinSpan && s.calGas > 0;
    if (model_.cleanLevel <= 0.0) {
        const auto &t = s.threshold;
        ok = ok && ordered(t[0], t[1], t[2]);
    }
    return ok;
}

ElectroBlockSim::Sample ElectroBlockSim::sample()
{
    if (!ready_)
        return {std::abs(rng_.noise(5.0)), 0.0}; // no front end, no output
    const uint8_t mode = settings().frontEnd[2];
    // the cell drives current in the galvanic and amperometric modes, FET open
    const bool cell = (mode & 0x80) == 0 && ((mode & 0x07) == 1 || (mode & 0x07) == 3);
    const double signal = cell ? gain() * sensitivity() * model_.slope * level() : 0.0;
    const double u = std::clamp(
        model_.zeroVoltage + drift() + signal + rng_.noise(0.3 * model_.slope), 0.0, kMaxVoltage);
    if (!settingsOk())
        return {u, 0.0};
    const ElectroSettings &s = settings();
    return {u, (u - s.uZero) / compensation() * s.calGas / (s.uGas - s.uZero)};
}

bool ElectroBlockSim::tripped(int index, long concentration) const
{
    const int16_t t = settings().threshold[size_t(index)];
    // on oxygen a threshold below the clean-air level is a low alarm
    return t < model_.cleanLevel ? concentration <= t : concentration >= t;
}

uint8_t ElectroBlockSim::status(const Sample &smp) const
{
    uint8_t st = 0;
    if (faulty())
        st |= kThermoFault;
    const double t = ambient_.celsius();
    if (model_.rangeFlag && !faulty() && (t < kMinCelsius || t > kMaxCelsius))
        st |= kTempRange;
    if (!settingsOk())
        st |= kSettingsError;
    if (setupMode())
        st |= kSetupMode;
    if (ready_) {
        static constexpr uint8_t kBits[] = {kThreshold1, kThreshold2, kThreshold3, kThreshold4};
        const long c = std::lround(smp.concentration);
        for (int i = 0; i < model_.thresholds; ++i)
            if (tripped(i, c))
                st |= kBits[i];
    }
    return st;
}

uint8_t ElectroBlockSim::temperatureCode() const
{
    if (faulty())
        return 255; // an open thermistor reads the coldest code
    return uint8_t(std::clamp(model_.tempOffset - std::lround(ambient_.celsius()), 0l, 255l));
}

uint8_t ElectroBlockSim::coefficientCode() const
{
    const double tenths = 1000.0 * compensation();
    return uint8_t(std::clamp(std::lround((tenths - model_.coefBase) / model_.coefStep), 0l, 255l));
}

ElectroBlockSim::Reading ElectroBlockSim::measure()
{
    const Sample s = sample();
    return {status(s), toWord(s.concentration),
            uint16_t(temperatureCode() | coefficientCode() << 8)};
}

// Status, then byte 3 and the three front-end registers (zeros when left out).
Frame ElectroBlockSim::registersReply(uint8_t code, uint8_t byte3, bool withRegisters)
{
    Frame f{};
    f[0] = number();
    f[1] = code;
    f[2] = measure().status;
    f[3] = byte3;
    if (withRegisters)
        std::copy(settings().frontEnd.begin(), settings().frontEnd.end(), f.begin() + 4);
    seal(f.data());
    return f;
}

// Registers read from the chip; nothing to read without it.
Frame ElectroBlockSim::frontEndReply(uint8_t code)
{
    return registersReply(code, frontEndState(), ready_);
}

// The version, with the block's own copy of the registers.
Frame ElectroBlockSim::identificationReply(uint8_t code)
{
    return registersReply(code, model_.version, true);
}

std::optional<Frame> ElectroBlockSim::command(const Frame &r)
{
    const uint8_t code = r[1];
    ElectroSettings &s = working();
    switch (code) {
    case cmd::electro::Measure: {
        const Sample now = sample();
        return reply(code, status(now), toWord(now.concentration), toUnsigned(now.voltage));
    }
    case cmd::sensor::ReadVoltages:
        return settingsReply(code, s.uZero, s.uGas);
    case cmd::sensor::ReadCalibration:
        return settingsReply(code, s.calGas, s.threshold[0]);
    case cmd::sensor::ReadThresholds:
        return settingsReply(code, s.threshold[1], s.threshold[2]);
    case cmd::electro::SetFourth: // threshold 4 where the block has one; never a switch-off here
        if (model_.thresholds == 4)
            s.threshold[3] = paramA(r);
        return settingsReply(code, s.threshold[3], 0);
    case cmd::electro::Version:
        return identificationReply(code);
    case cmd::sensor::SetFirst:
        return setPair(r, s.calGas, s.threshold[0]);
    case cmd::sensor::SetSecond:
        return setPair(r, s.threshold[1], s.threshold[2]);
    case cmd::electro::ReadFourth:
        return settingsReply(code, s.threshold[3], 0);
    case cmd::sensor::TakeGasVoltage: {
        const Sample now = sample();
        if (ready_)
            s.uGas = toWord(s.uZero + (now.voltage - s.uZero) / compensation());
        return settingsReply(code, s.uZero, s.uGas);
    }
    case cmd::sensor::TakeAirVoltage: {
        const Sample now = sample();
        if (ready_)
            s.uZero = toWord(now.voltage);
        return settingsReply(code, s.uZero, s.uGas);
    }
    case cmd::electro::ReadFrontEnd:
        return frontEndReply(code);
    case cmd::electro::WriteFrontEnd:
        if (ready_ && !protected_) // unused bits go to the chip as 0
            s.frontEnd = {uint8_t(r[4] & 0x1F), r[5], uint8_t(r[6] & 0x87)};
        return frontEndReply(code);
    default:
        break;
    }
    return std::nullopt;
}

} // namespace zet::sim
