#include "pages/PgsPage.h"

#include "platform/Format.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"

#include <QGroupBox>
#include <QLabel>

namespace zet {

PgsPage::PgsPage(PageHost &host, const PageRow &row, const PgsInfo &info, QWidget *parent)
    : SensorPage(host, row, "Panel40", parent)
{
    auto *status =
        makeGroup(this, "GroupBox14", QStringLiteral("Состояние"), QRect(8, 4, 220, 206));
    const char *const panels[] = {"Panel32", "Panel33", "Panel34", "Panel35", "Panel36", "Panel37"};
    for (int i = 0; i < 6; ++i)
        makePanel(status, panels[i], QRect(8, 20 + i * 28 + (i >= 4 ? 12 : 0), 204, 24));

    auto *adc =
        makeGroup(this, "GroupBox15", QStringLiteral("Данные АЦП"), QRect(236, 114, 200, 96));
    converter_ = makePanel(adc, "Panel41", QRect(10, 24, 180, 60));
    setBold(converter_, 18);
    setPanelFill(converter_, Qt::white);

    auto *thresholds = makeGroup(this, "GroupBox16", QString(), QRect(8, 218, 428, 92));
    makeFieldLabel(thresholds, "Panel38", QStringLiteral("Порог1"), QRect(12, 16, 70, 26));
    threshold1_ = makePanel(thresholds, "Panel38", QRect(86, 14, 120, 28));
    setPanelFill(threshold1_, kPanelCream);
    makeFieldLabel(thresholds, "Panel39", QStringLiteral("Порог2"), QRect(12, 54, 70, 26));
    threshold2_ = makePanel(thresholds, "Panel39", QRect(86, 52, 120, 28));
    setPanelFill(threshold2_, kPanelCream);
    placeButtons(info.buttons);

    addVersionPanel();
    chart_ = addChart(4, QRect(444, 36, 334, 500));
    sample_ = makeChartPanel(chart_, "Panel31", 120);
    status_ = StatusPanels(this, info.status);
}

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
