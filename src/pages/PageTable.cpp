#include "pages/PageTable.h"

#include "pages/BasePage.h"
#include "pages/ElectroPage.h"
#include "pages/OpticalPage.h"
#include "pages/PgsPage.h"
#include "pages/PressurePage.h"
#include "pages/PumpPage.h"
#include "pages/ThermoPage.h"

#include <array>

namespace zet {

namespace {

template <typename Page> ModulePage *make(PageHost &host, const PageRow &)
{
    return new Page(host);
}

template <const ThermoInfo &(*info)()> ModulePage *thermo(PageHost &host, const PageRow &)
{
    return new ThermoPage(host, info());
}

template <const ElectroInfo &(*info)()> ModulePage *electro(PageHost &host, const PageRow &)
{
    return new ElectroPage(host, info());
}

template <const OpticalInfo &(*info)()> ModulePage *optical(PageHost &host, const PageRow &)
{
    return new OpticalPage(host, info());
}

constexpr CodeList kSensorEntry = {9, 2, 3, 4};
constexpr CodeList kOpticalEntry = {5, 2, 13, 3, 4};
constexpr CodeList kElectroEntry = {9, 2, 3, 4, 13};
constexpr CodeList kOpticalIdle = {12, 96};
constexpr CodeList kElectroIdle = {12, 1};

const std::array<PageRow, page::Count> kPages = {{
    {.index = page::DeviceList, .caption = "Устройства USB", .entryAddress = false},
    {.index = page::Base,
     .block = 0,
     .caption = "База",
     // Nothing left over from the last page reaches the base unit.
     .freshStart = true,
     .commands = CommandSet::Base,
     .create = make<BasePage>},
    {.index = page::Pump,
     .block = 15,
     .caption = "Насос",
     .entryQueue = {9},
     .commands = CommandSet::Pump,
     .create = make<PumpPage>},
    {.index = page::Tks,
     .block = 3,
     .caption = "ТКС",
     .entryQueue = kSensorEntry,
     .commands = CommandSet::Thermo,
     .create = thermo<tksInfo>},
    {.index = page::Pgs,
     .block = 8,
     .caption = "ПГС",
     .entryQueue = {9},
     .commands = CommandSet::Pgs,
     .create = make<PgsPage>},
    {.index = page::TksPgs,
     .block = 20,
     .caption = "ТКС+ПГС",
     .entryQueue = kSensorEntry,
     .commands = CommandSet::Thermo,
     .create = thermo<tksPgsInfo>},
    {.index = page::TksPgsH2,
     .block = 21,
     .caption = "ТКС+ПГС водород",
     .entryQueue = kSensorEntry,
     .commands = CommandSet::Thermo,
     .create = thermo<tksPgsHydrogenInfo>},
    {.index = page::OpticMethane100,
     .block = 11,
     .caption = "Оптика метен 100%",
     .period = kPeriodOptical,
     .entryQueue = kOpticalEntry,
     .focusCode = 9,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .commands = CommandSet::Optical,
     .create = optical<methane100Info>},
    {.index = page::Oxygen,
     .block = 22,
     .caption = "Кислород",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image1",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .commands = CommandSet::Electro,
     .create = electro<oxygenInfo>},
    {.index = page::CarbonMonoxide,
     .block = 23,
     .caption = "Угарный газ (СО)",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image2",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .commands = CommandSet::Electro,
     .create = electro<carbonMonoxideInfo>},
    // A tab click alone leaves address and queue; the focus entry addresses it.
    {.index = page::OpticMethane5,
     .block = 12,
     .caption = "Оптика метан 5%",
     .period = kPeriodOptical,
     .entryAddress = false,
     .focusCode = 9,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = {12},
     .commands = CommandSet::Optical,
     .create = optical<methane5Info>},
    {.index = page::OpticCo2,
     .block = 13,
     .caption = "CO2",
     .period = kPeriodOptical,
     .entryQueue = kOpticalEntry,
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .commands = CommandSet::Optical,
     .create = optical<co2Info>},
    {.index = page::HydrogenSulphide,
     .block = 24,
     .caption = "Сероводород (H2S)",
     .entryQueue = kElectroEntry,
     .picture = "LMP91000.bmp",
     .pictureControl = "Image3",
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kElectroIdle,
     .commands = CommandSet::Electro,
     .create = electro<hydrogenSulphideInfo>},
    {.index = page::OpticPropane,
     .block = 28,
     .caption = "Оптика пропан 2%",
     .period = kPeriodOptical,
     .entryQueue = {5, 2, 13, 3, 4, 9},
     .idle = IdlePolicy::QueueWhenEmpty,
     .idleQueue = kOpticalIdle,
     .commands = CommandSet::Optical,
     .create = optical<propaneInfo>},
    {.index = page::Pressure,
     .block = 17,
     .caption = "Давление",
     .entryQueue = {3, 2},
     .commands = CommandSet::Pressure,
     .create = make<PressurePage>},
}};

} // namespace

std::span<const PageRow> pageTable() { return kPages; }

const PageRow &pageRow(int index) { return kPages.at(size_t(index)); }

} // namespace zet
