#pragma once
// The simulated instrument: a base unit, a pump and the sensor blocks that its
// device type carries, each behind its module address. It takes one 8-byte request
// at a time and gives at most one reply.

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
    // a block this type does not carry, or an instrument that has been switched off.
    std::optional<Frame> handle(const Frame &request);
    // Time passes (milliseconds): drift, wandering levels, the clock.
    void advance(int64_t ms);
    // Switched off by the base unit's code 8, until powered up again.
    bool poweredOff() const { return m_poweredOff; }
    // Power button: every block restarts from its saved settings.
    void powerUp();

    // Let gas levels, pressure and battery flags wander by themselves (demo).
    void setWander(bool on);
    bool wander() const { return m_wander; }
    // Gas level (hundredths of a percent) or pressure (hundredths of a kPa) at the
    // sensor of a block; false when the block is absent or measures nothing.
    bool setLevel(int block, double level);

    int deviceType() const { return m_deviceType; }
    uint16_t serialNumber() const { return m_serial; }
    bool carries(int block) const { return this->block(block) != nullptr; }

    SimBlock *block(int number) const;
    BaseUnitSim &base() { return *m_base; }
    PumpSim &pump() { return *m_pump; }
    ThermoBlockSim *thermo(int number) const;
    PgsSim *pgs() const;
    PressureSim *pressure() const;

private:
    int m_deviceType;
    uint16_t m_serial;
    bool m_poweredOff = false;
    bool m_wander = false;
    BaseUnitSim *m_base = nullptr;
    PumpSim *m_pump = nullptr;
    std::vector<std::unique_ptr<SimBlock>> m_blocks;
};

} // namespace zet::sim
