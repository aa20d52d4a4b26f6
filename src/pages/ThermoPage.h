#pragma once
// Thermocatalytic blocks: the TKS block and the two combined blocks that carry a
// semiconductor sensor beside the thermocatalytic one behind the same address.
// Each block is described by a ThermoInfo; the combined blocks have their own page
// class, CombinedThermoPage.

#include "pages/SensorPage.h"

#include <QString>

#include <array>

namespace zet {

// Where the thermocatalytic layouts place a button row among their other controls.
enum ThermoSlot {
    TopButtons = 1,    // beside the status
    SemiconductorPair, // the semiconductor sensor's on/off
    SideButtons,       // below the on/off pairs
    AirVoltage,        // beside U air
    GasVoltage,        // beside U gas
    ApplyButtons,      // beside the parameter fields
    ParameterButtons,  // below the parameter fields
    BottomButtons,     // at the page's foot
};

// Parameter defaults: for the gas named by the parameter group's caption, or for
// any caption when `caption` is null.
struct ThermoDefaults {
    const char *caption;
    std::array<int, 4> values;
};

// U air and U gas, and the calibration gas, threshold 1, threshold 2 and
// switch-off threshold fields in their inner panel.
struct ParameterFields {
    const char *group = nullptr;
    const char *title = ""; // before the first reply, or for good when the gas is fixed
    const char *uAir = nullptr;
    const char *uGas = nullptr;
    const char *panel = nullptr;
    std::array<const char *, 4> fields{};
};

struct ChartAndValue {
    int number = 0;
    const char *valuePanel = nullptr; // latest sample, inside the chart
};

// Semiconductor sensor beside the thermocatalytic one (combined blocks).
struct SemiconductorHalf {
    const char *group = nullptr;
    std::array<const char *, 2> panels{}; // top to bottom
    std::span<const StatusRow> rows{};
    ChartAndValue chart{};
};

struct ThermoInfo {
    StatusGroup status{};
    ParameterFields params{};
    const char *concentrationGroup = nullptr;
    const char *concentration = nullptr;
    const char *version = nullptr;
    ChartAndValue chart{};
    SemiconductorHalf semiconductor{}; // combined blocks only
    std::span<const ButtonRow> buttons{};
    std::span<const ThermoDefaults> defaults{};
};

const ThermoInfo &tksInfo();
const ThermoInfo &tksPgsInfo();
const ThermoInfo &tksPgsHydrogenInfo();

// The TKS page; CombinedThermoPage (TKS+PGS) builds on it.
class ThermoPage : public SensorPage {
public:
    ThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info,
               QWidget *parent = nullptr);

    enum Action {
        AdjustZero = 1,
        ApplyCalibration, // calibration gas and threshold 1
        ApplyThresholds,  // threshold 2 and switch-off threshold
        Defaults,
    };

protected:
    static constexpr uint8_t kSensorOn = 0x01; // status bit: sensor switched on
    struct Unbuilt {};
    // For a page that lays itself out.
    ThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info, QWidget *parent,
               Unbuilt);

    const StatusPanels &statusPanels(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    void measure(const Frame &reply) override;
    // The text of the chart's latest sample.
    virtual QString sampleText(const Frame &reply) const;
    void act(int action) override;
    virtual void apply(uint8_t code, const QLineEdit *first, const QLineEdit *second);

    void buildParameters(QWidget *group, int top);

    const ThermoInfo &info_;
    TrendChart *chart_ = nullptr;
    StatusPanels status_;
    QGroupBox *params_ = nullptr;
    QLineEdit *uAir_ = nullptr;
    QLineEdit *uGas_ = nullptr;
    std::array<QLineEdit *, 4> fields_{};
    TextControl concentration_;
    QLabel *chartValue_ = nullptr;

private:
    void buildSingle();
    void fillDefaults();
};

} // namespace zet
