#include "pages/PressurePage.h"

// What the pressure page shows and sends: status rows, buttons.

namespace zet {

namespace {

namespace sensor = cmd::sensor;

const StatusRow kPressureStatus[] = {
    rows::sensorOn("Panel153", {"Panel152"}),
    {.mask = 0x10,
     .target = "Panel152",
     .off = {"Измерение"},
     .on = {"Превышение диапазона", Colour::Red},
     .gateMask = 0x01},
    rows::settings("Panel151"),
    rows::setupMode("Panel150"),
};

const ButtonRow kPressureButtons[] = {
    {.name = "Button155",
     .caption = "ВКЛ.",
     .geometry = QRect(236, 10, 98, 28),
     .queue = {sensor::On, sensor::ReadVoltages, sensor::ReadCalibration}},
    {.name = "Button154",
     .caption = "ОТКЛ.",
     .geometry = QRect(338, 10, 98, 28),
     .write = sensor::Off},
    {.name = "Button153",
     .caption = "Режим настройки",
     .geometry = QRect(236, 44, 200, 28),
     .write = sensor::Setup},
    {.name = "Button162",
     .caption = "Подстройка \"0\"",
     .geometry = QRect(236, 78, 200, 28),
     .action = PressurePage::AdjustZero},
    {.name = "Button160",
     .caption = "Применить",
     .geometry = QRect(286, 238, 150, 28),
     .queue = {sensor::TakeAirVoltage, sensor::ReadVoltages}},
    {.name = "Button159",
     .caption = "Применить",
     .geometry = QRect(286, 272, 150, 28),
     .queue = {sensor::TakeGasVoltage, sensor::ReadVoltages}},
    {.name = "Button157",
     .caption = "Применить",
     .group = "GroupBox46",
     .geometry = QRect(10, 82, 406, 30),
     .action = PressurePage::ApplyParameters},
    {.name = "Button158",
     .caption = "Сохранение",
     .geometry = QRect(8, 438, 210, 30),
     .write = sensor::Save},
    {.name = "Button165",
     .caption = "Чтение параметров",
     .geometry = QRect(226, 438, 210, 30),
     .queue = {sensor::ReadVoltages, sensor::ReadCalibration}},
    {.name = "Button161",
     .caption = "Настр. по умолчанию",
     .geometry = QRect(8, 474, 210, 30),
     .action = PressurePage::Defaults},
    {.name = "Button163",
     .caption = "СБРОС",
     .geometry = QRect(226, 474, 210, 30),
     .queue = {sensor::Reset, sensor::ReadVoltages, sensor::ReadCalibration}},
};

const PressureInfo kPressure = {.status = kPressureStatus, .buttons = kPressureButtons};

} // namespace

const PressureInfo &pressureInfo() { return kPressure; }

// ---- pages -----------------------------------------------------------------

namespace {

const PageRow kPressurePages[] = {
    {.index = page::Pressure,
     .caption = "Давление",
     .entryQueue = {sensor::ReadCalibration, sensor::ReadVoltages},
     .codeNames = CodeFamily::Pressure,
     .create = described<PressurePage, kPressure>},
};

} // namespace

std::span<const PageRow> pressurePages() { return kPressurePages; }

} // namespace zet
