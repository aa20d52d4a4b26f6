#include "pages/TrendChart.h"

#include <QChart>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>

namespace zet {

void TrendRing::add(double value)
{
    if (write_ > kSize)
        write_ = 1;
    samples_[write_ - 1] = value;
    ++write_;
}

QList<QPointF> TrendRing::points() const
{
    QList<QPointF> pts;
    pts.reserve(kSize);
    // write_ already points past the newest sample, so it is the oldest slot.
    int read = write_;
    for (int x = 1; x <= kSize; ++x, ++read) {
        if (read > kSize)
            read = 1;
        pts.append(QPointF(x, samples_[read - 1]));
    }
    return pts;
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

TrendChart::TrendChart(int number, QWidget *parent) : QChartView(parent), series_(new QLineSeries)
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
    chart->addSeries(series_);
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
    series_->attachAxis(ax);
    series_->attachAxis(ay);
    // The view starts with a chart of its own, which setChart() lets go of unowned.
    QChart *initial = this->chart();
    setChart(chart);
    delete initial;
    setRenderHint(QPainter::Antialiasing, false);
    series_->replace(ring_.points());
}

void TrendChart::addSample(double value)
{
    ring_.add(value);
    series_->replace(ring_.points());
}

} // namespace zet

namespace zet {
QString TrendChart::title() const { return title_->text(); }
} // namespace zet
