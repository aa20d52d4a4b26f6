#pragma once
// The pages of the main window's page control, and the instrument block each
// talks to: a new page takes its index, its block and its place in blockOfPage here.

namespace zet {

namespace block {
constexpr int Base = 0;
constexpr int Tks = 3;
constexpr int Pgs = 8;
constexpr int OpticMethane100 = 11;
constexpr int OpticMethane5 = 12;
constexpr int OpticCo2 = 13;
constexpr int Pump = 15;
constexpr int Pressure = 17;
constexpr int TksPgs = 20;
constexpr int TksPgsH2 = 21;
constexpr int Oxygen = 22;
constexpr int CarbonMonoxide = 23;
constexpr int HydrogenSulphide = 24;
constexpr int OpticPropane = 28;
} // namespace block

namespace page {

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

} // namespace page

// The block a page of the main window talks to; -1 for the device list.
constexpr int blockOfPage(int pageIndex)
{
    constexpr int kBlocks[page::Count] = {
        -1,
        block::Base,
        block::Pump,
        block::Tks,
        block::Pgs,
        block::TksPgs,
        block::TksPgsH2,
        block::OpticMethane100,
        block::Oxygen,
        block::CarbonMonoxide,
        block::OpticMethane5,
        block::OpticCo2,
        block::HydrogenSulphide,
        block::OpticPropane,
        block::Pressure,
    };
    return pageIndex >= 0 && pageIndex < page::Count ? kBlocks[pageIndex] : -1;
}

} // namespace zet
