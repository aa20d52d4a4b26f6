#pragma once
// The simulated instrument: a base unit, a pump and the sensor blocks that its
// device type carries, each behind its module address. It takes one 8-byte request
// at a time and gives at most one reply. On the multiplexer bench the base unit's
// sensor-type choice decides which blocks are there, and while the selected socket
// is one of the empty ones the sensor blocks are silent.

#include "BaseUnitSim.h"
#include "PumpSim.h"
#include "SimBlock.h"

#include <memory>
#include <optional>
#include <vector>

namespace zet::sim {

class ThermoBlockSim;
class PgsSim;
class PressureSim;
class OpticalBlockSim;
class ElectroBlockSim;

class Instrument {
public:
    Instrument(int deviceType, uint16_t serialNumber, uint32_t seed);
    ~Instrument();
    Instrument(const Instrument &) = delete;
    Instrument &operator=(const Instrument &) = delete;

    // Sensor blocks a device type carries (base unit and pump not included);
    // empty for a type the series does not know.
    static std::vector<int> blocksOfType(int deviceType);

    // The reply to one request; nullopt when nothing answers: a bad check byte,
    // a block this type does not carry, a sensor block in an empty bench socket, or
    // an instrument that has been switched off.
    std::optional<Frame> handle(const Frame &request);
    // Time passes (milliseconds): drift, wandering levels, the clock.
    void advance(int64_t ms);
    // Switched off by the base unit's code 8, until powered up again.
    bool poweredOff() const { return poweredOff_; }
    // Power button: every block restarts from its saved settings.
    void powerUp();

    // Let gas levels, pressure and battery flags wander by themselves (demo).
    void setWander(bool on);
    bool wander() const { return wander_; }
    // Gas level or pressure at the sensor of a block, in the unit of its reading;
    // false when the block is absent or measures nothing.
    bool setLevel(int block, double level);
    // Share of the optical blocks' replies that report a broken link to their
    // sensor module (fault injection; 0 by default).
    void setOpticalLinkErrors(double probability, uint8_t code = 0x1F);

    // The type the instrument identifies as now (the bench's choice once made).
    int deviceType() const { return carriedType_; }
    uint16_t serialNumber() const { return serial_; }
    bool carries(int block) const { return this->block(block) != nullptr; }

    SimBlock *block(int number) const;
    BaseUnitSim &base() { return *base_; }
    PumpSim &pump() { return *pump_; }
    ThermoBlockSim *thermo(int number) const;
    PgsSim *pgs() const;
    PressureSim *pressure() const;
    OpticalBlockSim *optical(int number) const;
    ElectroBlockSim *electro(int number) const;

private:
    // Replaces the sensor blocks by those of another type; blocks both types carry
    // stay as they are.
    void carry(int deviceType);
    std::unique_ptr<SimBlock> makeBlock(int number) const;

    int carriedType_;
    uint16_t serial_;
    uint32_t seed_;
    double linkErrors_ = 0.0;
    uint8_t linkErrorCode_ = 0x1F;
    bool poweredOff_ = false;
    bool wander_ = false;
    BaseUnitSim *base_ = nullptr;
    PumpSim *pump_ = nullptr;
    std::vector<std::unique_ptr<SimBlock>> blocks_;
};

} // namespace zet::sim
