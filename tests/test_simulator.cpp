// The simulated instrument seen from the wire: which requests are answered, and
// what the replies carry after commands of the base, pump, thermocatalytic,
// semiconductor and pressure pages.
#include "Instrument.h"
#include "PgsSim.h"
#include "SimRequests.h"
#include "ThermoBlockSim.h"
#include "connection/Frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace zet;
using namespace zet::sim;
using namespace zet::test;

// ---------------------------------------------------------------- addressing

TEST(SimIdentification, IdentificationFrameForTypeOneSerial12345)
{
    Instrument in(1, 12345, 7);
    const Frame reply = ask(in, request(0x80, 9));
    const Frame expected = {0x00, 0x09, 0x00, 0x00, 0x01, 0x39, 0x30, 0x01};
    EXPECT_EQ(reply, expected);
}

TEST(SimIdentification, TypeAndSerialForEveryType)
{
    const struct {
        int type;
        uint16_t serial;
    } cases[] = {{1, 1}, {2, 500}, {3, 777}, {4, 4000}, {5, 5},
                 {6, 6}, {7, 70},  {8, 8},   {9, 9},    {10, 0xFFFF}};
    for (const auto &c : cases) {
        Instrument in(c.type, c.serial, 3);
        const Frame reply = ask(in, request(0x80, 9));
        EXPECT_EQ(reply[4], c.type);
        EXPECT_EQ(u16(reply, 5), c.serial) << "type " << c.type;
    }
}

TEST(SimAddressing, EachTypeAnswersExactlyOnItsBlocks)
{
    const struct {
        int type;
        std::set<int> blocks;
    } cases[] = {
        {1, {0, 15, 3}},  {2, {0, 15, 20}},
        {3, {0, 15, 21}}, {4, {0, 15, 8}},
        {5, {0, 15, 11}}, {6, {0, 15, 12}},
        {7, {0, 15, 22}}, {8, {0, 15}},
        {9, {0, 15, 23}}, {10, {0, 15, 11, 13, 23, 22, 24, 28, 8, 17}},
    };
    for (const auto &c : cases) {
        Instrument in(c.type, 100, 11);
        for (int block = 0; block < 128; ++block) {
            const auto reply = in.handle(request(moduleAddress(uint8_t(block)), cmd::Status));
            if (!c.blocks.count(block)) {
                EXPECT_FALSE(reply) << "type " << c.type << " block " << block;
                continue;
            }
            ASSERT_TRUE(reply) << "type " << c.type << " block " << block;
            EXPECT_EQ((*reply)[0], block);
            EXPECT_EQ((*reply)[1], cmd::Status);
            EXPECT_TRUE(checkOk(*reply));
        }
    }
}

TEST(SimAddressing, EveryCodeIsAnsweredWithTheSameCode)
{
    for (int type : {1, 2, 3, 4, 10}) {
        Instrument in(type, 1, 5);
        std::vector<int> blocks = {0, 15};
        for (int b : Instrument::blocksOfType(type))
            blocks.push_back(b);
        for (int block : blocks) {
            for (int code = 0; code < 256; ++code) {
                if (block == 0 && code == 8)
                    continue; // switch-off, covered below
                const Frame req = request(moduleAddress(uint8_t(block)), uint8_t(code), 1, 2, 3);
                const auto reply = in.handle(req);
                ASSERT_TRUE(reply) << "type " << type << " block " << block << " code " << code;
                EXPECT_EQ((*reply)[0], block);
                EXPECT_EQ((*reply)[1], code);
                EXPECT_TRUE(checkOk(*reply));
            }
        }
    }
}

TEST(SimAddressing, MalformedRequestsAreNotAnswered)
{
    Instrument in(10, 1, 5);
    Frame badCheck = request(0x8F, cmd::Status);
    badCheck[7] ^= 0x01;
    EXPECT_FALSE(in.handle(badCheck));
    EXPECT_FALSE(in.handle(request(0x0F, cmd::Status))) << "address without the module bit";
    EXPECT_FALSE(in.handle(request(0x83, cmd::Status))) << "TKS block is not on type 10";
    EXPECT_TRUE(in.handle(request(0x8F, cmd::Status)));
}

