#pragma once
// One row per page of the main window: its block, transmit period, what entering
// it does, how it polls when idle, and how it is built. Nothing else lists these.

#include "connection/CodeNames.h"
#include "connection/CommandQueue.h"
#include "connection/Frame.h"
#include "connection/PageIndex.h"
#include "connection/Protocol.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zet {

class ModulePage;
class PageHost;

constexpr int kPeriodNormal = 350;
constexpr int kPeriodOptical = 800;

// What a page does with the request once its block has answered a command.
enum class IdlePolicy {
    // The request becomes the status request {address, 12, 0, 0, 0, 0, 0}.
    ResetToStatus,
    // With the queue empty, the idle queue is loaded; the request is never reset,
    // its parameter bytes stay.
    QueueWhenEmpty,
};

struct PageRow {
    int index;
    int block = -1;             // filled from blockOfPage(index); -1: no block (the device list)
    const char *caption = "";   // tab caption before identification renames it
    int period = kPeriodNormal; // transmit period while the page handles replies
    bool entryAddress = true;   // a tab click writes the module address
    CodeList entryQueue{};      // a tab click loads it (empty: queue left alone)
    bool freshStart = false;    // a tab click empties the queue and starts from the status request
    std::optional<uint8_t> focusCode{}; // focus moving into the page queues this code alone
    const char *picture = nullptr;      // loaded first on a tab click; a failed load ends the entry
    const char *pictureControl = nullptr;
    IdlePolicy idle = IdlePolicy::ResetToStatus;
    CodeList idleQueue{};
    CodeFamily codeNames = CodeFamily::None; // names the journal and line monitor give its codes
    ModulePage *(*create)(PageHost &, const PageRow &) = nullptr;

    uint8_t address() const { return moduleAddress(uint8_t(block)); }
};

// Every page's row, in page order.
std::span<const PageRow> pageTable();
const PageRow &pageRow(int index);

// The rows of each page family, kept beside the family's descriptors.
std::span<const PageRow> basePages();
std::span<const PageRow> pumpPages();
std::span<const PageRow> thermoPages();
std::span<const PageRow> pgsPages();
std::span<const PageRow> opticalPages();
std::span<const PageRow> electroPages();
std::span<const PageRow> pressurePages();

// Factories for a row's `create`: a page of its own, or a family's page built
// from its descriptor.
template <typename Page> ModulePage *make(PageHost &host, const PageRow &row)
{
    return new Page(host, row);
}

template <typename Page, const auto &info> ModulePage *described(PageHost &host, const PageRow &row)
{
    return new Page(host, row, info);
}

} // namespace zet
