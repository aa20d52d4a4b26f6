#include "pages/PgsPage.h"

#include "platform/Format.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"

#include <QGroupBox>
#include <QLabel>

namespace zet {

namespace {

const StatusRow kPgsStatus[] = {
    rows::sensorOn("Panel32", {"Panel36", "Panel37"}),
    rows::setupMode("Panel33"),
    rows::sensorFault("Panel34"),
    rows::settings("Panel35"),
    rows::threshold("Panel36", 2, 0x20),
    rows::threshold("Panel37", 1, 0x10),
    rows::gas("GroupBox14"),
};

} // namespace

PgsPage::PgsPage(PageHost &host, const PageRow &row, QWidget *parent)
    : SensorPage(host, row, "Panel40", parent)
{
    auto *status =
        makeGroup(this, "GroupBox14", QStringLiteral("Состояние"), QRect(8, 4, 220, 206));
    const char *const panels[] = {"Panel32", "Panel33", "Panel34", "Panel35", "Panel36", "Panel37"};
    for (int i = 0; i < 6; ++i)
        makePanel(status, panels[i], QRect(8, 20 + i * 28 + (i >= 4 ? 12 : 0), 204, 24));

    addButton(this, "Button35", "ВКЛ.", QRect(236, 10, 98, 28), &PgsPage::Button35Click);
    addButton(this, "Button36", "ОТКЛ.", QRect(338, 10, 98, 28), &PgsPage::Button36Click);
    addButton(this, "Button37", "Режим настройки", QRect(236, 44, 200, 28),
              &PgsPage::Button37Click);
    addButton(this, "Button41", "Выбор газа", QRect(236, 78, 200, 28), &PgsPage::Button41Click);

    auto *adc =
        makeGroup(this, "GroupBox15", QStringLiteral("Данные АЦП"), QRect(236, 114, 200, 96));
    converter_ = makePanel(adc, "Panel41", QRect(10, 24, 180, 60));
    setBold(converter_, 18);
    setPanelFill(converter_, Qt::white);

    auto *thresholds = makeGroup(this, "GroupBox16", QString(), QRect(8, 218, 428, 92));
    makeFieldLabel(thresholds, "Panel38", QStringLiteral("Порог1"), QRect(12, 16, 70, 26));
    threshold1_ = makePanel(thresholds, "Panel38", QRect(86, 14, 120, 28));
    setPanelFill(threshold1_, kPanelCream);
    addButton(thresholds, "Button38", "Применить", QRect(220, 13, 196, 30),
              &PgsPage::Button38Click);
    makeFieldLabel(thresholds, "Panel39", QStringLiteral("Порог2"), QRect(12, 54, 70, 26));
    threshold2_ = makePanel(thresholds, "Panel39", QRect(86, 52, 120, 28));
    setPanelFill(threshold2_, kPanelCream);
    addButton(thresholds, "Button39", "Применить", QRect(220, 51, 196, 30),
              &PgsPage::Button39Click);

    addButton(this, "Button40", "Чтение параметров", QRect(8, 318, 210, 30),
              &PgsPage::Button40Click);
    addButton(this, "Button33", "Сохранение параметров", QRect(226, 318, 210, 30),
              &PgsPage::Button33Click);
    addButton(this, "Button34", "СБРОС", QRect(8, 354, 100, 30), &PgsPage::Button34Click);

    addVersionPanel();
    chart_ = addChart(4, QRect(444, 36, 334, 500));
    sample_ = makeChartPanel(chart_, "Panel31", 120);
    status_ = StatusPanels(this, kPgsStatus);
}

void PgsPage::Button35Click() { writeCode(cmd::sensor::On); }
void PgsPage::Button36Click() { writeCode(cmd::sensor::Off); }
void PgsPage::Button37Click() { writeCode(cmd::sensor::Setup); }
void PgsPage::Button41Click() { queue({cmd::sensor::SelectGas, cmd::sensor::ReadThresholds}); }
void PgsPage::Button38Click() { queue({cmd::sensor::SetSecond, cmd::sensor::ReadThresholds}); }
void PgsPage::Button39Click() { queue({cmd::sensor::SetFirst, cmd::sensor::ReadThresholds}); }
void PgsPage::Button40Click() { writeCode(cmd::sensor::ReadThresholds); }
void PgsPage::Button33Click() { writeCode(cmd::sensor::Save); }
void PgsPage::Button34Click() { writeCode(cmd::sensor::Reset); }

const StatusPanels &PgsPage::statusPanels(uint8_t) const { return status_; }

void PgsPage::showAnswer(const Frame &reply)
{
    using namespace cmd::sensor;
    const uint8_t code = reply[1];
    // Both set commands answer with the thresholds, like the read.
    if (code == ReadThresholds || code == SetFirst || code == SetSecond)
        showIntegers(reply, threshold1_, threshold2_);
}

void PgsPage::measure(const Frame &reply)
{
    // Sensor voltage in quarter-millivolts; the converter value as it comes.
    const double sample = u16(reply, 3) / 4.0;
    chart_->addSample(sample);
    sample_->setText(millivoltText(sample));
    converter_->setText((reply[2] & 0x01) ? valueText(s16(reply, 5)) : kNoValue);
}

} // namespace zet
