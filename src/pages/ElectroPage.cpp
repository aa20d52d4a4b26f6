#include "pages/ElectroPage.h"

#include "connection/Session.h"
#include "platform/Format.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"

#include <QChart>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace zet {

namespace {

// ---- oxygen ----------------------------------------------------------------

constexpr std::array<const char *, 4> kOxygenThresholds = {"Panel88", "Panel87", "Panel86",
                                                           "Panel114"};

const StatusRow kOxygenStatus[] = {
    rows::threshold("Panel86", 3, 0x40, 0),
    rows::threshold("Panel87", 2, 0x20, 0),
    rows::threshold("Panel88", 1, 0x10, 0),
    rows::threshold("Panel114", 4, 0x08, 0),
    rows::blanking(rows::setupMode("Panel82"), kOxygenThresholds),
    rows::blanking(rows::settings("Panel85"), kOxygenThresholds),
    rows::thermoSensor("Panel90"),
};

const ElectroButton kOxygenButtons[] = {
    {ElectroAction::Reset, "Button77", "СБРОС"},
    {ElectroAction::Setup, "Button78", "Режим настройки"},
    {ElectroAction::Save, "Button79", "Сохранение"},
    {ElectroAction::Read, "Button82", "Чтение"},
    {ElectroAction::Defaults, "Button85", "По умолчанию"},
    {ElectroAction::ApplyFirst, "Button80", "Применить"},
    {ElectroAction::ApplySecond, "Button81", "Применить"},
    {ElectroAction::ApplyFourth, "Button115", "Применить"},
    {ElectroAction::TakeZeroVoltage, "Button84", "Применить U нуля"},
    {ElectroAction::TakeGasVoltage, "Button83", "Применить U газа"},
};

const ElectroInfo kOxygen = {
    .status = {.group = "GroupBox27",
               .panels = {"Panel82", "Panel85", "Panel114", "Panel86", "Panel87", "Panel88",
                          "Panel90"},
               .rows = kOxygenStatus},
    .settings = {.group = "GroupBox28",
                 .uZero = "Edit9",
                 .uGas = "Edit10",
                 .panel = "Panel89",
                 .fields = {"MaskEdit13", "MaskEdit14", "MaskEdit15", "MaskEdit16", "MaskEdit21"},
                 .labels = {"C газа, % х10", "Порог1, % х10", "Порог2, % х10", "Порог 3, % х10",
                            "Порог 4, % х10"},
                 .defaults = {"210", "20", "180", "240", "300"}},
    .concentration = "Panel83",
    .climate = "Panel81",
    .voltage = "Panel80",
    .version = "Panel84",
    .format = {.decimals = 1, .unit = " %"},
    .climateFormula = {.temperatureOffset = 55, .coefficientBase = 900, .coefficientStep = 1},
    .chart = 10,
    .buttons = kOxygenButtons,
    .frontEnd = {.group = "LMP91000",
                 .status = "Panel79",
                 .fields = {"RadioGroup1", "RadioGroup2", "RadioGroup3", "RadioGroup4",
                            "RadioGroup5", "RadioGroup6", "RadioGroup7", "RadioGroup8"},
                 .read = "Button74",
                 .write = "Button75",
                 .toggle = "Button76",
                 .readPlaceholder = false},
};

// ---- carbon monoxide -------------------------------------------------------

constexpr std::array<const char *, 4> kCoThresholds = {"Panel100", "Panel99", "Panel98"};

// Bits 3 and 1 are not used on this block.
const StatusRow kCoStatus[] = {
    rows::threshold("Panel98", 3, 0x40, 0),
    rows::threshold("Panel99", 2, 0x20, 0),
    rows::threshold("Panel100", 1, 0x10, 0),
    rows::blanking(rows::setupMode("Panel95"), kCoThresholds),
    rows::blanking(rows::settings("Panel96"), kCoThresholds),
    rows::thermoSensor("Panel97"),
};

const ElectroButton kCoButtons[] = {
    {ElectroAction::Reset, "Button88", "СБРОС"},
    {ElectroAction::Setup, "Button90", "Режим настройки"},
    {ElectroAction::Save, "Button95", "Сохранение"},
    {ElectroAction::Read, "Button96", "Чтение"},
    {ElectroAction::Defaults, "Button97", "По умолчанию"},
    {ElectroAction::ApplyFirst, "Button93", "Применить"},
    {ElectroAction::ApplySecond, "Button94", "Применить"},
    {ElectroAction::TakeZeroVoltage, "Button92", "Применить U нуля"},
    {ElectroAction::TakeGasVoltage, "Button91", "Применить U газа"},
};

// Carbon monoxide and hydrogen sulphide have no fourth threshold: its slot stays empty.
constexpr std::array<const char *, 5> kMassLabels = {"C газа, мг/м3", "Порог1, мг/м3",
                                                     "Порог2, мг/м3", "Порог3, мг/м3", nullptr};
constexpr std::array<const char *, 5> kMassDefaults = {"210", "20", "180", "240", nullptr};
constexpr ConcentrationFormat kMass = {.decimals = 0, .unit = " мг/м3"};

const ElectroInfo kCarbonMonoxide = {
    .status = {.group = "GroupBox30",
               .panels = {"Panel95", "Panel96", "Panel98", "Panel99", "Panel100", "Panel97"},
               .rows = kCoStatus},
    .settings = {.group = "GroupBox31",
                 .uZero = "Edit11",
                 .uGas = "Edit12",
                 .panel = "Panel101",
                 .fields = {"MaskEdit17", "MaskEdit18", "MaskEdit19", "MaskEdit20"},
                 .labels = kMassLabels,
                 .defaults = kMassDefaults},
    .concentration = "Panel102",
    .climate = "Panel92",
    .voltage = "Panel94",
    .version = "Panel93",
    .format = kMass,
    .climateFormula = {.temperatureOffset = 85, .coefficientBase = 800, .coefficientStep = 6},
    .chart = 11,
    .buttons = kCoButtons,
    .frontEnd = {.group = "GroupBox29",
                 .status = "Panel91",
                 .fields = {"RadioGroup9", "RadioGroup10", "RadioGroup11", "RadioGroup12",
                            "RadioGroup13", "RadioGroup14", "RadioGroup15", "RadioGroup16"},
                 .read = "Button86",
                 .write = "Button87",
                 .toggle = "Button89",
                 .readPlaceholder = true},
};

// ---- hydrogen sulphide -----------------------------------------------------

constexpr std::array<const char *, 4> kH2sBlanked = {"Panel130", "Panel129", "Panel128",
                                                     "Panel136"};

// Bit 3 is not used on this block.
const StatusRow kH2sStatus[] = {
    rows::threshold("Panel128", 3, 0x40, 0),
    rows::threshold("Panel129", 2, 0x20, 0),
    rows::threshold("Panel130", 1, 0x10, 0),
    rows::temperatureRange("Panel136"),
    rows::blanking(rows::setupMode("Panel125"), kH2sBlanked),
    rows::blanking(rows::settings("Panel126"), kH2sBlanked),
    rows::thermoSensor("Panel127"),
};

const ElectroButton kH2sButtons[] = {
    {ElectroAction::Reset, "Button138", "СБРОС"},
    {ElectroAction::Setup, "Button139", "Режим настройки"},
    {ElectroAction::Save, "Button135", "Сохранение"},
    {ElectroAction::Read, "Button136", "Чтение"},
    {ElectroAction::Defaults, "Button137", "По умолчанию"},
    {ElectroAction::ApplyFirst, "Button133", "Применить"},
    {ElectroAction::ApplySecond, "Button134", "Применить"},
    {ElectroAction::TakeZeroVoltage, "Button132", "Применить U нуля"},
    {ElectroAction::TakeGasVoltage, "Button131", "Применить U газа"},
};

const ElectroInfo kHydrogenSulphide = {
    .status = {.group = "GroupBox40",
               .panels = {"Panel125", "Panel126", "Panel128", "Panel129", "Panel130", "Panel127",
                          "Panel136"},
               .rows = kH2sStatus},
    .settings = {.group = "GroupBox41",
                 .uZero = "Edit21",
                 .uGas = "Edit22",
                 .panel = "Panel131",
                 .fields = {"MaskEdit30", "MaskEdit35", "MaskEdit36", "MaskEdit37"},
                 .labels = kMassLabels,
                 .defaults = kMassDefaults},
    .concentration = "Panel133",
    .climate = "Panel134",
    .voltage = "Panel135",
    .version = "Panel132",
    .format = kMass,
    .climateFormula = {.temperatureOffset = 85, .coefficientBase = 900, .coefficientStep = 4},
    .chart = 14,
    .buttons = kH2sButtons,
    .frontEnd = {.group = "GroupBox39",
                 .status = "Panel124",
                 .fields = {"RadioGroup17", "RadioGroup18", "RadioGroup19", "RadioGroup20",
                            "RadioGroup21", "RadioGroup22", "RadioGroup23", "RadioGroup24"},
                 .read = "Button129",
                 .write = "Button130",
                 .toggle = "Button140",
                 .readPlaceholder = true},
};

// ---- layout ----------------------------------------------------------------

// The page is dense: a smaller type than elsewhere keeps every text whole.
constexpr int kPointSize = 8;
// Status and settings on the left; the front end above the area at the lower
// right that the chart and the picture share. The picture is drawn 1:1 with its
// top margin and left corners free for the values and the toggle laid over it.
constexpr int kLeftX = 4, kLeftWidth = 215;
constexpr QRect kArea(223, 230, 561, 313);

} // namespace

