// The simulated optical and electrochemical blocks and the multiplexer bench, seen
// from the wire: replies to the codes their pages send, decoded as the pages do.
#include "ElectroBlockSim.h"
#include "Instrument.h"
#include "OpticalBlockSim.h"
#include "SimRequests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

using namespace zet;
using namespace zet::sim;
using namespace zet::test;

namespace {

// Status byte and values, without block number and code.
std::array<uint8_t, 5> body(const Frame &f) { return {f[2], f[3], f[4], f[5], f[6]}; }

float floatAt(const Frame &f)
{
    return std::bit_cast<float>(uint32_t(u16(f, 3) | u16(f, 5) << 16));
}

// Runs the instrument for `minutes` with wandering on; returns the status bytes seen.
std::vector<uint8_t> wander(Instrument &in, uint8_t block, int minutes, uint8_t code = 12)
{
    in.setWander(true);
    std::vector<uint8_t> seen;
    for (int i = 0; i < minutes * 60000 / 350; ++i) {
        in.advance(350);
        seen.push_back(ask(in, block, code)[2]);
    }
    return seen;
}

bool anyWith(const std::vector<uint8_t> &s, uint8_t mask, uint8_t value)
{
    return std::any_of(s.begin(), s.end(), [&](uint8_t b) { return (b & mask) == value; });
}

// ---------------------------------------------------------------- optical blocks

enum class Diag { None, Flags, FlagsAndState };

struct OpticalCase {
    const char *name;
    int type;
    uint8_t block;
    int detectors;
    bool floats; // voltages as single-precision numbers
    Diag diagnostics;
};

class SimOptical : public testing::TestWithParam<OpticalCase> {
protected:
    const OpticalCase &c = GetParam();
    Instrument in{c.type, 1, 5};

    std::array<int, 3> thresholds()
    {
        const Frame r3 = ask(in, c.block, 3), r4 = ask(in, c.block, 4);
        return {s16(r3, 5), s16(r4, 3), s16(r4, 5)};
    }
    // U zero (5) and U gas (1 or 2) in volts or in detector counts
    double voltage(uint8_t code)
    {
        const Frame r = ask(in, c.block, code);
        return c.floats ? floatAt(r) : s16(r, 3);
    }
};

TEST_P(SimOptical, OnOffAndSetupBits)
{
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x87, 0x01) << "on, working, settings fine";
    EXPECT_EQ(ask(in, c.block, 8)[2] & 0x01, 0);
    const Frame off = ask(in, c.block, 12);
    EXPECT_EQ(off[2] & 0x71, 0) << "off: no threshold bits";
    EXPECT_LT(u16(off, 5), 50) << "source off, no detector signal";
    const Frame on = ask(in, c.block, 9);
    EXPECT_EQ(on[2] & 0x01, 0x01);
    EXPECT_GE(on[6] >> 4, 1) << "version major";
    EXPECT_LE(on[6] & 0x0F, 9) << "version minor";
    EXPECT_EQ(ask(in, c.block, 6)[2] & 0x80, 0x80);
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x80, 0x80);
    EXPECT_EQ(ask(in, c.block, 7)[2] & 0x80, 0) << "saving leaves set-up mode";
}

TEST_P(SimOptical, SettingsReadBackAndSaveSurvivesReset)
{
    const Frame gases = ask(in, c.block, 13);
    ask16(in, c.block, 10, 0, 70);
    ask16(in, c.block, 11, 140, 420);
    EXPECT_EQ(thresholds(), (std::array<int, 3>{70, 140, 420}));
    ask(in, c.block, 7);
    ask16(in, c.block, 10, 0, 11);
    ask16(in, c.block, 11, 22, 33);
    EXPECT_EQ(ask(in, c.block, 4)[2] & 0x04, 0) << "ordered thresholds are no settings error";
    ask(in, c.block, 16);
    EXPECT_EQ(thresholds(), (std::array<int, 3>{70, 140, 420})) << "reset takes the saved copy";
    ask16(in, c.block, 11, 500, 100);
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x04, 0x04) << "threshold 2 above threshold 3";
    in.powerUp();
    EXPECT_EQ(thresholds(), (std::array<int, 3>{70, 140, 420}));
    EXPECT_EQ(ask(in, c.block, 13), gases);
}

