#pragma once
// A page of one instrument block: the window hands it every valid reply while it
// is the active page, and it drives the block through the shared request frame.

#include "connection/CommandQueue.h"
#include "connection/Frame.h"
#include "pages/PageTable.h"

#include <QWidget>

#include <QImage>
#include <QStringList>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

class QLineEdit;
class QPixmap;
class QPushButton;

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

// An entry field sent in request bytes `byte` (low) and `byte + 1` (high).
struct FieldBytes {
    const char *field = nullptr;
    int byte = 3;
};

// A button of a page: its control, caption and place (inside the group box named
// `group`, or on the page), and what a click does, one of: codes queued for the
// page's block, after the entry fields it sends; one code written straight into
// the request, with fixed bytes; one of the page's own actions.
struct ButtonRow {
    const char *name = nullptr;
    const char *caption = "";
    const char *group = nullptr;
    QRect geometry{};
    CodeList queue{};
    std::optional<uint8_t> write{};
    std::array<ByteValue, 2> bytes{};
    // Converted together before anything is written, each put at its bytes; one that
    // does not convert leaves the request and the queue as they were. The fields are
    // made before the button.
    std::array<FieldBytes, 2> fields{};
    int action = 0; // non-zero: the page's act() runs it
    // For a page that lays its buttons out among its other controls: the point of
    // its layout where the row is placed (0: placed with its group).
    int slot = 0;
};

// What one click on a page's button issued: the button's caption, the block's
// address, the codes in the order they go out, and the values entered for them,
// each named with its unit as the page's table names the field ("Порог1 = 50 % х100").
struct IssuedCommand {
    QString button;
    uint8_t address = 0;
    std::vector<uint8_t> codes;
    QStringList parameters;
};

// What a page shows of its block now, for the protocol of a service: the firmware
// version, the status panels, the values read back (each field named with its unit)
// and the trend chart.
struct BlockReport {
    QString version;
    QStringList status;
    QStringList readBack;
    QImage chart;
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

    // Hears what each click on one of the page's buttons issued. A click that issued
    // nothing (a refused entry, a button that only fills fields) is not told.
    using CommandListener = std::function<void(const ModulePage &, const IssuedCommand &)>;
    void setCommandListener(CommandListener listener) { listener_ = std::move(listener); }

    // What the page shows of its block now: the entry fields and the first chart here;
    // families add the version and the status.
    virtual BlockReport report() const;

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
    // Codes written or queued during a click are what the click issued.
    void writeCode(uint8_t code);
    void queue(std::initializer_list<uint8_t> codes);
    void queue(std::span<const uint8_t> codes);

    TrendChart *addChart(int number, QRect geometry);
    // A button of the page (or of a group on it) whose click runs `onClick` and then
    // tells the listener what it issued.
    QPushButton *addButton(QWidget *parent, const char *name, const QString &caption,
                           QRect geometry, std::function<void()> onClick);
    // An entry field of up to `digits` digits with its caption on the left. `label`
    // names the quantity and, after its last comma, the unit ("C газа, % х100").
    QLineEdit *addEntry(QWidget *parent, const char *name, const char *label, int digits,
                        QRect labelGeometry, QRect fieldGeometry);
    // The entry fields converted, in order; after a message, nothing when one does
    // not convert. Converted values are parameters of the click in progress.
    std::optional<std::vector<int>> takeEntries(std::span<const QLineEdit *const> fields);
    std::optional<std::vector<int>> takeEntries(std::initializer_list<const QLineEdit *> fields)
    {
        return takeEntries(std::span<const QLineEdit *const>(fields.begin(), fields.size()));
    }
    // A parameter of the click in progress that is not an entry field (a choice).
    void tell(const QString &parameter);
    // Tells the listener, as this page, what a click issued.
    void announce(const IssuedCommand &command);
    // Makes the buttons of the rows, each at its place, a click doing what its row says.
    void placeButtons(std::span<const ButtonRow> rows);
    // Only the rows that sit in `parent` (the page: the rows without a group), so
    // that each button comes where it stands in the keyboard order; rows with a
    // slot are left to placeSlot.
    void placeButtons(std::span<const ButtonRow> rows, QWidget *parent);
    // The rows of one slot, in table order, each in its group or on the page.
    void placeSlot(std::span<const ButtonRow> rows, int slot);
    // One row at a place the page's layout works out.
    void placeRow(const ButtonRow &row, QWidget *parent, QRect geometry);
    // Every row placed: a row whose group the page lacks stops its construction.
    void checkButtons(std::span<const ButtonRow> rows) const;
    // A click on a row's button, with the row's entry fields.
    void press(const ButtonRow &row, const std::array<const QLineEdit *, 2> &fields);
    // The page's own action of a row.
    virtual void act(int) {}
    // The page's picture control, named by its row.
    PictureBox *addPicture(QRect geometry);

private:
    struct Entry {
        const QLineEdit *field;
        const char *label;
    };

    void fallBack();
    void placeButton(const ButtonRow &row, QWidget *parent) { placeRow(row, parent, row.geometry); }
    void issued(uint8_t code);

    PageHost &host_;
    const PageRow &row_;
    PictureBox *picture_ = nullptr;
    TrendChart *firstChart_ = nullptr;
    std::vector<Entry> entries_;
    CommandListener listener_;
    std::optional<IssuedCommand> click_; // while a button's click runs
};

} // namespace zet
