#pragma once
// The main window over the simulated instrument, with a fake clock: run(ms) plays
// the transmit and receive ticks at their periods as simulated time passes.

#include "Harness.h"
#include "SimulatedDriver.h"

namespace zet::test {

struct SimHarness {
    qint64 clock = 0;
    sim::SimulatedDriver driver;
    Harness capture; // its platform collects messages and waits
    std::unique_ptr<TForm1> form;

    explicit SimHarness(int deviceType);
    // Opens the simulator's row and runs until the instrument is identified.
    bool connect();
    // Advances simulated time in 10 ms steps, ticking as the window's timers would.
    void run(int ms);
    void select(int pageIndex) { form->selectPage(pageIndex); }
    void click(const char *button);
    QString text(const char *name) const;

private:
    qint64 nextTx_ = 0;
    qint64 nextRx_ = 0;
};

} // namespace zet::test
