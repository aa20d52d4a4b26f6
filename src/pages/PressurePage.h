#pragma once
// Pressure sensor block: two-point calibration (zero and a calibration pressure)
// and a measuring-range threshold.

#include "pages/SensorPage.h"

namespace zet {

struct PressureInfo {
    std::span<const StatusRow> status{};
    std::span<const ButtonRow> buttons{};
};

const PressureInfo &pressureInfo();

class PressurePage : public SensorPage {
public:
    PressurePage(PageHost &host, const PageRow &row, const PressureInfo &info,
                 QWidget *parent = nullptr);

    enum Action {
        AdjustZero = 1,
        ApplyParameters, // calibration pressure and range threshold
        Defaults,
    };

protected:
    void act(int action) override;
    const StatusPanels &statusPanels(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    void measure(const Frame &reply) override;

private:
    TrendChart *chart_;
    StatusPanels status_;
    QLineEdit *pressure_;
    QLineEdit *uZero_;
    QLineEdit *uCalibration_;
    QLineEdit *calibration_;
    QLineEdit *range_;
    QLabel *sample_;
};

} // namespace zet
