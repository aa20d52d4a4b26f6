// Draws the two pictures the tool shows: the front-end circuit of the
// electrochemical blocks (LMP91000.bmp) and the multiplexer bench (stend1.bmp).
//   draw-pictures OUTDIR
#include "ui/BenchLayout.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <initializer_list>

namespace {

// Size of the picture control on the electrochemical pages; the picture is shown 1:1.
constexpr QSize kFrontEndSize{561, 313};

const QColor kInk{0x20, 0x24, 0x2A};
const QColor kCaption{0x0B, 0x4F, 0x9C}; // names of the register settings on the page
const QColor kTag{0x6A, 0x73, 0x7D};     // register bits behind a setting
const QColor kChipFill{0xF3, 0xF6, 0xFA};

QFont font(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Schematic primitives on a 1:1 pixel grid: orthogonal lines are drawn without
// antialiasing so they stay one crisp pixel wide.
class Schematic {
public:
    explicit Schematic(QPainter &p) : p_(p) {}

    void wire(std::initializer_list<QPoint> points)
    {
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(QPen(kInk, 1));
        const QPoint *prev = nullptr;
        for (const QPoint &pt : points) {
            if (prev)
                p_.drawLine(*prev, pt);
            prev = &pt;
        }
    }
    void dot(QPoint c)
    {
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setPen(Qt::NoPen);
        p_.setBrush(kInk);
        p_.drawEllipse(QPointF(c) + QPointF(0.5, 0.5), 2.5, 2.5);
        p_.setBrush(Qt::NoBrush);
    }
    // A white box with a thin outline: a resistor on its wire, or a block of the chip.
    void box(QRect r)
    {
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(QPen(kInk, 1));
        p_.setBrush(Qt::white);
        p_.drawRect(r);
        p_.setBrush(Qt::NoBrush);
    }
    // Amplifier triangle from its input side (x, top..bottom) to its apex.
    void amplifier(int baseX, int top, int bottom, int apexX, const QString &name, bool plusOnTop)
    {
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setPen(QPen(kInk, 1.5));
        p_.setBrush(Qt::white);
        const QPointF tri[] = {{baseX + 0.5, top + 0.5},
                               {baseX + 0.5, bottom + 0.5},
                               {apexX + 0.5, (top + bottom) / 2.0 + 0.5}};
        p_.drawPolygon(tri, 3);
        p_.setBrush(Qt::NoBrush);
        const int dir = apexX > baseX ? 1 : -1;
        const int quarter = (bottom - top) / 4;
        const QRect signTop(dir > 0 ? baseX + 2 : baseX - 12, top + quarter - 6, 10, 12);
        const QRect signBottom = signTop.translated(0, 2 * quarter);
        p_.setFont(font(11, true));
        p_.setPen(kInk);
        p_.drawText(signTop, Qt::AlignCenter, plusOnTop ? "+" : "−");
        p_.drawText(signBottom, Qt::AlignCenter, plusOnTop ? "−" : "+");
        const int mid = (top + bottom) / 2;
        const QRect label =
            dir > 0 ? QRect(baseX + 8, mid - 8, (apexX - baseX) / 2 + 4, 16)
                    : QRect(baseX - (baseX - apexX) / 2 - 12, mid - 8, (baseX - apexX) / 2 + 4, 16);
        p_.drawText(label, Qt::AlignCenter, name);
    }
    // Switch: a blade from the pivot towards (but not touching) a contact.
    void blade(QPoint pivot, QPoint contact)
    {
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setPen(QPen(kInk, 1.5));
        const QPointF a = QPointF(pivot) + QPointF(0.5, 0.5);
        const QPointF b = QPointF(contact) + QPointF(0.5, 0.5);
        const QPointF d = b - a;
        // Open blade: rotated a little away from the contact.
        const QPointF tip = a + QPointF(d.x() * 0.9 + d.y() * 0.35, d.y() * 0.9 - d.x() * 0.35);
        p_.drawLine(a, tip);
        this->contact(contact);
        dot(pivot);
    }
    // Open contact of a switch.
    void contact(QPoint c)
    {
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setPen(QPen(kInk, 1));
        p_.setBrush(Qt::white);
        p_.drawEllipse(QPointF(c) + QPointF(0.5, 0.5), 2.5, 2.5);
        p_.setBrush(Qt::NoBrush);
    }
    // A pin of the chip on its outline.
    void pin(QPoint c)
    {
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setPen(QPen(kInk, 1));
        p_.setBrush(Qt::white);
        p_.drawRect(QRect(c - QPoint(3, 3), QSize(6, 6)));
        p_.setBrush(Qt::NoBrush);
    }
    void text(QRect r, const QString &s, int pixels = 11, bool bold = false,
              const QColor &colour = kInk, int align = Qt::AlignLeft | Qt::AlignVCenter)
    {
        p_.setFont(font(pixels, bold));
        p_.setPen(colour);
        p_.drawText(r, align, s);
    }
    // A setting's caption as the page names it, with its register bits beneath.
    void setting(QPoint topLeft, const QString &caption, const QString &bits,
                 int align = Qt::AlignLeft)
    {
        const int width = 110;
        const int x = align == Qt::AlignRight     ? topLeft.x() - width
                      : align == Qt::AlignHCenter ? topLeft.x() - width / 2
                                                  : topLeft.x();
        text(QRect(x, topLeft.y(), width, 14), caption, 11, true, kCaption,
             align | Qt::AlignVCenter);
        text(QRect(x, topLeft.y() + 14, width, 11), bits, 9, false, kTag, align | Qt::AlignVCenter);
    }
    QPainter &painter() { return p_; }

private:
    QPainter &p_;
};

void drawFrontEnd(const QString &file)
{
    QImage img(kFrontEndSize, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    Schematic s(p);

    // Electrode rows shared by the sensor, the pins and the circuit inside.
    const int ceY = 112, reY = 180, weY = 256;
    const QRect chip(128, 20, 391, 286);

    // Chip outline
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0x55, 0x5E, 0x68), 2));
    p.setBrush(kChipFill);
    p.drawRect(chip);
    p.setBrush(Qt::NoBrush);
    s.text(QRect(chip.left() + 8, chip.top() + 5, 120, 16), "LMP91000", 13, true);

