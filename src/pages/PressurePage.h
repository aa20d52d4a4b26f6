#pragma once
// Pressure sensor block: two-point calibration (zero and a calibration pressure)
// and a measuring-range threshold.

#include "pages/SensorPage.h"

namespace zet {

class PressurePage : public SensorPage {
public:
    PressurePage(PageHost &host, const PageRow &row, QWidget *parent = nullptr);

    void Button155Click(); // on
    void Button154Click(); // off
    void Button153Click(); // set-up mode
    void Button162Click(); // zero adjustment
    void Button160Click(); // take U "0"
    void Button159Click(); // take U at the calibration pressure
    void Button157Click(); // apply calibration pressure and range threshold
    void Button158Click(); // save
    void Button165Click(); // read back
    void Button161Click(); // defaults
    void Button163Click(); // reset

protected:
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
