#include "pages/PressurePage.h"

#include "platform/Format.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace zet {

namespace {

const StatusRow kPressureStatus[] = {
    rows::sensorOn("Panel153", {"Panel152"}),
    {.mask = 0x10,
     .target = "Panel152",
     .off = {"Измерение"},
     .on = {"Превышение диапазона", Colour::Red},
     .gateMask = 0x01},
    rows::settings("Panel151"),
    rows::setupMode("Panel150"),
};

constexpr int kDefaultCalibration = 1800; // 18.00 kPa
constexpr int kDefaultRange = 2000;       // 20.00 kPa

} // namespace

PressurePage::PressurePage(PageHost &host, const PageRow &row, QWidget *parent)
    : SensorPage(host, row, "Panel158", parent)
{
    auto *status =
        makeGroup(this, "GroupBox45", QStringLiteral("Состояние"), QRect(8, 4, 220, 136));
    const char *const panels[] = {"Panel153", "Panel152", "Panel151", "Panel150"};
    for (int i = 0; i < 4; ++i)
        makePanel(status, panels[i], QRect(8, 20 + i * 28, 204, 24));

    addButton(this, "Button155", "ВКЛ.", QRect(236, 10, 98, 28), &PressurePage::Button155Click);
    addButton(this, "Button154", "ОТКЛ.", QRect(338, 10, 98, 28), &PressurePage::Button154Click);
    addButton(this, "Button153", "Режим настройки", QRect(236, 44, 200, 28),
              &PressurePage::Button153Click);
    addButton(this, "Button162", "Подстройка \"0\"", QRect(236, 78, 200, 28),
              &PressurePage::Button162Click);

    auto *pressure =
        makeGroup(this, "GroupBox47", QStringLiteral("Давление, кПа"), QRect(8, 146, 428, 84));
    pressure_ = makeReadOnlyEdit(pressure, "Edit30", QRect(10, 22, 408, 50));
    setBold(pressure_, 20);

    makeFieldLabel(this, "Edit27", QStringLiteral("U \"0\", мВ"), QRect(12, 240, 160, 24));
    uZero_ = makeReadOnlyEdit(this, "Edit27", QRect(176, 240, 100, 24));
    addButton(this, "Button160", "Применить", QRect(286, 238, 150, 28),
              &PressurePage::Button160Click);
    makeFieldLabel(this, "Edit28", QStringLiteral("U кал. давления, мВ"), QRect(12, 274, 160, 24));
    uCalibration_ = makeReadOnlyEdit(this, "Edit28", QRect(176, 274, 100, 24));
    addButton(this, "Button159", "Применить", QRect(286, 272, 150, 28),
              &PressurePage::Button159Click);

    auto *params = makeGroup(this, "GroupBox46", QString(), QRect(8, 306, 428, 124));
    makeFieldLabel(params, "MaskEdit42", QStringLiteral("Калибровочое давление, кПа х100"),
                   QRect(10, 16, 338, 24));
    calibration_ = makeMaskEdit(params, "MaskEdit42", 4, QRect(354, 16, 62, 24));
    makeFieldLabel(params, "MaskEdit45",
                   QStringLiteral("Порог превышения диапазона измерения, кПа х100"),
                   QRect(10, 48, 338, 24));
    range_ = makeMaskEdit(params, "MaskEdit45", 4, QRect(354, 48, 62, 24));
    addButton(params, "Button157", "Применить", QRect(10, 82, 406, 30),
              &PressurePage::Button157Click);

    addButton(this, "Button158", "Сохранение", QRect(8, 438, 210, 30),
              &PressurePage::Button158Click);
    addButton(this, "Button165", "Чтение параметров", QRect(226, 438, 210, 30),
              &PressurePage::Button165Click);
    addButton(this, "Button161", "Настр. по умолчанию", QRect(8, 474, 210, 30),
              &PressurePage::Button161Click);
    addButton(this, "Button163", "СБРОС", QRect(226, 474, 210, 30), &PressurePage::Button163Click);

    addVersionPanel();
    chart_ = addChart(16, QRect(444, 36, 334, 500));
    sample_ = makeChartPanel(chart_, "Panel149", 120);
    status_ = StatusPanels(this, kPressureStatus);
}

void PressurePage::Button155Click()
{
    queue({cmd::sensor::On, cmd::sensor::ReadVoltages, cmd::sensor::ReadCalibration});
}
void PressurePage::Button154Click() { writeCode(cmd::sensor::Off); }
void PressurePage::Button153Click() { writeCode(cmd::sensor::Setup); }
void PressurePage::Button162Click()
{
    adjustZero({cmd::sensor::AdjustZero, cmd::sensor::ReadVoltages, cmd::sensor::ReadCalibration});
}
void PressurePage::Button160Click()
{
    queue({cmd::sensor::TakeAirVoltage, cmd::sensor::ReadVoltages});
}
void PressurePage::Button159Click()
{
    queue({cmd::sensor::TakeGasVoltage, cmd::sensor::ReadVoltages});
}

void PressurePage::Button157Click()
{
    const auto values = convertFields(calibration_, range_);
    if (!values)
        return;
    writeCode(cmd::sensor::SetFirst);
    putParameters(*values);
}

void PressurePage::Button158Click() { writeCode(cmd::sensor::Save); }
void PressurePage::Button165Click()
{
    queue({cmd::sensor::ReadVoltages, cmd::sensor::ReadCalibration});
}

void PressurePage::Button161Click()
{
    calibration_->setText(integerText(kDefaultCalibration));
    range_->setText(integerText(kDefaultRange));
}

void PressurePage::Button163Click()
{
    queue({cmd::sensor::Reset, cmd::sensor::ReadVoltages, cmd::sensor::ReadCalibration});
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