TEST(SimAddressing, SameSeedGivesSameReplies)
{
    Instrument a(10, 1, 42), b(10, 1, 42);
    a.setWander(true);
    b.setWander(true);
    for (int i = 0; i < 200; ++i) {
        a.advance(350);
        b.advance(350);
        const uint8_t block = std::array<uint8_t, 4>{0, 15, 8, 17}[size_t(i % 4)];
        EXPECT_EQ(a.handle(request(moduleAddress(block), 12)),
                  b.handle(request(moduleAddress(block), 12)));
    }
}

// ---------------------------------------------------------------- base unit

TEST(SimBaseUnit, SwitchOffAnswersOnceThenSilenceUntilPowerUp)
{
    Instrument in(10, 1, 5);
    ask(in, 0, 8);
    EXPECT_TRUE(in.poweredOff());
    for (uint8_t block : {0, 15, 8, 17, 11})
        EXPECT_FALSE(in.handle(request(moduleAddress(block), 12))) << int(block);
    EXPECT_FALSE(in.handle(request(0x80, 9)));
    in.powerUp();
    EXPECT_EQ(ask(in, request(0x80, 9))[4], 10);
}

TEST(SimBaseUnit, CurrentIsBelievableAndRisesWithTestOutputs)
{
    Instrument in(1, 1, 5);
    auto meanCurrent = [&](int n) {
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            const Frame r = ask(in, 0, 12);
            const int current = u16(r, 5);
            EXPECT_GE(current, 6000);
            EXPECT_LE(current, 12000);
            sum += current;
        }
        return sum / n;
    };
    const double idle = meanCurrent(50);
    EXPECT_GT(idle, 6000);
    EXPECT_LT(idle, 9000);

    const Frame led = ask(in, request(0x80, 6, 0, 0xFF, 0));
    EXPECT_EQ(led[2] & 0x01, 0x01) << "test mode flag";
    const double withLed = meanCurrent(50);
    ask(in, request(0x80, 6, 0, 0xFF, 0x10));
    const double withBoth = meanCurrent(50);
    EXPECT_GT(withLed, idle + 1000);
    EXPECT_GT(withBoth, withLed + 500);

    const Frame working = ask(in, 0, 7);
    EXPECT_EQ(working[2] & 0x01, 0);
    EXPECT_LT(meanCurrent(50), withLed - 1000);
}

TEST(SimBaseUnit, DateTimeIsKeptAndRuns)
{
    Instrument in(1, 1, 5);
    const Frame r = ask(in, request(0x80, 211, 0, 0x12, 0x34, 0x56, 0x78));
    EXPECT_EQ(in.base().clockSeconds(), 0x12345678u);
    EXPECT_EQ(r[3] & 0x03, 0) << "status byte 2 shows both links fine";
    in.advance(5500);
    EXPECT_EQ(in.base().clockSeconds(), 0x12345678u + 5);
}

TEST(SimBaseUnit, FlagsReachTheirBits)
{
    Instrument in(1, 1, 5);
    EXPECT_EQ(ask(in, 0, 12)[2], 0);
    in.base().setCharging(true);
    in.base().setBatteryContactBroken(true);
    in.base().setPumpLinkLost(true);
    const Frame r = ask(in, 0, 12);
    EXPECT_EQ(r[2], 0x18);
    EXPECT_EQ(r[3], 0x01);
}

TEST(SimBaseUnit, WanderingShowsChargingAndLowBatteryNowAndThen)
{
    Instrument in(1, 1, 9);
    in.setWander(true);
    bool charging = false, low = false, normal = false;
    for (int i = 0; i < 1000; ++i) { // about six minutes
        in.advance(350);
        const uint8_t s = ask(in, 0, 12)[2];
        charging |= (s & 0x08) != 0;
        low |= (s & 0x04) != 0;
        normal |= (s & 0x0C) == 0;
    }
    EXPECT_TRUE(charging);
    EXPECT_TRUE(low);
    EXPECT_TRUE(normal);
}

// ---------------------------------------------------------------- pump

