#pragma once
// Thermocatalytic blocks: the TKS block (3) and the combined blocks that carry a
// semiconductor sensor beside it behind the same address (20; 21 for hydrogen).
// The thermocatalytic half calibrates at two voltages (air and calibration gas)
// and compares the concentration with three thresholds; the semiconductor half
// has its own on/off and status codes.

#include "GasWander.h"
#include "SimBlock.h"

#include <array>

namespace zet::sim
{

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

class ThermoBlockSim : public SimBlock
{
  public:
    // Thermocatalytic status byte
    static constexpr uint8_t kOn = 0x01;
    static constexpr uint8_t kPropane = 0x02;
    static constexpr uint8_t kSettingsError = 0x04;
    static constexpr uint8_t kSensorFault = 0x08;
    static constexpr uint8_t kThreshold1 = 0x10;
    static constexpr uint8_t kThreshold2 = 0x20;
    static constexpr uint8_t kSwitchOffThreshold = 0x40;
    static constexpr uint8_t kSetupMode = 0x80;
    // Semiconductor half: its own codes and status bits
    static constexpr uint8_t kPgsOnCode = 18;
    static constexpr uint8_t kPgsOffCode = 20;
    static constexpr uint8_t kPgsStatusCode = 21;
    static constexpr uint8_t kPgsOn = 0x01;
    static constexpr uint8_t kPgsFault = 0x08;

    // number: 3 (TKS), 20 (TKS+PGS) or 21 (TKS+PGS hydrogen)
    ThermoBlockSim(uint8_t number, uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;
    void powerUp() override;
    void setWander(bool on) override { m_wander.setEnabled(on); }
    bool setLevel(double level) override;

    static TksSettings defaults(Gas gas);
    bool hasPgsHalf() const { return number() != 3; }
    bool selectsGas() const { return number() != 21; }
    Gas gas() const;
    const TksSettings &settings() const { return m_ram[m_gasIndex]; }
    const TksSettings &savedSettings() const { return m_saved[m_gasIndex]; }
    uint8_t version() const;

    void setSensorFault(bool on) { m_fault = on; }
    void setPgsFault(bool on) { m_pgsFault = on; }

  private:
    struct Sample {
        double voltage;       // tenths of a millivolt at the bridge mid-point
        double concentration; // hundredths of a percent, as the block computes it
    };
    Sample sample();
    uint8_t status(const Sample &s) const;
    double sensitivity() const;
    double level() const;
    std::optional<Frame> handlePgsHalf(uint8_t code);

    GasWander m_wander;
    double m_level = 0.0;
    bool m_on = true;
    bool m_setup = false;
    bool m_fault = false;
    size_t m_gasIndex = 0; // 0 methane (hydrogen on block 21), 1 propane
    size_t m_savedGasIndex = 0;
    std::array<TksSettings, 2> m_ram;
    std::array<TksSettings, 2> m_saved;
    Drift m_drift{60.0, 3.0}; // tenths of a millivolt

    bool m_pgsOn = true;
    bool m_pgsFault = false;
    Drift m_pgsDrift{300.0, 15.0};
};

} // namespace zet::sim