TEST_P(SimOptical, GasLevelCrossesThresholds)
{
    const auto t = thresholds();
    const struct {
        double level;
        uint8_t bits;
    } steps[] = {{0, 0x00},
                 {0.5 * t[0], 0x00},
                 {(t[0] + t[1]) / 2.0, 0x10},
                 {(t[1] + t[2]) / 2.0, 0x30},
                 {1.1 * t[2], 0x70}};
    int signal = 65536;
    for (const auto &s : steps) {
        in.setLevel(c.block, s.level);
        const Frame r = ask(in, c.block, 12);
        EXPECT_EQ(r[2] & 0x70, s.bits) << "level " << s.level;
        EXPECT_NEAR(s16(r, 3), s.level, 0.08 * s.level + 4) << "hundredths of a percent";
        EXPECT_LT(u16(r, 5), signal) << "the gas takes light from the detector";
        signal = u16(r, 5);
    }
}

TEST_P(SimOptical, CalibrationTakesThePresentSignal)
{
    const double zero = voltage(5), gasPoint = voltage(c.floats ? 1 : 2);
    EXPECT_TRUE(std::isfinite(zero));
    EXPECT_GT(gasPoint, 0.5 * zero);
    EXPECT_LT(gasPoint, zero) << "less light at the gas point";
    if (c.floats)
        EXPECT_NEAR(zero, 2.0, 1.5) << "volts";
    else
        EXPECT_NEAR(zero, u16(ask(in, c.block, 12), 5), 0.02 * zero) << "detector counts";

    in.setLevel(c.block, 40); // the zero has wandered
    ask(in, c.block, 15);
    EXPECT_NEAR(s16(ask(in, c.block, 12), 3), 0, 10);
    const int gas = s16(ask(in, c.block, 13), 3) * 6 / 5;
    in.setLevel(c.block, 40 + gas);
    ask16(in, c.block, 14, gas, 0);
    EXPECT_EQ(s16(ask(in, c.block, 13), 3), gas);
    in.setLevel(c.block, 40 + gas / 2);
    EXPECT_NEAR(s16(ask(in, c.block, 12), 3), gas / 2, 0.06 * gas);

    if (c.detectors == 2) { // a gas above the low range calibrates detector 2
        const Frame before = ask(in, c.block, 2);
        in.setLevel(c.block, 4040);
        ask16(in, c.block, 14, 4000, 0);
        EXPECT_EQ(s16(ask(in, c.block, 2), 3), s16(before, 3)) << "detector 1 untouched";
        EXPECT_EQ(s16(ask(in, c.block, 13), 5), 4000);
        EXPECT_NEAR(s16(ask(in, c.block, 12), 3), 4000, 80);
    }
}

TEST_P(SimOptical, TemperatureAndDiagnostics)
{
    const int celsius = int(u16(ask(in, c.block, 97), 5)) - 273;
    EXPECT_GE(celsius, 15);
    EXPECT_LE(celsius, 35);
    if (c.diagnostics == Diag::None)
        return;
    const Frame steady = ask(in, c.block, 96);
    EXPECT_EQ(steady[5], 0) << "no self-diagnostic flag in a steady block";
    if (c.diagnostics == Diag::Flags)
        EXPECT_EQ(steady[6], 0) << "no algorithm state on this block";
    else
        EXPECT_EQ(steady[6], 0x80) << "measuring clean air on a valid zero";
    ask(in, c.block, 8);
    ask(in, c.block, 9);
    EXPECT_EQ(ask(in, c.block, 96)[5] & 0x01, 0x01) << "self-test after switch-on";
    in.advance(OpticalBlockSim::kSelfTestMs + 1000);
    EXPECT_EQ(ask(in, c.block, 96)[5] & 0x01, 0);
    in.optical(c.block)->setAmbient(75);
    in.advance(1000);
    EXPECT_EQ(ask(in, c.block, 96)[5] & 0x78, 0x78) << "temperature jumped out of its limits";
}

