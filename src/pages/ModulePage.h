#pragma once
// A page of one instrument block: the window hands it every valid reply while it
// is the active page, and it drives the block through the shared request frame.

#include "connection/Frame.h"

#include <QWidget>

namespace zet {

struct Platform;
struct Session;
class TrendChart;

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
};

constexpr int kPeriodNormal = 350;
constexpr int kPeriodOptical = 800;

class ModulePage : public QWidget {
public:
    ModulePage(PageHost &host, int pageIndex, int period = kPeriodNormal,
               QWidget *parent = nullptr);

    int pageIndex() const { return index_; }
    uint8_t block() const { return uint8_t(kPageBlock[size_t(index_)]); }
    uint8_t address() const { return moduleAddress(block()); }

    // Status decoder section of this page, for each valid reply while it is active.
    virtual void decode(const Frame &reply);
    // Extra action when the input focus moves into the page (optical pages).
    virtual void focusEntered() {}

protected:
    // Steps common to every page: period and address on every reply (a request
    // still addressed to another block becomes this page's idle request); then, for
    // a reply from this page's block, a non-status answer turns the request back to
    // the status request. Returns whether the reply came from this page's block.
    bool commonFrame(const Frame &reply);
    // The idle request this page falls back to after an answered command.
    virtual void idleRequest();
    // What the page shows from a reply of its own block.
    virtual void show(const Frame &) {}

    Session &session();
    Platform &platform();
    PageHost &host() { return host_; }

    // Address-only commands: code into byte 1, parameters untouched.
    void direct(uint8_t code);
    void queue(std::initializer_list<uint8_t> codes);

    TrendChart *addChart(int number, QRect geometry);

private:
    PageHost &host_;
    int index_;
    int period_;
};

} // namespace zet
