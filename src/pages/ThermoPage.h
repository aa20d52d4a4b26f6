#pragma once
// Thermocatalytic blocks: the TKS block and the two combined blocks that carry a
// semiconductor sensor beside the thermocatalytic one behind the same address.
// One page class, described per block by a ThermoInfo.

#include "pages/SensorPage.h"

#include <array>

namespace zet {

enum class ThermoAction {
    On,
    Off,
    Setup,
    SelectGas,
    AdjustZero,
    TakeAirVoltage,
    TakeGasVoltage,
    ApplyCalibration, // calibration gas and threshold 1
    ApplyThresholds,  // threshold 2 and switch-off threshold
    Save,
    Read,
    Defaults,
    Reset,
    PgsOn,
    PgsOff,
};

struct ThermoButton {
    ThermoAction action;
    const char *name;
    const char *caption;
};

// Parameter defaults: for the gas named by the parameter group's caption, or for
// any caption when `caption` is null.
struct ThermoDefaults {
    const char *caption;
    std::array<int, 4> values;
};

struct ThermoInfo {
    int pageIndex;
    // Semiconductor half beside the thermocatalytic one: alternating idle poll,
    // every button through the command queue.
    bool combined;

    const char *statusGroup;
    const char *statusTitle;
    std::array<const char *, 7> statusPanels; // top to bottom
    std::span<const StatusRow> status;

    const char *paramGroup;
    const char *paramTitle; // before the first reply, or for good when the gas is fixed
    const char *uAir;
    const char *uGas;
    const char *fieldPanel;
    std::array<const char *, 4> fields; // calibration gas, threshold 1, threshold 2, switch-off
    const char *concentrationGroup;
    const char *concentration;
    const char *version;
    int chart;
    const char *chartValue;

    // Semiconductor half (combined blocks only).
    const char *pgsGroup;
    std::array<const char *, 2> pgsPanels; // top to bottom
    std::span<const StatusRow> pgsStatus;
    int pgsChart;
    const char *pgsChartValue;

    std::span<const ThermoButton> buttons;
    std::span<const ThermoDefaults> defaults;
};

const ThermoInfo &tksInfo();
const ThermoInfo &tksPgsInfo();
const ThermoInfo &tksPgsHydrogenInfo();

class ThermoPage : public SensorPage {
public:
    ThermoPage(PageHost &host, const ThermoInfo &info, QWidget *parent = nullptr);

    void trigger(ThermoAction action);

protected:
    void idleRequest() override;
    std::span<const StatusRow> statusRows(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    bool measures(uint8_t code) const override;
    void measure(const Frame &reply) override;
    bool sensorOnNow() override;

private:
    static bool pgsHalf(uint8_t code);
    void buildSingle();
    void buildCombined();
    void placeButton(ThermoAction action, QWidget *parent, QRect geometry);
    void buildParameters(QWidget *group, int top);
    // One command: written directly on the TKS page, queued on the combined ones.
    void single(uint8_t code);
    void apply(uint8_t code, const char *first, const char *second);
    void fillDefaults();

    const ThermoInfo &info_;
    TrendChart *chart_ = nullptr;
    TrendChart *pgsChart_ = nullptr;
    // A set command waiting in the queue, with the values entered for it: the
    // fall-back to the idle request must not clear them before it goes out.
    struct PendingSet {
        uint8_t code = 0;
        std::array<uint8_t, 4> bytes{};
    };
    std::optional<PendingSet> pending_;
    // Status byte of the latest thermocatalytic answer of the block.
    std::optional<uint8_t> thermoStatus_;
};

} // namespace zet