const ElectroInfo &oxygenInfo() { return kOxygen; }
const ElectroInfo &carbonMonoxideInfo() { return kCarbonMonoxide; }
const ElectroInfo &hydrogenSulphideInfo() { return kHydrogenSulphide; }

ElectroPage::ElectroPage(PageHost &host, const PageRow &row, const ElectroInfo &info,
                         QWidget *parent)
    : SensorPage(host, row, info.version, parent, cmd::sensor::On, 3), info_(info)
{
    QFont f = font();
    f.setPointSize(kPointSize);
    setFont(f);
    build();
}

void ElectroPage::placeButton(ElectroAction action, QWidget *parent, QRect geometry)
{
    placeTableButton<ElectroPage>(info_.buttons, action, parent, geometry);
}

// U zero and U gas with their capture buttons; below them the parameter fields,
// an Apply button beside each pair (and beside threshold 4), then save, read and
// defaults.
void ElectroPage::buildSettings(QWidget *group)
{
    const ElectroSettings &s = info_.settings;
    makeFieldLabel(group, s.uZero, QStringLiteral("U нуля, мВ"), QRect(8, 20, 84, 20));
    makeReadOnlyEdit(group, s.uZero, QRect(94, 18, 113, 22));
    makeFieldLabel(group, s.uGas, QStringLiteral("U газ, мВ"), QRect(8, 44, 84, 20));
    makeReadOnlyEdit(group, s.uGas, QRect(94, 42, 113, 22));
    placeButton(ElectroAction::TakeZeroVoltage, group, QRect(6, 68, 203, 24));
    placeButton(ElectroAction::TakeGasVoltage, group, QRect(6, 94, 203, 24));

    const int count = s.fields[4] ? 5 : 4;
    const int bottom = 8 + count * 24;
    auto *inner = makePanel(group, s.panel, QRect(4, 122, 207, bottom + 54));
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    for (int i = 0; i < count; ++i) {
        const int y = 4 + i * 24;
        makeFieldLabel(inner, s.fields[size_t(i)], QString::fromUtf8(s.labels[size_t(i)]),
                       QRect(4, y + 1, 86, 20));
        makeMaskEdit(inner, s.fields[size_t(i)], 4, QRect(90, y, 40, 22));
    }
    placeButton(ElectroAction::ApplyFirst, inner, QRect(134, 14, 69, 24));
    placeButton(ElectroAction::ApplySecond, inner, QRect(134, 62, 69, 24));
    placeButton(ElectroAction::ApplyFourth, inner, QRect(134, 100, 69, 22));
    placeButton(ElectroAction::Save, inner, QRect(4, bottom, 98, 24));
    placeButton(ElectroAction::Read, inner, QRect(105, bottom, 98, 24));
    placeButton(ElectroAction::Defaults, inner, QRect(4, bottom + 26, 199, 24));
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
    placeButton(ElectroAction::Setup, this, QRect(kLeftX, 486, 124, 26));
    placeButton(ElectroAction::Reset, this, QRect(kLeftX + 128, 486, kLeftWidth - 128, 26));
    addVersionPanel(QRect(kLeftX, 517, kLeftWidth, 24), QStringLiteral("Версия ХХ"));

    frontEnd_ = new Lmp91000Group(this, info_.frontEnd, host(), address(),
                                  QRect(kArea.x(), 2, kArea.width(), kArea.y() - 6));

    chart_ = addChart(info_.chart, kArea);
    // The plot and its labels keep clear of what lies over the area.
    chart_->chart()->setMargins(QMargins(2, 30, 6, 26));
    auto *picture = new PictureBox(this, row().pictureControl, kArea);

    // Values and the toggle lie over the area in both states.
    auto onChart = [](int x, int y, int w, int h) {
        return QRect(kArea.topLeft() + QPoint(x, y), QSize(w, h));
    };
    QLabel *concentration = makePanel(this, info_.concentration, onChart(3, 3, 122, 30));
    setBold(concentration, 14);
    QFont italic = concentration->font();
    italic.setItalic(true);
    concentration->setFont(italic);
    setPanelFill(concentration, kPanelCream);
    QPalette red = concentration->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    concentration->setPalette(red);
    setPanelFill(makePanel(this, info_.climate, onChart(131, 1, 170, 19)), kPanelCream);
    setPanelFill(makePanel(this, info_.voltage, onChart(305, 1, 130, 19)), kPanelCream);
    frontEnd_->addToggle(this, onChart(3, 288, 122, 24), chart_, picture);
}

