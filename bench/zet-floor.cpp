// The floor the tool is measured against: what any Qt Widgets program with this window's
// size, a tab widget and one chart view costs.
//   zet-floor                runs to its first paint and exits
//   zet-floor --idle N       also runs an empty 100 ms timer and prints its CPU over N seconds
//   zet-floor --bare-idle N  no toolkit at all: wakes every 100 ms from poll() for N seconds
//                            and prints its CPU, the least ten wake-ups a second can cost
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
#include <memory>

#include <poll.h>

namespace {

int bareIdle(int seconds)
{
    QElapsedTimer wall;
    wall.start();
    const double cpu = zet::bench::cpuSeconds();
    while (wall.elapsed() < seconds * 1000LL)
        ::poll(nullptr, 0, 100);
    const double used = zet::bench::cpuSeconds() - cpu;
    std::printf("cpu %.4f\n", 100.0 * used / (wall.nsecsElapsed() / 1e9));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool bare = argc > 2 && std::strcmp(argv[1], "--bare-idle") == 0;
    if (bare)
        return bareIdle(std::max(1, std::atoi(argv[2])));
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
