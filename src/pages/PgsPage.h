#pragma once
// Semiconductor gas-sensor block: two thresholds set by the block itself (the
// commands carry no numbers), sensor voltage and converter value.

#include "pages/SensorPage.h"

namespace zet {

struct PgsInfo {
    std::span<const StatusRow> status{};
    std::span<const ButtonRow> buttons{};
};

const PgsInfo &pgsInfo();

class PgsPage : public SensorPage {
public:
    PgsPage(PageHost &host, const PageRow &row, const PgsInfo &info, QWidget *parent = nullptr);

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
