#pragma once
// Trend of the last 200 samples of one measured value. The ring is kept apart
// from the view so that the chart library sits behind this one class.

#include <QChartView>
#include <QPointF>

#include <array>
#include <functional>

class QLabel;
class QLineSeries;

namespace zet {

class TrendRing {
public:
    static constexpr int kSize = 200;

    // Stores a sample with the time it arrived (ms since the epoch); the slot after
    // the newest is the oldest.
    void add(double value, qint64 msecs = 0);
    // 200 points, x = 1..200, oldest first, the newest at x = 200.
    QList<QPointF> points() const;
    int writeIndex() const { return write_; } // 1..200, slot of the next sample
    double slot(int i) const { return samples_[i - 1]; }
    qint64 time(int i) const { return times_[i - 1]; }
    // Samples taken so far, at most kSize; the slots of the others hold 0.
    int count() const { return count_; }
    // Slot of the oldest sample taken.
    int oldestSlot() const { return count_ < kSize ? 1 : (write_ > kSize ? 1 : write_); }

private:
    std::array<double, kSize> samples_{};
    std::array<qint64, kSize> times_{};
    int write_ = 1;
    int count_ = 0;
};

struct ChartInfo {
    const char *chartName;
    const char *seriesName;
    const char *title; // empty: no title
    double yMin;
    double yMax;
};

// Every trend chart of the window, by number (Chart1 .. Chart16).
const ChartInfo &chartInfo(int number);

class TrendChart : public QChartView {
public:
    TrendChart(int number, QWidget *parent = nullptr);

    void addSample(double value);
    const TrendRing &ring() const { return ring_; }
    // Where the time of each sample comes from (ms since the epoch); the system
    // clock unless set.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    QLineSeries *series() const { return series_; }
    QString title() const;

private:
    TrendRing ring_;
    std::function<qint64()> clock_;
    QLineSeries *series_;
    QLabel *title_;
};

} // namespace zet
