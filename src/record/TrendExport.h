#pragma once
// Saving a trend chart: its samples as CSV, or the chart as shown as PNG, from
// the chart's context menu.

#include <QByteArray>
#include <QString>

class QMenu;

namespace zet {

class TrendChart;
class TrendRing;
struct FileChooser;
struct Platform;

// The samples taken, oldest first, each with the local time it arrived:
// "Время;<title>" then one line per sample, numbers in the user's locale.
QByteArray trendCsv(const TrendRing &ring, const QString &title);

// The chart's context menu: "Сохранить данные (CSV)…" and "Сохранить изображение
// (PNG)…". The menu belongs to the chart.
QMenu *trendMenu(TrendChart *chart, FileChooser &files, Platform &platform);

} // namespace zet
