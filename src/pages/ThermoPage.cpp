#include "pages/ThermoPage.h"

#include "connection/Session.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Format.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace zet {

namespace {

constexpr uint8_t kSensorOn = 0x01;
constexpr uint8_t kSetupMode = 0x80;

} // namespace

ThermoPage::ThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info, QWidget *parent)
    : SensorPage(host, row, info.version, parent), info_(info)
{
    if (info_.combined)
        buildCombined();
    else
        buildSingle();
}

// ---- layout ----------------------------------------------------------------

void ThermoPage::placeButton(ThermoAction action, QWidget *parent, QRect geometry)
{
    placeTableButton<ThermoPage>(info_.buttons, action, parent, geometry);
}

// U air and U gas with their capture buttons, then the four parameter fields with
// an Apply button beside each pair.
void ThermoPage::buildParameters(QWidget *group, int top)
{
    const int editX = 126;
    makeFieldLabel(group, info_.params.uAir, QStringLiteral("U воздух, мВ"),
                   QRect(10, top + 2, 112, 22));
    makeReadOnlyEdit(group, info_.params.uAir, QRect(editX, top, 86, 24));
    placeButton(ThermoAction::TakeAirVoltage, group, QRect(222, top - 2, 166, 28));
    makeFieldLabel(group, info_.params.uGas, QStringLiteral("U газ, мВ"),
                   QRect(10, top + 32, 112, 22));
    makeReadOnlyEdit(group, info_.params.uGas, QRect(editX, top + 30, 86, 24));
    placeButton(ThermoAction::TakeGasVoltage, group, QRect(222, top + 28, 166, 28));

    auto *inner = makePanel(group, info_.params.panel, QRect(8, top + 62, 382, 122));
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    static const char *const kLabels[] = {"C газа, % х100", "Порог1, % х100", "Порог2, % х100",
                                          "Порог откл., % х100"};
    for (int i = 0; i < 4; ++i) {
        const int y = 8 + i * 28;
        makeFieldLabel(inner, info_.params.fields[size_t(i)], QString::fromUtf8(kLabels[i]),
                       QRect(10, y + 1, 150, 22));
        makeMaskEdit(inner, info_.params.fields[size_t(i)], 3, QRect(162, y, 56, 24));
    }
    placeButton(ThermoAction::ApplyCalibration, inner, QRect(232, 18, 136, 30));
    placeButton(ThermoAction::ApplyThresholds, inner, QRect(232, 74, 136, 30));
}

// Status top left, on/off and concentration beside it, the gas group with the
// parameters bottom left, the chart on the right, version top right.
void ThermoPage::buildSingle()
{
    addStatusColumn(info_.status.group, QString::fromUtf8(info_.status.title), info_.status.panels);
    placeButton(ThermoAction::On, this, kOnButton);
    placeButton(ThermoAction::Off, this, kOffButton);
    placeButton(ThermoAction::Setup, this, kSetupButton);
    placeButton(ThermoAction::SelectGas, this, QRect(230, 78, 176, 28));
    placeButton(ThermoAction::AdjustZero, this, QRect(230, 112, 176, 28));
    addConcentration(info_.concentrationGroup, info_.concentration, 148, 24);

    auto *params = makeGroup(this, info_.params.group, QString::fromUtf8(info_.params.title),
                             QRect(8, 244, 398, 256));
    buildParameters(params, 22);
    placeButton(ThermoAction::Save, params, QRect(8, 218, 382, 30));

    placeButton(ThermoAction::Defaults, this, QRect(8, 506, 160, 30));
    placeButton(ThermoAction::Read, this, QRect(174, 506, 160, 30));
    placeButton(ThermoAction::Reset, this, QRect(688, 506, 90, 30));

    addVersionPanel();
    chart_ = addChart(info_.chart.number, QRect(414, 36, 364, 464));
    makeChartPanel(chart_, info_.chart.valuePanel, 130);
}

