#pragma once
#include "pages/ModulePage.h"
#include "pages/StatusPanels.h"

#include <array>

class QLabel;

namespace zet {

// Pump: running state, drive frequency and amplitude, coil current, position sensor.
class PumpPage : public ModulePage {
public:
    PumpPage(PageHost &host, const PageRow &row, QWidget *parent = nullptr);
    void decode(const Frame &reply) override;

protected:
    // The amplitude steps.
    void act(int action) override;

private:
    TrendChart *chart_;
    StatusPanels status_;
    QLabel *version_;
    QLabel *current_;
    QLabel *frequency_;
    QLabel *amplitude_;
    std::array<QLabel *, 3> position_{}; // max, min, their difference
};

} // namespace zet
