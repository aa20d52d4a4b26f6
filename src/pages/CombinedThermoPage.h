#pragma once
// The combined blocks: a semiconductor (PGS) half beside the thermocatalytic one.
// The idle poll alternates between the two halves' status, and every button goes
// through the command queue.

#include "pages/ThermoPage.h"

#include <array>
#include <optional>

namespace zet {

class CombinedThermoPage : public ThermoPage {
public:
    CombinedThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info,
                       QWidget *parent = nullptr);

protected:
    void idleRequest() override;
    const StatusPanels &statusPanels(uint8_t code) const override;
    void showAnswer(const Frame &reply) override;
    bool measures(uint8_t code) const override;
    QString sampleText(const Frame &reply) const override;
    bool sensorOnNow() override;
    // Queued, never written over the request.
    void apply(uint8_t code, const QLineEdit *first, const QLineEdit *second) override;

private:
    static bool pgsHalf(uint8_t code);
    void build();

    TrendChart *pgsChart_ = nullptr;
    QLabel *pgsValue_ = nullptr;
    StatusPanels pgsStatus_;
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
