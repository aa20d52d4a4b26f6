#pragma once
// Trend of the last 200 samples of one measured value. The ring is kept apart
// from the view so that the chart library sits behind this one class.

#include <QChartView>
#include <QPointF>

#include <array>

class QLabel;
class QLineSeries;

namespace zet {

class TrendRing {
public:
    static constexpr int kSize = 200;

    // Stores a sample; the slot after the newest is the oldest.
    void add(double value);
    // 200 points, x = 1..200, oldest first, the newest at x = 200.
    QList<QPointF> points() const;
    int writeIndex() const { return write_; } // 1..200, slot of the next sample
    double slot(int i) const { return samples_[i - 1]; }

private:
    std::array<double, kSize> samples_{};
    int write_ = 1;
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
    QLineSeries *series() const { return series_; }
    QString title() const;

private:
    TrendRing ring_;
    QLineSeries *series_;
    QLabel *title_;
};

} // namespace zet
