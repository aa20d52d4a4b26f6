#include "pages/ElectroPage.h"

#include "connection/Session.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Format.h"

#include <QChart>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace zet {

namespace {

// ---- layout ----------------------------------------------------------------

// The page is dense: a smaller type than elsewhere keeps every text whole.
constexpr int kPointSize = 8;
// Status and settings on the left; the front end above the area at the lower
// right that the chart and the picture share. The picture is drawn 1:1 with its
// top margin and left corners free for the values and the toggle laid over it.
constexpr int kLeftX = 4, kLeftWidth = 215;
constexpr QRect kArea(223, 230, 561, 313);

} // namespace

ElectroPage::ElectroPage(PageHost &host, const PageRow &row, const ElectroInfo &info,
                         QWidget *parent)
    : SensorPage(host, row, info.version, parent, cmd::sensor::On, 3), info_(info)
{
    QFont f = font();
    f.setPointSize(kPointSize);
    setFont(f);
    build();
    checkButtons(info_.buttons);
    status_ = StatusPanels(this, info_.status.rows);
}

// U zero and U gas with their capture buttons; below them the parameter fields,
// an Apply button beside each pair (and beside threshold 4), then save, read and
// defaults.
void ElectroPage::buildSettings(QWidget *group)
{
    const ElectroSettings &s = info_.settings;
    makeFieldLabel(group, s.uZero, QStringLiteral("U нуля, мВ"), QRect(8, 20, 84, 20));
    uZero_ = makeReadOnlyEdit(group, s.uZero, QRect(94, 18, 113, 22));
    makeFieldLabel(group, s.uGas, QStringLiteral("U газ, мВ"), QRect(8, 44, 84, 20));
    uGas_ = makeReadOnlyEdit(group, s.uGas, QRect(94, 42, 113, 22));
    placeButtons(info_.buttons, group);

    const int count = s.fields[4] ? 5 : 4;
    const int bottom = 8 + count * 24;
    auto *inner = makePanel(group, s.panel, QRect(4, 122, 207, bottom + 54));
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    for (int i = 0; i < count; ++i) {
        const int y = 4 + i * 24;
        fields_[size_t(i)] = addEntry(inner, s.fields[size_t(i)], s.labels[size_t(i)], 4,
                                      QRect(4, y + 1, 86, 20), QRect(90, y, 40, 22));
    }
    placeButtons(info_.buttons, inner);
}

void ElectroPage::build()
{
    auto *status = makeGroup(this, info_.status.group, QStringLiteral("Состояние"),
                             QRect(kLeftX, 2, kLeftWidth, 168));
    for (size_t i = 0; i < info_.status.panels.size(); ++i)
        if (info_.status.panels[i])
            makePanel(status, info_.status.panels[i], QRect(6, 18 + int(i) * 21, 203, 20));

    auto *settings = makeGroup(this, info_.settings.group, QStringLiteral("Настройки"),
                               QRect(kLeftX, 172, kLeftWidth, 308));
    buildSettings(settings);
    placeButtons(info_.buttons, this);
    addVersionPanel(QRect(kLeftX, 517, kLeftWidth, 24), QStringLiteral("Версия ХХ"));

    frontEnd_ = new Lmp91000Group(this, info_.frontEnd, host(),
                                  QRect(kArea.x(), 2, kArea.width(), kArea.y() - 6),
                                  [this](QWidget *group) { placeButtons(info_.buttons, group); });

    chart_ = addChart(info_.chart, kArea);
    // The plot and its labels keep clear of what lies over the area.
    chart_->chart()->setMargins(QMargins(2, 30, 6, 26));
    picture_ = addPicture(kArea);
    picture_->hide();

    // Values and the toggle lie over the area in both states.
    auto onChart = [](int x, int y, int w, int h) {
        return QRect(kArea.topLeft() + QPoint(x, y), QSize(w, h));
    };
    QLabel *concentration = makePanel(this, info_.concentration, onChart(3, 3, 122, 30));
    concentration_ = concentration;
    setBold(concentration, 14);
    QFont italic = concentration->font();
    italic.setItalic(true);
    concentration->setFont(italic);
    setPanelFill(concentration, kPanelCream);
    QPalette red = concentration->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    concentration->setPalette(red);
    climate_ = makePanel(this, info_.climate, onChart(131, 1, 170, 19));
    setPanelFill(climate_, kPanelCream);
    voltage_ = makePanel(this, info_.voltage, onChart(305, 1, 130, 19));
    setPanelFill(voltage_, kPanelCream);
    placeSlot(info_.buttons, kOverChart);
    for (const ButtonRow &b : info_.buttons)
        if (b.slot == kOverChart)
            need<QWidget>(this, b.name)->raise();
}

