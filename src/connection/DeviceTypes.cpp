#include "connection/DeviceTypes.h"

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

} // namespace zet