TEST(SimPump, AmplitudeStaysWithinBoundsAndCoilCurrentFollowsIt)
{
    Instrument in(1, 1, 5);
    int previous = ask(in, 15, 12)[5];
    for (int i = 0; i < 300; ++i)
        ask(in, 15, 13);
    const int bottom = ask(in, 15, 12)[5];
    EXPECT_LT(bottom, previous);
    EXPECT_GT(bottom, 0);
    EXPECT_EQ(ask(in, 15, 13)[5], bottom) << "no step below the lower bound";
    const double lowCurrent = u16(ask(in, 15, 12), 3);

    for (int i = 0; i < 300; ++i)
        ask(in, 15, 1);
    const int top = ask(in, 15, 12)[5];
    EXPECT_GT(top, 200);
    EXPECT_EQ(ask(in, 15, 1)[5], top) << "no step above the upper bound";
    const double highCurrent = u16(ask(in, 15, 12), 3);
    EXPECT_GT(highCurrent, 4 * lowCurrent);

    // one step changes the amplitude by one
    EXPECT_EQ(ask(in, 15, 13)[5], top - 1);

    ask(in, 15, 8);
    const Frame off = ask(in, 15, 12);
    EXPECT_EQ(off[2] & 0x01, 0);
    EXPECT_EQ(u16(off, 3), 0) << "no coil current while the pump is off";
}

TEST(SimPump, FrequencyStepsAndStops)
{
    Instrument in(1, 1, 5);
    const int start = ask(in, 15, 12)[6];
    EXPECT_EQ(ask(in, 15, 3)[6], start + 1);
    EXPECT_EQ(ask(in, 15, 4)[6], start);
    for (int i = 0; i < 100; ++i)
        ask(in, 15, 3);
    const int top = ask(in, 15, 12)[6];
    for (int i = 0; i < 100; ++i)
        ask(in, 15, 4);
    const int bottom = ask(in, 15, 12)[6];
    EXPECT_GT(top, bottom);
    EXPECT_GE(bottom, 10);
    EXPECT_LE(top, 100);
}

TEST(SimPump, StatusBitsVersionAndPositionRange)
{
    Instrument in(1, 1, 5);
    const Frame on = ask(in, 15, 9);
    EXPECT_EQ(on[6], 0x23);
    EXPECT_EQ(on[2], 0x41) << "running, factory settings";
    EXPECT_EQ(ask(in, 15, 6)[2], 0xC1);
    EXPECT_EQ(ask(in, 15, 7)[2], 0x01) << "saved: set-up mode left, settings no longer default";

    auto span = [&] {
        const Frame r = ask(in, 15, 14);
        return int(u16(r, 3)) - int(u16(r, 5));
    };
    const int wide = span();
    EXPECT_GT(wide, 100);
    for (int i = 0; i < 60; ++i)
        ask(in, 15, 13);
    EXPECT_LT(span(), wide - 200);
}

TEST(SimPump, SavedSettingsComeBackAfterPowerUp)
{
    Instrument in(1, 1, 5);
    ask(in, 15, 1);
    ask(in, 15, 1);
    const int saved = ask(in, 15, 7)[5];
    ask(in, 15, 1);
    in.powerUp();
    EXPECT_EQ(ask(in, 15, 12)[5], saved);
}

// ---------------------------------------------------------------- thermocatalytic

namespace {
struct ThermoCase {
    int type;
    uint8_t block;
    uint8_t version;
};
const ThermoCase kThermoCases[] = {{1, 3, 0x13}, {2, 20, 0x21}, {3, 21, 0x22}};
} // namespace

TEST(SimThermo, ThresholdsSetAndReadBack)
{
    for (const auto &c : kThermoCases) {
        Instrument in(c.type, 1, 5);
        const Frame set1 = ask16(in, c.block, 10, 300, 60);
        EXPECT_EQ(s16(set1, 3), 300);
        const Frame r3 = ask(in, c.block, 3);
        EXPECT_EQ(s16(r3, 3), 300) << int(c.block);
        EXPECT_EQ(s16(r3, 5), 60);
        ask16(in, c.block, 11, 120, 600);
        const Frame r4 = ask(in, c.block, 4);
        EXPECT_EQ(s16(r4, 3), 120);
        EXPECT_EQ(s16(r4, 5), 600);
    }
}

