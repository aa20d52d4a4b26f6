#include "pages/PressurePage.h"

#include "platform/Format.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <iterator>

namespace zet {

namespace {

constexpr int kDefaultCalibration = 1800; // 18.00 kPa
constexpr int kDefaultRange = 2000;       // 20.00 kPa

} // namespace

PressurePage::PressurePage(PageHost &host, const PageRow &row, const PressureInfo &info,
                           QWidget *parent)
    : SensorPage(host, row, "Panel158", parent)
{
    auto *status =
        makeGroup(this, "GroupBox45", QStringLiteral("Состояние"), QRect(8, 4, 220, 136));
    const char *const panels[] = {"Panel153", "Panel152", "Panel151", "Panel150"};
    for (int i = 0; i < 4; ++i)
        makePanel(status, panels[i], QRect(8, 20 + i * 28, 204, 24));

    auto *pressure =
        makeGroup(this, "GroupBox47", QStringLiteral("Давление, кПа"), QRect(8, 146, 428, 84));
    pressure_ = makeReadOnlyEdit(pressure, "Edit30", QRect(10, 22, 408, 50));
    setBold(pressure_, 20);

    makeFieldLabel(this, "Edit27", QStringLiteral("U \"0\", мВ"), QRect(12, 240, 160, 24));
    uZero_ = makeReadOnlyEdit(this, "Edit27", QRect(176, 240, 100, 24));
    makeFieldLabel(this, "Edit28", QStringLiteral("U кал. давления, мВ"), QRect(12, 274, 160, 24));
    uCalibration_ = makeReadOnlyEdit(this, "Edit28", QRect(176, 274, 100, 24));

    auto *params = makeGroup(this, "GroupBox46", QString(), QRect(8, 306, 428, 124));
    calibration_ = addEntry(params, "MaskEdit42", "Калибровочое давление, кПа х100", 4,
                            QRect(10, 16, 338, 24), QRect(354, 16, 62, 24));
    range_ = addEntry(params, "MaskEdit45", "Порог превышения диапазона измерения, кПа х100", 4,
                      QRect(10, 48, 338, 24), QRect(354, 48, 62, 24));
    placeButtons(info.buttons);
    // The keyboard goes through each button where it stands among the fields.
    const char *const tabOrder[] = {"Button155", "Button154", "Button153", "Button162",
                                    "Edit30",    "Edit27",    "Button160", "Edit28",
                                    "Button159", "MaskEdit42", "MaskEdit45", "Button157",
                                    "Button158", "Button165", "Button161", "Button163"};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(need<QWidget>(this, tabOrder[i - 1]), need<QWidget>(this, tabOrder[i]));

    addVersionPanel();
    chart_ = addChart(16, QRect(444, 36, 334, 500));
    sample_ = makeChartPanel(chart_, "Panel149", 120);
    status_ = StatusPanels(this, info.status);
}

void PressurePage::act(int action)
{
    using namespace cmd::sensor;
    switch (action) {
    case AdjustZero:
        adjustZero({cmd::sensor::AdjustZero, ReadVoltages, ReadCalibration});
        break;
    case ApplyParameters:
        if (const auto values = convertFields(calibration_, range_)) {
            writeCode(SetFirst);
            putParameters(*values);
        }
        break;
    case Defaults:
        calibration_->setText(integerText(kDefaultCalibration));
        range_->setText(integerText(kDefaultRange));
        break;
    }
}

const StatusPanels &PressurePage::statusPanels(uint8_t) const { return status_; }

void PressurePage::showAnswer(const Frame &reply)
{
    switch (reply[1]) {
    case cmd::sensor::ReadVoltages:
        showVoltages(reply, uZero_, uCalibration_);
        break;
    case cmd::sensor::ReadCalibration:
        showIntegers(reply, calibration_, range_);
        break;
    default:
        break;
    }
}

void PressurePage::measure(const Frame &reply)
{
    const double sample = u16(reply, 5) / 10.0;
    chart_->addSample(sample);
    sample_->setText(millivoltText(sample));
    // Set-up mode does not blank the pressure; only a switched-off sensor does.
    pressure_->setText((reply[2] & 0x01) ? valueText(s16(reply, 3) / 100.0) : kNoValue);
}

} // namespace zet
