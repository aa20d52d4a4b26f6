#include "record/TrendExport.h"

#include "journal/Journal.h"
#include "platform/Format.h"
#include "pages/TrendChart.h"
#include "platform/Platform.h"
#include "record/FileChooser.h"

#include <QBuffer>
#include <QDateTime>
#include <QMenu>

namespace zet {

QByteArray trendCsv(const TrendRing &ring, const QString &title)
{
    QByteArray csv("\xEF\xBB\xBF");
    csv += journal::csvLine(
        {QStringLiteral("Время"), title.isEmpty() ? QStringLiteral("Значение") : title});
    int slot = ring.oldestSlot();
    for (int i = 0; i < ring.count(); ++i, ++slot) {
        if (slot > TrendRing::kSize)
            slot = 1;
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(ring.time(slot));
        csv += journal::csvLine({t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs),
                                 shortest(ring.slot(slot))});
    }
    return csv;
}

namespace {

QString suggestedName(const TrendChart *chart, Platform &platform, const char *extension)
{
    return chart->objectName() + QLatin1Char('_') +
           platform.now().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + QLatin1Char('.') +
           QLatin1String(extension);
}

} // namespace

QMenu *trendMenu(TrendChart *chart, FileChooser &files, Platform &platform)
{
    auto *menu = new QMenu(chart);
    menu->setObjectName(QStringLiteral("TrendMenu"));
    QAction *data = menu->addAction(QStringLiteral("Сохранить данные (CSV)…"));
    data->setObjectName(QStringLiteral("SaveTrendCsv"));
    QObject::connect(data, &QAction::triggered, chart, [chart, &files, &platform] {
        const QString path = files.save(chart, QStringLiteral("Сохранить данные графика"),
                                        suggestedName(chart, platform, "csv"),
                                        QStringLiteral("CSV (*.csv);;Все файлы (*)"));
        if (!path.isEmpty())
            saveFile(path, trendCsv(chart->ring(), chart->title()), platform);
    });
    QAction *picture = menu->addAction(QStringLiteral("Сохранить изображение (PNG)…"));
    picture->setObjectName(QStringLiteral("SaveTrendPng"));
    QObject::connect(picture, &QAction::triggered, chart, [chart, &files, &platform] {
        const QString path = files.save(chart, QStringLiteral("Сохранить изображение графика"),
                                        suggestedName(chart, platform, "png"),
                                        QStringLiteral("PNG (*.png);;Все файлы (*)"));
        if (path.isEmpty())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        chart->grab().save(&buffer, "PNG");
        saveFile(path, png, platform);
    });
    return menu;
}

} // namespace zet
