#pragma once
// The LMP91000 potentiostat front end of the electrochemical blocks: its three
// configuration registers as eight choices, read from and written to the block,
// One group serves the three
// electrochemical pages.

#include "connection/Frame.h"

#include <QGroupBox>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace zet {

class PageHost;
class RadioGroup;

namespace lmp91000 {

// The register fields, in the order of the page's radio groups.
enum Field { RLoad, RTia, RefSource, IntZero, Polarity, Bias, Fet, Mode, FieldCount };

struct Registers {
    uint8_t tiacn = 0;
    uint8_t refcn = 0;
    uint8_t modecn = 0;
    bool operator==(const Registers &) const = default;
};

// Selected item of each group; kNone when a group has no selection.
constexpr int kNone = -1;
using Items = std::array<int, FieldCount>;

// Number of items of a field's group.
int itemCount(Field field);
// The operating mode's MODECN bits 2..0 for a "Режим" item, and back; kNone where
// there is none (codes 4 and 5 have no item).
int modeCode(int item);
int modeItem(int code);
// Registers for the selected items; nothing while a group lacks a selection. The
// bits the chip reserves (TIACN 7..5, MODECN 6..3) are written as 0.
std::optional<Registers> encode(const Items &items);
// The items a block's registers stand for; a code without an item gives kNone, so
// that a following write cannot silently change a field the page could not show.
Items decode(const Registers &registers);

// Front-end state in byte 3 of the replies to the read and write commands.
constexpr uint8_t kReady = 0x10;
constexpr uint8_t kWriteProtected = 0x01;

} // namespace lmp91000

// Object names of one page's group; its read and write buttons are rows of the
// page placed in the group.
struct FrontEndControls {
    const char *group = nullptr;
    const char *status = nullptr;
    std::array<const char *, lmp91000::FieldCount> fields{}; // R_Load .. Режим
    // A read shows a placeholder in the status panel until the block answers.
    bool readPlaceholder = false;
};

class Lmp91000Group : public QGroupBox {
public:
    // `placeButtons` puts the page's read and write buttons into the group, after
    // its status panel and before its choices.
    Lmp91000Group(QWidget *parent, const FrontEndControls &controls, PageHost &host,
                  QRect geometry, const std::function<void(QWidget *)> &placeButtons);

    // "Чтение" was sent: the status shows the placeholder until the block answers.
    void reading();
    // "Запись": the registers of the selected items; while a group has no selection
    // the engineer is told which, and there is nothing to send.
    std::optional<lmp91000::Registers> registersToWrite() const;
    // Each group's choice as the journal names it ("R_Load: 50 Ом").
    QStringList choices() const;
    // Replies 9 (always) and 32, 33 (front-end state, registers when ready) of the
    // page's block; other codes are left alone.
    void applyReply(const Frame &reply);

    lmp91000::Items items() const;
    void setItems(const lmp91000::Items &items);

private:
    const FrontEndControls &controls_;
    PageHost &host_;
    QLabel *status_;
    std::array<RadioGroup *, lmp91000::FieldCount> groups_{};
};

} // namespace zet
