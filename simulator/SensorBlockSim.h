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
                gas_ ^= 1;
            break;
        case cmd::sensor::Setup:
            setup_ = true;
            break;
        case cmd::sensor::Save:
            saved_ = ram_;
            savedGas_ = gas_;
            setup_ = false;
            break;
        case cmd::sensor::Off:
            on_ = false;
            break;
        case cmd::sensor::On: {
            on_ = true;
            const Reading m = measure();
            return versionReply(code, m.status, m.first, 0, version());
        }
        case cmd::sensor::Reset:
            ram_ = saved_;
            gas_ = savedGas_;
            setup_ = false;
            break;
        default:
            break;
        }
        const Reading m = measure();
        return reply(code, m.status, m.first, m.second);
    }

    void advance(int ms) override
    {
        drift_.advance(ms, rng_);
        const AlarmLevels a = alarmLevels();
        wander_.setAlarmLevels(a.first, a.second, a.top);
        wander_.advance(ms);
    }

    void powerUp() override
    {
        on_ = true;
        setup_ = false;
        gas_ = savedGas_;
        ram_ = saved_;
    }

    void setWander(bool on) override { wander_.setEnabled(on); }
    bool setLevel(double level) override
    {
        level_ = level;
        return true;
    }

    void setSensorFault(bool on) { fault_ = on; }
    virtual bool selectsGas() const { return Gases > 1; }
    const Settings &settings() const { return ram_[gas_]; }
    const Settings &savedSettings() const { return saved_[gas_]; }

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
        : SimBlock(number, seed), wander_(wanderSeed), drift_(drift), ram_(factory), saved_(factory)
    {
    }

    virtual Reading measure() = 0;
    // Codes of the block family, offered every request first; nullopt leaves the
    // request to the common handling (1 gas, 6 set-up, 7 save, 8 off, 9 on, 16 reset).
    virtual std::optional<Frame> command(const Frame &request) = 0;
    virtual AlarmLevels alarmLevels() const = 0;
    virtual uint8_t version() const = 0;

    bool on() const { return on_; }
    bool faulty() const { return fault_; }
    bool measuring() const { return on_ && !fault_; }
    bool setupMode() const { return setup_; }
    size_t gasIndex() const { return gas_; }
    Settings &working() { return ram_[gas_]; }
    double drift() const { return drift_.value(); }
    // The level that was set plus whatever cloud is passing now.
    double levelNow() const { return level_ + wander_.excess(); }
    double levelSet() const { return level_; }
    double cloud() const { return wander_.excess(); }

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
        if (on_)
            st |= kOn;
        if (selectsGas() && gas_ == 1)
            st |= kPropane;
        if (setup_)
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
    GasWander wander_;
    Drift drift_;
    double level_ = 0.0;
    bool on_ = true;
    bool setup_ = false;
    bool fault_ = false;
    size_t gas_ = 0;
    size_t savedGas_ = 0;
    std::array<Settings, Gases> ram_;
    std::array<Settings, Gases> saved_;
};

} // namespace zet::sim
