#include "pages/ThermoPage.h"

// What each thermocatalytic page shows and sends: controls, status rows, buttons.

namespace zet {

namespace {

// ---- TKS -------------------------------------------------------------------

const StatusRow kTksStatus[] = {
    rows::sensorOn("Panel21", {"Panel25", "Panel26", "Panel27"}),
    rows::setupMode("Panel22"),
    rows::settings("Panel23"),
    rows::sensorFault("Panel24"),
    rows::switchOffThreshold("Panel25"),
    rows::threshold("Panel26", 2, 0x20),
    rows::threshold("Panel27", 1, 0x10),
    rows::gas("GroupBox12"),
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
    .status = {.group = "GroupBox11",
               .title = "Состояние",
               .panels = {"Panel21", "Panel22", "Panel23", "Panel24", "Panel25", "Panel26",
                          "Panel27"},
               .rows = kTksStatus},
    .params = {.group = "GroupBox12",
               .title = "",
               .uAir = "Edit5",
               .uGas = "Edit6",
               .panel = "Panel30",
               .fields = {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}},
    .concentrationGroup = "GroupBox13",
    .concentration = "Edit7",
    .version = "Panel28",
    .chart = {.number = 3, .valuePanel = "Panel29"},
    .buttons = kTksButtons,
    .defaults = kGasDefaults,
};

// ---- TKS+PGS ---------------------------------------------------------------

const StatusRow kTksPgsStatus[] = {
    rows::sensorFault("Panel48"),
    rows::settings("Panel47"),
    rows::setupMode("Panel46"),
    rows::sensorOn("Panel45", {"Panel49", "Panel50", "Panel51"}),
    rows::switchOffThreshold("Panel49"),
    rows::threshold("Panel50", 2, 0x20),
    rows::threshold("Panel51", 1, 0x10),
    rows::gas("GroupBox19"),
};

const StatusRow kTksPgsSemiconductor[] = {
    rows::sensorFault("Panel57"),
    rows::sensorOn("Panel56"),
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
    .status = {.group = "GroupBox17",
               .title = "Состояние ТКС",
               .panels = {"Panel48", "Panel47", "Panel46", "Panel45", "Panel49", "Panel50",
                          "Panel51"},
               .rows = kTksPgsStatus},
    .params = {.group = "GroupBox19",
               .title = "",
               .uAir = "Edit1",
               .uGas = "Edit2",
               .panel = "Panel43",
               .fields = {"MaskEdit5", "MaskEdit6", "MaskEdit7", "MaskEdit8"}},
    .concentrationGroup = "GroupBox18",
    .concentration = "Panel54",
    .version = "Panel42",
    .chart = {.number = 5, .valuePanel = "Panel52"},
    .semiconductor = {.group = "GroupBox20",
                      .panels = {"Panel57", "Panel56"},
                      .rows = kTksPgsSemiconductor,
                      .chart = {.number = 6, .valuePanel = "Panel53"}},
    .buttons = kTksPgsButtons,
    .defaults = kGasDefaults,
};

// ---- TKS+PGS hydrogen ------------------------------------------------------

// The block measures hydrogen only: status bit 1 names no gas here.
const StatusRow kHydrogenStatus[] = {
    rows::sensorFault("Panel59"),
    rows::settings("Panel58"),
    rows::setupMode("Panel55"),
    rows::sensorOn("Panel44", {"Panel60", "Panel61", "Panel62"}),
    rows::switchOffThreshold("Panel60"),
    rows::threshold("Panel61", 2, 0x20),
    rows::threshold("Panel62", 1, 0x10),
};

const StatusRow kHydrogenSemiconductor[] = {
    rows::sensorFault("Panel68"),
    rows::sensorOn("Panel67"),
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
    .status = {.group = "GroupBox21",
               .title = "Состояние ТКС",
               .panels = {"Panel59", "Panel58", "Panel55", "Panel44", "Panel60", "Panel61",
                          "Panel62"},
               .rows = kHydrogenStatus},
    .params = {.group = "GroupBox24",
               .title = "Водород",
               .uAir = "Edit3",
               .uGas = "Edit4",
               .panel = "Panel69",
               .fields = {"MaskEdit9", "MaskEdit10", "MaskEdit11", "MaskEdit12"}},
    .concentrationGroup = "GroupBox22",
    .concentration = "Panel64",
    .version = "Panel63",
    .chart = {.number = 7, .valuePanel = "Panel65"},
    .semiconductor = {.group = "GroupBox23",
                      .panels = {"Panel68", "Panel67"},
                      .rows = kHydrogenSemiconductor,
                      .chart = {.number = 8, .valuePanel = "Panel66"}},
    .buttons = kHydrogenButtons,
    .defaults = kHydrogenDefaults,
};

} // namespace

const ThermoInfo &tksInfo() { return kTks; }
const ThermoInfo &tksPgsInfo() { return kTksPgs; }
const ThermoInfo &tksPgsHydrogenInfo() { return kTksPgsHydrogen; }

} // namespace zet
