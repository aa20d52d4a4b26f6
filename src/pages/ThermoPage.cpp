#include "pages/ThermoPage.h"

#include "connection/Session.h"
#include "connection/TrendChart.h"
#include "pages/Format.h"
#include "pages/Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace zet {

namespace {

constexpr uint8_t kPgsOn = 18;
constexpr uint8_t kPgsOff = 20;
constexpr uint8_t kPgsStatus = 21;
constexpr uint8_t kSensorOn = 0x01;
constexpr uint8_t kSetupMode = 0x80;

// ---- TKS -------------------------------------------------------------------

const StatusRow kTksStatus[] = {
    {2,
     0x01,
     "Panel21",
     {"Сенсор выключен", Colour::Red},
     {"Сенсор включен"},
     0,
     {"Panel25", "Panel26", "Panel27"}},
    {2, 0x80, "Panel22", {"Рабочий режим"}, {"Режим настройки", Colour::Yellow}},
    {2, 0x04, "Panel23", {"Настройки в норме"}, {"Ошибка настройки", Colour::Yellow}},
    {2, 0x08, "Panel24", {"Сенсор в норме"}, {"КЗ или обрыв сенсора", Colour::Red}},
    {2,
     0x40,
     "Panel25",
     {"Нет превышения порога откл."},
     {"Превышение порога откл.", Colour::Red},
     0x01},
    {2, 0x20, "Panel26", {"Нет превышения порога 2"}, {"Превышение порога 2", Colour::Red}, 0x01},
    {2, 0x10, "Panel27", {"Нет превышения порога 1"}, {"Превышение порога 1", Colour::Red}, 0x01},
    {2, 0x02, "GroupBox12", {"МЕТАН"}, {"ПРОПАН"}},
};

const ThermoButton kTksButtons[] = {
    {ThermoAction::On, "Button14", "ВКЛ."},
    {ThermoAction::Off, "Button15", "ОТКЛ."},
    {ThermoAction::Setup, "Button16", "Режим настройки"},
    {ThermoAction::SelectGas, "Button23", "Выбор газа"},
    {ThermoAction::AdjustZero, "Button26", "Подстройка \"0\""},
    {ThermoAction::TakeAirVoltage, "Button30", "Применить U воздуха"},
    {ThermoAction::TakeGasVoltage, "Button31", "Применить U газа"},
    {ThermoAction::ApplyCalibration, "Button27", "Применить"},
    {ThermoAction::ApplyThresholds, "Button32", "Применить"},
    {ThermoAction::Save, "Button25", "Сохранение параметров"},
    {ThermoAction::Read, "Button28", "Чтение параметров"},
    {ThermoAction::Defaults, "Button29", "Настр. по умолчанию"},
    {ThermoAction::Reset, "Button24", "СБРОС"},
};

// Methane and propane blocks share the defaults, by the gas they report.
const ThermoDefaults kGasDefaults[] = {
    {"МЕТАН", {250, 50, 100, 500}},
    {"ПРОПАН", {100, 20, 40, 200}},
};

const ThermoInfo kTks = {
    page::Tks,
    false,
    "GroupBox11",
    "Состояние",
    {"Panel21", "Panel22", "Panel23", "Panel24", "Panel25", "Panel26", "Panel27"},
    kTksStatus,
    "GroupBox12",
    "",
    "Edit5",
    "Edit6",
    "Panel30",
    {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"},
    "GroupBox13",
    "Edit7",
    "Panel28",
    3,
    "Panel29",
    nullptr,
    {nullptr, nullptr},
    {},
    0,
    nullptr,
    kTksButtons,
    kGasDefaults,
};

// ---- TKS+PGS ---------------------------------------------------------------

const StatusRow kTksPgsStatus[] = {
    {2, 0x08, "Panel48", {"Сенсор в норме"}, {"КЗ или обрыв сенсора", Colour::Red}},
    {2, 0x04, "Panel47", {"Настройки в норме"}, {"Ошибка настройки", Colour::Yellow}},
    {2, 0x80, "Panel46", {"Рабочий режим"}, {"Режим настройки", Colour::Yellow}},
    {2,
     0x01,
     "Panel45",
     {"Сенсор выключен", Colour::Red},
     {"Сенсор включен"},
     0,
     {"Panel49", "Panel50", "Panel51"}},
    {2,
     0x40,
     "Panel49",
     {"Нет превышения порога откл."},
     {"Превышение порога откл.", Colour::Red},
     0x01},
    {2, 0x20, "Panel50", {"Нет превышения порога 2"}, {"Превышение порога 2", Colour::Red}, 0x01},
    {2, 0x10, "Panel51", {"Нет превышения порога 1"}, {"Превышение порога 1", Colour::Red}, 0x01},
    {2, 0x02, "GroupBox19", {"МЕТАН"}, {"ПРОПАН"}},
};

const StatusRow kTksPgsSemiconductor[] = {
    {2, 0x08, "Panel57", {"Сенсор в норме"}, {"КЗ или обрыв сенсора", Colour::Red}},
    {2, 0x01, "Panel56", {"Сенсор выключен", Colour::Red}, {"Сенсор включен"}},
};

const ThermoButton kTksPgsButtons[] = {
    {ThermoAction::On, "Button42", "ВКЛ."},
    {ThermoAction::Off, "Button43", "ОТКЛ."},
    {ThermoAction::SelectGas, "Button44", "Выбор газа"},
    {ThermoAction::AdjustZero, "Button45", "Подстройка \"0\""},
    {ThermoAction::Setup, "Button46", "Режим настройки"},
    {ThermoAction::TakeAirVoltage, "Button51", "Применить U воздуха"},
    {ThermoAction::TakeGasVoltage, "Button50", "Применить U газа"},
    {ThermoAction::ApplyCalibration, "Button47", "Применить"},
    {ThermoAction::ApplyThresholds, "Button48", "Применить"},
    {ThermoAction::Save, "Button49", "Сохранение"},
    {ThermoAction::Read, "Button53", "Чтение"},
    {ThermoAction::Defaults, "Button52", "Настр. по умолчанию"},
    {ThermoAction::Reset, "Button54", "СБРОС"},
    {ThermoAction::PgsOn, "Button55", "ВКЛ."},
    {ThermoAction::PgsOff, "Button56", "ОТКЛ."},
};

const ThermoInfo kTksPgs = {
    page::TksPgs,
    true,
    "GroupBox17",
    "Состояние ТКС",
    {"Panel48", "Panel47", "Panel46", "Panel45", "Panel49", "Panel50", "Panel51"},
    kTksPgsStatus,
    "GroupBox19",
    "",
    "Edit1",
    "Edit2",
    "Panel43",
    {"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"},
    "GroupBox18",
    "Panel54",
    "Panel42",
    5,
    "Panel52",
    "GroupBox20",
    {"Panel57", "Panel56"},
    kTksPgsSemiconductor,
    6,
    "Panel53",
    kTksPgsButtons,
    kGasDefaults,
};

// ---- TKS+PGS hydrogen ------------------------------------------------------

// The block measures hydrogen only: status bit 1 names no gas here.
const StatusRow kHydrogenStatus[] = {
    {2, 0x08, "Panel59", {"Сенсор в норме"}, {"КЗ или обрыв сенсора", Colour::Red}},
    {2, 0x04, "Panel58", {"Настройки в норме"}, {"Ошибка настройки", Colour::Yellow}},
    {2, 0x80, "Panel55", {"Рабочий режим"}, {"Режим настройки", Colour::Yellow}},
    {2,
     0x01,
     "Panel44",
     {"Сенсор выключен", Colour::Red},
     {"Сенсор включен"},
     0,
     {"Panel60", "Panel61", "Panel62"}},
    {2,
     0x40,
     "Panel60",
     {"Нет превышения порога откл."},
     {"Превышение порога откл.", Colour::Red},
     0x01},
    {2, 0x20, "Panel61", {"Нет превышения порога 2"}, {"Превышение порога 2", Colour::Red}, 0x01},
    {2, 0x10, "Panel62", {"Нет превышения порога 1"}, {"Превышение порога 1", Colour::Red}, 0x01},
};

const StatusRow kHydrogenSemiconductor[] = {
    {2, 0x08, "Panel68", {"Сенсор в норме"}, {"КЗ или обрыв сенсора", Colour::Red}},
    {2, 0x01, "Panel67", {"Сенсор выключен", Colour::Red}, {"Сенсор включен"}},
};

const ThermoButton kHydrogenButtons[] = {
    {ThermoAction::On, "Button69", "ВКЛ."},
    {ThermoAction::Off, "Button70", "ОТКЛ."},
    {ThermoAction::AdjustZero, "Button68", "Подстройка \"0\""},
    {ThermoAction::Setup, "Button67", "Режим настройки"},
    {ThermoAction::TakeAirVoltage, "Button64", "Применить U воздуха"},
    {ThermoAction::TakeGasVoltage, "Button63", "Применить U газа"},
    {ThermoAction::ApplyCalibration, "Button60", "Применить"},
    {ThermoAction::ApplyThresholds, "Button61", "Применить"},
    {ThermoAction::Save, "Button62", "Сохранение"},
    {ThermoAction::Read, "Button65", "Чтение"},
    {ThermoAction::Defaults, "Button66", "Настр. по умолчанию"},
    {ThermoAction::Reset, "Button57", "СБРОС"},
    {ThermoAction::PgsOn, "Button58", "ВКЛ."},
    {ThermoAction::PgsOff, "Button59", "ОТКЛ."},
};

const ThermoDefaults kHydrogenDefaults[] = {
    {nullptr, {200, 40, 80, 400}},
};

const ThermoInfo kTksPgsHydrogen = {
    page::TksPgsH2,
    true,
    "GroupBox21",
    "Состояние ТКС",
    {"Panel59", "Panel58", "Panel55", "Panel44", "Panel60", "Panel61", "Panel62"},
    kHydrogenStatus,
    "GroupBox24",
    "Водород",
    "Edit3",
    "Edit4",
    "Panel69",
    {"MaskEdit9", "MaskEdit10", "MaskEdit11", "MaskEdit12"},
    "GroupBox22",
    "Panel64",
    "Panel63",
    7,
    "Panel65",
    "GroupBox23",
    {"Panel68", "Panel67"},
    kHydrogenSemiconductor,
    8,
    "Panel66",
    kHydrogenButtons,
    kHydrogenDefaults,
};

} // namespace

const ThermoInfo &tksInfo() { return kTks; }
const ThermoInfo &tksPgsInfo() { return kTksPgs; }
const ThermoInfo &tksPgsHydrogenInfo() { return kTksPgsHydrogen; }

ThermoPage::ThermoPage(PageHost &host, const ThermoInfo &info, QWidget *parent)
    : SensorPage(host, info.pageIndex, info.version, parent), info_(info)
{
    if (info_.combined)
        buildCombined();
    else
        buildSingle();
}

// ---- layout ----------------------------------------------------------------

void ThermoPage::placeButton(ThermoAction action, QWidget *parent, QRect geometry)
{
    for (const ThermoButton &b : info_.buttons) {
        if (b.action != action)
            continue;
        QPushButton *button = makeButton(parent, b.name, QString::fromUtf8(b.caption), geometry);
        connect(button, &QPushButton::clicked, this, [this, action] { trigger(action); });
        return;
    }
}

// U air and U gas with their capture buttons, then the four parameter fields with
// an Apply button beside each pair.
void ThermoPage::buildParameters(QWidget *group, int top)
{
    const int editX = 126;
    auto labelFor = [](const char *field) { return QByteArray(field).append("Label"); };
    makeLabel(group, labelFor(info_.uAir).constData(), QStringLiteral("U воздух, мВ"),
              QRect(10, top + 2, 112, 22));
    makeReadOnlyEdit(group, info_.uAir, QRect(editX, top, 86, 24));
    placeButton(ThermoAction::TakeAirVoltage, group, QRect(222, top - 2, 166, 28));
    makeLabel(group, labelFor(info_.uGas).constData(), QStringLiteral("U газ, мВ"),
              QRect(10, top + 32, 112, 22));
    makeReadOnlyEdit(group, info_.uGas, QRect(editX, top + 30, 86, 24));
    placeButton(ThermoAction::TakeGasVoltage, group, QRect(222, top + 28, 166, 28));

    auto *inner = makePanel(group, info_.fieldPanel, QRect(8, top + 62, 382, 122));
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    static const char *const kLabels[] = {"C газа, % х100", "Порог1, % х100", "Порог2, % х100",
                                          "Порог откл., % х100"};
    for (int i = 0; i < 4; ++i) {
        const int y = 8 + i * 28;
        makeLabel(inner, labelFor(info_.fields[size_t(i)]).constData(),
                  QString::fromUtf8(kLabels[i]), QRect(10, y + 1, 150, 22));
        makeMaskEdit(inner, info_.fields[size_t(i)], 3, QRect(162, y, 56, 24));
    }
    placeButton(ThermoAction::ApplyCalibration, inner, QRect(232, 18, 136, 30));
    placeButton(ThermoAction::ApplyThresholds, inner, QRect(232, 74, 136, 30));
}

// Status top left, on/off and concentration beside it, the gas group with the
// parameters bottom left, the chart on the right, version top right.
void ThermoPage::buildSingle()
{
    auto *status = makeGroup(this, info_.statusGroup, QString::fromUtf8(info_.statusTitle),
                             QRect(8, 4, 214, 234));
    for (int i = 0; i < 7; ++i) {
        const int y = 20 + i * 28 + (i >= 4 ? 12 : 0);
        makePanel(status, info_.statusPanels[size_t(i)], QRect(8, y, 198, 24));
    }

    placeButton(ThermoAction::On, this, QRect(230, 10, 86, 28));
    placeButton(ThermoAction::Off, this, QRect(320, 10, 86, 28));
    placeButton(ThermoAction::Setup, this, QRect(230, 44, 176, 28));
    placeButton(ThermoAction::SelectGas, this, QRect(230, 78, 176, 28));
    placeButton(ThermoAction::AdjustZero, this, QRect(230, 112, 176, 28));
    auto *conc = makeGroup(this, info_.concentrationGroup, QStringLiteral("Концентрация, %"),
                           QRect(230, 148, 176, 90));
    QLineEdit *value = makeReadOnlyEdit(conc, info_.concentration, QRect(10, 24, 156, 54));
    setBold(value, 22);

    auto *params = makeGroup(this, info_.paramGroup, QString::fromUtf8(info_.paramTitle),
                             QRect(8, 244, 398, 256));
    buildParameters(params, 22);
    placeButton(ThermoAction::Save, params, QRect(8, 218, 382, 30));

    placeButton(ThermoAction::Defaults, this, QRect(8, 506, 160, 30));
    placeButton(ThermoAction::Read, this, QRect(174, 506, 160, 30));
    placeButton(ThermoAction::Reset, this, QRect(688, 506, 90, 30));

    addVersionPanel();
    chart_ = addChart(info_.chart, QRect(414, 36, 364, 464));
    makeChartPanel(chart_, info_.chartValue, 130);
}

// Thermocatalytic status left and the semiconductor status beside it, each with
// its on/off pair; the gas group with the parameters below; both charts right.
void ThermoPage::buildCombined()
{
    auto *status = makeGroup(this, info_.statusGroup, QString::fromUtf8(info_.statusTitle),
                             QRect(8, 4, 214, 216));
    for (int i = 0; i < 7; ++i) {
        const int y = 20 + i * 26 + (i >= 4 ? 10 : 0);
        makePanel(status, info_.statusPanels[size_t(i)], QRect(8, y, 198, 22));
    }
    placeButton(ThermoAction::On, this, QRect(8, 224, 104, 28));
    placeButton(ThermoAction::Off, this, QRect(118, 224, 104, 28));

    auto *pgs =
        makeGroup(this, info_.pgsGroup, QStringLiteral("Состояние ПГС"), QRect(230, 4, 178, 76));
    makePanel(pgs, info_.pgsPanels[0], QRect(8, 20, 162, 22));
    makePanel(pgs, info_.pgsPanels[1], QRect(8, 46, 162, 22));
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

    auto *params = makeGroup(this, info_.paramGroup, QString::fromUtf8(info_.paramTitle),
                             QRect(8, 258, 400, 242));
    buildParameters(params, 20);
    placeButton(ThermoAction::Save, params, QRect(8, 206, 110, 28));
    placeButton(ThermoAction::Read, params, QRect(122, 206, 110, 28));
    placeButton(ThermoAction::Defaults, params, QRect(236, 206, 156, 28));

    placeButton(ThermoAction::Reset, this, QRect(416, 4, 96, 28));
    addVersionPanel();

    chart_ = addChart(info_.chart, QRect(416, 36, 362, 240));
    makeChartPanel(chart_, info_.chartValue, 100);
    pgsChart_ = addChart(info_.pgsChart, QRect(416, 280, 362, 240));
    makeChartPanel(pgsChart_, info_.pgsChartValue, 100);
}

// ---- buttons ---------------------------------------------------------------

void ThermoPage::single(uint8_t code)
{
    if (info_.combined)
        queue({code});
    else
        direct(code);
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
        direct(code);
        putParameters(*values);
    }
}

