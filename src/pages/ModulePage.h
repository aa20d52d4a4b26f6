#pragma once
// A page of one instrument block: the window hands it every valid reply while it
// is the active page, and it drives the block through the shared request frame.

#include "connection/CommandQueue.h"
#include "connection/Frame.h"
#include "pages/PageTable.h"

#include <QWidget>

#include <array>
#include <initializer_list>
#include <optional>
#include <span>

class QPixmap;

namespace zet {

class PictureBox;

struct Platform;
struct Session;
class TrendChart;

// A request byte a button sets, from byte 3 on (0: none).
struct ByteValue {
    int at = 0;
    uint8_t value = 0;
};

// A button of a page: its control, caption and place (inside the group box named
// `group`, or on the page), and what a click does, one of: codes queued for the
// page's block; one code written straight into the request, with fixed bytes;
// one of the page's own actions.
struct ButtonRow {
    const char *name = nullptr;
    const char *caption = "";
    const char *group = nullptr;
    QRect geometry{};
    CodeList queue{};
    std::optional<uint8_t> write{};
    std::array<ByteValue, 2> bytes{};
    int action = 0; // non-zero: the page's act() runs it
};

// What a page needs from the window around it.
class PageHost {
public:
    virtual ~PageHost() = default;
    virtual Session &session() = 0;
    virtual Platform &platform() = 0;
    virtual void setTransmitPeriod(int ms) = 0;
    // The instrument has answered after the switch-off command: drop the link.
    virtual void switchOffCompleted() = 0;
    virtual void showMultiplexer() = 0;
    // Finds and loads a picture file; reports a failure to the user and returns false.
    virtual bool loadPicture(const QString &file, QPixmap &picture) = 0;
};

class ModulePage : public QWidget {
public:
    ModulePage(PageHost &host, const PageRow &row, QWidget *parent = nullptr);

    const PageRow &row() const { return row_; }
    int pageIndex() const { return row_.index; }
    uint8_t block() const { return uint8_t(row_.block); }
    uint8_t address() const { return row_.address(); }

    // The user selected this page's tab: picture, address and start-up queue.
    virtual void enter();
    // The input focus moved into the page from outside it.
    virtual void focusEnter();
    // Status decoder section of this page, for each valid reply while it is active.
    virtual void decode(const Frame &reply);

protected:
    // Steps common to every page: period and address on every reply (a request
    // still addressed to another block becomes this page's status request); then,
    // for a reply from this page's block, an answered command falls back to the
    // page's idle polling. Returns whether the reply came from this page's block.
    bool commonFrame(const Frame &reply);
    // The first of those steps: the page's transmit period, and a request (and queued
    // codes) still meant for another block replaced by this page's idle request.
    void claimRequest();
    // The status request this page falls back to after an answered command.
    virtual void idleRequest();
    // What the page shows from a reply of its own block.
    virtual void show(const Frame &) {}
    // The picture loaded on entry, for the page's picture control.
    virtual void showPicture(const QPixmap &picture);

    Session &session();
    Platform &platform();
    PageHost &host() { return host_; }

    // Writes a code into byte 1 of the request; the parameters stay as they are.
    void writeCode(uint8_t code);
    void queue(std::initializer_list<uint8_t> codes);
    void queue(std::span<const uint8_t> codes);

    TrendChart *addChart(int number, QRect geometry);
    // Makes the buttons of the rows, each at its place, a click doing what its row says.
    void placeButtons(std::span<const ButtonRow> rows);
    // Only the rows that sit in `parent` (the page: the rows without a group), so
    // that each button comes where it stands in the keyboard order.
    void placeButtons(std::span<const ButtonRow> rows, QWidget *parent);
    // Every row placed: a row whose group the page lacks stops its construction.
    void checkButtons(std::span<const ButtonRow> rows) const;
    // A click on a row's button.
    void press(const ButtonRow &row);
    // The page's own action of a row.
    virtual void act(int) {}
    // The page's picture control, named by its row.
    PictureBox *addPicture(QRect geometry);

private:
    void fallBack();
    void placeButton(const ButtonRow &row, QWidget *parent);

    PageHost &host_;
    const PageRow &row_;
    PictureBox *picture_ = nullptr;
};

} // namespace zet
