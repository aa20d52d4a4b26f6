#pragma once
// What identification shows for each instrument type, and what entering each page
// does to the request and the command queue.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace zet {

struct ShownPage {
    int index;
    const char *caption;
};

struct DeviceTypeInfo {
    const char *baseCaption;      // caption of the base unit tab
    const char *serialPrefix;     // Panel2 text before the serial number
    uint8_t firstAddress;         // address of the first status request
    std::vector<ShownPage> pages; // module pages besides base and pump
};

// Known instrument types 1..10 (8 is not one of them).
std::optional<DeviceTypeInfo> deviceTypeInfo(int type);

struct PageEntry {
    int address;                   // -1: request address left alone
    std::vector<uint8_t> queue;    // empty: queue left alone
    const char *picture = nullptr; // picture loaded first, into this control
    // The queue is emptied and the request reset to this page's status request, so
    // that nothing meant for the page just left goes out to this block.
    bool freshStart = false;
};

const PageEntry &pageEntry(int pageIndex);

// Pages whose entry runs when the focus moves into them (address, queue).
struct FocusEntry {
    int pageIndex;
    uint8_t address;
    uint8_t code;
};
std::optional<FocusEntry> focusEntry(int pageIndex);

// Captions the tabs carry before identification renames them.
const char *designCaption(int pageIndex);

} // namespace zet
