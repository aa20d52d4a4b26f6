#include "pages/PgsPage.h"

// What the semiconductor page shows and sends: status rows, buttons.

namespace zet {

namespace {

namespace sensor = cmd::sensor;

const StatusRow kPgsStatus[] = {
    rows::sensorOn("Panel32", {"Panel36", "Panel37"}),
    rows::setupMode("Panel33"),
    rows::sensorFault("Panel34"),
    rows::settings("Panel35"),
    rows::threshold("Panel36", 2, 0x20),
    rows::threshold("Panel37", 1, 0x10),
    rows::gas("GroupBox14"),
};

// The block sets the thresholds itself: the set commands carry no numbers.
const ButtonRow kPgsButtons[] = {
    {.name = "Button35", .caption = "ВКЛ.", .geometry = QRect(236, 10, 98, 28), .write = sensor::On},
    {.name = "Button36",
     .caption = "ОТКЛ.",
     .geometry = QRect(338, 10, 98, 28),
     .write = sensor::Off},
    {.name = "Button37",
     .caption = "Режим настройки",
     .geometry = QRect(236, 44, 200, 28),
     .write = sensor::Setup},
    {.name = "Button41",
     .caption = "Выбор газа",
     .geometry = QRect(236, 78, 200, 28),
     .queue = {sensor::SelectGas, sensor::ReadThresholds}},
    {.name = "Button38",
     .caption = "Применить",
     .group = "GroupBox16",
     .geometry = QRect(220, 13, 196, 30),
     .queue = {sensor::SetSecond, sensor::ReadThresholds}},
    {.name = "Button39",
     .caption = "Применить",
     .group = "GroupBox16",
     .geometry = QRect(220, 51, 196, 30),
     .queue = {sensor::SetFirst, sensor::ReadThresholds}},
    {.name = "Button40",
     .caption = "Чтение параметров",
     .geometry = QRect(8, 318, 210, 30),
     .write = sensor::ReadThresholds},
    {.name = "Button33",
     .caption = "Сохранение параметров",
     .geometry = QRect(226, 318, 210, 30),
     .write = sensor::Save},
    {.name = "Button34", .caption = "СБРОС", .geometry = QRect(8, 354, 100, 30), .write = sensor::Reset},
};

const PgsInfo kPgs = {.status = kPgsStatus, .buttons = kPgsButtons};

} // namespace

const PgsInfo &pgsInfo() { return kPgs; }

// ---- pages -----------------------------------------------------------------

namespace {

const PageRow kPgsPages[] = {
    {.index = page::Pgs,
     .caption = "ПГС",
     .entryQueue = {sensor::On},
     .codeNames = CodeFamily::Pgs,
     .create = described<PgsPage, kPgs>},
};

} // namespace

std::span<const PageRow> pgsPages() { return kPgsPages; }

} // namespace zet
