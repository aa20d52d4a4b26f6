#include "Measure.h"

#include "SimulatedDriver.h"
#include "pages/TrendChart.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QChart>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QTreeWidget>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

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

// Chart1's look, with the series drawn by the chart library.
class LibraryChart : public QChartView {
public:
    LibraryChart() : series_(new QLineSeries)
    {
        series_->setPen(QPen(Qt::red, 1));
        auto *chart = new QChart;
        chart->addSeries(series_);
        chart->legend()->hide();
        chart->setMargins(QMargins(2, 16, 6, 2));
        chart->setBackgroundRoundness(0);
        chart->setAnimationOptions(QChart::NoAnimation);
        auto *ax = new QValueAxis;
        ax->setRange(1, TrendRing::kSize);
        ax->setLabelFormat("%.0f");
        ax->setTickCount(5);
        auto *ay = new QValueAxis;
        ay->setRange(0, 150);
        QFont font = ax->labelsFont();
        font.setPointSize(7);
        ax->setLabelsFont(font);
        ay->setLabelsFont(font);
        chart->addAxis(ax, Qt::AlignBottom);
        chart->addAxis(ay, Qt::AlignLeft);
        series_->attachAxis(ax);
        series_->attachAxis(ay);
        QChart *initial = this->chart();
        setChart(chart);
        delete initial;
        setRenderHint(QPainter::Antialiasing, false);
    }
    void add(double value, bool clearAppend)
    {
        ring_.add(value);
        if (!clearAppend) {
            series_->replace(ring_.points());
            return;
        }
        // Clear, then the 200 points oldest first.
        series_->clear();
        int read = ring_.writeIndex();
        for (int x = 1; x <= TrendRing::kSize; ++x, ++read) {
            if (read > TrendRing::kSize)
                read = 1;
            series_->append(x, ring_.slot(read));
        }
    }

private:
    TrendRing ring_;
    QLineSeries *series_;
};

} // namespace

Timing chartSample(int samples, ChartWay way)
{
    std::unique_ptr<QChartView> view;
    std::function<void(double)> add;
    if (way == ChartWay::Project) {
        auto *chart = new TrendChart(1);
        add = [chart](double v) { chart->addSample(v); };
        view.reset(chart);
    } else {
        auto *chart = new LibraryChart;
        const bool clearAppend = way == ChartWay::LibraryClearAppend;
        add = [chart, clearAppend](double v) { chart->add(v, clearAppend); };
        view.reset(chart);
    }
    view->resize(766, 236); // as on the base page
    view->show();
    settle(200);
    PaintCounter counter(view->viewport());
    std::vector<double> times;
    const int warmUp = 50;
    for (int i = 0; i < samples + warmUp; ++i) {
        const double value = 75 + 60 * std::sin(i * 0.07) + (i % 7);
        const int before = counter.paints;
        QElapsedTimer t;
        t.start();
        add(value);
        repaintNow(view.get());
        const qint64 ns = t.nsecsElapsed();
        if (i >= warmUp && counter.paints > before)
            times.push_back(ns / 1e6);
    }
    return {median(times), int(times.size())};
}

Platform quietPlatform()
{
    Platform quiet;
    quiet.message = [](MessageKind, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    quiet.sleepMs = [](int) {};
    quiet.processEvents = [] {};
    quiet.now = [] { return QDateTime::currentDateTime(); };
    return quiet;
}

Timing receiveTick(int deviceType, int pageIndex, int ticks)
{
    qint64 clock = 0;
    sim::SimulatedDriver driver(deviceType, [&clock] { return clock; });
    Platform quiet = quietPlatform();
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