TEST_P(SimOptical, LinkErrorIsAnInjectedFault)
{
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x02, 0) << "off by default";
    in.setOpticalLinkErrors(1.0, 0x1F);
    for (uint8_t code : {2, 12, 96}) {
        const Frame r = ask(in, c.block, code);
        EXPECT_EQ(r[2] & 0x02, 0x02);
        EXPECT_EQ(r[3], 0x1F);
    }
    in.setOpticalLinkErrors(0.0);
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x02, 0);
}

TEST_P(SimOptical, WanderingCrossesThresholdOneNowAndThen)
{
    const auto seen = wander(in, c.block, 12);
    EXPECT_TRUE(anyWith(seen, 0x10, 0x10));
    EXPECT_TRUE(anyWith(seen, 0x70, 0x00));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SimOptical,
    testing::Values(OpticalCase{"Methane100Type5", 5, 11, 2, false, Diag::FlagsAndState},
                    OpticalCase{"Methane100Type10", 10, 11, 2, false, Diag::FlagsAndState},
                    OpticalCase{"Methane5", 6, 12, 1, true, Diag::None},
                    OpticalCase{"Co2", 10, 13, 1, false, Diag::Flags},
                    OpticalCase{"Propane", 10, 28, 1, false, Diag::Flags}),
    [](const auto &info) { return info.param.name; });

TEST(SimOpticalMethane100, AlgorithmStateMovesThroughItsCodes)
{
    Instrument in(5, 1, 5);
    auto state = [&] { return ask(in, 11, 96)[6]; };
    in.powerUp();
    EXPECT_EQ(state(), 5) << "self-test, no valid zero yet";
    in.advance(130000);
    EXPECT_EQ(state(), 6);
    in.advance(60000);
    EXPECT_EQ(state(), 7);
    in.advance(30000);
    EXPECT_EQ(state(), 0x80);
    const struct {
        double level;
        uint8_t state;
    } levels[] = {{75, 0x83}, {300, 0x81}, {700, 0x84}, {0, 0x80}};
    for (const auto &l : levels) {
        in.setLevel(11, l.level);
        EXPECT_EQ(state(), l.state) << l.level;
    }
    ask(in, 11, 15);
    EXPECT_EQ(state(), 9) << "zero being taken";
    in.advance(6000);
    ask(in, 11, 6);
    EXPECT_EQ(state(), 0x40 | 8) << "set-up mode";
    ask(in, 11, 7);
    in.optical(11)->setSensorFault(true);
    EXPECT_EQ(state(), 13);
    EXPECT_EQ(ask(in, 11, 96)[5] & 0x04, 0x04) << "signal level check failed";
    ask(in, 11, 8);
    EXPECT_EQ(state(), 2) << "off";
}

// ---------------------------------------------------------------- electrochemical blocks

struct Crossing {
    double level;
    uint8_t bits;
};

struct ElectroCase {
    const char *name;
    int type;
    uint8_t block;
    int tempOffset; // degrees = offset - byte 5
    int coefBase;   // tenths of a percent = base + step * byte 6
    int coefStep;
    std::vector<Crossing> crossings; // with the factory thresholds
};

class SimElectro : public testing::TestWithParam<ElectroCase> {
protected:
    const ElectroCase &c = GetParam();
    Instrument in{c.type, 1, 5};

