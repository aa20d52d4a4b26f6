#include "Measure.h"

#include "SimulatedDriver.h"
#include "pages/TrendChart.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace zet::bench {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

namespace {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// What the event loop does after a change: posted events (the scene's dirty items),
// then the window's update request, which paints the dirty region and flushes it.
void repaintNow(QWidget *window)
{
    QCoreApplication::sendPostedEvents();
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window, &request);
}

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

Timing chartSample(int samples, bool clearAppend)
{
    TrendChart chart(1);
    chart.resize(766, 236); // as on the base page
    chart.show();
    settle(200);
    PaintCounter counter(chart.viewport());
    TrendRing ring; // the spec's redraw: clear, then the 200 points oldest first
    auto addClearAppend = [&](double value) {
        ring.add(value);
        QLineSeries *series = chart.series();
        series->clear();
        int read = ring.writeIndex();
        for (int x = 1; x <= TrendRing::kSize; ++x, ++read) {
            if (read > TrendRing::kSize)
                read = 1;
            series->append(x, ring.slot(read));
        }
    };
    std::vector<double> times;
    const int warmUp = 50;
    for (int i = 0; i < samples + warmUp; ++i) {
        const double value = 75 + 60 * std::sin(i * 0.07) + (i % 7);
        const int before = counter.paints;
        QElapsedTimer t;
        t.start();
        if (clearAppend)
            addClearAppend(value);
        else
            chart.addSample(value);
        repaintNow(&chart);
        const qint64 ns = t.nsecsElapsed();
        if (i >= warmUp && counter.paints > before)
            times.push_back(ns / 1e6);
    }
    return {median(times), int(times.size())};
}

Timing receiveTick(int deviceType, int pageIndex, int ticks)
{
    qint64 clock = 0;
    sim::SimulatedDriver driver(deviceType, [&clock] { return clock; });
    Platform quiet;
    quiet.message = [](MessageKind, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    quiet.sleepMs = [](int) {};
    quiet.processEvents = [] {};
    quiet.now = [] { return QDateTime::currentDateTime(); };
    TForm1 form(driver, quiet);
    form.show();
    settle(100);
    auto *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    list->setCurrentItem(list->topLevelItem(0));
    form.ListView1DblClick();
    form.pollCycle().stop(); // the ticks are driven by hand below
    auto cycle = [&] {
        form.Timer1Timer();
        clock += 60; // past the simulated reply delay
    };
    for (int i = 0; i < 20 && form.session().deviceType == 0; ++i) {
        cycle();
        form.Timer2Timer();
    }
    form.selectPage(pageIndex);
    std::vector<double> times;
    const int warmUp = 30;
    for (int i = 0; i < ticks + warmUp; ++i) {
        cycle();
        QElapsedTimer t;
        t.start();
        form.Timer2Timer();
        const qint64 ns = t.nsecsElapsed();
        if (i >= warmUp && form.session().replyValid)
            times.push_back(ns / 1e6);
        repaintNow(&form); // not timed: the paint belongs to the event loop
    }
    return {median(times), int(times.size())};
}

} // namespace zet::bench
