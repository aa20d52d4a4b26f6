#pragma once
// Indices of the fifteen pages of the main window's page control.

namespace zet::page {

enum Index : int {
    DeviceList = 0,
    Base = 1,
    Pump = 2,
    Tks = 3,
    Pgs = 4,
    TksPgs = 5,
    TksPgsH2 = 6,
    OpticMethane100 = 7,
    Oxygen = 8,
    CarbonMonoxide = 9,
    OpticMethane5 = 10,
    OpticCo2 = 11,
    HydrogenSulphide = 12,
    OpticPropane = 13,
    Pressure = 14,
    Count = 15
};

} // namespace zet::page