// ---- buttons ---------------------------------------------------------------

void ElectroPage::apply(uint8_t code, const char *first, const char *second)
{
    if (const auto values = convertFields(first, second)) {
        putParameters(*values);
        queue({code});
    }
}

void ElectroPage::trigger(ElectroAction action)
{
    using namespace cmd::sensor;
    const auto &fields = info_.settings.fields;
    switch (action) {
    case ElectroAction::Reset:
        queue({Reset, On});
        break;
    case ElectroAction::Setup:
        queue({Setup});
        break;
    case ElectroAction::Save:
        queue({Save});
        break;
    case ElectroAction::Read:
        queue({ReadVoltages, ReadCalibration, ReadThresholds, cmd::electro::ReadFourth});
        break;
    case ElectroAction::Defaults:
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i])
                edit(fields[i])->setText(QString::fromUtf8(info_.settings.defaults[i]));
        break;
    case ElectroAction::ApplyFirst:
        apply(SetFirst, fields[0], fields[1]);
        break;
    case ElectroAction::ApplySecond:
        apply(SetSecond, fields[2], fields[3]);
        break;
    case ElectroAction::ApplyFourth:
        apply(cmd::electro::SetFourth, fields[4], nullptr);
        break;
    case ElectroAction::TakeZeroVoltage:
        queue({TakeAirVoltage, ReadVoltages});
        break;
    case ElectroAction::TakeGasVoltage:
        queue({TakeGasVoltage, ReadVoltages});
        break;
    }
}

