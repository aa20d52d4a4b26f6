#pragma once
// Electrochemical blocks: oxygen, carbon monoxide and hydrogen sulphide. One page
// class, described per block by an ElectroInfo; the LMP91000 front end is the
// shared Lmp91000Group. The page polls 12 and 1 in turn (the page row's idle
// queue) and never resets the request, so entered values ride along.

#include "pages/Lmp91000Group.h"
#include "pages/SensorPage.h"

#include <array>

namespace zet {

// How the concentration is carried and shown: tenths of a percent with one
// decimal, or whole mg/m3.
struct ConcentrationFormat {
    int decimals = 0;
    const char *unit = "";
};

// Temperature T' = offset - byte 5; coefficient K' = (base + step * byte 6) / 10.
struct ClimateFormula {
    int temperatureOffset = 0;
    int coefficientBase = 0;
    int coefficientStep = 1;
};

// U zero and U gas, then the parameter fields in their inner panel: calibration
// gas, thresholds 1 to 3 and, on oxygen, threshold 4.
struct ElectroSettings {
    const char *group = nullptr;
    const char *uZero = nullptr;
    const char *uGas = nullptr;
    const char *panel = nullptr;
    std::array<const char *, 5> fields{};
    std::array<const char *, 5> labels{};
    std::array<const char *, 5> defaults{};
};

struct ElectroInfo {
    StatusGroup status{};
    ElectroSettings settings{};
    const char *concentration = nullptr;
    const char *climate = nullptr; // temperature and coefficient line
    const char *voltage = nullptr; // sensor voltage line
    const char *version = nullptr;
    ConcentrationFormat format{};
    ClimateFormula climateFormula{};
    int chart = 0;
    std::span<const ButtonRow> buttons{};
    FrontEndControls frontEnd{};
};

const ElectroInfo &oxygenInfo();
const ElectroInfo &carbonMonoxideInfo();
const ElectroInfo &hydrogenSulphideInfo();

class ElectroPage : public SensorPage {
public:
    ElectroPage(PageHost &host, const PageRow &row, const ElectroInfo &info,
                QWidget *parent = nullptr);

    enum Action {
        Defaults = 1,
        ApplyFirst,  // calibration gas and threshold 1
        ApplySecond, // thresholds 2 and 3
        ApplyFourth, // threshold 4 (oxygen)
        ReadFrontEnd,
        WriteFrontEnd,
        SwapChartAndPicture, // they share one area; each keeps its state while the page is left
    };
    // The one slot of the page's rows: over the chart's area, placed last.
    static constexpr int kOverChart = 1;

protected:
    void act(int action) override;
    const StatusPanels &statusPanels(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    bool measures(uint8_t code) const override;
    void measure(const Frame &reply) override;

private:
    void build();
    void buildSettings(QWidget *group);
    // Converts every field first; writes bytes 3..6 and loads the code only when
    // all convert. A missing second field sends 0 in bytes 5 and 6.
    void apply(uint8_t code, const QLineEdit *first, const QLineEdit *second);
    QString concentrationText(const Frame &reply) const;

    const ElectroInfo &info_;
    Lmp91000Group *frontEnd_ = nullptr;
    TrendChart *chart_ = nullptr;
    PictureBox *picture_ = nullptr;
    StatusPanels status_;
    QLineEdit *uZero_ = nullptr;
    QLineEdit *uGas_ = nullptr;
    std::array<QLineEdit *, 5> fields_{};
    QLabel *concentration_ = nullptr;
    QLabel *climate_ = nullptr;
    QLabel *voltage_ = nullptr;
};

} // namespace zet
