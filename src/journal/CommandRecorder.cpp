#include "journal/CommandRecorder.h"

#include "connection/DeviceTypes.h"
#include "connection/Session.h"
#include "journal/CommandNames.h"
#include "pages/ModulePage.h"
#include "pages/Widgets.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zet {

namespace {

const char *const kWatched = "zetJournalWatched";

// Gap between two rectangles, 0 when they touch or overlap.
double gap(const QRect &a, const QRect &b)
{
    const int dx = std::max({0, a.left() - b.right(), b.left() - a.right()});
    const int dy = std::max({0, a.top() - b.bottom(), b.top() - a.bottom()});
    return std::hypot(dx, dy);
}

template <typename T> const T *nearest(const QWidget *to, const std::vector<const T *> &widgets)
{
    const T *best = nullptr;
    for (const T *w : widgets)
        if (!best || gap(w->geometry(), to->geometry()) < gap(best->geometry(), to->geometry()))
            best = w;
    return best;
}

// The caption on a field's row, left of it.
QString labelOf(const QLineEdit *field, const std::vector<const QLabel *> &labels)
{
    std::vector<const QLabel *> left;
    for (const QLabel *l : labels)
        if (l->geometry().right() <= field->geometry().left() + 2 &&
            l->geometry().top() <= field->geometry().bottom() &&
            l->geometry().bottom() >= field->geometry().top())
            left.push_back(l);
    const QLabel *l = nearest(field, left);
    return l ? l->text() : QString();
}

// "C газа, % х100" and "250" give "C газа = 250 % х100".
QString named(QString label, const QString &value)
{
    label = label.trimmed();
    if (label.endsWith(QLatin1Char(':')))
        label.chop(1);
    if (label.isEmpty())
        return value;
    const qsizetype comma = label.lastIndexOf(QStringLiteral(", "));
    if (comma > 0)
        return label.left(comma) + QStringLiteral(" = ") + value + QLatin1Char(' ') +
               label.mid(comma + 2);
    return label + QStringLiteral(" = ") + value;
}

} // namespace

QString enteredParameters(const QAbstractButton *button)
{
    const QWidget *parent = button->parentWidget();
    if (!parent)
        return {};
    std::vector<const QLineEdit *> fields;
    std::vector<const QLabel *> labels;
    std::vector<const QPushButton *> buttons;
    std::vector<const RadioGroup *> groups;
    for (const QObject *o : parent->children()) {
        if (auto *e = qobject_cast<const QLineEdit *>(o)) {
            if (!e->isReadOnly())
                fields.push_back(e);
        } else if (auto *b = qobject_cast<const QPushButton *>(o)) {
            buttons.push_back(b);
        } else if (auto *g = dynamic_cast<const RadioGroup *>(o)) {
            groups.push_back(g);
        } else if (auto *l = qobject_cast<const QLabel *>(o)) {
            labels.push_back(l);
        }
    }
    // A field belongs to the button nearest to it: the one beside or below it.
    std::vector<const QLineEdit *> own;
    for (const QLineEdit *f : fields)
        if (nearest(f, buttons) == button)
            own.push_back(f);
    std::sort(own.begin(), own.end(), [](const QLineEdit *a, const QLineEdit *b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    QStringList parts;
    for (const QLineEdit *f : own)
        parts << named(labelOf(f, labels), f->text().trimmed());
    // Option groups beside a button that sends them (the front-end registers).
    for (const RadioGroup *g : groups) {
        const int item = g->itemIndex();
        if (item >= 0)
            parts << g->title() + QStringLiteral(": ") + g->button(item)->text();
    }
    return parts.join(QStringLiteral("; "));
}

CommandRecorder::CommandRecorder(Session &session, Platform &platform, JournalWriter &writer,
                                 QObject *parent)
    : QObject(parent), session_(session), platform_(platform), writer_(writer),
      idle_(new QTimer(this))
{
    idle_->setInterval(1000);
    connect(idle_, &QTimer::timeout, this, &CommandRecorder::expire);
}

CommandRecorder::~CommandRecorder()
{
    // The program ends before these were answered.
    while (!pending_.empty()) {
        write(pending_.front().entry, std::nullopt);
        pending_.pop_front();
    }
}

void CommandRecorder::watch(ModulePage *page)
{
    for (QPushButton *b : page->findChildren<QPushButton *>()) {
        if (b->property(kWatched).toBool())
            continue;
        b->setProperty(kWatched, true);
        // The page's own handler runs on `clicked` before ours (it was connected
        // first); `released` comes just before both, within the same click.
        connect(b, &QAbstractButton::released, this, [this] { before_ = snapshot(); });
        connect(b, &QAbstractButton::clicked, this, [this, page, b] { clicked(page, b); });
    }
}

CommandRecorder::Snapshot CommandRecorder::snapshot() const
{
    Snapshot s;
    std::copy_n(session_.request(), s.request.size(), s.request.begin());
    s.queue = session_.queue;
    s.frames = frames_;
    return s;
}

void CommandRecorder::clicked(ModulePage *page, QAbstractButton *button)
{
    if (!before_)
        return;
    const Snapshot before = *before_;
    before_.reset();
    const Snapshot after = snapshot();
    // A handler that waited in a message box let the ticks run meanwhile: what changed
    // then is theirs. Such a handler has refused its entry and sent nothing.
    if (after.frames != before.frames)
        return;

    // A loaded queue names its codes; otherwise a rewritten request names its own.
    std::vector<uint8_t> codes;
    const CommandQueue &q = after.queue;
    const bool loaded =
        q.count != 0 && (q.position != before.queue.position || q.count != before.queue.count ||
                         q.codeSlots != before.queue.codeSlots);
    if (loaded) {
        for (int i = q.position; i < q.position + q.count && i < CommandQueue::kSlots; ++i)
            codes.push_back(q.codeSlots[size_t(i)]);
    } else if (after.request != before.request) {
        codes.push_back(after.request[1]);
    }
    if (codes.empty() || !instrument_.known())
        return;

    const QString pageName = caption_ ? caption_(page) : QString::fromUtf8(page->row().caption);
    const QString parameters = enteredParameters(button);
    const QDateTime now = platform_.now();
    for (uint8_t code : codes) {
        const CodeName *name = codeName(page->pageIndex(), code);
        if (code == cmd::Status || (name && name->kind == CodeKind::Read))
            continue;
        Pending p;
        p.address = after.request[0];
        p.entry.time = now;
        p.entry.instrument = instrument_;
        p.entry.page = pageName;
        p.entry.address = p.address;
        p.entry.button = button->text();
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
    ++frames_;
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
    ++frames_;
    if (!pending_.empty())
        expire();
    if (!valid)
        return;
    if (frame[0] == 0 && frame[1] == cmd::Identify) {
        if (const auto info = deviceTypeInfo(frame[4])) {
            QString prefix = QString::fromUtf8(info->serialPrefix);
            instrument_.model = prefix.left(prefix.indexOf(QChar(0x2116))).simplified();
            instrument_.serial = QString::number(u16(frame, 5));
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
    if (!writer_.append(entry))
        return;
    ++linesWritten_;
    if (written_)
        written_(writer_.fileFor(entry.instrument));
}

} // namespace zet