// Thermocatalytic status left and the semiconductor status beside it, each with
// its on/off pair; the gas group with the parameters below; both charts right.
void ThermoPage::buildCombined()
{
    auto *status = makeGroup(this, info_.status.group, QString::fromUtf8(info_.status.title),
                             QRect(8, 4, 214, 216));
    for (int i = 0; i < 7; ++i) {
        const int y = 20 + i * 26 + (i >= 4 ? 10 : 0);
        makePanel(status, info_.status.panels[size_t(i)], QRect(8, y, 198, 22));
    }
    placeButton(ThermoAction::On, this, QRect(8, 224, 104, 28));
    placeButton(ThermoAction::Off, this, QRect(118, 224, 104, 28));

    auto *pgs = makeGroup(this, info_.semiconductor.group, QStringLiteral("Состояние ПГС"),
                          QRect(230, 4, 178, 76));
    makePanel(pgs, info_.semiconductor.panels[0], QRect(8, 20, 162, 22));
    makePanel(pgs, info_.semiconductor.panels[1], QRect(8, 46, 162, 22));
    placeButton(ThermoAction::PgsOn, this, QRect(230, 84, 86, 28));
    placeButton(ThermoAction::PgsOff, this, QRect(322, 84, 86, 28));

    // Stacked without gaps: the hydrogen block has no gas selection.
    int y = 118;
    for (ThermoAction a :
         {ThermoAction::SelectGas, ThermoAction::AdjustZero, ThermoAction::Setup}) {
        if (std::any_of(info_.buttons.begin(), info_.buttons.end(),
                        [a](const ThermoButton &b) { return b.action == a; })) {
            placeButton(a, this, QRect(230, y, 178, 26));
            y += 28;
        }
    }
    auto *conc = makeGroup(this, info_.concentrationGroup, QStringLiteral("Концентрация, %"),
                           QRect(230, y + 2, 178, 50));
    QLabel *value = makePanel(conc, info_.concentration, QRect(8, 18, 162, 26));
    setBold(value, 12);
    setPanelFill(value, Qt::white);

    auto *params = makeGroup(this, info_.params.group, QString::fromUtf8(info_.params.title),
                             QRect(8, 258, 400, 242));
    buildParameters(params, 20);
    placeButton(ThermoAction::Save, params, QRect(8, 206, 110, 28));
    placeButton(ThermoAction::Read, params, QRect(122, 206, 110, 28));
    placeButton(ThermoAction::Defaults, params, QRect(236, 206, 156, 28));

    placeButton(ThermoAction::Reset, this, QRect(416, 4, 96, 28));
    addVersionPanel();

    chart_ = addChart(info_.chart.number, QRect(416, 36, 362, 240));
    makeChartPanel(chart_, info_.chart.valuePanel, 100);
    pgsChart_ = addChart(info_.semiconductor.chart.number, QRect(416, 280, 362, 240));
    makeChartPanel(pgsChart_, info_.semiconductor.chart.valuePanel, 100);
}

// ---- buttons ---------------------------------------------------------------

void ThermoPage::sendAlone(uint8_t code)
{
    if (info_.combined)
        queue({code});
    else
        writeCode(code);
}

void ThermoPage::apply(uint8_t code, const char *first, const char *second)
{
    const auto values = convertFields(first, second);
    if (!values)
        return;
    if (info_.combined) {
        putParameters(*values);
        queue({code});
        PendingSet p;
        p.code = code;
        std::copy_n(session().request() + 3, 4, p.bytes.begin());
        pending_ = p;
    } else {
        writeCode(code);
        putParameters(*values);
    }
}

void ThermoPage::fillDefaults()
{
    const QString caption =
        findChild<QGroupBox *>(QString::fromLatin1(info_.params.group))->title();
    for (const ThermoDefaults &d : info_.defaults) {
        if (d.caption && caption != QString::fromUtf8(d.caption))
            continue;
        for (size_t i = 0; i < 4; ++i)
            edit(info_.params.fields[i])->setText(integerText(d.values[i]));
        return;
    }
}

