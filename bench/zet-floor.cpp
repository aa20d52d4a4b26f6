// The floor the tool is measured against: what any Qt Widgets program with this window's
// size, a tab widget and one chart view costs.
//   zet-floor                runs to its first paint and exits
//   zet-floor --idle N       also runs an empty 100 ms timer and prints its CPU over N seconds
//   zet-floor --bare-idle N  no toolkit at all: wakes every 100 ms from poll() for N seconds
//                            and prints its CPU, the least ten wake-ups a second can cost
//   zet-floor --bare-poll N  the same, waking when the receive (100 ms) or the transmit
//                            (350 ms) tick would: the least polling can cost
#include "CpuTime.h"
#include "FirstPaint.h"

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>

#include <poll.h>

namespace {

// Wakes from poll() at every multiple of any of `periods` (ms) for `seconds`.
int bareWakeUps(int seconds, std::initializer_list<int> periods)
{
    QElapsedTimer wall;
    wall.start();
    const double cpu = zet::bench::cpuSeconds();
    while (wall.elapsed() < seconds * 1000LL) {
        const qint64 now = wall.elapsed();
        qint64 next = std::numeric_limits<qint64>::max();
        for (int p : periods)
            next = std::min(next, (now / p + 1) * p);
        ::poll(nullptr, 0, int(next - now));
    }
    const double used = zet::bench::cpuSeconds() - cpu;
    std::printf("cpu %.4f\n", 100.0 * used / (wall.nsecsElapsed() / 1e9));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs("usage: zet-floor [--idle N | --bare-idle N | --bare-poll N]\n"
                   "The yardstick of zet-bench: an empty window of the tool's size with a tab\n"
                   "widget and one chart view, run to its first paint.\n"
                   "  --idle N       also run an empty 100 ms timer, print its CPU over N seconds\n"
                   "  --bare-idle N  no toolkit: wake every 100 ms for N seconds, print the CPU\n"
                   "  --bare-poll N  the same, waking at the receive and transmit ticks\n",
                   stdout);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--bare-idle") == 0)
        return bareWakeUps(std::max(1, std::atoi(argv[2])), {100});
    if (argc > 2 && std::strcmp(argv[1], "--bare-poll") == 0)
        return bareWakeUps(std::max(1, std::atoi(argv[2])), {100, 350});
    const int idleSeconds =
        argc > 2 && std::strcmp(argv[1], "--idle") == 0 ? std::atoi(argv[2]) : 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(792, 573);
    auto *tabs = new QTabWidget(&window);
    tabs->setGeometry(0, 0, 792, 573);
    tabs->addTab(new QChartView, QStringLiteral("Chart"));
    std::unique_ptr<zet::bench::FirstPaint> done;
    QTimer empty;
    if (idleSeconds > 0) {
        QObject::connect(&empty, &QTimer::timeout, [] {});
        empty.start(100);
        QTimer::singleShot(1000, &window,
                           [idleSeconds] { zet::bench::measureCpu(idleSeconds, [] {}); });
    } else {
        done = std::make_unique<zet::bench::FirstPaint>(&window);
    }
    window.show();
    return app.exec();
}