// ---- replies ---------------------------------------------------------------

std::span<const StatusRow> ElectroPage::statusRows(uint8_t) const { return info_.status.rows; }

void ElectroPage::showAnswer(const Frame &reply)
{
    using namespace cmd::sensor;
    const ElectroSettings &s = info_.settings;
    switch (reply[1]) {
    case cmd::electro::Version:
    case cmd::electro::ReadFrontEnd:
    case cmd::electro::WriteFrontEnd:
        frontEnd_->applyReply(reply);
        break;
    case ReadVoltages:
        showVoltages(reply, s.uZero, s.uGas);
        break;
    case ReadCalibration:
        showIntegers(reply, s.fields[0], s.fields[1]);
        break;
    case ReadThresholds:
        showIntegers(reply, s.fields[2], s.fields[3]);
        break;
    case cmd::electro::ReadFourth:
        if (s.fields[4])
            setText(s.fields[4], integerText(s16(reply, 3)));
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
    setText(info_.concentration, concentrationText(reply));
    if (reply[1] == cmd::Status) {
        const ClimateFormula &c = info_.climateFormula;
        const int temperature = c.temperatureOffset - reply[5];
        const double coefficient = (c.coefficientBase + c.coefficientStep * reply[6]) / 10.0;
        setText(info_.climate,
                QStringLiteral("t = %1 °C   k=%2 %").arg(temperature).arg(fixed(coefficient, 1)));
        return;
    }
    const int millivolts = u16(reply, 5) / 10;
    setText(info_.voltage, QStringLiteral("Usens = %1  мВ").arg(millivolts));
    chart_->addSample(millivolts);
}

} // namespace zet
