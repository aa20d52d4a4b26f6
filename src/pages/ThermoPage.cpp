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

constexpr uint8_t kSetupMode = 0x80;

} // namespace

ThermoPage::ThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info, QWidget *parent)
    : SensorPage(host, row, info.version, parent), info_(info)
{
    buildSingle();
    checkButtons(info_.buttons);
    status_ = StatusPanels(this, info_.status.rows);
}

ThermoPage::ThermoPage(PageHost &host, const PageRow &row, const ThermoInfo &info, QWidget *parent,
                       Unbuilt)
    : SensorPage(host, row, info.version, parent), info_(info)
{
}

// ---- layout ----------------------------------------------------------------

// U air and U gas with their capture buttons, then the four parameter fields with
// an Apply button beside each pair.
void ThermoPage::buildParameters(QWidget *group, int top)
{
    const int editX = 126;
    makeFieldLabel(group, info_.params.uAir, QStringLiteral("U воздух, мВ"),
                   QRect(10, top + 2, 112, 22));
    uAir_ = makeReadOnlyEdit(group, info_.params.uAir, QRect(editX, top, 86, 24));
    placeSlot(info_.buttons, AirVoltage);
    makeFieldLabel(group, info_.params.uGas, QStringLiteral("U газ, мВ"),
                   QRect(10, top + 32, 112, 22));
    uGas_ = makeReadOnlyEdit(group, info_.params.uGas, QRect(editX, top + 30, 86, 24));
    placeSlot(info_.buttons, GasVoltage);

    auto *inner = makePanel(group, info_.params.panel, QRect(8, top + 62, 382, 122));
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    static const char *const kLabels[] = {"C газа, % х100", "Порог1, % х100", "Порог2, % х100",
                                          "Порог откл., % х100"};
    for (int i = 0; i < 4; ++i) {
        const int y = 8 + i * 28;
        fields_[size_t(i)] = addEntry(inner, info_.params.fields[size_t(i)], kLabels[i], 3,
                                      QRect(10, y + 1, 150, 22), QRect(162, y, 56, 24));
    }
    placeSlot(info_.buttons, ApplyButtons);
}

// Status top left, on/off and concentration beside it, the gas group with the
// parameters bottom left, the chart on the right, version top right.
void ThermoPage::buildSingle()
{
    addStatusColumn(info_.status.group, QString::fromUtf8(info_.status.title), info_.status.panels);
    placeSlot(info_.buttons, TopButtons);
    concentration_ = addConcentration(info_.concentrationGroup, info_.concentration, 148, 24);

    params_ = makeGroup(this, info_.params.group, QString::fromUtf8(info_.params.title),
                        QRect(8, 244, 398, 256));
    buildParameters(params_, 22);
    placeSlot(info_.buttons, ParameterButtons);
    placeSlot(info_.buttons, BottomButtons);

    addVersionPanel();
    chart_ = addChart(info_.chart.number, QRect(414, 36, 364, 464));
    chartValue_ = makeChartPanel(chart_, info_.chart.valuePanel, 130);
}

// ---- buttons ---------------------------------------------------------------

void ThermoPage::apply(uint8_t code, const QLineEdit *first, const QLineEdit *second)
{
    const auto values = convertFields(first, second);
    if (!values)
        return;
    writeCode(code);
    putParameters(*values);
}

void ThermoPage::fillDefaults()
{
    const QString caption = params_->title();
    for (const ThermoDefaults &d : info_.defaults) {
        if (d.caption && caption != QString::fromUtf8(d.caption))
            continue;
        for (size_t i = 0; i < 4; ++i)
            fields_[i]->setText(integerText(d.values[i]));
        return;
    }
}

void ThermoPage::act(int action)
{
    using namespace cmd::sensor;
    switch (action) {
    case AdjustZero:
        adjustZero({cmd::sensor::AdjustZero, ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ApplyCalibration:
        apply(SetFirst, fields_[0], fields_[1]);
        break;
    case ApplyThresholds:
        apply(SetSecond, fields_[2], fields_[3]);
        break;
    case Defaults:
        fillDefaults();
        break;
    }
}

// ---- replies ---------------------------------------------------------------

const StatusPanels &ThermoPage::statusPanels(uint8_t) const { return status_; }

void ThermoPage::showAnswer(const Frame &reply)
{
    using namespace cmd::sensor;
    const uint8_t code = reply[1];
    switch (code) {
    case ReadVoltages:
        showVoltages(reply, uAir_, uGas_);
        break;
    case ReadCalibration:
        showIntegers(reply, fields_[0], fields_[1]);
        break;
    case ReadThresholds:
        showIntegers(reply, fields_[2], fields_[3]);
        break;
    default:
        break;
    }
}

void ThermoPage::measure(const Frame &reply)
{
    const double sample = u16(reply, 5) / 10.0;
    chart_->addSample(sample);
    chartValue_->setText(sampleText(reply));
    const uint8_t status = reply[2];
    const bool measuring = (status & kSensorOn) && !(status & kSetupMode);
    concentration_.setText(measuring ? valueText(s16(reply, 3) / 100.0) : kNoValue);
}

QString ThermoPage::sampleText(const Frame &reply) const
{
    return millivoltText(u16(reply, 5) / 10.0);
}

} // namespace zet
