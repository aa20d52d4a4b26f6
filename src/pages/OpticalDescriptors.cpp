#include "pages/OpticalPage.h"

// What each optical page shows and sends: controls, fields, buttons and their codes.

namespace zet {

namespace {

namespace op = cmd::optical;

// Captions shared by every optical page.
constexpr const char *kOn = "ВКЛ.";
constexpr const char *kOff = "ОТКЛ.";
constexpr const char *kSetup = "Режим настройки";
constexpr const char *kApplyZero = "Применить U нуля";
constexpr const char *kReadVoltages = "Чтение параметров";
constexpr const char *kCalibrate = "Применить U газа и С газа";
constexpr const char *kApply = "Применить";
constexpr const char *kSaveCaption = "Сохранение";
constexpr const char *kRead = "Чтение";
constexpr const char *kDefaults = "Установка по умолчанию";

constexpr const char *kGas1 = "C газа Д1, % х100";
constexpr const char *kGas = "C газа, % х100";
constexpr const char *kThreshold1 = "Порог 1, % х100";
constexpr const char *kThreshold2 = "Порог 2, % х100";
constexpr const char *kThreshold3 = "Порог 3, % х100";

constexpr CodeList kOnQueue = {op::On, op::ReadConcentration, op::ReadFirst, op::ReadThresholds};
constexpr CodeList kApplyZeroQueue = {op::CalibrateZero, op::ReadZeroVoltage, op::ReadZeroVoltage};
constexpr CodeList kReadQueue = {op::ReadFirst,      op::ReadFirst,         op::ReadThresholds,
                                 op::ReadThresholds, op::ReadConcentration, op::ReadConcentration};
// Voltage read-backs: detector 1, detector 2, zero, each asked twice.
constexpr CodeList kReadBothDetectors = {op::ReadGasVoltage,  op::ReadGasVoltage,
                                         op::ReadGasVoltage2, op::ReadGasVoltage2,
                                         op::ReadZeroVoltage, op::ReadZeroVoltage};
constexpr CodeList kReadDetector1 = {op::ReadGasVoltage, op::ReadGasVoltage, op::ReadZeroVoltage,
                                     op::ReadZeroVoltage};
constexpr CodeList kReadDetector2 = {op::ReadGasVoltage2, op::ReadGasVoltage2, op::ReadZeroVoltage,
                                     op::ReadZeroVoltage};
// A gas calibration, then its detector's voltage read back twice.
constexpr CodeList kCalibrate1 = {op::CalibrateGas, op::ReadGasVoltage, op::ReadGasVoltage};
constexpr CodeList kCalibrate2 = {op::CalibrateGas, op::ReadGasVoltage2, op::ReadGasVoltage2};

// Thresholds, read back by the answers to 3 (threshold 1) and 4 (thresholds 2, 3).
constexpr std::array<ParameterField, 3> thresholds(const char *first, const char *second,
                                                   const char *third, int d1, int d2, int d3)
{
    return {{{first, kThreshold1, op::ReadFirst, 5, d1},
             {second, kThreshold2, op::ReadThresholds, 3, d2},
             {third, kThreshold3, op::ReadThresholds, 5, d3}}};
}

constexpr std::array<ParameterField, 5> fieldList(std::initializer_list<ParameterField> gases,
                                                  std::array<ParameterField, 3> limits)
{
    std::array<ParameterField, 5> out{};
    size_t i = 0;
    for (const ParameterField &f : gases)
        out[i++] = f;
    for (const ParameterField &f : limits)
        out[i++] = f;
    return out;
}

// ---- methane 100 % ---------------------------------------------------------

const ButtonRow kMethane100Buttons[] = {
    {.name = "Button71",
     .caption = kOn,
     .queue = kOnQueue,
     .slot = int(OpticalRole::On)},
    {.name = "Button73",
     .caption = kOff,
     .queue = {op::Off},
     .slot = int(OpticalRole::Off)},
    {.name = "Button98",
     .caption = kSetup,
     .queue = {op::Setup},
     .slot = int(OpticalRole::Setup)},
    {.name = "Button105",
     .caption = kApplyZero,
     .queue = kApplyZeroQueue,
     .slot = int(OpticalRole::ApplyZero)},
    {.name = "Button213",
     .caption = kReadVoltages,
     .queue = kReadBothDetectors,
     .slot = int(OpticalRole::ReadVoltages)},
    {.name = "Button106",
     .caption = kCalibrate,
     .queue = kCalibrate1,
     .fields = {{{"MaskEdit49", 3}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button212",
     .caption = kCalibrate,
     .queue = kCalibrate2,
     .fields = {{{"MaskEdit26", 3}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button211",
     .caption = kApply,
     .queue = {op::SetFirst},
     .fields = {{{"MaskEdit27", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button107",
     .caption = kApply,
     .queue = {op::SetSecond},
     .fields = {{{"MaskEdit28", 3}, {"MaskEdit29", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button108",
     .caption = kSaveCaption,
     .queue = {op::Save},
     .slot = int(OpticalRole::Save)},
    {.name = "Button109",
     .caption = kRead,
     .queue = kReadQueue,
     .slot = int(OpticalRole::Read)},
    {.name = "Button110",
     .caption = kDefaults,
     .action = OpticalPage::Defaults,
     .slot = int(OpticalRole::Defaults)},
    {.name = "Button152",
     .caption = "Температура",
     .queue = {op::Temperature},
     .slot = int(OpticalRole::Temperature)},
};

const OpticalInfo kMethane100 = {
    .statusGroup = "GroupBox25",
    .statusPanels = {"Panel73", "Panel72", "Panel71", "Panel70", "Panel74", "Panel75", "Panel76"},
    .concentrationGroup = "GroupBox26",
    .concentration = "Edit8",
    .version = "Panel77",
    .chart = 9,
    .signal = "Panel78",
    .voltages = VoltageEncoding::Int16,
    .readouts = {{{"Edit13", "U нуля", op::ReadZeroVoltage, 3},
                  {"Edit14", "U газ Д1", op::ReadGasVoltage2, 3},
                  {"Edit29", "U газ Д2", op::ReadGasVoltage2, 5}}},
    .settingsGroup = "GroupBox32",
    .settingsPanel = "Panel104",
    .fields = fieldList({{"MaskEdit49", kGas1, op::ReadConcentration, 3, 480},
                         {"MaskEdit26", "C газа Д2, % х100", op::ReadConcentration, 5, 4950}},
                        thresholds("MaskEdit27", "MaskEdit28", "MaskEdit29", 50, 100, 500)),
    .buttons = kMethane100Buttons,
    .diagnostics = Diagnostics::FlagsAndState,
    .flags = "CheckListBox1",
    .state = "CheckListBox4",
    .stateCode = "Panel148",
    .measuring = "Panel147",
    .temperature = "Edit26",
};

// ---- methane 5 % -----------------------------------------------------------

const ButtonRow kMethane5Buttons[] = {
    {.name = "Button99",
     .caption = kOn,
     .queue = kOnQueue,
     .slot = int(OpticalRole::On)},
    {.name = "Button100",
     .caption = kOff,
     .queue = {op::Off},
     .slot = int(OpticalRole::Off)},
    {.name = "Button101",
     .caption = kSetup,
     .queue = {op::Setup},
     .slot = int(OpticalRole::Setup)},
    {.name = "Button102",
     .caption = kApplyZero,
     .queue = kApplyZeroQueue,
     .slot = int(OpticalRole::ApplyZero)},
    {.name = "Button116",
     .caption = kReadVoltages,
     .queue = kReadDetector1,
     .slot = int(OpticalRole::ReadVoltages)},
    {.name = "Button103",
     .caption = kCalibrate,
     .queue = kCalibrate1,
     .fields = {{{"MaskEdit25", 3}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button114",
     .caption = kApply,
     .queue = {op::SetFirst},
     .fields = {{{"MaskEdit22", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button104",
     .caption = kApply,
     .queue = {op::SetSecond},
     .fields = {{{"MaskEdit23", 3}, {"MaskEdit24", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button111",
     .caption = kSaveCaption,
     .queue = {op::Save},
     .slot = int(OpticalRole::Save)},
    {.name = "Button112",
     .caption = kRead,
     .queue = kReadQueue,
     .slot = int(OpticalRole::Read)},
    {.name = "Button113",
     .caption = kDefaults,
     .action = OpticalPage::Defaults,
     .slot = int(OpticalRole::Defaults)},
};

const OpticalInfo kMethane5 = {
    .statusGroup = "GroupBox33",
    .statusPanels = {"Panel107", "Panel106", "Panel105", "Panel103", "Panel108", "Panel109",
                     "Panel110"},
    .concentrationGroup = "GroupBox34",
    .concentration = "Edit15",
    .version = "Panel112",
    .chart = 12,
    .signal = "Panel111",
    .voltages = VoltageEncoding::Float32,
    .readouts = {{{"Edit16", "U нуля", op::ReadZeroVoltage, 3},
                  {"Edit17", "U газ", op::ReadGasVoltage, 3}}},
    .settingsGroup = "GroupBox35",
    .settingsPanel = "Panel113",
    .fields = fieldList({{"MaskEdit25", kGas, op::ReadConcentration, 3, 480}},
                        thresholds("MaskEdit22", "MaskEdit23", "MaskEdit24", 50, 100, 500)),
    .buttons = kMethane5Buttons,
};

// ---- CO2 -------------------------------------------------------------------

const ButtonRow kCo2Buttons[] = {
    {.name = "Button118",
     .caption = kOn,
     .queue = kOnQueue,
     .slot = int(OpticalRole::On)},
    {.name = "Button117",
     .caption = kOff,
     .queue = {op::Off},
     .slot = int(OpticalRole::Off)},
    {.name = "Button119",
     .caption = kSetup,
     .queue = {op::Setup},
     .slot = int(OpticalRole::Setup)},
    {.name = "Button120",
     .caption = kApplyZero,
     .queue = kApplyZeroQueue,
     .slot = int(OpticalRole::ApplyZero)},
    {.name = "Button128",
     .caption = kReadVoltages,
     .queue = kReadDetector2,
     .slot = int(OpticalRole::ReadVoltages)},
    {.name = "Button121",
     .caption = kCalibrate,
     .queue = kCalibrate1,
     .fields = {{{"MaskEdit34", 3}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button126",
     .caption = kApply,
     .queue = {op::SetFirst},
     .fields = {{{"MaskEdit31", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button122",
     .caption = kApply,
     .queue = {op::SetSecond},
     .fields = {{{"MaskEdit32", 3}, {"MaskEdit33", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button123",
     .caption = kSaveCaption,
     .queue = {op::Save},
     .slot = int(OpticalRole::Save)},
    {.name = "Button124",
     .caption = kRead,
     .queue = kReadQueue,
     .slot = int(OpticalRole::Read)},
    {.name = "Button125",
     .caption = kDefaults,
     .action = OpticalPage::Defaults,
     .slot = int(OpticalRole::Defaults)},
};

// A single detector; its labels keep the "Д1" of the two-detector block.
const OpticalInfo kCo2 = {
    .statusGroup = "GroupBox37",
    .statusPanels = {"Panel118", "Panel117", "Panel116", "Panel115", "Panel119", "Panel120",
                     "Panel121"},
    .concentrationGroup = "GroupBox36",
    .concentration = "Edit18",
    .version = "Panel6",
    .chart = 13,
    .signal = "Panel123",
    .voltages = VoltageEncoding::Int16,
    .readouts = {{{"Edit19", "U нуля", op::ReadZeroVoltage, 3},
                  {"Edit20", "U газ Д1", op::ReadGasVoltage2, 3}}},
    .settingsGroup = "GroupBox38",
    .settingsPanel = "Panel122",
    .fields = fieldList({{"MaskEdit34", kGas1, op::ReadConcentration, 3, 245}},
                        thresholds("MaskEdit31", "MaskEdit32", "MaskEdit33", 50, 100, 250)),
    .buttons = kCo2Buttons,
    .diagnostics = Diagnostics::Flags,
    .flags = "CheckListBox2",
};

// ---- propane 2 % -----------------------------------------------------------

// Setting thresholds reads back at once; the gas calibration has no read-back.
const ButtonRow kPropaneButtons[] = {
    {.name = "Button149",
     .caption = kOn,
     .queue = kOnQueue,
     .slot = int(OpticalRole::On)},
    {.name = "Button150",
     .caption = kOff,
     .queue = {op::Off},
     .slot = int(OpticalRole::Off)},
    {.name = "Button151",
     .caption = kSetup,
     .queue = {op::Setup},
     .slot = int(OpticalRole::Setup)},
    {.name = "Button141",
     .caption = kApplyZero,
     .queue = kApplyZeroQueue,
     .slot = int(OpticalRole::ApplyZero)},
    {.name = "Button148",
     .caption = kReadVoltages,
     .queue = kReadDetector2,
     .slot = int(OpticalRole::ReadVoltages)},
    {.name = "Button142",
     .caption = kCalibrate,
     .queue = {op::CalibrateGas},
     .fields = {{{"MaskEdit41", 3}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button147",
     .caption = kApply,
     .queue = {op::SetFirst, op::ReadFirst},
     .fields = {{{"MaskEdit38", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button143",
     .caption = kApply,
     .queue = {op::SetSecond, op::ReadGasVoltage2},
     .fields = {{{"MaskEdit39", 3}, {"MaskEdit40", 5}}},
     .slot = int(OpticalRole::ApplyField)},
    {.name = "Button144",
     .caption = kSaveCaption,
     .queue = {op::Save},
     .slot = int(OpticalRole::Save)},
    {.name = "Button145",
     .caption = kRead,
     .queue = kReadQueue,
     .slot = int(OpticalRole::Read)},
    {.name = "Button146",
     .caption = kDefaults,
     .action = OpticalPage::Defaults,
     .slot = int(OpticalRole::Defaults)},
};

const OpticalInfo kPropane = {
    .statusGroup = "GroupBox42",
    .statusPanels = {"Panel141", "Panel140", "Panel139", "Panel138", "Panel142", "Panel143",
                     "Panel144"},
    .concentrationGroup = "GroupBox44",
    .concentration = "Edit25",
    .version = "Panel137",
    .chart = 15,
    .signal = "Panel146",
    .voltages = VoltageEncoding::Int16,
    .readouts = {{{"Edit23", "U нуля", op::ReadZeroVoltage, 3},
                  {"Edit24", "U газ", op::ReadGasVoltage2, 3}}},
    .settingsGroup = "GroupBox43",
    .settingsPanel = "Panel145",
    .fields = fieldList({{"MaskEdit41", kGas, op::ReadConcentration, 3, 100}},
                        thresholds("MaskEdit38", "MaskEdit39", "MaskEdit40", 20, 40, 200)),
    .buttons = kPropaneButtons,
    .diagnostics = Diagnostics::Flags,
    .flags = "CheckListBox3",
};

} // namespace

const OpticalInfo &methane100Info() { return kMethane100; }
const OpticalInfo &methane5Info() { return kMethane5; }
const OpticalInfo &co2Info() { return kCo2; }
const OpticalInfo &propaneInfo() { return kPropane; }

// ---- pages -----------------------------------------------------------------

namespace {

constexpr CodeList kOpticalEntry = {op::ReadZeroVoltage, op::ReadGasVoltage2, op::ReadConcentration,
                                    op::ReadFirst, op::ReadThresholds};
constexpr CodeList kOpticalIdle = {cmd::Status, op::Diagnostics};

const PageRow kOpticalPages[] = {
    {.index = page::OpticMethane100,
     .caption = "Оптика метен 100%",
     .period = kPeriodOptical,
     .entryQueue = kOpticalEntry,
     .focusCode = op::On,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .codeNames = CodeFamily::Optical,
     .create = described<OpticalPage, kMethane100>},
    // A tab click alone leaves address and queue; the focus entry addresses it.
    {.index = page::OpticMethane5,
     .caption = "Оптика метан 5%",
     .period = kPeriodOptical,
     .entryAddress = false,
     .focusCode = op::On,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = {cmd::Status},
     .codeNames = CodeFamily::Optical,
     .create = described<OpticalPage, kMethane5>},
    {.index = page::OpticCo2,
     .caption = "CO2",
     .period = kPeriodOptical,
     .entryQueue = kOpticalEntry,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .codeNames = CodeFamily::Optical,
     .create = described<OpticalPage, kCo2>},
    {.index = page::OpticPropane,
     .caption = "Оптика пропан 2%",
     .period = kPeriodOptical,
     .entryQueue = {op::ReadZeroVoltage, op::ReadGasVoltage2, op::ReadConcentration, op::ReadFirst,
                    op::ReadThresholds, op::On},
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .codeNames = CodeFamily::Optical,
     .create = described<OpticalPage, kPropane>},
};

} // namespace

std::span<const PageRow> opticalPages() { return kOpticalPages; }

} // namespace zet
