#pragma once
// Pressure block (17): a bridge sensor calibrated at zero and at a calibration
// pressure, flagging pressures above its measuring-range threshold.

#include "GasWander.h"
#include "SimBlock.h"

namespace zet::sim
{

struct PressureSettings {
    int16_t calPressure;    // hundredths of a kilopascal
    int16_t rangeThreshold; // hundredths of a kilopascal
    int16_t uZero;          // tenths of a millivolt
    int16_t uCal;
    bool operator==(const PressureSettings &) const = default;
};

class PressureSim : public SimBlock
{
  public:
    static constexpr uint8_t kOn = 0x01;
    static constexpr uint8_t kSettingsError = 0x04;
    static constexpr uint8_t kOverRange = 0x10;
    static constexpr uint8_t kSetupMode = 0x80;
    static constexpr uint8_t kVersion = 0x11;

    explicit PressureSim(uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;
    void powerUp() override;
    void setWander(bool on) override { m_wander.setEnabled(on); }
    bool setLevel(double pressure) override;

    static PressureSettings defaults();
    const PressureSettings &settings() const { return m_ram; }
    void setSensorFault(bool on) { m_fault = on; }

  private:
    struct Sample {
        double voltage;  // tenths of a millivolt
        double pressure; // hundredths of a kilopascal, as the block computes it
    };
    Sample sample();
    uint8_t status(const Sample &s) const;

    GasWander m_wander;
    double m_pressure = 0.0;
    bool m_on = true;
    bool m_setup = false;
    bool m_fault = false;
    PressureSettings m_ram;
    PressureSettings m_saved;
    Drift m_drift{40.0, 2.0};
};

} // namespace zet::sim
