#pragma once
// Status bytes as data: each row maps one bit to a panel's text and colour (or a
// group box caption). A page binds its table to its controls once, as it is built.

#include "connection/Frame.h"

#include <QStringList>

#include <QColor>
#include <QString>

#include <array>
#include <initializer_list>
#include <span>

#include <vector>

class QGroupBox;
class QLabel;
class QWidget;

namespace zet {

enum class Colour { Normal, Red, Yellow };

QColor colourValue(Colour c);
// Text and background of a status panel.
void setPanel(QLabel *panel, const QString &text, Colour colour);
// Colour a panel shows at the moment (Normal when it matches the face colour).
Colour panelColour(const QLabel *panel);

// A text built from the reply, appended to a state's fixed text.
using ReplyText = QString (*)(const Frame &);

struct BitState {
    const char *text = "";
    Colour colour = Colour::Normal;
    ReplyText suffix = nullptr;
};

// How the panels a cleared bit empties are left.
enum class Blank {
    Text,          // text emptied, colour kept
    TextAndColour, // text emptied, colour back to normal
};

// Set of reply codes 0..63, for the rows that show a set bit only on some replies.
constexpr uint64_t codeSet(std::initializer_list<int> codes)
{
    uint64_t set = 0;
    for (int c : codes)
        if (c >= 0 && c < 64)
            set |= uint64_t(1) << c;
    return set;
}

struct StatusRow {
    int byteIndex = 2; // reply byte holding the bit (2 for most blocks)
    uint8_t mask = 0;  // the bit
    const char *target =
        nullptr;          // objectName of a QLabel panel, or of a QGroupBox whose title changes
    BitState off{};       // bit = 0
    BitState on{};        // bit = 1
    uint8_t gateMask = 0; // row evaluated only when all these bits of the same byte are set
    uint64_t onCodes = 0; // non-zero: a set bit is shown only on these reply codes
    std::array<const char *, 4> blankWhenOff{}; // panels emptied on bit = 0
    std::array<const char *, 4> blankWhenOn{};  // panels emptied on bit = 1
    Blank blank = Blank::Text;
    bool stopsDecoding = false; // a set bit: the reply's values are not decoded
};

// A status table bound to the page's controls: every name the rows give is found
// under `page` when it is bound (MissingControl when one is not there).
class StatusPanels {
public:
    StatusPanels() = default;
    StatusPanels(const QWidget *page, std::span<const StatusRow> rows);

    // Applies the rows to the reply. Returns false when a set bit says the reply's
    // values must not be decoded.
    bool apply(const Frame &reply) const;
    // What the panels say now, top to bottom as the rows bind them; blank ones left out.
    QStringList texts() const;

private:
    struct Bound {
        const StatusRow *row = nullptr;
        QLabel *panel = nullptr;   // or
        QGroupBox *title = nullptr;
        std::array<QLabel *, 4> blankWhenOff{};
        std::array<QLabel *, 4> blankWhenOn{};
    };
    std::vector<Bound> rows_;
};

// Rows that many blocks share, so that each text stands once.
namespace rows {

constexpr StatusRow sensorOn(const char *panel, std::array<const char *, 4> blanks = {},
                             Blank blank = Blank::Text)
{
    return {.mask = 0x01,
            .target = panel,
            .off = {"Сенсор выключен", Colour::Red},
            .on = {"Сенсор включен"},
            .blankWhenOff = blanks,
            .blank = blank};
}

constexpr StatusRow setupMode(const char *panel, uint8_t mask = 0x80)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Рабочий режим"},
            .on = {"Режим настройки", Colour::Yellow}};
}

constexpr StatusRow settings(const char *panel, uint8_t mask = 0x04)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Настройки в норме"},
            .on = {"Ошибка настройки", Colour::Yellow}};
}

constexpr StatusRow sensorFault(const char *panel, uint8_t mask = 0x08)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Сенсор в норме"},
            .on = {"КЗ или обрыв сенсора", Colour::Red}};
}

// Threshold n (1..4) exceeded; evaluated only while the sensor is on.
constexpr StatusRow threshold(const char *panel, int n, uint8_t mask, uint8_t gate = 0x01)
{
    constexpr const char *kNot[] = {"", "Нет превышения порога 1", "Нет превышения порога 2",
                                    "Нет превышения порога 3", "Нет превышения порога 4"};
    constexpr const char *kOver[] = {"", "Превышение порога 1", "Превышение порога 2",
                                     "Превышение порога 3", "Превышение порога 4"};
    return {.mask = mask,
            .target = panel,
            .off = {kNot[n]},
            .on = {kOver[n], Colour::Red},
            .gateMask = gate};
}

constexpr StatusRow switchOffThreshold(const char *panel, uint8_t mask = 0x40, uint8_t gate = 0x01)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Нет превышения порога откл."},
            .on = {"Превышение порога откл.", Colour::Red},
            .gateMask = gate};
}

// The gas the block is set to measure, in its parameter group's caption.
constexpr StatusRow gas(const char *group)
{
    return {.mask = 0x02, .target = group, .off = {"МЕТАН"}, .on = {"ПРОПАН"}};
}

// A row whose set bit leaves the given panels blank: normal colour, no text.
constexpr StatusRow blanking(StatusRow row, std::array<const char *, 4> panels)
{
    row.blankWhenOn = panels;
    row.blank = Blank::TextAndColour;
    return row;
}

// The electrochemical blocks' temperature sensor.
constexpr StatusRow thermoSensor(const char *panel, uint8_t mask = 0x01)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Температура в норме"},
            .on = {"Ошибка термосенсора", Colour::Red}};
}

// Temperature outside the range the block measures in.
constexpr StatusRow temperatureRange(const char *panel, uint8_t mask = 0x02)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Измерения по температуре"},
            .on = {"Выход за пределы температуры", Colour::Yellow}};
}

// "Ошибка связи 1F": byte 3 as two upper-case hex digits.
QString linkErrorCode(const Frame &reply);

// The optical blocks' link to their detector: an error is shown only on the replies
// that carry it, and the reply's values are then not decoded.
constexpr StatusRow opticalLink(const char *panel, uint8_t mask = 0x02)
{
    return {.mask = mask,
            .target = panel,
            .off = {"Связь в норме"},
            .on = {"Ошибка связи ", Colour::Yellow, linkErrorCode},
            .onCodes = codeSet({1, 2, 5, 12, 13, 14, 15}),
            .stopsDecoding = true};
}

} // namespace rows

} // namespace zet
