#pragma once
#include "pages/ModulePage.h"

namespace zet {

// Pump: running state, drive frequency and amplitude, coil current, position sensor.
class PumpPage : public ModulePage {
public:
    PumpPage(PageHost &host, const PageRow &row, QWidget *parent = nullptr);
    void decode(const Frame &reply) override;

private:
    // A pump command: code into the request, parameters left as they are.
    void command(uint8_t code);
    void stepAmplitude(uint8_t code, bool continuous);

    TrendChart *chart_;
};

} // namespace zet
