#include "pages/CombinedThermoPage.h"

#include "connection/Session.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Format.h"

#include <QGroupBox>
#include <QLabel>

#include <algorithm>

namespace zet {

CombinedThermoPage::CombinedThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info,
                                       QWidget *parent)
    : ThermoPage(host, row, info, parent, Unbuilt{})
{
    build();
    checkButtons(info_.buttons);
    status_ = StatusPanels(this, info_.status.rows);
    pgsStatus_ = StatusPanels(this, info_.semiconductor.rows);
}

// Thermocatalytic status left and the semiconductor status beside it, each with
// its on/off pair; the gas group with the parameters below; both charts right.
void CombinedThermoPage::build()
{
    auto *status = makeGroup(this, info_.status.group, QString::fromUtf8(info_.status.title),
                             QRect(8, 4, 214, 216));
    for (int i = 0; i < 7; ++i) {
        const int y = 20 + i * 26 + (i >= 4 ? 10 : 0);
        makePanel(status, info_.status.panels[size_t(i)], QRect(8, y, 198, 22));
    }
    placeSlot(info_.buttons, TopButtons);

    auto *pgs = makeGroup(this, info_.semiconductor.group, QStringLiteral("Состояние ПГС"),
                          QRect(230, 4, 178, 76));
    makePanel(pgs, info_.semiconductor.panels[0], QRect(8, 20, 162, 22));
    makePanel(pgs, info_.semiconductor.panels[1], QRect(8, 46, 162, 22));
    placeSlot(info_.buttons, SemiconductorPair);
    placeSlot(info_.buttons, SideButtons);
    // Below the side buttons, which are stacked without gaps (the hydrogen block has
    // no gas selection).
    int y = 118;
    for (const ButtonRow &b : info_.buttons)
        if (b.slot == SideButtons)
            y = std::max(y, b.geometry.bottom() + 3);
    auto *conc = makeGroup(this, info_.concentrationGroup, QStringLiteral("Концентрация, %"),
                           QRect(230, y + 2, 178, 50));
    QLabel *value = makePanel(conc, info_.concentration, QRect(8, 18, 162, 26));
    concentration_ = value;
    setBold(value, 12);
    setPanelFill(value, Qt::white);

    params_ = makeGroup(this, info_.params.group, QString::fromUtf8(info_.params.title),
                        QRect(8, 258, 400, 242));
    buildParameters(params_, 20);
    placeSlot(info_.buttons, ParameterButtons);
    placeSlot(info_.buttons, BottomButtons);
    addVersionPanel();

    chart_ = addChart(info_.chart.number, QRect(416, 36, 362, 240));
    chartValue_ = makeChartPanel(chart_, info_.chart.valuePanel, 100);
    pgsChart_ = addChart(info_.semiconductor.chart.number, QRect(416, 280, 362, 240));
    pgsValue_ = makeChartPanel(pgsChart_, info_.semiconductor.chart.valuePanel, 100);
}

void CombinedThermoPage::apply(uint8_t code, const QLineEdit *first, const QLineEdit *second)
{
    const auto values = convertFields(first, second);
    if (!values)
        return;
    putParameters(*values);
    queue({code});
    PendingSet p;
    p.code = code;
    std::copy_n(session().request() + 3, 4, p.bytes.begin());
    pending_ = p;
}

bool CombinedThermoPage::pgsHalf(uint8_t code)
{
    return code == cmd::sensor::PgsOn || code == cmd::sensor::PgsOff ||
           code == cmd::sensor::PgsStatus;
}

// The fall-back clears the parameter bytes; a set command still waiting in the
// queue gets its values back, so it never goes out with zeros.
void CombinedThermoPage::idleRequest()
{
    ThermoPage::idleRequest();
    if (!pending_)
        return;
    if (session().queue.nextIs(pending_->code))
        std::copy(pending_->bytes.begin(), pending_->bytes.end(), session().request() + 3);
    else
        pending_.reset();
}

const StatusPanels &CombinedThermoPage::statusPanels(uint8_t code) const
{
    return pgsHalf(code) ? pgsStatus_ : status_;
}

void CombinedThermoPage::showAnswer(const Frame &reply)
{
    const uint8_t code = reply[1];
    if (pgsHalf(code)) {
        pgsChart_->addSample(u16(reply, 5) / 10.0);
        pgsValue_->setText(valueText(s16(reply, 5) / 10.0));
        return;
    }
    thermoStatus_ = reply[2];
    ThermoPage::showAnswer(reply);
    if (code == cmd::Status) {
        // The idle poll alternates: the semiconductor half's status comes next.
        session().request()[0] = address();
        session().request()[1] = cmd::sensor::PgsStatus;
    }
}

bool CombinedThermoPage::measures(uint8_t code) const
{
    return ThermoPage::measures(code) && !pgsHalf(code);
}

QString CombinedThermoPage::sampleText(const Frame &reply) const
{
    return valueText(s16(reply, 5) / 10.0);
}

// The semiconductor half's answers carry that sensor's state in bit 0; zero
// adjustment concerns the thermocatalytic sensor, so it goes by the latest
// thermocatalytic answer.
bool CombinedThermoPage::sensorOnNow()
{
    const Session &s = session();
    if (s.haveValidReply && s.lastValidReply[0] == block() && pgsHalf(s.lastValidReply[1]))
        return thermoStatus_ && (*thermoStatus_ & kSensorOn);
    return ThermoPage::sensorOnNow();
}

} // namespace zet