void ThermoPage::trigger(ThermoAction action)
{
    using namespace cmd::sensor;
    switch (action) {
    case ThermoAction::On:
        queue({On, ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ThermoAction::Off:
        sendAlone(Off);
        break;
    case ThermoAction::Setup:
        sendAlone(Setup);
        break;
    case ThermoAction::SelectGas:
        queue({SelectGas, ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ThermoAction::AdjustZero:
        adjustZero({AdjustZero, ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ThermoAction::TakeAirVoltage:
        queue({TakeAirVoltage, ReadVoltages});
        break;
    case ThermoAction::TakeGasVoltage:
        queue({TakeGasVoltage, ReadVoltages});
        break;
    case ThermoAction::ApplyCalibration:
        apply(SetFirst, info_.params.fields[0], info_.params.fields[1]);
        break;
    case ThermoAction::ApplyThresholds:
        apply(SetSecond, info_.params.fields[2], info_.params.fields[3]);
        break;
    case ThermoAction::Save:
        sendAlone(Save);
        break;
    case ThermoAction::Read:
        queue({ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ThermoAction::Defaults:
        fillDefaults();
        break;
    case ThermoAction::Reset:
        queue({Reset, ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ThermoAction::PgsOn:
        queue({cmd::sensor::PgsOn, cmd::sensor::PgsStatus});
        break;
    case ThermoAction::PgsOff:
        queue({cmd::sensor::PgsOff});
        break;
    }
}

// ---- replies ---------------------------------------------------------------

bool ThermoPage::pgsHalf(uint8_t code)
{
    return code == cmd::sensor::PgsOn || code == cmd::sensor::PgsOff ||
           code == cmd::sensor::PgsStatus;
}

// The fall-back clears the parameter bytes; a set command still waiting in the
// queue gets its values back, so it never goes out with zeros.
void ThermoPage::idleRequest()
{
    SensorPage::idleRequest();
    if (!pending_)
        return;
    if (session().queue.nextIs(pending_->code))
        std::copy(pending_->bytes.begin(), pending_->bytes.end(), session().request() + 3);
    else
        pending_.reset();
}

std::span<const StatusRow> ThermoPage::statusRows(uint8_t code) const
{
    if (info_.combined && pgsHalf(code))
        return info_.semiconductor.rows;
    return info_.status.rows;
}

void ThermoPage::showAnswer(const Frame &reply)
{
    using namespace cmd::sensor;
    const uint8_t code = reply[1];
    if (info_.combined && pgsHalf(code)) {
        pgsChart_->addSample(u16(reply, 5) / 10.0);
        setText(info_.semiconductor.chart.valuePanel, valueText(s16(reply, 5) / 10.0));
        return;
    }
    thermoStatus_ = reply[2];
    switch (code) {
    case ReadVoltages:
        showVoltages(reply, info_.params.uAir, info_.params.uGas);
        break;
    case ReadCalibration:
        showIntegers(reply, info_.params.fields[0], info_.params.fields[1]);
        break;
    case ReadThresholds:
        showIntegers(reply, info_.params.fields[2], info_.params.fields[3]);
        break;
    case cmd::Status:
        // The idle poll alternates: the semiconductor half's status comes next.
        if (info_.combined) {
            session().request()[0] = address();
            session().request()[1] = cmd::sensor::PgsStatus;
        }
        break;
    default:
        break;
    }
}

bool ThermoPage::measures(uint8_t code) const
{
    return carriesMeasurement(code) && !(info_.combined && pgsHalf(code));
}

void ThermoPage::measure(const Frame &reply)
{
    const double sample = u16(reply, 5) / 10.0;
    chart_->addSample(sample);
    setText(info_.chart.valuePanel,
            info_.combined ? valueText(s16(reply, 5) / 10.0) : millivoltText(sample));
    const uint8_t status = reply[2];
    const bool measuring = (status & kSensorOn) && !(status & kSetupMode);
    setText(info_.concentration, measuring ? valueText(s16(reply, 3) / 100.0) : kNoValue);
}

// On the combined blocks the semiconductor half's answers carry that sensor's
// state in bit 0; zero adjustment concerns the thermocatalytic sensor, so it goes
// by the latest thermocatalytic answer.
bool ThermoPage::sensorOnNow()
{
    const Session &s = session();
    if (info_.combined && s.haveValidReply && s.lastValidReply[0] == block() &&
        pgsHalf(s.lastValidReply[1]))
        return thermoStatus_ && (*thermoStatus_ & kSensorOn);
    return SensorPage::sensorOnNow();
}

} // namespace zet