    int celsius(const Frame &r) { return c.tempOffset - r[5]; }
    double coefficient(const Frame &r) { return (c.coefBase + c.coefStep * r[6]) / 10.0; }
    std::array<uint8_t, 3> registers(const Frame &r) { return {r[4], r[5], r[6]}; }
    Frame writeRegisters(uint8_t tiacn, uint8_t refcn, uint8_t modecn)
    {
        return ask(in, request(moduleAddress(c.block), 33, 0, 0, tiacn, refcn, modecn));
    }
};

TEST_P(SimElectro, SettingsSaveResetAndVersion)
{
    const bool oxygen = c.block == 22;
    auto settings = [&] {
        const Frame r3 = ask(in, c.block, 3), r4 = ask(in, c.block, 4);
        return std::vector<int>{s16(r3, 3), s16(r3, 5), s16(r4, 3), s16(r4, 5),
                                s16(ask(in, c.block, 13), 3)};
    };
    ask16(in, c.block, 10, 200, 30);
    ask16(in, c.block, 11, 150, 260);
    ask16(in, c.block, 8, 280, 0);
    const std::vector<int> set = {200, 30, 150, 260, oxygen ? 280 : 0};
    EXPECT_EQ(settings(), set);
    ask(in, c.block, 7);
    ask16(in, c.block, 10, 1, 2);
    EXPECT_EQ(ask(in, c.block, 6)[2] & 0x80, 0x80);
    EXPECT_EQ(ask(in, c.block, 16)[2] & 0x80, 0) << "reset leaves set-up mode";
    EXPECT_EQ(settings(), set);

    const Frame version = ask(in, c.block, 9);
    EXPECT_GE(version[3] >> 4, 1);
    EXPECT_LE(version[3] & 0x0F, 9);
    EXPECT_EQ(registers(version), registers(ask(in, c.block, 32)));
}

TEST_P(SimElectro, TemperatureAndCoefficientCodes)
{
    const Frame room = ask(in, c.block, 12);
    EXPECT_NEAR(celsius(room), 23, 3);
    EXPECT_NEAR(coefficient(room), 101, 5) << "percent";
    in.electro(c.block)->setAmbient(40);
    const Frame warm = ask(in, c.block, 12);
    EXPECT_NEAR(celsius(warm), 40, 3);
    EXPECT_GT(coefficient(warm), coefficient(room) + 3) << "the cell is more sensitive warm";
    EXPECT_EQ(warm[2] & 0x03, 0);
    in.electro(c.block)->setAmbient(60);
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x02, c.block == 24 ? 0x02 : 0)
        << "hydrogen sulphide flags a temperature out of its range";
    in.electro(c.block)->setThermoFault(true);
    EXPECT_EQ(ask(in, c.block, 12)[2] & 0x01, 0x01);
}

TEST_P(SimElectro, GasLevelCrossesThresholds)
{
    std::vector<std::pair<double, int>> voltages;
    for (const auto &x : c.crossings) {
        in.setLevel(c.block, x.level);
        const Frame status = ask(in, c.block, 12), measured = ask(in, c.block, 1);
        EXPECT_EQ(status[2] & 0x78, x.bits) << "level " << x.level;
        EXPECT_NEAR(s16(status, 3), x.level, 0.03 * x.level + 2);
        EXPECT_NEAR(s16(measured, 3), x.level, 0.03 * x.level + 2);
        EXPECT_LT(u16(measured, 5), 26000) << "tenths of a millivolt, on the chart";
        voltages.emplace_back(x.level, u16(measured, 5));
    }
    std::sort(voltages.begin(), voltages.end());
    for (size_t i = 1; i < voltages.size(); ++i)
        EXPECT_GT(voltages[i].second, voltages[i - 1].second) << "the cell current grows with gas";
}

