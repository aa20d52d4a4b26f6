#include "pages/StatusPanels.h"

#include "pages/Widgets.h"
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

StatusPanels::StatusPanels(const QWidget *page, std::span<const StatusRow> rows)
{
    auto blanks = [page](const std::array<const char *, 4> &names) {
        std::array<QLabel *, 4> panels{};
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i])
                panels[i] = need<QLabel>(page, names[i]);
        return panels;
    };
    for (const StatusRow &row : rows) {
        Bound b;
        b.row = &row;
        if (!row.target)
            throw MissingControl(nullptr);
        b.panel = page->findChild<QLabel *>(QString::fromLatin1(row.target));
        if (!b.panel)
            b.title = need<QGroupBox>(page, row.target);
        b.blankWhenOff = blanks(row.blankWhenOff);
        b.blankWhenOn = blanks(row.blankWhenOn);
        rows_.push_back(b);
    }
}

bool StatusPanels::apply(const Frame &reply) const
{
    bool decode = true;
    for (const Bound &b : rows_) {
        const StatusRow &row = *b.row;
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
        if (b.panel)
            setPanel(b.panel, text, st.colour);
        else
            b.title->setTitle(text);
        for (QLabel *label : set ? b.blankWhenOn : b.blankWhenOff) {
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

QStringList StatusPanels::texts() const
{
    QStringList out;
    for (const Bound &b : rows_) {
        const QString text = b.panel ? b.panel->text().trimmed() : QString();
        if (!text.isEmpty() && !out.contains(text))
            out << text;
    }
    return out;
}

} // namespace zet
