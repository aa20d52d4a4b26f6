#include "pages/ModulePage.h"

#include "connection/Session.h"
#include "pages/TrendChart.h"
#include "pages/Widgets.h"
#include "platform/Format.h"
#include "platform/Platform.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace zet {

namespace {

// "C газа, % х100" and "250" give "C газа = 250 % х100".
QString named(const char *label, const QString &value)
{
    const QString l = QString::fromUtf8(label).trimmed();
    if (l.isEmpty())
        return value;
    const qsizetype comma = l.lastIndexOf(QStringLiteral(", "));
    if (comma > 0)
        return l.left(comma) + QStringLiteral(" = ") + value + QLatin1Char(' ') + l.mid(comma + 2);
    return l + QStringLiteral(" = ") + value;
}

} // namespace

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

void ModulePage::issued(uint8_t code)
{
    if (click_)
        click_->codes.push_back(code);
}

void ModulePage::writeCode(uint8_t code)
{
    session().directCommand(address(), code);
    issued(code);
}

void ModulePage::queue(std::initializer_list<uint8_t> codes)
{
    queue(std::span<const uint8_t>(codes.begin(), codes.size()));
}

void ModulePage::queue(std::span<const uint8_t> codes)
{
    session().queueCommands(address(), codes);
    for (uint8_t code : codes)
        issued(code);
}

QPushButton *ModulePage::addButton(QWidget *parent, const char *name, const QString &caption,
                                   QRect geometry, std::function<void()> onClick)
{
    QPushButton *b = makeButton(parent, name, caption, geometry);
    connect(b, &QPushButton::clicked, this, [this, b, onClick = std::move(onClick)] {
        // A click inside another's message box is a click of its own.
        std::optional<IssuedCommand> outer = std::exchange(click_, IssuedCommand{});
        click_->button = b->text();
        click_->address = address();
        onClick();
        IssuedCommand issued = std::move(*click_);
        click_ = std::move(outer);
        if (!issued.codes.empty())
            announce(issued);
    });
    return b;
}

QLineEdit *ModulePage::addEntry(QWidget *parent, const char *name, const char *label, int digits,
                                QRect labelGeometry, QRect fieldGeometry)
{
    makeFieldLabel(parent, name, QString::fromUtf8(label), labelGeometry);
    QLineEdit *field = makeMaskEdit(parent, name, digits, fieldGeometry);
    entries_.push_back({field, label});
    return field;
}

std::optional<std::vector<int>> ModulePage::takeEntries(std::span<const QLineEdit *const> fields)
{
    auto values = convertAll(fields, platform());
    if (!values || !click_)
        return values;
    for (const QLineEdit *field : fields) {
        const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                        [field](const Entry &e) { return e.field == field; });
        click_->parameters << named(entry != entries_.end() ? entry->label : "",
                                    field->text().trimmed());
    }
    return values;
}

BlockReport ModulePage::report() const
{
    BlockReport r;
    for (const Entry &e : entries_)
        if (!e.field->text().trimmed().isEmpty())
            r.readBack << named(e.label, e.field->text().trimmed());
    if (firstChart_)
        r.chart = firstChart_->grab().toImage();
    return r;
}

void ModulePage::announce(const IssuedCommand &command)
{
    if (listener_)
        listener_(*this, command);
}

void ModulePage::tell(const QString &parameter)
{
    if (click_)
        click_->parameters << parameter;
}

void ModulePage::placeButtons(std::span<const ButtonRow> rows)
{
    for (const ButtonRow &row : rows)
        placeButton(row, row.group ? need<QWidget>(this, row.group) : this);
}

void ModulePage::placeSlot(std::span<const ButtonRow> rows, int slot)
{
    for (const ButtonRow &row : rows)
        if (row.slot == slot)
            placeButton(row, row.group ? need<QWidget>(this, row.group) : this);
}

void ModulePage::placeRow(const ButtonRow &row, QWidget *parent, QRect geometry)
{
    std::array<const QLineEdit *, 2> fields{};
    for (size_t i = 0; i < fields.size(); ++i)
        if (row.fields[i].field)
            fields[i] = need<QLineEdit>(this, row.fields[i].field);
    addButton(parent, row.name, QString::fromUtf8(row.caption), geometry,
              [this, &row, fields] { press(row, fields); });
}

void ModulePage::placeButtons(std::span<const ButtonRow> rows, QWidget *parent)
{
    for (const ButtonRow &row : rows) {
        const bool here = row.slot == 0 &&
                          (parent == this ? !row.group
                                          : row.group && parent->objectName() == QLatin1String(row.group));
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

void ModulePage::press(const ButtonRow &row, const std::array<const QLineEdit *, 2> &fields)
{
    if (row.action) {
        act(row.action);
    } else if (row.write) {
        writeCode(*row.write);
        for (const ByteValue &b : row.bytes)
            if (b.at)
                session().request()[b.at] = b.value;
    } else {
        // Every field first: a set command still waiting in the queue must not go out
        // with half of a refused entry in its parameter bytes.
        std::vector<const QLineEdit *> sent;
        for (const QLineEdit *f : fields)
            if (f)
                sent.push_back(f);
        const auto values = takeEntries(sent);
        if (!values)
            return;
        for (size_t i = 0, next = 0; i < row.fields.size(); ++i)
            if (fields[i])
                putU16(session().request(), row.fields[i].byte, uint16_t((*values)[next++]));
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
    if (!firstChart_)
        firstChart_ = chart;
    return chart;
}

} // namespace zet
