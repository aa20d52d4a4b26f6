#include "journal/CommandRecorder.h"

#include "connection/DeviceTypes.h"
#include "connection/Session.h"
#include "journal/CommandNames.h"
#include "pages/ModulePage.h"
#include "platform/Platform.h"

#include <QTimer>

#include <algorithm>

namespace zet {

CommandRecorder::CommandRecorder(Session &session, Platform &platform, JournalSink &sink,
                                 QObject *parent)
    : QObject(parent), session_(session), platform_(platform), sink_(sink),
      idle_(new QTimer(this))
{
    idle_->setInterval(1000);
    connect(idle_, &QTimer::timeout, this, &CommandRecorder::expire);
}

CommandRecorder::~CommandRecorder() { flush(); }

void CommandRecorder::flush()
{
    // The program ends before these were answered.
    while (!pending_.empty()) {
        write(pending_.front().entry, std::nullopt);
        pending_.pop_front();
    }
}

void CommandRecorder::watch(ModulePage *page)
{
    page->setCommandListener(
        [this](const ModulePage &p, const IssuedCommand &command) { issued(p, command); });
}

void CommandRecorder::issued(const ModulePage &page, const IssuedCommand &command)
{
    if (!instrument_.known())
        return;
    const QString pageName = caption_ ? caption_(&page) : QString::fromUtf8(page.row().caption);
    const QString parameters = command.parameters.join(QStringLiteral("; "));
    const QDateTime now = platform_.now();
    for (uint8_t code : command.codes) {
        const CodeName *name = codeName(page.pageIndex(), code);
        if (code == cmd::Status || (name && name->kind == CodeKind::Read))
            continue;
        // Clicked again before it went out: still the one command in the request.
        const bool waiting = std::any_of(pending_.begin(), pending_.end(), [&](const Pending &p) {
            return !p.sent && p.address == command.address && p.entry.code == code &&
                   p.entry.parameters == parameters;
        });
        if (waiting)
            continue;
        Pending p;
        p.address = command.address;
        p.entry.time = now;
        p.entry.instrument = instrument_;
        p.entry.page = pageName;
        p.entry.address = p.address;
        p.entry.button = command.button;
        p.entry.code = code;
        p.entry.parameters = parameters;
        pending_.push_back(std::move(p));
    }
    if (!pending_.empty() && !idle_->isActive())
        idle_->start();
}

void CommandRecorder::expire()
{
    const QDateTime now = platform_.now();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->entry.time.msecsTo(now) >= kAnswerTimeoutMs) {
            write(it->entry, std::nullopt);
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    if (pending_.empty())
        idle_->stop();
}

void CommandRecorder::frameSent(const Frame &frame)
{
    if (pending_.empty())
        return;
    expire();
    // The request carries the command clicked last; one clicked before it with the
    // same code and overwritten before it went out stays unsent.
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
        if (!it->sent && it->address == frame[0] && it->entry.code == frame[1]) {
            it->sent = true;
            break;
        }
    }
}

void CommandRecorder::frameRead(const Frame &frame, bool valid)
{
    if (!pending_.empty())
        expire();
    if (!valid)
        return;
    if (frame[0] == 0 && frame[1] == cmd::Identify) {
        if (const auto info = deviceTypeInfo(frame[4])) {
            QString prefix = QString::fromUtf8(info->serialPrefix);
            const Instrument next{prefix.left(prefix.indexOf(QChar(0x2116))).simplified(),
                                  QString::number(u16(frame, 5))};
            if (instrument_.known() &&
                (next.model != instrument_.model || next.serial != instrument_.serial))
                sink_.instrumentChanging();
            instrument_ = next;
        }
        return;
    }
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->sent && it->address == moduleAddress(frame[0]) && it->entry.code == frame[1]) {
            write(it->entry, frame[2]);
            pending_.erase(it);
            break;
        }
    }
}

void CommandRecorder::write(JournalEntry entry, std::optional<uint8_t> status)
{
    entry.status = status;
    sink_.append(entry);
}

} // namespace zet
