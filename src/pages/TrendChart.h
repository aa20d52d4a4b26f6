#pragma once
// Trend of the last 200 samples of one measured value. The ring is kept apart
// from the view so that the chart library sits behind this one class.
//
// A sample changes nothing but the line: the chart (background, grid, axes and their
// labels) is drawn once into a picture that each repaint copies, and the line is drawn
// over it as the chart library draws a line series.

#include <QChartView>
#include <QPixmap>
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
    // The same points written into `points`, which keeps its storage when it holds
    // them already and is not shared.
    void fill(QList<QPointF> &points) const;
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
    // The line's 200 points; this view draws them (the series is in no chart).
    QLineSeries *series() const { return series_; }
    QString title() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // From the series' points to viewport pixels, as the chart maps its series.
    QTransform lineTransform() const;
    // The part of the plot area the line may cover, in the line's coordinates.
    QRectF lineClip() const;
    // The points of the series in the line's coordinates; returns how many.
    int linePoints(std::array<QPointF, TrendRing::kSize> &at) const;
    // The viewport pixels the line now covers, with a margin.
    QRect lineBounds() const;
    void drawLine(QPainter &painter) const;
    void renderChart();

    TrendRing ring_;
    std::function<qint64()> clock_;
    QLineSeries *series_;
    // The series holds one, the ring fills the other: no list is allocated per sample.
    std::array<QList<QPointF>, 2> buffers_;
    size_t spare_ = 0;
    double yMin_, yMax_;
    QLabel *title_;
    QPixmap chartPicture_; // the chart without the line
    bool pictureStale_ = true;
    bool renderingChart_ = false;
};

} // namespace zet
