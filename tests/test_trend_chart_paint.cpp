// The trend chart draws its line over a picture of the chart: what reaches the screen
// must be, pixel for pixel, what the chart library draws with the series in the chart.
#include "pages/TrendChart.h"

#include <QApplication>
#include <QChart>
#include <QGraphicsView>
#include <QLabel>
#include <QLineSeries>
#include <QScreen>
#include <QTest>

#include <cmath>

#include <gtest/gtest.h>

using namespace zet;

namespace {

QImage viewportImage(QWidget *viewport)
{
    QImage image(viewport->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    viewport->render(&image);
    return image;
}

// The same chart drawn by the library alone: the points in a line series of the chart,
// on its axes, shown by a plain view of the scene.
QImage libraryDrawing(TrendChart &chart)
{
    auto *line = new QLineSeries;
    line->setPen(chart.series()->pen());
    line->setPointsVisible(false);
    line->replace(chart.series()->points());
    chart.chart()->addSeries(line);
    for (QAbstractAxis *axis : chart.chart()->axes())
        line->attachAxis(axis);
    QGraphicsView plain(chart.scene());
    plain.setFrameShape(QFrame::NoFrame); // as QChartView sets itself up
    plain.setBackgroundRole(QPalette::Window);
    plain.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    plain.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    plain.setRenderHints(chart.renderHints());
    plain.setSceneRect(chart.sceneRect());
    plain.resize(chart.viewport()->size());
    plain.show();
    const QImage image = viewportImage(plain.viewport());
    chart.chart()->removeSeries(line);
    delete line;
    return image;
}

// What the window system was given, repaints of parts included.
QImage onScreen(TrendChart &chart)
{
    QCoreApplication::processEvents();
    const QImage window = chart.screen()->grabWindow(chart.winId()).toImage();
    const QPoint at = chart.viewport()->mapTo(&chart, QPoint(0, 0));
    return window.copy(QRect(at, chart.viewport()->size())).convertToFormat(QImage::Format_RGB32);
}

int differing(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST(TrendChartPaint, PixelsAreTheChartLibrarysOwn)
{
    struct Case {
        int number;
        QSize size; // as on the pages
    };
    const Case cases[] = {
        {1, {766, 236}}, {2, {766, 192}}, {4, {334, 500}}, {9, {364, 322}}, {10, {380, 260}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        TrendChart chart(c.number);
        chart.findChild<QLabel *>("title")->hide(); // a widget over the plot, not the plot
        chart.resize(c.size);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
        const ChartInfo &info = chartInfo(c.number);
        const double span = info.yMax - info.yMin;
        // Past both ends of the range now and then, and once round the ring and more; then
        // a narrow band that wipes the wide line out piece by piece.
        for (int i = 0; i < 500; ++i) {
            const double wave = i < 260 ? 0.5 + 0.6 * std::sin(i * 0.09) : 0.3 + (i % 3) * 0.01;
            chart.addSample(info.yMin + span * wave + i % 5);
            if (i % 40 == 0 || i > 440)
                QCoreApplication::processEvents();
        }
        const QImage ours = onScreen(chart);
        EXPECT_EQ(differing(ours, viewportImage(chart.viewport())), 0) << "partial repaints";
        EXPECT_EQ(differing(ours, libraryDrawing(chart)), 0);
    }
}

} // namespace
