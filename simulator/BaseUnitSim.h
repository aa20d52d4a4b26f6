#pragma once
// Base unit (block 0): identification, battery and link flags, supply current,
// test outputs, switch-off and the instrument clock; on the multiplexer bench also
// the sensor type under test and the selected socket.

#include "SimBlock.h"

#include <array>

namespace zet::sim {

class BaseUnitSim : public SimBlock {
public:
    // Status byte 1 (reply byte 2)
    static constexpr uint8_t kBatteryContactBroken = 0x10;
    static constexpr uint8_t kCharging = 0x08;
    static constexpr uint8_t kBatteryLow = 0x04;
    static constexpr uint8_t kTestMode = 0x01;
    // Status byte 2 (reply byte 3)
    static constexpr uint8_t kNoSensorLink = 0x02;
    static constexpr uint8_t kNoPumpLink = 0x01;

    // Bench sockets (channel codes) with no sensor block in them.
    static constexpr std::array<uint8_t, 4> kEmptySockets = {8, 16, 24, 32};
    static constexpr int kSockets = 32;
    // Sensor types the bench can put in front of the base unit.
    static bool isSensorType(int code);

    BaseUnitSim(int deviceType, uint16_t serialNumber, uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;
    void powerUp() override;
    void setWander(bool on) override { wander_ = on; }

    // Fixed flags; with wandering on, charging and low battery also come and go.
    void setCharging(bool on) { charging_ = on; }
    void setBatteryLow(bool on) { batteryLow_ = on; }
    void setBatteryContactBroken(bool on) { contactBroken_ = on; }
    void setSensorLinkLost(bool on) { sensorLinkLost_ = on; }
    void setPumpLinkLost(bool on) { pumpLinkLost_ = on; }

    // The type identification reports: the bench's choice once there is one.
    int identifiedType() const { return benchType_ != 0 ? benchType_ : deviceType_; }
    // Bench selections; 0 while the bench has chosen none.
    int benchType() const { return benchType_; }
    int socket() const { return socket_; }
    bool socketEmpty() const;

    uint8_t status1() const;
    uint8_t status2() const;
    bool testMode() const { return testMode_; }
    bool ledOn() const { return led_; }
    bool soundOn() const { return sound_; }
    // Seconds since 2010-01-01 as last set, advanced by the elapsed time.
    uint32_t clockSeconds() const { return clockSeconds_; }
    // Supply current in hundredths of a milliampere, with noise.
    uint16_t current();

private:
    void takeBench(const Frame &request);

    int deviceType_;
    uint16_t serial_;
    bool wander_ = false;
    int cycleMs_ = 0;
    int cycleOffsetMs_ = 0;

    bool testMode_ = false;
    bool led_ = false;
    bool sound_ = false;
    bool charging_ = false;
    bool batteryLow_ = false;
    bool contactBroken_ = false;
    bool sensorLinkLost_ = false;
    bool pumpLinkLost_ = false;

    int benchType_ = 0;
    int armedType_ = 0; // named by a status request, taken on the identification after it
    int socket_ = 0;

    uint32_t clockSeconds_ = 0;
    int clockMs_ = 0;
    Drift drift_{800.0, 150.0};
};

} // namespace zet::sim
