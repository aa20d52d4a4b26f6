#pragma once
// Optical (infrared) gas blocks: methane 100 % (11, two detectors), methane 5 %
// (12), CO2 (13) and propane 2 % (28). The gas takes part of the source light
// before it reaches the detector; the block turns the drop of the detector signal
// below its zero point into a concentration through one calibration point per
// detector. One class for the four blocks, told apart by their model.

#include "Ambient.h"
#include "SensorBlockSim.h"

#include <span>

namespace zet::sim {

enum class OpticalDiagnostics { None, Flags, FlagsAndState };

struct OpticalSettings {
    std::array<int16_t, 2> calGas;    // hundredths of a percent, detector 1 and 2
    std::array<int16_t, 3> threshold; // hundredths of a percent
    int16_t uZero;                    // detector counts at the zero point
    std::array<int16_t, 2> uGas;      // detector counts at the calibration points
    bool operator==(const OpticalSettings &) const = default;
};

struct OpticalModel {
    uint8_t block;
    uint8_t version;
    int detectors;      // 1 or 2
    bool floatVoltages; // U gas (1) and U zero (5) as single-precision volts in bytes 3-6
    OpticalDiagnostics diagnostics;
    double cleanSignal;            // detector counts in clean air
    double depth;                  // largest share of the light the gas can take
    double scale;                  // level at which 63 % of that share is taken
    int16_t splitLevel;            // a calibration (14) above this concentration is detector 2's
    std::array<int16_t, 2> calGas; // factory calibration gases
    std::array<int16_t, 3> threshold;
};

class OpticalBlockSim : public SensorBlockSim<OpticalSettings> {
public:
    // Status byte
    static constexpr uint8_t kLinkError = 0x02;
    // Self-diagnostic flags (reply 96, byte 5)
    static constexpr uint8_t kSelfTest = 0x01;
    static constexpr uint8_t kSharpChange = 0x02;
    static constexpr uint8_t kSignalLevel = 0x04;
    static constexpr uint8_t kTempRateSlow = 0x08; // above 0.15 degrees a minute
    static constexpr uint8_t kTempRate = 0x10;     // above 0.6
    static constexpr uint8_t kTempRateFast = 0x20; // above 2.0
    static constexpr uint8_t kTempLimits = 0x40;
    // Algorithm state (reply 96, byte 6): the code in bits 3..0 and two flags
    static constexpr uint8_t kZeroCaught = 0x80; // warmed up, measuring against a valid zero
    static constexpr uint8_t kSetupFlag = 0x40;
    enum State : uint8_t {
        Clean = 0,       // "0"
        AboveSecond = 1, // "20"
        Off = 2,         // "Undef"
        AboveFirst = 3,  // "11"
        AboveThird = 4,  // "50"
        SelfTest = 5,    // "1XX": the first two minutes after switch-on
        Warming = 6,     // "10"
        ZeroSearch = 7,  // "21": the last half minute of the self-test
        Setup = 8,       // "90"
        TakingZero = 9,  // "30": a few seconds after the zero point is taken
        TakingGas = 10,  // "40": the same after a gas point
        TempChange = 11, // "24": temperature changing faster than 0.6 degrees a minute
        TempLimits = 12, // "31": temperature outside its limits
        SignalLost = 13, // "22": detector signal too weak
    };
    static constexpr int kSelfTestMs = 210000;
    static constexpr double kVoltsPerCount = 0.001; // float voltages of the 5 % block

    static std::span<const OpticalModel> models();
    static const OpticalModel *model(int block);

    OpticalBlockSim(const OpticalModel &model, uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;
    void powerUp() override;
    void setWander(bool on) override;

    // Fault injection, off by default: this share of the replies reports a broken
    // link to the sensor module (status bit 1, the error code in byte 3).
    void setLinkErrors(double probability, uint8_t code = 0x1F);
    // Temperature around the block, degrees Celsius.
    void setAmbient(double celsius) { ambient_.set(celsius); }

    const OpticalModel &model() const { return model_; }
    uint8_t diagnosticFlags() const;
    uint8_t algorithmState() const;
    uint16_t kelvin() const;

private:
    struct Sample {
        double signal;        // detector counts
        double concentration; // hundredths of a percent, as the block computes it
    };
    static OpticalSettings factorySettings(const OpticalModel &model);
    static double signalAt(const OpticalModel &model, double level);

    Reading measure() override;
    std::optional<Frame> command(const Frame &request) override;
    AlarmLevels alarmLevels() const override;
    uint8_t version() const override { return model_.version; }

    Sample sample();
    uint8_t status(const Sample &s) const;
    bool settingsOk() const;
    double concentrationAt(double signal) const;
    double level() const;
    Frame voltageReply(uint8_t code, uint8_t status, int16_t counts) const;
    Frame voltagesReply(uint8_t code);
    Frame thresholdReply(uint8_t code);
    Frame diagnosticsReply(uint8_t code);

    const OpticalModel &model_;
    Ambient ambient_;
    int selfTestMs_ = 0; // left of the self-test
    int holdMs_ = 0;     // left of the calibration state
    State holdState_ = Clean;
    int sharpMs_ = 0; // left of the sharp-change flag
    double lastLevel_ = 0.0;
    double linkErrors_ = 0.0;
    uint8_t linkErrorCode_ = 0x1F;
};

} // namespace zet::sim
