#pragma once
// Ends a start-up run at the first paint of a window: once the paint that put the
// window on screen is done, prints the monotonic clock in nanoseconds and the peak
// resident memory so far, and quits.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace zet::bench {

inline long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Peak resident memory of this process image in kB (VmHWM; ru_maxrss would carry the
// parent's peak over the exec).
inline long peakRssKb()
{
    long kb = -1;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                kb = std::atol(line + 6);
        std::fclose(f);
    }
    return kb;
}

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget *window) : window_(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == window_) {
            seen_ = true;
            // After the whole repaint of this round, flush included.
            QTimer::singleShot(0, qApp, [] {
                std::printf("painted %lld\npeak_kb %ld\n", monotonicNs(), peakRssKb());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget *window_;
    bool seen_ = false;
};

} // namespace zet::bench