    // Sensor with its three electrodes
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(0xFF, 0xF4, 0xD6));
    p.drawRoundedRect(QRectF(14.5, 88.5, 70, 190), 8, 8);
    p.setBrush(Qt::NoBrush);
    s.text(QRect(14, 68, 71, 16), "Сенсор", 12, true, kInk, Qt::AlignCenter);
    const struct {
        const char *name;
        const char *role;
        int y;
    } electrodes[] = {{"CE", "вспомог.", ceY}, {"RE", "сравнения", reY}, {"WE", "рабочий", weY}};
    for (const auto &e : electrodes) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(72, e.y - 9, 5, 19), QColor(0x6B, 0x4E, 0x16));
        s.wire({{77, e.y}, {chip.left(), e.y}});
        s.text(QRect(20, e.y - 14, 50, 14), e.name, 11, true, kInk, Qt::AlignRight);
        s.text(QRect(16, e.y, 54, 12), e.role, 9, false, kTag, Qt::AlignRight);
        s.pin({chip.left(), e.y});
        s.text(QRect(chip.left() + 6, e.y - 15, 30, 13), e.name, 10, true);
    }

    // Control amplifier A1 drives CE so that RE follows its + input.
    s.amplifier(246, 84, 140, 196, "A1", true);
    s.wire({{chip.left(), ceY}, {196, ceY}});
    s.text(QRect(150, 44, 120, 12), "управляющий", 9, false, kTag);
    s.text(QRect(150, 55, 120, 12), "усилитель", 9, false, kTag);
    s.wire({{chip.left(), reY}, {258, reY}, {258, 126}, {246, 126}});

    // Shorting FET between RE and WE
    const int fetX = 164;
    s.wire({{fetX, reY}, {fetX, 204}});
    s.wire({{fetX, 232}, {fetX, weY}});
    s.blade({fetX, 232}, {fetX, 204});
    s.dot({fetX, reY});
    s.dot({fetX, weY});
    s.setting({fetX + 10, 196}, "FET", "MODECN[7]");
    s.text(QRect(fetX + 10, 221, 90, 11), "замыкает RE–WE", 9, false, kInk);

    // WE through the load resistor into the TIA; the gain resistor feeds back.
    const QRect rLoad(196, weY - 5, 36, 10);
    s.wire({{chip.left(), weY}, {rLoad.left(), weY}});
    s.box(rLoad);
    s.setting({rLoad.center().x() + 1, weY + 8}, "R_Load", "TIACN[1:0]", Qt::AlignHCenter);
    const int tiaBase = 304, tiaApex = 362, tiaTop = 202, tiaBottom = 274;
    const int tiaMid = (tiaTop + tiaBottom) / 2;
    const int minusY = tiaBottom - (tiaBottom - tiaTop) / 4;
    const int plusY = tiaTop + (tiaBottom - tiaTop) / 4;
    const int c1X = 288, c2X = 384, loopY = 290;
    s.wire({{rLoad.right() + 1, weY}, {c1X, weY}, {c1X, minusY}, {tiaBase, minusY}});
    s.amplifier(tiaBase, tiaTop, tiaBottom, tiaApex, "TIA", true);
    s.wire({{c1X, minusY}, {c1X, chip.bottom()}});
    s.wire({{tiaApex, tiaMid}, {c2X, tiaMid}, {c2X, chip.bottom()}});
    const QRect rTia(318, loopY - 5, 36, 10);
    s.wire({{c1X, loopY}, {rTia.left(), loopY}});
    s.wire({{rTia.right() + 1, loopY}, {c2X, loopY}});
    s.box(rTia);
    s.dot({c1X, minusY});
    s.dot({c1X, loopY});
    s.dot({c2X, tiaMid});
    s.dot({c2X, loopY});
    s.text(QRect(rTia.left() - 10, loopY - 20, 56, 14), "R_TIA", 11, true, kCaption,
           Qt::AlignCenter);
    s.text(QRect(c1X + 4, loopY + 6, 40, 10), "C1", 9, true);
    s.text(QRect(c2X - 44, loopY + 6, 40, 10), "C2", 9, true, kInk, Qt::AlignRight);
    s.pin({c1X, chip.bottom()});
    s.pin({c2X, chip.bottom()});
    s.text(QRect(rTia.left() - 12, loopY + 4, 60, 11), "TIACN[4:2]", 9, false, kTag,
           Qt::AlignCenter);

    // Internal zero: TIA + input, and the base the bias is added to.
    const int zeroX = 272, sumY = 98;
    const QRect zero(330, 140, 96, 34);
    s.wire({{zeroX, sumY + 8}, {zeroX, plusY}, {tiaBase, plusY}});
    s.wire({{zero.left(), 157}, {zeroX, 157}});
    s.dot({zeroX, 157});
    s.box(zero);
    s.text(zero.adjusted(0, 2, 0, -16), "U_нуля", 11, true, kCaption, Qt::AlignCenter);
    s.text(zero.adjusted(0, 17, 0, -3), "20 / 50 / 67 %", 9, false, kInk, Qt::AlignCenter);
    s.text(QRect(zero.left(), zero.bottom() + 2, 96, 11), "REFCN[6:5]", 9, false, kTag,
           Qt::AlignCenter);
    s.text(QRect(zeroX + 4, 186, 60, 12), "Uнуля", 9, false, kInk);

    // Bias added to (or taken from) the internal zero at the A1 + input.
    const QRect bias(310, 76, 96, 32);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(zeroX + 0.5, sumY + 0.5), 8, 8);
    p.setBrush(Qt::NoBrush);
    s.text(QRect(zeroX - 8, sumY - 8, 17, 17), "+", 12, true, kInk, Qt::AlignCenter);
    s.wire({{zeroX - 8, sumY}, {246, sumY}});
    s.wire({{bias.left(), sumY}, {zeroX + 9, sumY}});
    s.text(QRect(zeroX + 10, sumY - 14, 16, 12), "±", 11, true);
    s.setting({zeroX + 5, sumY + 12}, "Полярность", "REFCN[4]", Qt::AlignLeft);
    s.box(bias);
    s.text(bias.adjusted(0, 1, 0, -16), "Смещение", 11, true, kCaption, Qt::AlignCenter);
    s.text(bias.adjusted(0, 16, 0, -2), "0…24 % Uоп", 9, false, kInk, Qt::AlignCenter);
    s.text(QRect(bias.center().x() + 4, bias.top() - 12, 60, 11), "REFCN[3:0]", 9, false, kTag);

    // Reference source: the chip's supply or the VREF pin.
    const int refY = 56;
    const QPoint pivot(452, refY);
    const QPoint external(480, 40), internal(480, 72);
    s.wire({{bias.center().x(), bias.top()}, {bias.center().x(), refY}, {pivot.x(), refY}});
    const int zeroTapX = zero.right() - 10;
    s.wire({{zeroTapX, zero.top()}, {zeroTapX, refY}});
    s.dot({zeroTapX, refY});
    s.text(QRect(bias.center().x() + 4, refY - 13, 40, 12), "Uоп", 9, false, kInk);
    s.blade(pivot, external);
    s.wire({external + QPoint(3, 0), {506, 40}, {506, chip.top()}});
    s.pin({506, chip.top()});
    s.text(QRect(506 - 60, 2, 52, 14), "VREF", 10, true, kInk, Qt::AlignRight);
    s.wire({internal + QPoint(3, 0), {490, 72}});
    s.contact(internal);
    s.text(QRect(492, 66, 26, 12), "VDD", 9, true);
    s.text(QRect(430, 26, 60, 12), "Внешнее", 9, false, kInk);
    s.text(QRect(452, 76, 60, 12), "Внутр.", 9, false, kInk);
    s.setting({chip.right() - 4, 100}, "U_опоры", "REFCN[7]", Qt::AlignRight);

    // Output: the TIA, or the temperature sensor in the temperature modes.
    const QPoint outPivot(488, tiaMid);
    const QPoint fromTia(462, tiaMid), fromTemp(462, 214);
    s.wire({{c2X, tiaMid}, fromTia - QPoint(3, 0)});
    s.blade(outPivot, fromTia);
    s.wire({outPivot, {chip.right() + 1, tiaMid}});
    s.pin({chip.right() + 1, tiaMid});
    s.text(QRect(chip.right() + 6, tiaMid - 16, 40, 14), "VOUT", 10, true);
    const QRect temp(440, 160, 60, 22);
    s.wire({fromTemp - QPoint(3, 0), {452, fromTemp.y()}, {452, temp.bottom()}});
    s.contact(fromTemp);
    s.box(temp);
    s.text(temp, "Датчик t°", 9, false, kInk, Qt::AlignCenter);
    s.setting({chip.right() - 4, 248}, "Режим", "MODECN[2:0]", Qt::AlignRight);
    s.text(QRect(390, 275, 126, 11), "TIA_OFF, TIA_ON C2:", 9, false, kInk, Qt::AlignRight);
    s.text(QRect(390, 286, 126, 11), "на VOUT датчик t°", 9, false, kInk, Qt::AlignRight);
    p.end();
    img.save(file, "BMP");
}

