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
    int frequency() const { return frequency_; }
    int amplitude() const { return amplitude_; }
    bool running() const { return running_; }

private:
    // Coil current in half milliamperes.
    uint16_t coilCurrent();

    bool running_ = true;
    bool setup_ = false;
    bool defaults_ = true; // the saved settings are still the factory ones
    int frequency_ = kDefaultFrequency;
    int amplitude_ = kDefaultAmplitude;
    int savedFrequency_ = kDefaultFrequency;
    int savedAmplitude_ = kDefaultAmplitude;
    Drift centreDrift_{40.0, 4.0};
};

} // namespace zet::sim
