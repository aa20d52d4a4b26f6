#pragma once
// Electrochemical gas blocks: oxygen (22), carbon monoxide (23) and hydrogen
// sulphide (24). The cell current goes through an LMP91000 front end whose three
// registers the block keeps with its settings; the block compensates the cell's
// temperature dependence and calibrates at a zero and a gas voltage. One class for
// the three blocks, told apart by their model.

#include "Ambient.h"
#include "SensorBlockSim.h"

#include <span>
#include <vector>

namespace zet::sim {

struct ElectroSettings {
    int16_t calGas;                   // in the unit of the reading
    std::array<int16_t, 4> threshold; // the fourth on the oxygen block only
    int16_t uZero;                    // tenths of a millivolt
    int16_t uGas;
    std::array<uint8_t, 3> frontEnd; // TIACN, REFCN, MODECN
    bool operator==(const ElectroSettings &) const = default;
};

struct ElectroModel {
    uint8_t block;
    uint8_t version;
    int thresholds;     // 3, or 4 on oxygen
    double cleanLevel;  // the reading in clean air: 209 (20.9 %) on oxygen, else 0
    double zeroVoltage; // sensor voltage without gas, tenths of a millivolt
    double slope;       // tenths of a millivolt per unit of the reading, at 20 degrees
    double tempCoef;    // relative change of the slope per degree
    int tempOffset;     // temperature code: byte 5 = tempOffset - degrees
    int coefBase;       // coefficient code: tenths of a percent = coefBase + coefStep * byte 6
    int coefStep;
    bool rangeFlag; // status bit 1 while the temperature is outside its range
    int16_t calGas;
    std::array<int16_t, 4> threshold;
    std::array<uint8_t, 3> frontEnd;
};

class ElectroBlockSim : public SensorBlockSim<ElectroSettings> {
public:
    // Status byte
    static constexpr uint8_t kThermoFault = 0x01;
    static constexpr uint8_t kTempRange = 0x02;
    static constexpr uint8_t kThreshold4 = 0x08;
    // Front-end state, byte 3 of the replies to 32 and 33
    static constexpr uint8_t kFrontEndReady = 0x10;
    static constexpr uint8_t kWriteProtected = 0x01;
    static constexpr double kMinCelsius = -20.0, kMaxCelsius = 50.0;

    static std::span<const ElectroModel> models();
    static const ElectroModel *model(int block);

    ElectroBlockSim(const ElectroModel &model, uint64_t seed);

    void advance(int ms) override;
    void setWander(bool on) override;

    // The front end answers (ready) and takes writes (not protected); both by default.
    void setFrontEndReady(bool on) { ready_ = on; }
    void setWriteProtected(bool on) { protected_ = on; }
    bool frontEndReady() const { return ready_; }
    bool writeProtected() const { return protected_; }
    // A broken temperature sensor: status bit 0, no compensation.
    void setThermoFault(bool on) { setSensorFault(on); }
    void setAmbient(double celsius) { ambient_.set(celsius); }

    const ElectroModel &model() const { return model_; }
    std::array<uint8_t, 3> frontEnd() const { return settings().frontEnd; }
    uint8_t frontEndState() const;

private:
    struct Sample {
        double voltage;       // tenths of a millivolt
        double concentration; // as the block computes it
    };
    static ElectroSettings factorySettings(const ElectroModel &model);

    Reading measure() override;
    std::optional<Frame> command(const Frame &request) override;
    AlarmLevels alarmLevels() const override;
    uint8_t version() const override { return model_.version; }

    Sample sample();
    uint8_t status(const Sample &s) const;
    bool settingsOk() const;
    bool tripped(int index, long concentration) const;
    double level() const;
    double sensitivity() const;  // the cell's slope against its slope at 20 degrees
    double compensation() const; // what the block divides by
    double gain() const;         // front-end gain against the factory setting
    uint8_t temperatureCode() const;
    uint8_t coefficientCode() const;
    Frame registersReply(uint8_t code, uint8_t byte3, bool withRegisters);
    Frame frontEndReply(uint8_t code);
    Frame identificationReply(uint8_t code);
    static AlarmLevels cloudLevels(std::vector<double> distances, double cap);
    std::vector<double> thresholdDistances(bool above) const;

    const ElectroModel &model_;
    Ambient ambient_;
    GasWander enrich_; // oxygen: clouds that raise the level; the common ones lower it
    bool ready_ = true;
    bool protected_ = false;
};

} // namespace zet::sim