// ---------------------------------------------------------------------------

const QColor kBoard{0x2F, 0x6E, 0x4E};
const QColor kBoardEdge{0x1C, 0x45, 0x30};
const QColor kHousing{0x23, 0x26, 0x2B};
const QColor kSilk{0xF2, 0xF2, 0xEA};

void drawBench(const QString &file)
{
    using namespace zet::bench;
    QImage img(kPictureSize, QImage::Format_RGB32);
    img.fill(kBoard);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Picture coordinates = client coordinates - picture origin.
    const QPoint origin = kPictureOrigin;

    p.setPen(QPen(kBoardEdge, 1));
    p.drawRect(QRect(QPoint(0, 0), kPictureSize - QSize(1, 1)));

    // Seats of the lamps: an outline around each, the lamp itself covers the inside.
    p.setPen(QPen(kSilk, 1));
    for (const Socket &sk : kSocketTable)
        p.drawRect(sk.lampRect().translated(-origin).adjusted(-2, -2, 1, 1));

    // Bus between the two halves and the base unit below them.
    const int busTop = gridSocket(1, 0).client().bottom() + 1 - origin.y();
    const int busBottom = gridSocket(2, 0).client().top() - 1 - origin.y();
    const int busMid = (busTop + busBottom) / 2;
    p.setPen(QPen(QColor(0xC8, 0xA0, 0x4A), 1));
    p.drawLine(3, busMid - 6, kPictureSize.width() - 4, busMid - 6);
    p.drawLine(3, busMid + 6, kPictureSize.width() - 4, busMid + 6);
    p.setFont(font(9, true));
    p.setPen(kSilk);
    p.drawText(QRect(0, busTop, kPictureSize.width(), busBottom - busTop + 1), Qt::AlignCenter,
               QStringLiteral("МУЛЬТИПЛЕКСОР · 32 КАНАЛА"));

    const int baseTop = gridSocket(3, 0).client().bottom() + 4 - origin.y();
    const QRect base(40, baseTop, kPictureSize.width() - 80, kPictureSize.height() - baseTop - 3);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0x10, 0x2A, 0x44), 1));
    p.setBrush(QColor(0x2F, 0x5D, 0x8A));
    p.drawRoundedRect(QRectF(base).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(kSilk);
    p.drawText(base, Qt::AlignCenter, QStringLiteral("БАЗОВЫЙ БЛОК"));
    p.setRenderHint(QPainter::Antialiasing, false);

    // Sockets exactly over their click regions: housing, contacts, channel code.
    for (const Socket &sk : kSocketTable) {
        const QRect r = sk.client().translated(-origin);
        p.fillRect(r, kHousing);
        p.setPen(QColor(0x55, 0x5B, 0x63));
        p.drawRect(r.adjusted(1, 1, -2, -2));
        const int pins = 4, pitch = 4;
        const int pinsLeft = r.center().x() - (pins * pitch - 2) / 2;
        for (int i = 0; i < pins; ++i)
            p.fillRect(QRect(pinsLeft + i * pitch, r.top() + 3, 2, 3), QColor(0xD4, 0xAF, 0x37));
        p.setFont(font(9, true));
        p.setPen(kSilk);
        p.drawText(QRect(r.left(), r.bottom() - 9, r.width(), 9),
                   Qt::AlignHCenter | Qt::AlignBottom, QString::number(sk.channel));
    }
    p.end();
    img.save(file, "BMP");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && argv[1][0] == '-') {
        const bool help = qstrcmp(argv[1], "-h") == 0 || qstrcmp(argv[1], "--help") == 0;
        if (!help)
            std::fprintf(stderr, "draw-pictures: unknown option %s\n", argv[1]);
        std::fputs("usage: draw-pictures [OUTDIR]\n"
                   "Draws the pictures the tool shows, LMP91000.bmp and stend1.bmp, into\n"
                   "OUTDIR (default: the current folder).\n",
                   help ? stdout : stderr);
        return help ? 0 : 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    drawFrontEnd(out + QStringLiteral("/LMP91000.bmp"));
    drawBench(out + QStringLiteral("/stend1.bmp"));
    return 0;
}