TEST(SimThermo, ResetRestoresTheSavedParameters)
{
    for (const auto &c : kThermoCases) {
        Instrument in(c.type, 1, 5);
        ask16(in, c.block, 10, 300, 60);
        ask16(in, c.block, 11, 90, 450);
        ask(in, c.block, 7);
        ask16(in, c.block, 10, 111, 22);
        ask16(in, c.block, 11, 33, 44);
        EXPECT_EQ(s16(ask(in, c.block, 3), 3), 111);
        ask(in, c.block, 6);
        const Frame reset = ask(in, c.block, 16);
        EXPECT_EQ(reset[2] & 0x80, 0) << "reset leaves set-up mode";
        const Frame r3 = ask(in, c.block, 3);
        const Frame r4 = ask(in, c.block, 4);
        EXPECT_EQ(s16(r3, 3), 300) << int(c.block);
        EXPECT_EQ(s16(r3, 5), 60);
        EXPECT_EQ(s16(r4, 3), 90);
        EXPECT_EQ(s16(r4, 5), 450);

        // unsaved changes are also gone after a power cycle
        ask16(in, c.block, 10, 5, 5);
        in.powerUp();
        EXPECT_EQ(s16(ask(in, c.block, 3), 3), 300);
    }
}

TEST(SimThermo, OnOffAndSetupBits)
{
    for (const auto &c : kThermoCases) {
        Instrument in(c.type, 1, 5);
        EXPECT_EQ(ask(in, c.block, 12)[2] & 0x81, 0x01) << "on and working after power-up";
        EXPECT_EQ(ask(in, c.block, 8)[2] & 0x01, 0);
        const Frame off = ask(in, c.block, 12);
        EXPECT_EQ(off[2] & 0x01, 0);
        EXPECT_LT(u16(off, 5), 50) << "no bridge voltage while off";
        const Frame on = ask(in, c.block, 9);
        EXPECT_EQ(on[2] & 0x01, 0x01);
        EXPECT_EQ(on[6], c.version);
        EXPECT_EQ(ask(in, c.block, 6)[2] & 0x80, 0x80);
        EXPECT_EQ(ask(in, c.block, 12)[2] & 0x80, 0x80);
        EXPECT_EQ(ask(in, c.block, 7)[2] & 0x80, 0) << "saving ends set-up mode";
    }
}

TEST(SimThermo, GasSelectionTogglesBitAndParameterSet)
{
    for (uint8_t block : {3, 20}) {
        Instrument in(block == 3 ? 1 : 2, 1, 5);
        EXPECT_EQ(ask(in, block, 12)[2] & 0x02, 0);
        EXPECT_EQ(ask(in, block, 1)[2] & 0x02, 0x02);
        const Frame propane = ask(in, block, 3);
        EXPECT_EQ(s16(propane, 3), 100);
        EXPECT_EQ(s16(propane, 5), 20);
        EXPECT_EQ(ask(in, block, 1)[2] & 0x02, 0);
        EXPECT_EQ(s16(ask(in, block, 3), 3), 250);
    }
    Instrument hydrogen(3, 1, 5);
    EXPECT_EQ(ask(hydrogen, 21, 1)[2] & 0x02, 0) << "the hydrogen block has no gas choice";
    EXPECT_EQ(s16(ask(hydrogen, 21, 3), 3), 200);
}

TEST(SimThermo, ConcentrationCrossesThresholds)
{
    // methane defaults: threshold 1 = 50, threshold 2 = 100, switch-off = 500
    const struct {
        double level;
        uint8_t alarms;
    } cases[] = {{0, 0x00}, {30, 0x00}, {70, 0x10}, {150, 0x30}, {300, 0x30}, {650, 0x70}};
    for (const auto &tc : kThermoCases) {
        if (tc.block == 21)
            continue; // hydrogen thresholds differ
        for (const auto &c : cases) {
            Instrument in(tc.type, 1, 5);
            in.setLevel(tc.block, c.level);
            const Frame r = ask(in, tc.block, 12);
            EXPECT_EQ(r[2] & 0x70, c.alarms) << "block " << int(tc.block) << " level " << c.level;
            EXPECT_NEAR(s16(r, 3), c.level, 6.0);
        }
    }
    Instrument in(1, 1, 5);
    in.setLevel(3, 650);
    ask(in, 3, 8);
    EXPECT_EQ(ask(in, 3, 12)[2] & 0x70, 0) << "no alarms from a sensor that is off";
}

