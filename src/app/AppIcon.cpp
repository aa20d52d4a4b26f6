#include "app/AppIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace zet {

QIcon applicationIcon()
{
    // Rendered here rather than through an icon-engine plugin, which may be missing.
    QSvgRenderer svg(QStringLiteral(":/icons/zet-service.svg"));
    QIcon icon;
    if (!svg.isValid())
        return icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace zet
