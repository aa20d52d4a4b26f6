#pragma once
// What each page's command codes mean, for the service journal and the line
// monitor: a short Russian name, and whether the code changes the block or only
// asks it for something (status, read-backs, diagnostics).

#include <cstdint>
#include <span>

namespace zet {

enum class CodeKind {
    Command, // changes the block: switching, set-up, settings, calibration, save, reset
    Read,    // asks for values or state; the tool's own polling and read-backs
};

struct CodeName {
    uint8_t code;
    const char *name;
    CodeKind kind = CodeKind::Command;
};

// The codes a page sends to its block; empty for the device list.
std::span<const CodeName> pageCodes(int pageIndex);
// The name of a code on a page, or null when the page does not know it.
const CodeName *codeName(int pageIndex, uint8_t code);
// The page of a block number (0 for the base unit), or -1.
int pageOfBlock(int block);

} // namespace zet
