#include "pages/ModulePage.h"

#include "connection/Session.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Platform.h"

#include <QGroupBox>
#include <QPixmap>
#include <QPushButton>

namespace zet {

ModulePage::ModulePage(PageHost &host, const PageRow &row, QWidget *parent)
    : QWidget(parent), host_(host), row_(row)
{
}

Session &ModulePage::session() { return host_.session(); }
Platform &ModulePage::platform() { return host_.platform(); }

void ModulePage::enter()
{
    if (row_.picture) {
        QPixmap picture;
        if (!host_.loadPicture(QString::fromLatin1(row_.picture), picture))
            return; // the decoder addresses the page from its first reply
        showPicture(picture);
    }
    Session &s = session();
    if (row_.entryAddress)
        s.request()[0] = address();
    if (row_.freshStart) {
        // A code already taken from the last page's queue, or a command still waiting
        // for its block's answer, would otherwise go out to this block.
        s.queue.clear();
        s.statusRequest(address());
    }
    if (!row_.entryQueue.empty())
        s.queue.load(row_.entryQueue.span());
}

void ModulePage::focusEnter()
{
    if (row_.focusCode)
        session().queueCommands(address(), {*row_.focusCode});
}

void ModulePage::showPicture(const QPixmap &picture)
{
    if (picture_)
        picture_->setPicture(picture);
}

void ModulePage::idleRequest() { session().statusRequest(address()); }

void ModulePage::fallBack()
{
    switch (row_.idle) {
    case IdlePolicy::ResetToStatus:
        idleRequest();
        break;
    case IdlePolicy::QueueWhenEmpty:
        if (session().queue.empty())
            session().queue.load(row_.idleQueue.span());
        break;
    }
}

void ModulePage::claimRequest()
{
    host_.setTransmitPeriod(row_.period);
    // A page entered without its address (a tab click on the methane 5% page, a
    // picture that failed to load) still holds the command of the block addressed
    // before, and maybe codes queued for it; neither is carried over to this block.
    if (session().request()[0] != address()) {
        session().queue.clear();
        idleRequest();
    }
}

bool ModulePage::commonFrame(const Frame &reply)
{
    claimRequest();
    session().request()[0] = address();
    if (reply[0] != block())
        return false;
    if (reply[1] != cmd::Status)
        fallBack();
    return true;
}

void ModulePage::decode(const Frame &reply)
{
    if (commonFrame(reply))
        show(reply);
}

void ModulePage::writeCode(uint8_t code) { session().directCommand(address(), code); }

void ModulePage::queue(std::initializer_list<uint8_t> codes)
{
    session().queueCommands(address(), codes);
}

void ModulePage::queue(std::span<const uint8_t> codes)
{
    session().queueCommands(address(), codes);
}

void ModulePage::placeButtons(std::span<const ButtonRow> rows)
{
    for (const ButtonRow &row : rows)
        placeButton(row, row.group ? need<QWidget>(this, row.group) : this);
}

void ModulePage::placeButton(const ButtonRow &row, QWidget *parent)
{
    QPushButton *b = makeButton(parent, row.name, QString::fromUtf8(row.caption), row.geometry);
    connect(b, &QPushButton::clicked, this, [this, &row] { press(row); });
}

void ModulePage::placeButtons(std::span<const ButtonRow> rows, QWidget *parent)
{
    for (const ButtonRow &row : rows) {
        const bool here = parent == this ? !row.group
                                         : row.group && parent->objectName() == QLatin1String(row.group);
        if (here)
            placeButton(row, parent);
    }
}

void ModulePage::checkButtons(std::span<const ButtonRow> rows) const
{
    for (const ButtonRow &row : rows)
        if (!findChild<QPushButton *>(QString::fromLatin1(row.name)))
            throw MissingControl(row.group ? row.group : row.name);
}

void ModulePage::press(const ButtonRow &row)
{
    if (row.action) {
        act(row.action);
    } else if (row.write) {
        writeCode(*row.write);
        for (const ByteValue &b : row.bytes)
            if (b.at)
                session().request()[b.at] = b.value;
    } else {
        queue(row.queue.span());
    }
}

PictureBox *ModulePage::addPicture(QRect geometry)
{
    picture_ = new PictureBox(this, row_.pictureControl, geometry);
    return picture_;
}

TrendChart *ModulePage::addChart(int number, QRect geometry)
{
    auto *chart = new TrendChart(number, this);
    // Samples are stamped by the window's clock, so an export shows the times it knows.
    chart->setClock([this] { return platform().stampMs(); });
    chart->setGeometry(geometry);
    return chart;
}

} // namespace zet
