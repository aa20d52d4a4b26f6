#include "app/AppIcon.h"

#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <memory>

namespace zet {

namespace {

// Draws the SVG at whatever size is asked for, when it is asked for: the window system
// wants a few small sizes for the window, and under some platforms none at all, so
// nothing is rendered at start-up. Drawn here rather than through an icon-engine
// plugin, which may be missing.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QString file) : file_(std::move(file)) {}

    QIconEngine *clone() const override { return new SvgIconEngine(file_); }
    QString key() const override { return QStringLiteral("zet-svg"); }
    bool isNull() override { return !QFile::exists(file_); }

    // The sizes a window manager takes for a window's own icon; larger ones come from
    // the installed SVG the desktop entry names.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int s : {16, 22, 24, 32, 48, 64})
            sizes.append(QSize(s, s));
        return sizes;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        if (QSvgRenderer *svg = renderer())
            svg->render(painter, rect);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        const quint64 key = quint64(quint32(size.width())) << 32 | quint32(size.height());
        if (const auto it = drawn_.constFind(key); it != drawn_.cend())
            return *it;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paint(&painter, image.rect(), mode, state);
        }
        const QPixmap pixmap = QPixmap::fromImage(image);
        drawn_.insert(key, pixmap);
        return pixmap;
    }

private:
    QSvgRenderer *renderer()
    {
        if (!svg_)
            svg_ = std::make_unique<QSvgRenderer>(file_);
        return svg_->isValid() ? svg_.get() : nullptr;
    }

    QString file_;
    std::unique_ptr<QSvgRenderer> svg_;
    QHash<quint64, QPixmap> drawn_;
};

} // namespace

QIcon applicationIcon()
{
    return QIcon(new SvgIconEngine(QStringLiteral(":/icons/zet-service.svg")));
}

} // namespace zet
