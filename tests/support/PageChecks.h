#pragma once
// Helpers for page tests over the scripted harness: entering a page with its
// start-up commands answered, reading a chart's samples, the codes sent after a
// click.

#include "Harness.h"
#include "connection/TrendChart.h"

#include <QChartView>
#include <QGroupBox>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace zet::test {

// A request as it goes out: seven bytes and the check byte.
inline Frame frame(std::initializer_list<uint8_t> bytes) { return sealed(bytes); }

// Connects an instrument of `type`, opens the page and answers each start-up
// command with `status`, so that the page polls idly afterwards.
inline void enter(Harness &h, int type, int pageIndex, uint8_t block, uint8_t status = 0x01)
{
    h.connect(type);
    h.select(pageIndex);
    while (!h.form->session().queue.empty()) {
        const Frame sent = h.send();
        h.reply({block, sent[1], status, 0, 0, 0, 0});
    }
}

inline const TrendRing &ring(Harness &h, const char *chart)
{
    return static_cast<TrendChart *>(h.find<QChartView>(chart))->ring();
}

// The sample a chart took last.
inline double newest(Harness &h, const char *chart)
{
    const TrendRing &r = ring(h, chart);
    return r.slot(r.writeIndex() == 1 ? TrendRing::kSize : r.writeIndex() - 1);
}

inline QString groupTitle(Harness &h, const char *name) { return h.find<QGroupBox>(name)->title(); }

struct PanelState {
    const char *panel;
    const char *text;
    Colour colour;
};

inline void expectPanels(Harness &h, const std::vector<PanelState> &panels, int status)
{
    for (const PanelState &p : panels) {
        EXPECT_EQ(h.text(p.panel), QString::fromUtf8(p.text)) << status << " " << p.panel;
        EXPECT_EQ(h.colour(p.panel), p.colour) << status << " " << p.panel;
    }
}

// Codes that reach the wire on the ticks after a click, each answered in turn.
inline std::vector<int> sentAfter(Harness &h, const char *button, uint8_t block, int ticks)
{
    h.click(button);
    std::vector<int> codes;
    for (int i = 0; i < ticks; ++i) {
        const Frame f = h.send();
        codes.push_back(f[1]);
        h.reply({block, f[1], 0x01, 0, 0, 0, 0});
    }
    return codes;
}

} // namespace zet::test
