#include "AppRun.h"

#include "FirstPaint.h"
#include "SimulatedDriver.h"
#include "app/AppIcon.h"
#include "link/CompositeDriver.h"
#include "link/DeviceWatcher.h"
#include "link/SerialPortDriver.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace zet::bench {

namespace {

// Time on a CPU of all this process's threads: the scheduler's own count in
// nanoseconds where the system offers it (exact for short wake-ups), else the sampled
// user and system times.
double cpuSeconds()
{
    QDir tasks(QStringLiteral("/proc/self/task"));
    double ns = 0;
    bool exact = false;
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        ns += stat.readAll().split(' ').value(0).toDouble();
        exact = true;
    }
    if (exact)
        return ns / 1e9;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto s = [](timeval t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

// Process CPU over `seconds` of the running event loop, as a percentage of one core.
void measureCpu(int seconds, std::function<void()> whenDone)
{
    auto wall = std::make_shared<QElapsedTimer>();
    wall->start();
    const double cpu = cpuSeconds();
    QTimer::singleShot(seconds * 1000, qApp, [wall, cpu, whenDone] {
        const double used = cpuSeconds() - cpu;
        std::printf("cpu %.4f\n", 100.0 * used / (wall->nsecsElapsed() / 1e9));
        whenDone();
        QCoreApplication::quit();
    });
}

} // namespace

int runApp(int argc, char **argv, AppRun what, int seconds)
{
    // As src/Project1.cpp starts the program (no options; --demo 10 when polling).
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zet-service"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zet-service"));
    QApplication::setWindowIcon(applicationIcon());
    auto driver = std::make_unique<CompositeDriver>();
    driver->add(std::make_unique<SerialPortDriver>(QStringList(), true));
    auto *simulated = new sim::SimulatedDriver(10);
    const QString simulatedSerial = QString::fromStdString(simulated->serialNumber());
    if (what == AppRun::Poll)
        driver->add(std::unique_ptr<sim::SimulatedDriver>(simulated));
    else
        delete simulated;
    UdevDeviceWatcher watcher;
    TForm1 form(*driver, Platform::desktop(), &watcher);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());

    std::unique_ptr<FirstPaint> painted;
    if (what == AppRun::FirstPaint)
        painted = std::make_unique<FirstPaint>(&form);
    form.show();
    if (what == AppRun::Poll) {
        QTimer::singleShot(500, &form, [&] {
            auto *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
            const auto rows = list->findItems(simulatedSerial, Qt::MatchExactly, 2);
            if (rows.isEmpty())
                return;
            list->setCurrentItem(rows.first());
            form.ListView1DblClick();
        });
        // Identified and on the base page well before the measurement starts.
        QTimer::singleShot(3000, &form, [&] {
            measureCpu(seconds, [&] { std::printf("type %d\n", form.session().deviceType); });
        });
    } else if (what == AppRun::Idle) {
        QTimer::singleShot(1000, &form, [&] { measureCpu(seconds, [] {}); });
    }
    return app.exec();
}

} // namespace zet::bench