// ---- buttons ---------------------------------------------------------------

void ElectroPage::apply(uint8_t code, const QLineEdit *first, const QLineEdit *second)
{
    if (const auto values = convertFields(first, second)) {
        putParameters(*values);
        queue({code});
    }
}

void ElectroPage::act(int action)
{
    using namespace cmd::sensor;
    const auto &fields = fields_;
    switch (action) {
    case Defaults:
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i])
                fields[i]->setText(QString::fromUtf8(info_.settings.defaults[i]));
        break;
    case ApplyFirst:
        apply(SetFirst, fields[0], fields[1]);
        break;
    case ApplySecond:
        apply(SetSecond, fields[2], fields[3]);
        break;
    case ApplyFourth:
        apply(cmd::electro::SetFourth, fields[4], nullptr);
        break;
    case ReadFrontEnd:
        queue({cmd::electro::ReadFrontEnd});
        frontEnd_->reading();
        break;
    case SwapChartAndPicture: {
        const bool showPicture = !chart_->isHidden();
        chart_->setHidden(showPicture);
        picture_->setHidden(!showPicture);
        break;
    }
    case WriteFrontEnd:
        if (const auto r = frontEnd_->registersToWrite()) {
            Session &s = session();
            s.request()[4] = r->tiacn;
            s.request()[5] = r->refcn;
            s.request()[6] = r->modecn;
            queue({cmd::electro::WriteFrontEnd});
            for (const QString &choice : frontEnd_->choices())
                tell(choice);
        }
        break;
    }
}

// ---- replies ---------------------------------------------------------------

const StatusPanels &ElectroPage::statusPanels(uint8_t) const { return status_; }

void ElectroPage::showAnswer(const Frame &reply)
{
    using namespace cmd::sensor;
    switch (reply[1]) {
    case cmd::electro::Version:
    case cmd::electro::ReadFrontEnd:
    case cmd::electro::WriteFrontEnd:
        frontEnd_->applyReply(reply);
        break;
    case ReadVoltages:
        showVoltages(reply, uZero_, uGas_);
        break;
    case ReadCalibration:
        showIntegers(reply, fields_[0], fields_[1]);
        break;
    case ReadThresholds:
        showIntegers(reply, fields_[2], fields_[3]);
        break;
    case cmd::electro::ReadFourth:
        if (fields_[4])
            fields_[4]->setText(integerText(s16(reply, 3)));
        break;
    default:
        break;
    }
}

bool ElectroPage::measures(uint8_t code) const
{
    return code == cmd::Status || code == cmd::electro::Measure;
}

QString ElectroPage::concentrationText(const Frame &reply) const
{
    const int decimals = info_.format.decimals;
    return fixed(s16(reply, 3) / std::pow(10.0, decimals), decimals) +
           QString::fromUtf8(info_.format.unit);
}

void ElectroPage::measure(const Frame &reply)
{
    concentration_->setText(concentrationText(reply));
    if (reply[1] == cmd::Status) {
        const ClimateFormula &c = info_.climateFormula;
        const int temperature = c.temperatureOffset - reply[5];
        const double coefficient = (c.coefficientBase + c.coefficientStep * reply[6]) / 10.0;
        climate_->setText(
                QStringLiteral("t = %1 °C   k=%2 %").arg(temperature).arg(fixed(coefficient, 1)));
        return;
    }
    const int millivolts = u16(reply, 5) / 10;
    voltage_->setText(QStringLiteral("Usens = %1  мВ").arg(millivolts));
    chart_->addSample(millivolts);
}

} // namespace zet
