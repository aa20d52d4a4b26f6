#include "pages/TrendChart.h"

#include <QChart>
#include <QDateTime>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>

namespace zet {

void TrendRing::add(double value, qint64 msecs)
{
    if (write_ > kSize)
        write_ = 1;
    samples_[write_ - 1] = value;
    times_[write_ - 1] = msecs;
    ++write_;
    if (count_ < kSize)
        ++count_;
}

QList<QPointF> TrendRing::points() const
{
    QList<QPointF> pts;
    fill(pts);
    return pts;
}

void TrendRing::fill(QList<QPointF> &points) const
{
    points.resize(kSize);
    QPointF *out = points.data();
    // write_ already points past the newest sample, so it is the oldest slot.
    int read = write_;
    for (int x = 1; x <= kSize; ++x, ++read) {
        if (read > kSize)
            read = 1;
        out[x - 1] = QPointF(x, samples_[read - 1]);
    }
}

static const ChartInfo kCharts[] = {
    {"Chart1", "Series1", "Потребляемый ток, мА", 0, 150},
    {"Chart2", "Series2", "Ток катушки, мА", 0, 150},
    {"Chart3", "Series3", "Напряжение на средней точке сенсора, мB", -10, 2500},
    {"Chart4", "Series4", "Напряжение полупроводникового сенсора, мВ", -10, 3310},
    {"Chart5", "Series5", "Напряжение термокаталитического сенсора, мB", -10, 2510},
    {"Chart6", "Series6", "Напряжение полупроводникового сенсора, мВ", -10, 2510},
    {"Chart7", "LineSeries1", "Напряжение термокаталитического сенсора, мB", -10, 2510},
    {"Chart8", "LineSeries2", "Напряжение полупроводникового сенсора, мВ", -10, 2510},
    {"Chart9", "LineSeries3", "Сигнал детектора", -10, 15000},
    {"Chart10", "LineSeries4", "", -10, 2600},
    {"Chart11", "LineSeries5", "", -10, 2600},
    {"Chart12", "LineSeries6", "Сигнал детектора", -10, 2500},
    {"Chart13", "LineSeries7", "Сигнал детектора", -10, 15000},
    {"Chart14", "LineSeries8", "", -10, 2600},
    {"Chart15", "LineSeries9", "Сигнал детектора", -10, 15000},
    {"Chart16", "LineSeries10", "Напряжение сенсора, мB", -10, 3300},
};

const ChartInfo &chartInfo(int number)
{
    Q_ASSERT(number >= 1 && number <= int(std::size(kCharts)));
    return kCharts[number - 1];
}

TrendChart::TrendChart(int number, QWidget *parent)
    : QChartView(parent), series_(new QLineSeries(this)), yMin_(chartInfo(number).yMin),
      yMax_(chartInfo(number).yMax)
{
    const ChartInfo &info = chartInfo(number);
    setObjectName(QString::fromLatin1(info.chartName));
    series_->setObjectName(QString::fromLatin1(info.seriesName));
    series_->setColor(Qt::red);
    series_->setPointsVisible(false);
    series_->setPointLabelsVisible(false);
    // Use OpenGL-free, simple pen for a cheap redraw.
    QPen pen(Qt::red);
    pen.setWidth(1);
    series_->setPen(pen);

    auto *chart = new QChart;
    chart->legend()->hide();
    // QChart centres its title; a label in the top-left corner keeps it left-aligned.
    const QString title = QString::fromUtf8(info.title);
    title_ = new QLabel(title, this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont tf = title_->font();
    tf.setPointSize(8);
    title_->setFont(tf);
    title_->move(6, 2);
    title_->adjustSize();
    title_->setVisible(!title.isEmpty());
    chart->setMargins(QMargins(2, title.isEmpty() ? 2 : 16, 6, 2));
    chart->setBackgroundRoundness(0);
    chart->setAnimationOptions(QChart::NoAnimation);
    // Axis numbers in the user's locale, like the values on the panels ("37,5" in Russian,
    // no digit grouping). Localised labels need a precision in their format.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    chart->setLocale(locale);
    chart->setLocalizeNumbers(true);

    auto *ax = new QValueAxis;
    ax->setRange(1, TrendRing::kSize);
    ax->setLabelFormat("%.0f");
    ax->setTickCount(5);
    auto *ay = new QValueAxis;
    ay->setRange(info.yMin, info.yMax);
    ay->setLabelFormat("%.6g");
    QFont lf = ax->labelsFont();
    lf.setPointSize(7);
    ax->setLabelsFont(lf);
    ay->setLabelsFont(lf);
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    // The view starts with a chart of its own, which setChart() lets go of unowned.
    QChart *initial = this->chart();
    setChart(chart);
    delete initial;
    setRenderHint(QPainter::Antialiasing, false);
    ring_.fill(buffers_[0]);
    series_->replace(buffers_[0]);
    spare_ = 1;
    // Anything that changes the chart's own items (layout, labels) makes the picture old.
    connect(scene(), &QGraphicsScene::changed, this, [this] { pictureStale_ = true; });
}

QString TrendChart::title() const { return title_->text(); }

void TrendChart::addSample(double value)
{
    const QRect before = isVisible() ? lineBounds() : QRect();
    ring_.add(value, clock_ ? clock_() : QDateTime::currentMSecsSinceEpoch());
    // The list the series let go of at the last sample is not shared: filled in place.
    ring_.fill(buffers_[spare_]);
    series_->replace(buffers_[spare_]);
    spare_ = 1 - spare_;
    if (!isVisible())
        return;
    // Taken here rather than while painting, where the viewport cannot render itself.
    if (pictureStale_ || chartPicture_.size() != viewport()->size() * devicePixelRatio())
        renderChart();
    // The old line is wiped and the new one drawn; the rest of the view stays.
    viewport()->update(before.united(lineBounds()));
}

void TrendChart::renderChart()
{
    const qreal ratio = devicePixelRatio();
    QPixmap picture(viewport()->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(viewport()->palette().color(viewport()->backgroundRole()));
    renderingChart_ = true;
    viewport()->render(&picture);
    renderingChart_ = false;
    chartPicture_ = picture;
    pictureStale_ = false;
}

void TrendChart::paintEvent(QPaintEvent *event)
{
    const bool current =
        !pictureStale_ && chartPicture_.size() == viewport()->size() * devicePixelRatio();
    if (renderingChart_ || !current) {
        QChartView::paintEvent(event);
        if (renderingChart_)
            return;
    }
    QPainter painter(viewport());
    if (current)
        painter.drawPixmap(0, 0, chartPicture_);
    painter.setRenderHints(renderHints());
    drawLine(painter);
}

void TrendChart::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        pictureStale_ = true;
        break;
    default:
        break;
    }
    QChartView::changeEvent(event);
}

// A chart on a page not shown keeps no picture; the first sample after it is shown again
// takes a new one.
void TrendChart::hideEvent(QHideEvent *event)
{
    chartPicture_ = QPixmap();
    QChartView::hideEvent(event);
}

// The chart places a series at the plot area's top-left corner and maps its values
// over the plot area's size; the same arithmetic gives the same pixels.
QTransform TrendChart::lineTransform() const
{
    const QPointF origin = chart()->plotArea().topLeft();
    return QTransform::fromTranslate(origin.x(), origin.y()) * chart()->sceneTransform() *
           viewportTransform();
}

// The plot area, widened by the fractions of a pixel that keep lines along its edges.
QRectF TrendChart::lineClip() const
{
    const QRectF plot = chart()->plotArea();
    QRectF clip(QPointF(0, 0), plot.size());
    const qreal x1 = plot.x() - int(plot.x());
    const qreal y1 = plot.y() - int(plot.y());
    const qreal x2 = (clip.width() + 0.5) - int(clip.width() + 0.5);
    const qreal y2 = (clip.height() + 0.5) - int(clip.height() + 0.5);
    clip.adjust(-x1, -y1, qMax(x1, x2), qMax(y1, y2));
    return clip;
}

int TrendChart::linePoints(std::array<QPointF, TrendRing::kSize> &at) const
{
    const QSizeF size = chart()->plotArea().size();
    const qreal dx = size.width() / (TrendRing::kSize - 1);
    const qreal dy = size.height() / (yMax_ - yMin_);
    const QList<QPointF> points = series_->points(); // shared, not copied
    const int n = std::min(int(points.size()), TrendRing::kSize);
    for (int i = 0; i < n; ++i)
        at[size_t(i)] =
            QPointF((points[i].x() - 1) * dx, size.height() - (points[i].y() - yMin_) * dy);
    return n;
}

QRect TrendChart::lineBounds() const
{
    std::array<QPointF, TrendRing::kSize> at;
    const int n = linePoints(at);
    if (n == 0)
        return {};
    qreal left = at[0].x(), right = left, top = at[0].y(), bottom = top;
    for (int i = 1; i < n; ++i) {
        left = std::min(left, at[size_t(i)].x());
        right = std::max(right, at[size_t(i)].x());
        top = std::min(top, at[size_t(i)].y());
        bottom = std::max(bottom, at[size_t(i)].y());
    }
    const QRectF box(QPointF(left, top), QPointF(right, bottom));
    const QTransform toView = lineTransform();
    const QRect clip = toView.mapRect(lineClip()).toAlignedRect();
    return toView.mapRect(box).toAlignedRect().adjusted(-2, -2, 2, 2) & clip.adjusted(-1, -1, 1, 1);
}

void TrendChart::drawLine(QPainter &painter) const
{
    std::array<QPointF, TrendRing::kSize> at;
    const int n = linePoints(at);
    painter.setWorldTransform(lineTransform());
    painter.setClipRect(lineClip());
    painter.setPen(series_->pen());
    for (int i = 1; i < n; ++i)
        painter.drawLine(at[size_t(i - 1)], at[size_t(i)]);
}

} // namespace zet
