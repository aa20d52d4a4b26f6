#pragma once
// Semiconductor (PGS) block, block 8: a leak detector with two thresholds that are
// taken from the converter value present when the set command arrives.

#include "GasWander.h"
#include "SimBlock.h"

#include <array>

namespace zet::sim
{

// Semiconductor sensor output: the load voltage rises with the gas and saturates.
// k is the level (hundredths of a percent) at which half the swing is reached.
namespace semiconductor
{
constexpr double kCleanAirMv = 800.0;
constexpr double kSwingMv = 1400.0;
constexpr double kFullScaleMv = 3300.0;
constexpr int kAdcFull = 4095;
double millivolts(double level, double k);
double levelAt(double mV, double k);
int adcFor(double mV);
double millivoltsFor(int adc);
} // namespace semiconductor

class PgsSim : public SimBlock
{
  public:
    static constexpr uint8_t kOn = 0x01;
    static constexpr uint8_t kPropane = 0x02;
    static constexpr uint8_t kSettingsError = 0x04;
    static constexpr uint8_t kSensorFault = 0x08;
    static constexpr uint8_t kThreshold1 = 0x10;
    static constexpr uint8_t kThreshold2 = 0x20;
    static constexpr uint8_t kSetupMode = 0x80;
    static constexpr uint8_t kVersion = 0x12;

    struct Thresholds {
        int16_t first;
        int16_t second;
    };

    explicit PgsSim(uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;
    void powerUp() override;
    void setWander(bool on) override { m_wander.setEnabled(on); }
    bool setLevel(double level) override;

    void setSensorFault(bool on) { m_fault = on; }
    bool propane() const { return m_gas == 1; }
    const Thresholds &thresholds() const { return m_ram[m_gas]; }
    static Thresholds defaults(int gas);

  private:
    struct Sample {
        double millivolts;
        int adc;
    };
    Sample sample();
    uint8_t status(const Sample &s) const;
    double k() const;

    GasWander m_wander;
    double m_level = 0.0;
    bool m_on = true;
    bool m_setup = false;
    bool m_fault = false;
    int m_gas = 0; // 0 methane, 1 propane
    int m_savedGas = 0;
    std::array<Thresholds, 2> m_ram;
    std::array<Thresholds, 2> m_saved;
    Drift m_drift{30.0, 1.5};
};

} // namespace zet::sim
