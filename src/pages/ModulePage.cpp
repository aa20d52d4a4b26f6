#include "pages/ModulePage.h"

#include "connection/Session.h"
#include "connection/TrendChart.h"

namespace zet {

ModulePage::ModulePage(PageHost &host, int pageIndex, int period, QWidget *parent)
    : QWidget(parent), host_(host), index_(pageIndex), period_(period)
{
}

Session &ModulePage::session() { return host_.session(); }
Platform &ModulePage::platform() { return host_.platform(); }

void ModulePage::idleRequest() { session().statusRequest(address()); }

bool ModulePage::commonFrame(const Frame &reply)
{
    host_.setTransmitPeriod(period_);
    // A page entered without its address (a tab click on the methane 5% page, a
    // picture that failed to load) still holds the command of the block addressed
    // before; it is not carried over to this block.
    if (session().request()[0] != address())
        idleRequest();
    session().request()[0] = address();
    if (reply[0] != block())
        return false;
    if (reply[1] != cmd::Status)
        idleRequest();
    return true;
}

void ModulePage::decode(const Frame &reply)
{
    if (commonFrame(reply))
        show(reply);
}

void ModulePage::direct(uint8_t code) { session().directCommand(address(), code); }

void ModulePage::queue(std::initializer_list<uint8_t> codes)
{
    session().queueCommands(address(), codes);
}

TrendChart *ModulePage::addChart(int number, QRect geometry)
{
    auto *chart = new TrendChart(number, this);
    chart->setGeometry(geometry);
    return chart;
}

} // namespace zet
