#pragma once
// Measurements taken inside the benchmark's own process: a chart sample with its
// repaint, and the receive tick of each page kind over the simulated instrument.

#include "platform/Platform.h"

#include <vector>

namespace zet::bench {

struct Timing {
    double medianMs = 0;
    int count = 0; // samples taken (a sample that did not paint or read is not counted)
};

enum class ChartWay {
    Project,            // TrendChart::addSample
    LibraryReplace,     // a line series in the chart, replace() with the 200 points
    LibraryClearAppend, // a line series in the chart, clear() and 200 append()
};

// Chart1 at its size on the base page, shown; each sample is followed by the repaint
// the event loop would do (posted scene updates, then the window's update request).
// The library's ways run on a chart set up like Chart1 that draws its own series.
Timing chartSample(int samples, ChartWay way);

// One receive tick with a reply waiting (read, check, decode, chart) on the page
// `pageIndex` of a simulated instrument of `deviceType`, the window shown.
Timing receiveTick(int deviceType, int pageIndex, int ticks);

double median(std::vector<double> values);

// The window's desktop seam without waits or dialogs: messages go to standard error.
Platform quietPlatform();

} // namespace zet::bench