TEST_P(SimElectro, FrontEndRegistersRoundTrip)
{
    const Frame factory = ask(in, c.block, 32);
    EXPECT_EQ(factory[3], 0x10) << "ready, writes allowed";
    const Frame written = writeRegisters(0x12, 0xB4, 0x83);
    EXPECT_EQ(written[3], 0x10);
    EXPECT_EQ(registers(written), (std::array<uint8_t, 3>{0x12, 0xB4, 0x83}));
    EXPECT_EQ(registers(ask(in, c.block, 32)), registers(written));
    EXPECT_EQ(registers(ask(in, c.block, 9)), registers(written));
    EXPECT_EQ(registers(writeRegisters(0xFF, 0xFF, 0xFF)),
              (std::array<uint8_t, 3>{0x1F, 0xFF, 0x87}))
        << "unused bits are not kept";
    ask(in, c.block, 16);
    EXPECT_EQ(registers(ask(in, c.block, 32)), registers(factory)) << "reset: saved registers";

    // the gain follows R_TIA; the sleeping cell gives the bare zero voltage
    in.setLevel(c.block, 150);
    auto volts = [&] { return u16(ask(in, c.block, 1), 5); };
    const int zero = u16(ask(in, c.block, 2), 3);
    const int normal = volts();
    writeRegisters(uint8_t(factory[4] + 4), factory[5], factory[6]);
    EXPECT_GT(volts() - zero, 1.5 * (normal - zero));
    writeRegisters(factory[4], factory[5], 0x00);
    EXPECT_NEAR(volts(), zero, 100);
}

TEST_P(SimElectro, ProtectedOrAbsentFrontEndTakesNoWrite)
{
    ElectroBlockSim &block = *in.electro(c.block);
    const auto before = registers(ask(in, c.block, 32));
    block.setWriteProtected(true);
    const Frame refused = writeRegisters(0x12, 0xB4, 0x83);
    EXPECT_EQ(refused[3], 0x11) << "ready, write-protected";
    EXPECT_EQ(registers(refused), before);
    EXPECT_EQ(registers(ask(in, c.block, 32)), before);

    block.setFrontEndReady(false);
    EXPECT_EQ(ask(in, c.block, 32)[3], 0x01) << "not ready";
    block.setWriteProtected(false);
    EXPECT_EQ(writeRegisters(0x12, 0xB4, 0x83)[3], 0x00);
    block.setFrontEndReady(true);
    EXPECT_EQ(registers(ask(in, c.block, 32)), before);
}

TEST_P(SimElectro, CalibrationTakesThePresentVoltage)
{
    in.setLevel(c.block, 0);
    ask(in, c.block, 15);
    in.setLevel(c.block, 100);
    ask16(in, c.block, 10, 100, s16(ask(in, c.block, 3), 5));
    const Frame gas = ask(in, c.block, 14);
    EXPECT_GT(s16(gas, 5) - s16(gas, 3), 500) << "U gas well above U zero";
    EXPECT_EQ(body(ask(in, c.block, 2)), body(gas)) << "the answer to 14 carries both voltages";
    in.setLevel(c.block, 50);
    EXPECT_NEAR(s16(ask(in, c.block, 12), 3), 50, 3);
    ask(in, c.block, 14); // U gas taken at half the gas: a steeper scale
    EXPECT_NEAR(s16(ask(in, c.block, 12), 3), 100, 4);
}

TEST_P(SimElectro, WanderingCrossesThresholdsNowAndThen)
{
    const auto seen = wander(in, c.block, 20);
    EXPECT_TRUE(anyWith(seen, 0x10, 0x00));
    EXPECT_TRUE(anyWith(seen, 0x10, 0x10)) << "on oxygen a low alarm";
    if (c.block == 22) {
        EXPECT_TRUE(anyWith(seen, 0x40, 0x40)) << "and a high one";
    }
}

const std::vector<Crossing> kOxygen = {
    {209, 0x00}, {190, 0x10}, {170, 0x30}, {240, 0x40}, {260, 0x48}};
