#pragma once
// What identification shows for each instrument type.

#include "connection/PageIndex.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zet {

struct ShownPage {
    int index;
    const char *caption;
};

struct DeviceTypeInfo {
    const char *baseCaption;      // caption of the base unit tab
    const char *serialPrefix;     // text before the serial number
    uint8_t firstAddress;         // address of the first status request
    std::vector<ShownPage> pages; // module pages besides base and pump
};

// Known instrument types 1..10 (8 is not one of them).
std::optional<DeviceTypeInfo> deviceTypeInfo(int type);

} // namespace zet
