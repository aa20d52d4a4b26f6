#pragma once
// What the codes of each kind of block mean, as the service journal and the line
// monitor name them: a short Russian name, and whether the code changes the block
// or only asks it for something (status, read-backs, diagnostics).

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

// The kinds of block, each with its own code names.
enum class CodeFamily { None, Base, Pump, Thermo, Pgs, Optical, Electro, Pressure };

// The names of a family's codes; empty for None.
std::span<const CodeName> namesOf(CodeFamily family);

} // namespace zet
