#pragma once
// Optical blocks (methane 100 %, methane 5 %, CO2, propane 2 %): one page class,
// described per block by an OpticalInfo. Every command goes through the command
// queue; the page table's idle queue takes over once the block has answered.

#include "pages/SensorPage.h"

#include <array>
#include <span>

namespace zet {

class CheckList;

// What the block's diagnostics answer carries.
enum class Diagnostics {
    None,          // the block has no diagnostics
    Flags,         // the eight self-diagnostic flags in byte 5
    FlagsAndState, // and, in byte 6, two flags and the algorithm state
};

// How the zero and gas voltages come on the wire.
enum class VoltageEncoding {
    Int16,   // signed, in bytes 3-4 or 5-6
    Float32, // single precision in bytes 3-6, byte 3 least significant
};

// A read-only voltage filled from one answer.
struct Readout {
    const char *name = nullptr;
    const char *label = "";
    uint8_t code = 0; // the answer carrying it
    int byte = 3;     // where its value starts
};

// A calibration-gas concentration or threshold field, refilled by one answer.
struct ParameterField {
    const char *name = nullptr;
    const char *label = "";
    uint8_t code = 0;
    int byte = 3;
    int defaultValue = 0;
};

// Where the layout places a button row (its slot); a button with fields sits
// beside them.
enum class OpticalRole {
    On = 1,
    Off,
    Setup,
    ApplyZero,    // beside the zero voltage
    ReadVoltages, // beside the gas voltage
    ApplyField,   // beside the fields it sends
    Save,
    Read,
    Defaults,
    Temperature,
};

struct OpticalInfo {
    const char *statusGroup = nullptr;
    // Top to bottom: sensor on, mode, settings, link, thresholds 3, 2, 1.
    std::array<const char *, 7> statusPanels{};
    const char *concentrationGroup = nullptr;
    const char *concentration = nullptr;
    const char *version = nullptr;
    int chart = 0;
    const char *signal = nullptr; // latest detector signal, inside the chart
    VoltageEncoding voltages = VoltageEncoding::Int16;
    std::array<Readout, 3> readouts{}; // zero voltage first, then the gas voltages
    const char *settingsGroup = nullptr;
    const char *settingsPanel = nullptr;
    std::array<ParameterField, 5> fields{}; // calibration gases, then thresholds 1 to 3
    std::span<const ButtonRow> buttons{};
    Diagnostics diagnostics = Diagnostics::None;
    const char *flags = nullptr;     // the self-diagnostic flags
    const char *state = nullptr;     // the two flags and the algorithm states
    const char *stateCode = nullptr; // the algorithm state as a number
    const char *measuring = nullptr; // "Измерение" or "Показания"
    const char *temperature = nullptr;
};

const OpticalInfo &methane100Info();
const OpticalInfo &methane5Info();
const OpticalInfo &co2Info();
const OpticalInfo &propaneInfo();

class OpticalPage : public SensorPage {
public:
    OpticalPage(PageHost &host, const PageRow &row, const OpticalInfo &info,
                QWidget *parent = nullptr);

    enum Action { Defaults = 1 }; // fills the fields, sends nothing

protected:
    void act(int action) override;
    const StatusPanels &statusPanels(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    bool measures(uint8_t code) const override;
    void measure(const Frame &reply) override;

private:
    void build();
    void buildSettings();
    int buildRightColumn(); // returns the top of what sits below the chart
    void place(OpticalRole role, QWidget *parent, QRect geometry);
    void showDiagnostics(const Frame &reply);
    QString voltageText(const Frame &reply, int byte) const;
    void fillDefaults();

    const OpticalInfo &info_;
    std::array<StatusRow, 7> rows_;
    StatusPanels status_;
    TrendChart *chart_ = nullptr;
    std::array<QLineEdit *, 3> readouts_{};
    std::array<QLineEdit *, 5> fields_{};
    QLineEdit *concentration_ = nullptr;
    QLabel *signal_ = nullptr;
    QLabel *measuring_ = nullptr;
    QLabel *stateCode_ = nullptr;
    QLineEdit *temperature_ = nullptr;
    CheckList *flags_ = nullptr;
    CheckList *state_ = nullptr;
};

} // namespace zet