void ThermoPage::fillDefaults()
{
    const QString caption = findChild<QGroupBox *>(QString::fromLatin1(info_.paramGroup))->title();
    for (const ThermoDefaults &d : info_.defaults) {
        if (d.caption && caption != QString::fromUtf8(d.caption))
            continue;
        for (size_t i = 0; i < 4; ++i)
            edit(info_.fields[i])->setText(integerText(d.values[i]));
        return;
    }
}

void ThermoPage::trigger(ThermoAction action)
{
    using namespace sensorcmd;
    switch (action) {
    case ThermoAction::On:
        queue({On, ReadVoltages, ReadCalibration, ReadThresholds});
        break;
    case ThermoAction::Off:
        single(Off);
        break;
    case ThermoAction::Setup:
        single(Setup);
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
        apply(SetFirst, info_.fields[0], info_.fields[1]);
        break;
    case ThermoAction::ApplyThresholds:
        apply(SetSecond, info_.fields[2], info_.fields[3]);
        break;
    case ThermoAction::Save:
        single(Save);
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
        queue({kPgsOn, kPgsStatus});
        break;
    case ThermoAction::PgsOff:
        queue({kPgsOff});
        break;
    }
}

// ---- replies ---------------------------------------------------------------

bool ThermoPage::pgsHalf(uint8_t code)
{
    return code == kPgsOn || code == kPgsOff || code == kPgsStatus;
}

