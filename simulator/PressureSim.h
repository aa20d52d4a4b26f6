#pragma once
// Pressure block (17): a bridge sensor calibrated at zero and at a calibration
// pressure, flagging pressures above its measuring-range threshold.

#include "SensorBlockSim.h"

namespace zet::sim {

struct PressureSettings {
    int16_t calPressure;    // hundredths of a kilopascal
    int16_t rangeThreshold; // hundredths of a kilopascal
    int16_t uZero;          // tenths of a millivolt
    int16_t uCal;
    bool operator==(const PressureSettings &) const = default;
};

class PressureSim : public SensorBlockSim<PressureSettings> {
public:
    static constexpr uint8_t kOverRange = 0x10;
    static constexpr uint8_t kVersion = 0x11;

    explicit PressureSim(uint64_t seed);

    static PressureSettings defaults();

private:
    struct Sample {
        double voltage;  // tenths of a millivolt
        double pressure; // hundredths of a kilopascal, as the block computes it
    };
    Reading measure() override;
    std::optional<Frame> command(const Frame &request) override;
    AlarmLevels alarmLevels() const override;
    uint8_t version() const override { return kVersion; }
    Sample sample();
    uint8_t status(const Sample &s) const;
};

} // namespace zet::sim
