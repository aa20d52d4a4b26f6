#pragma once
// Semiconductor (PGS) block, block 8: a leak detector with two thresholds that are
// taken from the converter value present when the set command arrives.

#include "SensorBlockSim.h"

namespace zet::sim {

// Semiconductor sensor output: the load voltage rises with the gas and saturates.
// k is the level (hundredths of a percent) at which half the swing is reached.
namespace semiconductor {
constexpr double kCleanAirMv = 800.0;
constexpr double kSwingMv = 1400.0;
constexpr double kFullScaleMv = 3300.0;
constexpr int kAdcFull = 4095;
double millivolts(double level, double k);
double levelAt(double mV, double k);
int adcFor(double mV);
double millivoltsFor(int adc);
} // namespace semiconductor

// Converter values at which threshold 1 and threshold 2 trip.
struct PgsThresholds {
    int16_t first;
    int16_t second;
};

class PgsSim : public SensorBlockSim<PgsThresholds, 2> {
public:
    static constexpr uint8_t kSensorFault = 0x08;
    static constexpr uint8_t kVersion = 0x12;

    using Thresholds = PgsThresholds;

    explicit PgsSim(uint64_t seed);

    bool propane() const { return gasIndex() == 1; }
    const Thresholds &thresholds() const { return settings(); }
    static Thresholds defaults(int gas);

private:
    struct Sample {
        double millivolts;
        int adc;
    };
    Reading measure() override;
    std::optional<Frame> command(const Frame &request) override;
    AlarmLevels alarmLevels() const override;
    uint8_t version() const override { return kVersion; }
    Sample sample();
    uint8_t status(const Sample &s) const;
    double k() const;
};

} // namespace zet::sim
