#include "pages/PageTable.h"

#include "pages/BasePage.h"
#include "pages/CombinedThermoPage.h"
#include "pages/ElectroPage.h"
#include "pages/OpticalPage.h"
#include "pages/PgsPage.h"
#include "pages/PressurePage.h"
#include "pages/PumpPage.h"
#include "pages/ThermoPage.h"

#include <array>

namespace zet {

namespace {

template <typename Page> ModulePage *make(PageHost &host, const PageRow &row)
{
    return new Page(host, row);
}

template <typename Page, const ThermoInfo &(*info)()>
ModulePage *thermo(PageHost &host, const PageRow &row)
{
    return new Page(host, row, info());
}

template <typename Page, auto info> ModulePage *described(PageHost &host, const PageRow &row)
{
    return new Page(host, row, info());
}

template <const ElectroInfo &(*info)()> ModulePage *electro(PageHost &host, const PageRow &row)
{
    return new ElectroPage(host, row, info());
}

template <const OpticalInfo &(*info)()> ModulePage *optical(PageHost &host, const PageRow &row)
{
    return new OpticalPage(host, row, info());
}

namespace sensor = cmd::sensor;
namespace op = cmd::optical;

constexpr CodeList kSensorEntry = {sensor::On, sensor::ReadVoltages, sensor::ReadCalibration,
                                   sensor::ReadThresholds};
constexpr CodeList kOpticalEntry = {op::ReadZeroVoltage, op::ReadGasVoltage2, op::ReadConcentration,
                                    op::ReadFirst, op::ReadThresholds};
constexpr CodeList kElectroEntry = {sensor::On, sensor::ReadVoltages, sensor::ReadCalibration,
                                    sensor::ReadThresholds, cmd::electro::ReadFourth};
constexpr CodeList kOpticalIdle = {cmd::Status, op::Diagnostics};
constexpr CodeList kElectroIdle = {cmd::Status, cmd::electro::Measure};

// Each row's block is the protocol's block of its page.
std::array<PageRow, page::Count> withBlocks(std::array<PageRow, page::Count> rows)
{
    for (PageRow &row : rows)
        row.block = blockOfPage(row.index);
    return rows;
}

const std::array<PageRow, page::Count> kPages = withBlocks({{
    {.index = page::DeviceList, .caption = "Устройства USB", .entryAddress = false},
    {.index = page::Base,
     .caption = "База",
     // Nothing left over from the last page reaches the base unit.
     .freshStart = true,
     .codeNames = CodeFamily::Base,
     .create = make<BasePage>},
    {.index = page::Pump,
     .caption = "Насос",
     .entryQueue = {cmd::pump::On},
     .codeNames = CodeFamily::Pump,
     .create = make<PumpPage>},
    {.index = page::Tks,
     .caption = "ТКС",
     .entryQueue = kSensorEntry,
     .codeNames = CodeFamily::Thermo,
     .create = thermo<ThermoPage, tksInfo>},
    {.index = page::Pgs,
     .caption = "ПГС",
     .entryQueue = {sensor::On},
     .codeNames = CodeFamily::Pgs,
     .create = described<PgsPage, pgsInfo>},
    {.index = page::TksPgs,
     .caption = "ТКС+ПГС",
     .entryQueue = kSensorEntry,
     .codeNames = CodeFamily::Thermo,
     .create = thermo<CombinedThermoPage, tksPgsInfo>},
    {.index = page::TksPgsH2,
     .caption = "ТКС+ПГС водород",
     .entryQueue = kSensorEntry,
     .codeNames = CodeFamily::Thermo,
     .create = thermo<CombinedThermoPage, tksPgsHydrogenInfo>},
    {.index = page::OpticMethane100,
     .caption = "Оптика метен 100%",
     .period = kPeriodOptical,
     .entryQueue = kOpticalEntry,
     .focusCode = op::On,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .codeNames = CodeFamily::Optical,
     .create = optical<methane100Info>},
    {.index = page::Oxygen,
     .caption = "Кислород",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image1",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .codeNames = CodeFamily::Electro,
     .create = electro<oxygenInfo>},
    {.index = page::CarbonMonoxide,
     .caption = "Угарный газ (СО)",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image2",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .codeNames = CodeFamily::Electro,
     .create = electro<carbonMonoxideInfo>},
    // A tab click alone leaves address and queue; the focus entry addresses it.
    {.index = page::OpticMethane5,
     .caption = "Оптика метан 5%",
     .period = kPeriodOptical,
     .entryAddress = false,
     .focusCode = op::On,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = {cmd::Status},
     .codeNames = CodeFamily::Optical,
     .create = optical<methane5Info>},
    {.index = page::OpticCo2,
     .caption = "CO2",
     .period = kPeriodOptical,
     .entryQueue = kOpticalEntry,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .codeNames = CodeFamily::Optical,
     .create = optical<co2Info>},
    {.index = page::HydrogenSulphide,
     .caption = "Сероводород (H2S)",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image3",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .codeNames = CodeFamily::Electro,
     .create = electro<hydrogenSulphideInfo>},
    {.index = page::OpticPropane,
     .caption = "Оптика пропан 2%",
     .period = kPeriodOptical,
     .entryQueue = {op::ReadZeroVoltage, op::ReadGasVoltage2, op::ReadConcentration, op::ReadFirst,
                    op::ReadThresholds, op::On},
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .codeNames = CodeFamily::Optical,
     .create = optical<propaneInfo>},
    {.index = page::Pressure,
     .caption = "Давление",
     .entryQueue = {sensor::ReadCalibration, sensor::ReadVoltages},
     .codeNames = CodeFamily::Pressure,
     .create = described<PressurePage, pressureInfo>},
}});

} // namespace

std::span<const PageRow> pageTable() { return kPages; }

const PageRow &pageRow(int index) { return kPages.at(size_t(index)); }

} // namespace zet
