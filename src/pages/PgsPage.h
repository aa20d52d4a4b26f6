#pragma once
// Semiconductor gas-sensor block: two thresholds set by the block itself (the
// commands carry no numbers), sensor voltage and converter value.

#include "pages/SensorPage.h"

namespace zet {

class PgsPage : public SensorPage {
public:
    PgsPage(PageHost &host, const PageRow &row, QWidget *parent = nullptr);

    void Button35Click(); // on
    void Button36Click(); // off
    void Button37Click(); // set-up mode
    void Button41Click(); // gas selection
    void Button38Click(); // threshold 1
    void Button39Click(); // threshold 2
    void Button40Click(); // read thresholds
    void Button33Click(); // save
    void Button34Click(); // reset

protected:
    const StatusPanels &statusPanels(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    void measure(const Frame &reply) override;

private:
    TrendChart *chart_;
    StatusPanels status_;
    QLabel *threshold1_;
    QLabel *threshold2_;
    QLabel *sample_;
    QLabel *converter_;
};

} // namespace zet
