#pragma once
// CPU time of the whole process over a stretch of its event loop.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace zet::bench {

// Time on a CPU of all this process's threads: the scheduler's own count in
// nanoseconds where the system offers it (exact for short wake-ups), else the sampled
// user and system times.
inline double cpuSeconds()
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
inline void measureCpu(int seconds, std::function<void()> whenDone)
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

} // namespace zet::bench
