#include "pages/ElectroPage.h"

// What each electrochemical page shows and sends: controls, status rows, buttons.

namespace zet {

namespace {

namespace sensor = cmd::sensor;

// The front end's read and write buttons, at the same place in each page's group.
constexpr ButtonRow frontEndRead(const char *name, const char *group)
{
    return {.name = name,
            .caption = "Чтение",
            .group = group,
            .geometry = QRect(214, 16, 96, 26),
            .action = ElectroPage::ReadFrontEnd};
}

constexpr ButtonRow frontEndWrite(const char *name, const char *group)
{
    return {.name = name,
            .caption = "Запись",
            .group = group,
            .geometry = QRect(316, 16, 96, 26),
            .action = ElectroPage::WriteFrontEnd};
}

// Lies over the lower left corner of the area the chart and the picture share.
constexpr ButtonRow chartPictureToggle(const char *name)
{
    return {.name = name,
            .caption = "Схема/График",
            .geometry = QRect(223 + 3, 230 + 288, 122, 24),
            .action = ElectroPage::SwapChartAndPicture,
            .slot = ElectroPage::kOverChart};
}

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

const ButtonRow kOxygenButtons[] = {
    {.name = "Button84",
     .caption = "Применить U нуля",
     .group = "GroupBox28",
     .geometry = QRect(6, 68, 203, 24),
     .queue = {sensor::TakeAirVoltage, sensor::ReadVoltages}},
    {.name = "Button83",
     .caption = "Применить U газа",
     .group = "GroupBox28",
     .geometry = QRect(6, 94, 203, 24),
     .queue = {sensor::TakeGasVoltage, sensor::ReadVoltages}},
    {.name = "Button80",
     .caption = "Применить",
     .group = "Panel89",
     .geometry = QRect(134, 14, 69, 24),
     .action = ElectroPage::ApplyFirst},
    {.name = "Button81",
     .caption = "Применить",
     .group = "Panel89",
     .geometry = QRect(134, 62, 69, 24),
     .action = ElectroPage::ApplySecond},
    {.name = "Button115",
     .caption = "Применить",
     .group = "Panel89",
     .geometry = QRect(134, 100, 69, 22),
     .action = ElectroPage::ApplyFourth},
    {.name = "Button79",
     .caption = "Сохранение",
     .group = "Panel89",
     .geometry = QRect(4, 128, 98, 24),
     .queue = {sensor::Save}},
    {.name = "Button82",
     .caption = "Чтение",
     .group = "Panel89",
     .geometry = QRect(105, 128, 98, 24),
     .queue = {sensor::ReadVoltages, sensor::ReadCalibration, sensor::ReadThresholds,
               cmd::electro::ReadFourth}},
    {.name = "Button85",
     .caption = "По умолчанию",
     .group = "Panel89",
     .geometry = QRect(4, 154, 199, 24),
     .action = ElectroPage::Defaults},
    {.name = "Button78",
     .caption = "Режим настройки",
     .geometry = QRect(4, 486, 124, 26),
     .queue = {sensor::Setup}},
    {.name = "Button77",
     .caption = "СБРОС",
     .geometry = QRect(132, 486, 87, 26),
     .queue = {sensor::Reset, sensor::On}},
    frontEndRead("Button74", "LMP91000"),
    frontEndWrite("Button75", "LMP91000"),
    chartPictureToggle("Button76"),
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

const ButtonRow kCoButtons[] = {
    {.name = "Button92",
     .caption = "Применить U нуля",
     .group = "GroupBox31",
     .geometry = QRect(6, 68, 203, 24),
     .queue = {sensor::TakeAirVoltage, sensor::ReadVoltages}},
    {.name = "Button91",
     .caption = "Применить U газа",
     .group = "GroupBox31",
     .geometry = QRect(6, 94, 203, 24),
     .queue = {sensor::TakeGasVoltage, sensor::ReadVoltages}},
    {.name = "Button93",
     .caption = "Применить",
     .group = "Panel101",
     .geometry = QRect(134, 14, 69, 24),
     .action = ElectroPage::ApplyFirst},
    {.name = "Button94",
     .caption = "Применить",
     .group = "Panel101",
     .geometry = QRect(134, 62, 69, 24),
     .action = ElectroPage::ApplySecond},
    {.name = "Button95",
     .caption = "Сохранение",
     .group = "Panel101",
     .geometry = QRect(4, 104, 98, 24),
     .queue = {sensor::Save}},
    {.name = "Button96",
     .caption = "Чтение",
     .group = "Panel101",
     .geometry = QRect(105, 104, 98, 24),
     .queue = {sensor::ReadVoltages, sensor::ReadCalibration, sensor::ReadThresholds,
               cmd::electro::ReadFourth}},
    {.name = "Button97",
     .caption = "По умолчанию",
     .group = "Panel101",
     .geometry = QRect(4, 130, 199, 24),
     .action = ElectroPage::Defaults},
    {.name = "Button90",
     .caption = "Режим настройки",
     .geometry = QRect(4, 486, 124, 26),
     .queue = {sensor::Setup}},
    {.name = "Button88",
     .caption = "СБРОС",
     .geometry = QRect(132, 486, 87, 26),
     .queue = {sensor::Reset, sensor::On}},
    frontEndRead("Button86", "GroupBox29"),
    frontEndWrite("Button87", "GroupBox29"),
    chartPictureToggle("Button89"),
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

const ButtonRow kH2sButtons[] = {
    {.name = "Button132",
     .caption = "Применить U нуля",
     .group = "GroupBox41",
     .geometry = QRect(6, 68, 203, 24),
     .queue = {sensor::TakeAirVoltage, sensor::ReadVoltages}},
    {.name = "Button131",
     .caption = "Применить U газа",
     .group = "GroupBox41",
     .geometry = QRect(6, 94, 203, 24),
     .queue = {sensor::TakeGasVoltage, sensor::ReadVoltages}},
    {.name = "Button133",
     .caption = "Применить",
     .group = "Panel131",
     .geometry = QRect(134, 14, 69, 24),
     .action = ElectroPage::ApplyFirst},
    {.name = "Button134",
     .caption = "Применить",
     .group = "Panel131",
     .geometry = QRect(134, 62, 69, 24),
     .action = ElectroPage::ApplySecond},
    {.name = "Button135",
     .caption = "Сохранение",
     .group = "Panel131",
     .geometry = QRect(4, 104, 98, 24),
     .queue = {sensor::Save}},
    {.name = "Button136",
     .caption = "Чтение",
     .group = "Panel131",
     .geometry = QRect(105, 104, 98, 24),
     .queue = {sensor::ReadVoltages, sensor::ReadCalibration, sensor::ReadThresholds,
               cmd::electro::ReadFourth}},
    {.name = "Button137",
     .caption = "По умолчанию",
     .group = "Panel131",
     .geometry = QRect(4, 130, 199, 24),
     .action = ElectroPage::Defaults},
    {.name = "Button139",
     .caption = "Режим настройки",
     .geometry = QRect(4, 486, 124, 26),
     .queue = {sensor::Setup}},
    {.name = "Button138",
     .caption = "СБРОС",
     .geometry = QRect(132, 486, 87, 26),
     .queue = {sensor::Reset, sensor::On}},
    frontEndRead("Button129", "GroupBox39"),
    frontEndWrite("Button130", "GroupBox39"),
    chartPictureToggle("Button140"),
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
                 .readPlaceholder = true},
};

} // namespace

const ElectroInfo &oxygenInfo() { return kOxygen; }
const ElectroInfo &carbonMonoxideInfo() { return kCarbonMonoxide; }
const ElectroInfo &hydrogenSulphideInfo() { return kHydrogenSulphide; }

// ---- pages -----------------------------------------------------------------

namespace {

constexpr CodeList kElectroEntry = {sensor::On, sensor::ReadVoltages, sensor::ReadCalibration,
                                    sensor::ReadThresholds, cmd::electro::ReadFourth};
constexpr CodeList kElectroIdle = {cmd::Status, cmd::electro::Measure};

const PageRow kElectroPages[] = {
    {.index = page::Oxygen,
     .caption = "Кислород",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image1",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .codeNames = CodeFamily::Electro,
     .create = described<ElectroPage, kOxygen>},
    {.index = page::CarbonMonoxide,
     .caption = "Угарный газ (СО)",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image2",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .codeNames = CodeFamily::Electro,
     .create = described<ElectroPage, kCarbonMonoxide>},
    {.index = page::HydrogenSulphide,
     .caption = "Сероводород (H2S)",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image3",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .codeNames = CodeFamily::Electro,
     .create = described<ElectroPage, kHydrogenSulphide>},
};

} // namespace

std::span<const PageRow> electroPages() { return kElectroPages; }

} // namespace zet