TEST(SimThermo, CalibrationVoltagesAreTakenFromThePresentSignal)
{
    Instrument in(1, 1, 5);
    in.setLevel(3, 0);
    ask(in, 3, 15);
    in.setLevel(3, 250);
    const int uNow = u16(ask(in, 3, 12), 5);
    ask(in, 3, 14);
    const Frame volts = ask(in, 3, 2);
    EXPECT_NEAR(s16(volts, 5), uNow, 15);
    EXPECT_GT(s16(volts, 5) - s16(volts, 3), 300);

    ask16(in, 3, 10, 250, 50);
    in.setLevel(3, 100);
    EXPECT_NEAR(s16(ask(in, 3, 12), 3), 100, 8);

    // U gas taken in clean air leaves no span: settings error
    in.setLevel(3, 0);
    ask(in, 3, 14);
    EXPECT_EQ(ask(in, 3, 12)[2] & 0x04, 0x04);
}

TEST(SimThermo, ZeroAdjustmentCancelsAnOffsetAndKeepsTheSpan)
{
    Instrument in(1, 1, 5);
    in.setLevel(3, 40); // the zero has wandered
    EXPECT_NEAR(s16(ask(in, 3, 12), 3), 40, 6);
    ask(in, 3, 5);
    EXPECT_NEAR(s16(ask(in, 3, 12), 3), 0, 6);
    in.setLevel(3, 140);
    EXPECT_NEAR(s16(ask(in, 3, 12), 3), 100, 8);
}

TEST(SimThermo, SemiconductorHalfHasItsOwnCodes)
{
    for (const auto &c : kThermoCases) {
        if (c.block == 3)
            continue;
        Instrument in(c.type, 1, 5);
        const Frame idle = ask(in, c.block, 21);
        EXPECT_EQ(idle[2], 0x01);
        const int clean = u16(idle, 5);
        EXPECT_GT(clean, 5000);
        EXPECT_LT(clean, 12000);
        in.setLevel(c.block, 200);
        EXPECT_GT(u16(ask(in, c.block, 21), 5), clean + 3000);

        EXPECT_EQ(ask(in, c.block, 20)[2] & 0x01, 0);
        EXPECT_EQ(ask(in, c.block, 21)[2] & 0x01, 0);
        EXPECT_EQ(ask(in, c.block, 12)[2] & 0x01, 0x01) << "thermocatalytic half still on";
        EXPECT_EQ(ask(in, c.block, 18)[2] & 0x01, 0x01);

        in.thermo(c.block)->setPgsFault(true);
        EXPECT_EQ(ask(in, c.block, 21)[2], 0x09);
        EXPECT_EQ(ask(in, c.block, 12)[2] & 0x08, 0) << "fault belongs to the other half";
    }
}

TEST(SimThermo, WanderingCrossesThresholdOneNowAndThen)
{
    Instrument in(1, 1, 21);
    in.setWander(true);
    bool alarm = false, quiet = false;
    for (int i = 0; i < 2000; ++i) { // about twelve minutes
        in.advance(350);
        const uint8_t s = ask(in, 3, 12)[2];
        alarm |= (s & 0x10) != 0;
        quiet |= (s & 0x70) == 0;
    }
    EXPECT_TRUE(alarm);
    EXPECT_TRUE(quiet);
}

// ---------------------------------------------------------------- semiconductor block

TEST(SimPgs, MeasurementLayoutAndDefaultThresholds)
{
    Instrument in(4, 1, 5);
    const Frame clean = ask(in, 8, 12);
    EXPECT_EQ(clean[2], 0x01);
    EXPECT_NEAR(u16(clean, 3) / 4.0, 800.0, 40.0) << "quarter millivolts";
    const Frame limits = ask(in, 8, 4);
    const int t1 = s16(limits, 3), t2 = s16(limits, 5);
    EXPECT_GT(s16(clean, 5), 0);
    EXPECT_LT(s16(clean, 5), t1);
    EXPECT_LT(t1, t2);

    const struct {
        double level;
        uint8_t alarms;
    } cases[] = {{0, 0x00}, {35, 0x10}, {120, 0x30}};
    for (const auto &c : cases) {
        in.setLevel(8, c.level);
        EXPECT_EQ(ask(in, 8, 12)[2] & 0x30, c.alarms) << c.level;
    }
}

