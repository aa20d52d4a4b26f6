#pragma once
// The code names of each page, for the service journal and the line monitor.

#include "connection/CodeNames.h"

#include <cstdint>
#include <span>

namespace zet {

// The codes a page sends to its block; empty for the device list.
std::span<const CodeName> pageCodes(int pageIndex);
// The name of a code on a page, or null when the page does not know it.
const CodeName *codeName(int pageIndex, uint8_t code);
// The page of a block number (0 for the base unit), or -1.
int pageOfBlock(int block);

} // namespace zet
