#pragma once
// What the gas and pressure blocks have in common: switched on and off, set-up
// mode, working settings beside a saved copy (one set per gas where the block
// switches gases), and a level at the sensor with drift and a passing cloud.
// A block family adds how it measures and the codes of its own.

#include "GasWander.h"
#include "SimBlock.h"

#include <array>
#include <cstddef>
#include <initializer_list>

namespace zet::sim {

template <typename Settings, size_t Gases = 1> class SensorBlockSim : public SimBlock {
public:
    static constexpr uint8_t kOn = 0x01;
    static constexpr uint8_t kPropane = 0x02;
    static constexpr uint8_t kSettingsError = 0x04;
    static constexpr uint8_t kSetupMode = 0x80;
    // The reading has reached threshold 1, 2 or 3.
    static constexpr uint8_t kThreshold1 = 0x10;
    static constexpr uint8_t kThreshold2 = 0x20;
    static constexpr uint8_t kThreshold3 = 0x40;

    // The block family sees every request first; what it declines gets the common
    // handling below and a plain reading.
    std::optional<Frame> handle(const Frame &request) override
    {
        if (auto own = command(request))
            return own;
        const uint8_t code = request[1];
        switch (code) {
        case cmd::sensor::SelectGas:
            if (selectsGas())
                m_gas ^= 1;
            break;
        case cmd::sensor::Setup:
            m_setup = true;
            break;
        case cmd::sensor::Save:
            m_saved = m_ram;
            m_savedGas = m_gas;
            m_setup = false;
            break;
        case cmd::sensor::Off:
            m_on = false;
            break;
        case cmd::sensor::On: {
            m_on = true;
            const Reading m = measure();
            return versionReply(code, m.status, m.first, 0, version());
        }
        case cmd::sensor::Reset:
            m_ram = m_saved;
            m_gas = m_savedGas;
            m_setup = false;
            break;
        default:
            break;
        }
        const Reading m = measure();
        return reply(code, m.status, m.first, m.second);
    }

    void advance(int ms) override
    {
        m_drift.advance(ms, m_rng);
        const AlarmLevels a = alarmLevels();
        m_wander.setAlarmLevels(a.first, a.second, a.top);
        m_wander.advance(ms);
    }

    void powerUp() override
    {
        m_on = true;
        m_setup = false;
        m_gas = m_savedGas;
        m_ram = m_saved;
    }

    void setWander(bool on) override { m_wander.setEnabled(on); }
    bool setLevel(double level) override
    {
        m_level = level;
        return true;
    }

    void setSensorFault(bool on) { m_fault = on; }
    virtual bool selectsGas() const { return Gases > 1; }
    const Settings &settings() const { return m_ram[m_gas]; }
    const Settings &savedSettings() const { return m_saved[m_gas]; }

protected:
    // One look at the sensor: the status byte and the two words of a plain reply.
    struct Reading {
        uint8_t status;
        uint16_t first;
        uint16_t second;
    };
    // Where the peaks of a passing cloud are picked, in the unit of the level.
    struct AlarmLevels {
        double first;
        double second;
        double top;
    };

    SensorBlockSim(uint8_t number, uint64_t seed, uint64_t wanderSeed, Drift drift,
                   const std::array<Settings, Gases> &factory)
        : SimBlock(number, seed), m_wander(wanderSeed), m_drift(drift), m_ram(factory),
          m_saved(factory)
    {
    }

    virtual Reading measure() = 0;
    // Codes of the block family, offered every request first; nullopt leaves the
    // request to the common handling (1 gas, 6 set-up, 7 save, 8 off, 9 on, 16 reset).
    virtual std::optional<Frame> command(const Frame &request) = 0;
    virtual AlarmLevels alarmLevels() const = 0;
    virtual uint8_t version() const = 0;

    bool on() const { return m_on; }
    bool faulty() const { return m_fault; }
    bool measuring() const { return m_on && !m_fault; }
    bool setupMode() const { return m_setup; }
    size_t gasIndex() const { return m_gas; }
    Settings &working() { return m_ram[m_gas]; }
    double drift() const { return m_drift.value(); }
    // The level that was set plus whatever cloud is passing now.
    double levelNow() const { return m_level + m_wander.excess(); }
    double levelSet() const { return m_level; }
    double cloud() const { return m_wander.excess(); }

    // Thresholds in rising order, the first above zero.
    static bool ordered(long t1, long t2, long t3) { return t1 > 0 && t1 <= t2 && t2 <= t3; }
    // The threshold bits, from kThreshold1 up, of every threshold the reading has reached.
    static uint8_t thresholdBits(long reading, std::initializer_list<long> thresholds)
    {
        uint8_t st = 0;
        uint8_t bit = kThreshold1;
        for (long t : thresholds) {
            if (reading >= t)
                st |= bit;
            bit = uint8_t(bit << 1);
        }
        return st;
    }

    // On, propane and set-up bits; the block adds the rest.
    uint8_t commonStatus() const
    {
        uint8_t st = 0;
        if (m_on)
            st |= kOn;
        if (selectsGas() && m_gas == 1)
            st |= kPropane;
        if (m_setup)
            st |= kSetupMode;
        return st;
    }

    Frame settingsReply(uint8_t code, int16_t first, int16_t second)
    {
        return reply(code, measure().status, uint16_t(first), uint16_t(second));
    }
    // Set command: the two parameters become two settings, and the reply repeats them.
    Frame setPair(const Frame &request, int16_t &first, int16_t &second)
    {
        first = paramA(request);
        second = paramB(request);
        return settingsReply(request[1], first, second);
    }
    // A sensor calibrated at two voltages takes the present voltage as its zero
    // voltage keeping the span (5), as the calibration voltage (14) or as the zero
    // voltage (15).
    void takeVoltage(uint8_t code, double voltage, int16_t &zero, int16_t &cal) const
    {
        if (!measuring())
            return;
        if (code == cmd::sensor::AdjustZero) {
            const int shift = int(std::lround(voltage)) - zero;
            zero = int16_t(zero + shift);
            cal = int16_t(std::clamp(cal + shift, -32768, 32767));
        } else {
            (code == cmd::sensor::TakeGasVoltage ? cal : zero) = toWord(voltage);
        }
    }

private:
    GasWander m_wander;
    Drift m_drift;
    double m_level = 0.0;
    bool m_on = true;
    bool m_setup = false;
    bool m_fault = false;
    size_t m_gas = 0;
    size_t m_savedGas = 0;
    std::array<Settings, Gases> m_ram;
    std::array<Settings, Gases> m_saved;
};

} // namespace zet::sim