TEST(SimPgs, ThresholdsAreTakenAtThePresentLevel)
{
    Instrument in(4, 1, 5);
    const Frame before = ask(in, 8, 4);
    in.setLevel(8, 60);
    const int adc = s16(ask(in, 8, 12), 5);
    const Frame set1 = ask(in, 8, 11);
    EXPECT_NEAR(s16(set1, 3), adc, 10);
    EXPECT_EQ(s16(set1, 5), s16(before, 5)) << "threshold 2 untouched";
    in.setLevel(8, 150);
    const Frame set2 = ask(in, 8, 10);
    EXPECT_GT(s16(set2, 5), s16(set1, 3));
    EXPECT_EQ(s16(ask(in, 8, 4), 3), s16(set1, 3));

    ask(in, 8, 16);
    const Frame after = ask(in, 8, 4);
    EXPECT_EQ(s16(after, 3), s16(before, 3)) << "reset brings back the saved thresholds";
    EXPECT_EQ(s16(after, 5), s16(before, 5));
}

TEST(SimPgs, OnOffSetupAndGas)
{
    Instrument in(4, 1, 5);
    EXPECT_EQ(ask(in, 8, 9)[6], 0x12);
    EXPECT_EQ(ask(in, 8, 8)[2] & 0x01, 0);
    EXPECT_EQ(ask(in, 8, 9)[2] & 0x01, 0x01);
    EXPECT_EQ(ask(in, 8, 6)[2] & 0x80, 0x80);
    EXPECT_EQ(ask(in, 8, 1)[2] & 0x02, 0x02);
    EXPECT_EQ(ask(in, 8, 7)[2] & 0x82, 0x02) << "saved with propane, set-up mode left";
    in.powerUp();
    EXPECT_EQ(ask(in, 8, 12)[2] & 0x02, 0x02);
}

// ---------------------------------------------------------------- pressure block

TEST(SimPressure, ParametersAndRangeFlag)
{
    Instrument in(10, 1, 5);
    const Frame defaults = ask(in, 17, 3);
    EXPECT_EQ(s16(defaults, 3), 1800);
    EXPECT_EQ(s16(defaults, 5), 2000);

    const struct {
        double pressure;
        bool over;
    } cases[] = {{0, false}, {1000, false}, {1950, false}, {2100, true}, {2500, true}};
    for (const auto &c : cases) {
        in.setLevel(17, c.pressure);
        const Frame r = ask(in, 17, 12);
        EXPECT_EQ((r[2] & 0x10) != 0, c.over) << c.pressure;
        EXPECT_NEAR(s16(r, 3), c.pressure, 5);
        EXPECT_NEAR(u16(r, 5), 3000 + 10 * c.pressure, 60) << "tenths of a millivolt";
    }

    ask16(in, 17, 10, 1800, 1900);
    const Frame r3 = ask(in, 17, 3);
    EXPECT_EQ(s16(r3, 3), 1800);
    EXPECT_EQ(s16(r3, 5), 1900);
    in.setLevel(17, 1950);
    EXPECT_EQ(ask(in, 17, 12)[2] & 0x10, 0x10);
    ask(in, 17, 16);
    EXPECT_EQ(s16(ask(in, 17, 3), 5), 2000);
}

TEST(SimPressure, TwoPointCalibration)
{
    Instrument in(10, 1, 5);
    in.setLevel(17, 150); // the sensor shows an offset
    ask(in, 17, 15);
    in.setLevel(17, 1150);
    ask(in, 17, 14);
    ask16(in, 17, 10, 1000, 2000);
    in.setLevel(17, 650);
    EXPECT_NEAR(s16(ask(in, 17, 12), 3), 500, 5);
    const Frame volts = ask(in, 17, 2);
    EXPECT_NEAR(s16(volts, 5) - s16(volts, 3), 10000, 30);

    ask(in, 17, 8);
    const Frame off = ask(in, 17, 12);
    EXPECT_EQ(off[2] & 0x11, 0);
    EXPECT_EQ(ask(in, 17, 9)[6], 0x11);
}
