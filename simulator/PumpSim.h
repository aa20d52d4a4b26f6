#pragma once
// Pump (block 15): a vibrating drive with frequency and amplitude settings, coil
// current that follows the amplitude, and a position sensor.

#include "SimBlock.h"

namespace zet::sim {

class PumpSim : public SimBlock {
public:
    static constexpr uint8_t kRunning = 0x01;
    static constexpr uint8_t kDefaultSettings = 0x40;
    static constexpr uint8_t kSetupMode = 0x80;

    static constexpr int kMinFrequency = 20, kMaxFrequency = 60;
    static constexpr int kMinAmplitude = 20, kMaxAmplitude = 240;
    static constexpr int kDefaultFrequency = 35, kDefaultAmplitude = 120;
    static constexpr uint8_t kVersion = 0x23;

    explicit PumpSim(uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;
    void powerUp() override;

    uint8_t status() const;
    int frequency() const { return m_frequency; }
    int amplitude() const { return m_amplitude; }
    bool running() const { return m_running; }

private:
    // Coil current in half milliamperes.
    uint16_t coilCurrent();

    bool m_running = true;
    bool m_setup = false;
    bool m_defaults = true; // the saved settings are still the factory ones
    int m_frequency = kDefaultFrequency;
    int m_amplitude = kDefaultAmplitude;
    int m_savedFrequency = kDefaultFrequency;
    int m_savedAmplitude = kDefaultAmplitude;
    Drift m_centreDrift{40.0, 4.0};
};

} // namespace zet::sim
