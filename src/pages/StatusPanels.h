#pragma once
// Status bytes as data: each row maps one bit to a panel's text and colour (or a
// group box caption). One function applies a table to a reply.

#include "connection/Frame.h"

#include <QColor>
#include <QString>

#include <initializer_list>
#include <span>

class QLabel;
class QWidget;

namespace zet {

enum class Colour { Normal, Red, Yellow };

QColor colourValue(Colour c);
// Text and background of a status panel.
void setPanel(QLabel *panel, const QString &text, Colour colour);
// Colour a panel shows at the moment (Normal when it matches the face colour).
Colour panelColour(const QLabel *panel);

struct BitState {
    const char *text;
    Colour colour = Colour::Normal;
};

struct StatusRow {
    int byteIndex;        // reply byte holding the bit (2 for most blocks)
    uint8_t mask;         // the bit
    const char *target;   // objectName of a QLabel panel, or of a QGroupBox whose title changes
    BitState off;         // bit = 0
    BitState on;          // bit = 1
    uint8_t gateMask = 0; // row evaluated only when all these bits of the same byte are set
    std::initializer_list<const char *> blankWhenOff = {}; // panels whose text empties on bit = 0
};

// Applies the rows to the reply, finding targets by objectName under `page`.
void applyStatusRows(QWidget *page, std::span<const StatusRow> rows, const Frame &reply);

} // namespace zet
