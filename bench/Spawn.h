#pragma once
// Runs one child program to its end and reports what it printed and what it cost.

#include <string>
#include <vector>

namespace zet::bench {

struct ChildRun {
    bool ok = false;          // exited with status 0
    double firstPaintMs = -1; // from the spawn to the "painted" line's clock, when printed
    double peakRssMb = -1;    // peak resident memory at the first paint, when printed
    std::string output;       // what it printed on stdout
};

ChildRun runChild(const std::vector<std::string> &argv);

// The number after `key` on a line of `output` ("cpu 0.31" -> 0.31), or -1.
double valueAfter(const std::string &output, const std::string &key);

} // namespace zet::bench
