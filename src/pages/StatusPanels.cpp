#include "pages/StatusPanels.h"

#include "platform/Format.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>

namespace zet {

QColor colourValue(Colour c)
{
    switch (c) {
    case Colour::Red:
        return QColor(0xFF, 0x00, 0x00);
    case Colour::Yellow:
        return QColor(0xFF, 0xFF, 0x00);
    case Colour::Normal:
        break;
    }
    return QApplication::palette().color(QPalette::Button);
}

void setPanel(QLabel *panel, const QString &text, Colour colour)
{
    if (!panel)
        return;
    panel->setText(text);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, colourValue(colour));
    panel->setPalette(pal);
}

Colour panelColour(const QLabel *panel)
{
    const QColor c = panel->palette().color(QPalette::Window);
    if (c == colourValue(Colour::Red))
        return Colour::Red;
    if (c == colourValue(Colour::Yellow))
        return Colour::Yellow;
    return Colour::Normal;
}

bool applyStatusRows(QWidget *page, std::span<const StatusRow> rows, const Frame &reply)
{
    bool decode = true;
    for (const StatusRow &row : rows) {
        const uint8_t byte = reply[row.byteIndex];
        if ((byte & row.gateMask) != row.gateMask)
            continue;
        const bool set = byte & row.mask;
        if (set && row.stopsDecoding)
            decode = false;
        const uint8_t code = reply[1];
        if (set && row.onCodes && !(code < 64 && (row.onCodes >> code) & 1))
            continue;
        const BitState &st = set ? row.on : row.off;
        QString text = QString::fromUtf8(st.text);
        if (st.suffix)
            text += st.suffix(reply);
        const QString name = QString::fromLatin1(row.target);
        if (auto *label = page->findChild<QLabel *>(name)) {
            setPanel(label, text, st.colour);
        } else if (auto *box = page->findChild<QGroupBox *>(name)) {
            box->setTitle(text);
        }
        for (const char *blank : set ? row.blankWhenOn : row.blankWhenOff) {
            if (!blank)
                continue;
            auto *label = page->findChild<QLabel *>(QString::fromLatin1(blank));
            if (!label)
                continue;
            if (row.blank == Blank::TextAndColour)
                setPanel(label, QString(), Colour::Normal);
            else
                label->clear();
        }
    }
    return decode;
}

QString rows::linkErrorCode(const Frame &reply) { return hexByte(reply[3]); }

} // namespace zet
