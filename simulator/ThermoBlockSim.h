#pragma once
// Thermocatalytic blocks: the TKS block (3) and the combined blocks that carry a
// semiconductor sensor beside it behind the same address (20; 21 for hydrogen).
// The thermocatalytic half calibrates at two voltages (air and calibration gas)
// and compares the concentration with three thresholds; the semiconductor half
// has its own on/off and status codes.

#include "SensorBlockSim.h"

namespace zet::sim {

enum class Gas { Methane, Propane, Hydrogen };

struct TksSettings {
    int16_t calGas;     // hundredths of a percent
    int16_t threshold1; // hundredths of a percent
    int16_t threshold2;
    int16_t switchOff;
    int16_t uAir; // tenths of a millivolt
    int16_t uGas;
    bool operator==(const TksSettings &) const = default;
};

class ThermoBlockSim : public SensorBlockSim<TksSettings, 2> {
public:
    // Thermocatalytic status byte
    static constexpr uint8_t kSensorFault = 0x08;
    static constexpr uint8_t kSwitchOffThreshold = kThreshold3;
    // Semiconductor half: its own codes and status bits
    static constexpr uint8_t kPgsOn = 0x01;
    static constexpr uint8_t kPgsFault = 0x08;

    // number: 3 (TKS), 20 (TKS+PGS) or 21 (TKS+PGS hydrogen)
    ThermoBlockSim(uint8_t number, uint64_t seed);

    void advance(int ms) override;
    void powerUp() override;

    static TksSettings defaults(Gas gas);
    bool hasPgsHalf() const { return number() != 3; }
    bool selectsGas() const override { return number() != 21; }
    Gas gas() const;
    uint8_t version() const override;

    void setPgsFault(bool on) { pgsFault_ = on; }

private:
    struct Sample {
        double voltage;       // tenths of a millivolt at the bridge mid-point
        double concentration; // hundredths of a percent, as the block computes it
    };
    static std::array<TksSettings, 2> factorySettings(uint8_t number);
    Reading measure() override;
    std::optional<Frame> command(const Frame &request) override;
    AlarmLevels alarmLevels() const override;
    Sample sample();
    uint8_t status(const Sample &s) const;
    double sensitivity() const;
    double level() const;
    std::optional<Frame> handlePgsHalf(uint8_t code);

    bool pgsOn_ = true;
    bool pgsFault_ = false;
    Drift pgsDrift_{300.0, 15.0};
};

} // namespace zet::sim
