#pragma once
// What the tool may send with nobody clicking: the status request, identification
// to the base unit, and a page's entry, focus-entry and idle codes to its block.

#include "pages/PageTable.h"

#include <cstdint>

namespace zet::test {

inline bool sentWithoutClick(uint8_t address, uint8_t code)
{
    if (code == cmd::Status)
        return true;
    if (address == kBaseAddress)
        return code == cmd::Identify;
    for (const PageRow &row : pageTable()) {
        if (row.block < 0 || row.address() != address)
            continue;
        // The combined thermocatalytic pages alternate with the semiconductor status.
        const bool alternation =
            (row.index == page::TksPgs || row.index == page::TksPgsH2) && code == 21;
        return row.entryQueue.contains(code) || row.idleQueue.contains(code) ||
               row.focusCode == code || alternation;
    }
    return false;
}

} // namespace zet::test
