// Draws the two pictures the tool shows: the front-end circuit of the
// electrochemical blocks (LMP91000.bmp) and the multiplexer bench (stend1.bmp).
//   draw-pictures OUTDIR
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

static void drawFrontEnd(const QString &file)
{
    QImage img(360, 220, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QPen(Qt::black, 2));
    // The chip
    p.drawRect(120, 30, 130, 160);
    p.drawText(QRect(120, 32, 130, 16), Qt::AlignCenter, QStringLiteral("LMP91000"));
    // Sensor with its three electrodes
    p.drawEllipse(QPoint(50, 110), 34, 34);
    p.drawText(QRect(16, 100, 68, 20), Qt::AlignCenter, QStringLiteral("Сенсор"));
    const struct {
        const char *name;
        int y;
    } pins[] = {{"CE", 70}, {"RE", 110}, {"WE", 150}};
    for (const auto &pin : pins) {
        p.drawLine(84, pin.y, 120, pin.y);
        p.drawText(QRect(124, pin.y - 8, 30, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(pin.name));
    }
    // Blocks inside: transimpedance amplifier, bias, reference
    p.setPen(QPen(Qt::darkBlue, 1));
    p.drawRect(165, 60, 75, 26);
    p.drawText(QRect(165, 60, 75, 26), Qt::AlignCenter, QStringLiteral("TIA / RLoad"));
    p.drawRect(165, 98, 75, 26);
    p.drawText(QRect(165, 98, 75, 26), Qt::AlignCenter, QStringLiteral("Bias / Zero"));
    p.drawRect(165, 136, 75, 26);
    p.drawText(QRect(165, 136, 75, 26), Qt::AlignCenter, QStringLiteral("Int. Zero"));
    // Output and interface
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(250, 73, 300, 73);
    p.drawText(QRect(302, 65, 56, 16), Qt::AlignLeft, QStringLiteral("VOUT"));
    p.drawLine(250, 150, 300, 150);
    p.drawText(QRect(302, 142, 56, 16), Qt::AlignLeft, QStringLiteral("I2C"));
    p.end();
    img.save(file, "BMP");
}

static void drawBench(const QString &file)
{
    QImage img(480, 300, QImage::Format_RGB32);
    img.fill(QColor(0xE8, 0xE8, 0xE0));
    QPainter p(&img);
    QFont f = p.font();
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(Qt::black);
    // 32 sockets: 4 rows of 8
    for (int i = 0; i < 32; ++i) {
        const QRect r(20 + (i % 8) * 56, 30 + (i / 8) * 64, 44, 44);
        p.setBrush(QColor(0x40, 0x40, 0x40));
        p.drawEllipse(r);
        p.setBrush(Qt::NoBrush);
        p.drawText(QRect(r.x(), r.bottom() + 2, r.width(), 14), Qt::AlignCenter,
                   QString::number(i + 1));
    }
    p.end();
    img.save(file, "BMP");
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    drawFrontEnd(out + QStringLiteral("/LMP91000.bmp"));
    drawBench(out + QStringLiteral("/stend1.bmp"));
    return 0;
}
