#pragma once
#include "pages/ModulePage.h"
#include "pages/StatusPanels.h"

class QLabel;

namespace zet {

// Base unit: power and link status, current drawn, test outputs, switch-off, clock.
class BasePage : public ModulePage {
public:
    BasePage(PageHost &host, const PageRow &row, QWidget *parent = nullptr);
    void decode(const Frame &reply) override;
    // Model and serial number of the identified instrument, in the group "Прибор".
    void showInstrument(const QString &text);

    // Seconds from 2010-01-01 00:00:00 local time to `now`, low 32 bits.
    static uint32_t clockSeconds(const QDateTime &now);

protected:
    // Clock synchronisation and the bench window.
    void act(int action) override;

private:
    TrendChart *chart_;
    StatusPanels status_;
    QLabel *current_;
    QLabel *instrument_;
};

} // namespace zet