const std::vector<Crossing> kToxic = {{0, 0x00}, {10, 0x00}, {50, 0x10}, {200, 0x30}, {300, 0x70}};

INSTANTIATE_TEST_SUITE_P(
    Blocks, SimElectro,
    testing::Values(ElectroCase{"OxygenType7", 7, 22, 55, 900, 1, kOxygen},
                    ElectroCase{"OxygenType10", 10, 22, 55, 900, 1, kOxygen},
                    ElectroCase{"CarbonMonoxideType9", 9, 23, 85, 800, 6, kToxic},
                    ElectroCase{"CarbonMonoxideType10", 10, 23, 85, 800, 6, kToxic},
                    ElectroCase{"HydrogenSulphide", 10, 24, 85, 900, 4, kToxic}),
    [](const auto &info) { return info.param.name; });

// ---------------------------------------------------------------- multiplexer bench

// The frames the bench window sends for a sensor type: 12 then 9, type in byte 4.
Frame chooseType(Instrument &in, int type, uint8_t channel = 0)
{
    ask(in, request(0x80, 12, channel, 0, uint8_t(type)));
    return ask(in, request(0x80, 9, channel, 0, uint8_t(type)));
}

TEST(SimBench, SensorTypeReidentifiesAndBringsItsBlocks)
{
    Instrument in(1, 4321, 5);
    for (int type : {7, 2, 10, 9, 4, 3, 1}) {
        const Frame id = chooseType(in, type);
        EXPECT_EQ(id[4], type);
        EXPECT_EQ(u16(id, 5), 4321);
        EXPECT_EQ(ask(in, request(0x80, 9))[4], type) << "plain identification keeps the choice";
        const auto blocks = Instrument::blocksOfType(type);
        for (int b : {3, 8, 11, 13, 17, 20, 21, 22, 23, 24, 28}) {
            const bool carried = std::find(blocks.begin(), blocks.end(), b) != blocks.end();
            EXPECT_EQ(in.handle(request(moduleAddress(uint8_t(b)), 12)).has_value(), carried)
                << "type " << type << " block " << b;
        }
        EXPECT_TRUE(in.handle(request(0x8F, 12))) << "the pump stays";
    }
}

TEST(SimBench, StrayParameterBytesDoNotChangeTheType)
{
    Instrument in(10, 1, 5);
    ask(in, request(0x80, 12, 0, 0xE0, 0x01)); // left behind by an optical page
    EXPECT_EQ(ask(in, request(0x80, 9))[4], 10);
    EXPECT_EQ(ask(in, request(0x80, 9, 0, 0, 7))[4], 10) << "no status request named type 7";
    ask(in, request(0x80, 12, 0, 0, 0x10));
    EXPECT_EQ(ask(in, request(0x80, 9, 0, 0, 0x10))[4], 10) << "not a sensor type";
    EXPECT_TRUE(in.carries(11));
}

TEST(SimBench, EmptySocketsSilenceTheSensorBlocks)
{
    Instrument in(10, 1, 5);
    for (int channel = 1; channel <= 32; ++channel) {
        const Frame base = ask(in, request(0x80, 12, uint8_t(channel)));
        const bool empty = channel % 8 == 0;
        EXPECT_EQ(base[3] & 0x02, empty ? 0x02 : 0) << "sensor link flag, socket " << channel;
        for (uint8_t b : {11, 22, 17})
            EXPECT_EQ(in.handle(request(moduleAddress(b), 12)).has_value(), !empty)
                << "socket " << channel << " block " << int(b);
        EXPECT_TRUE(in.handle(request(0x8F, 12)));
    }
    ask(in, request(0x80, 12)); // no channel: the selection stays
    EXPECT_FALSE(in.handle(request(moduleAddress(22), 12)));
    chooseType(in, 7, 5);
    EXPECT_TRUE(in.handle(request(moduleAddress(22), 12)));
}

} // namespace
