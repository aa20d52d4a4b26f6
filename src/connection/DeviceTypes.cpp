#include "connection/DeviceTypes.h"

#include "connection/Frame.h"

#include <array>

namespace zet {

std::optional<DeviceTypeInfo> deviceTypeInfo(int type)
{
    using namespace page;
    switch (type) {
    case 1:
        return DeviceTypeInfo{"База ЗЕТ-71", "ЗЕТ71   № ", 128, {{Tks, "Блок ТКС"}}};
    case 2:
        return DeviceTypeInfo{"База ЗЕТ-72", "ЗЕТ72   № ", 148, {{TksPgs, "Блок ТКС+ПГС"}}};
    case 3:
        return DeviceTypeInfo{
            "База ЗЕТ-72", "ЗЕТ72   № ", 149, {{TksPgsH2, "Блок ТКС+ПГС водород"}}};
    case 4:
        return DeviceTypeInfo{"База ЗЕТ-73", "ЗЕТ73   № ", 128, {{Pgs, "Блок ПГС"}}};
    case 5:
        return DeviceTypeInfo{
            "База ЗЕТ-71", "ЗЕТ71  № ", 128, {{OpticMethane100, "Оптика метан 100%"}}};
    case 6:
        return DeviceTypeInfo{
            "База ЗЕТ-71", "ЗЕТ71  № ", 128, {{OpticMethane5, "Оптика метан 5%"}}};
    case 7:
        return DeviceTypeInfo{"База ЗЕТ-74", "ЗЕТ-74   № ", 128, {{Oxygen, "Кислород"}}};
    case 9:
        return DeviceTypeInfo{"База ЗЕТ-74", "ЗЕТ-74   № ", 128, {{CarbonMonoxide, "Угарный"}}};
    case 10:
        return DeviceTypeInfo{"База ЗЕТ 75",
                              "ЗЕТ 75  № ",
                              128,
                              {{OpticMethane100, "Оптика метан 100%"},
                               {OpticCo2, "Оптика CO2 2,5%"},
                               {CarbonMonoxide, "Угарный"},
                               {Oxygen, "Кислород"},
                               {HydrogenSulphide, "Сероводород"},
                               {OpticPropane, "Оптика пропан 2%"},
                               {Pgs, "Блок ПГС (Утечка)"},
                               {Pressure, "Давление 20кПа"}}};
    default:
        return std::nullopt;
    }
}

const PageEntry &pageEntry(int pageIndex)
{
    static const std::array<PageEntry, page::Count> entries = {{
        {-1, {}},                          // device list
        {128, {}, nullptr, true},          // base unit: nothing left over from the last page
        {143, {9}},                        // pump
        {131, {9, 2, 3, 4}},               // TKS
        {136, {9}},                        // PGS
        {148, {9, 2, 3, 4}},               // TKS+PGS
        {149, {9, 2, 3, 4}},               // TKS+PGS hydrogen
        {139, {5, 2, 13, 3, 4}},           // optical methane 100%
        {150, {9, 2, 3, 4, 13}, "Image1"}, // oxygen
        {151, {9, 2, 3, 4, 13}, "Image2"}, // carbon monoxide
        {-1, {}},                          // optical methane 5%: focus entry only
        {141, {5, 2, 13, 3, 4}},           // optical CO2
        {152, {9, 2, 3, 4, 13}, "Image3"}, // hydrogen sulphide
        {156, {5, 2, 13, 3, 4, 9}},        // optical propane
        {145, {3, 2}},                     // pressure
    }};
    return entries[size_t(pageIndex)];
}

std::optional<FocusEntry> focusEntry(int pageIndex)
{
    if (pageIndex == page::OpticMethane100)
        return FocusEntry{pageIndex, 139, 9};
    if (pageIndex == page::OpticMethane5)
        return FocusEntry{pageIndex, 140, 9};
    return std::nullopt;
}

const char *designCaption(int pageIndex)
{
    static const char *const captions[page::Count] = {
        "Устройства USB",
        "База",
        "Насос",
        "ТКС",
        "ПГС",
        "ТКС+ПГС",
        "ТКС+ПГС водород",
        "Оптика метен 100%",
        "Кислород",
        "Угарный газ (СО)",
        "Оптика метан 5%",
        "CO2",
        "Сероводород (H2S)",
        "Оптика пропан 2%",
        "Давление",
    };
    return captions[pageIndex];
}

} // namespace zet