// The fall-back clears the parameter bytes; a set command still waiting in the
// queue gets its values back, so it never goes out with zeros.
void ThermoPage::idleRequest()
{
    SensorPage::idleRequest();
    if (!pending_)
        return;
    const CommandQueue &q = session().queue;
    const bool waiting = !q.empty() && q.position < CommandQueue::kSlots &&
                         q.codeSlots[q.position] == pending_->code;
    if (waiting)
        std::copy(pending_->bytes.begin(), pending_->bytes.end(), session().request() + 3);
    else
        pending_.reset();
}

std::span<const StatusRow> ThermoPage::statusRows(uint8_t code) const
{
    if (info_.combined && pgsHalf(code))
        return info_.pgsStatus;
    return info_.status;
}

void ThermoPage::showAnswer(const Frame &reply)
{
    using namespace sensorcmd;
    const uint8_t code = reply[1];
    if (info_.combined && pgsHalf(code)) {
        pgsChart_->addSample(u16(reply, 5) / 10.0);
        setText(info_.pgsChartValue, valueText(s16(reply, 5) / 10.0));
        return;
    }
    thermoStatus_ = reply[2];
    switch (code) {
    case ReadVoltages:
        showVoltages(reply, info_.uAir, info_.uGas);
        break;
    case ReadCalibration:
        showIntegers(reply, info_.fields[0], info_.fields[1]);
        break;
    case ReadThresholds:
        showIntegers(reply, info_.fields[2], info_.fields[3]);
        break;
    case cmd::Status:
        // The idle poll alternates: the semiconductor half's status comes next.
        if (info_.combined) {
            session().request()[0] = address();
            session().request()[1] = kPgsStatus;
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
    setText(info_.chartValue,
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
