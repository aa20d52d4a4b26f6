#pragma once
// Turns the engineer's button clicks into journal lines. It watches every push
// button of a page: what the click did to the request frame and the command queue
// tells which command it queued or wrote; the line goes to the journal when the
// block answers with the same code, or marked unanswered after five seconds.
// Pages need no code of their own for this. Polls, read-backs and the poll rule's
// own requests change nothing at a click, or are reads, and are not journalled.

#include "connection/CommandQueue.h"
#include "connection/PollCycle.h"
#include "journal/Journal.h"

#include <QObject>

#include <array>
#include <deque>
#include <functional>
#include <optional>

class QAbstractButton;
class QTimer;

namespace zet {

class ModulePage;
struct Platform;
struct Session;

class CommandRecorder : public QObject, public LineObserver {
public:
    static constexpr int kAnswerTimeoutMs = 5000;

    CommandRecorder(Session &session, Platform &platform, JournalWriter &writer,
                    QObject *parent = nullptr);
    // Commands still waiting are written as unanswered.
    ~CommandRecorder() override;

    // Watches the page's push buttons; buttons watched already are left alone.
    void watch(ModulePage *page);
    // The page's name in the journal (its tab caption); the page table's caption
    // unless set.
    void setPageCaption(std::function<QString(const ModulePage *)> caption)
    {
        caption_ = std::move(caption);
    }
    // Called with the file after every line written.
    void setWritten(std::function<void(const QString &)> written) { written_ = std::move(written); }

    // The instrument the last identification reply named.
    const Instrument &instrument() const { return instrument_; }
    int waiting() const { return int(pending_.size()); }
    // Lines on the disk since the start.
    int linesWritten() const { return linesWritten_; }
    // Writes what has had no answer for the time-out.
    void expire();

    void frameSent(const Frame &frame) override;
    void frameRead(const Frame &frame, bool valid) override;

private:
    struct Snapshot {
        std::array<uint8_t, 7> request{};
        CommandQueue queue;
        uint64_t frames = 0;
    };
    struct Pending {
        JournalEntry entry;
        uint8_t address = 0;
        bool sent = false;
    };

    Snapshot snapshot() const;
    void clicked(ModulePage *page, QAbstractButton *button);
    void write(JournalEntry entry, std::optional<uint8_t> status);

    Session &session_;
    Platform &platform_;
    JournalWriter &writer_;
    std::function<QString(const ModulePage *)> caption_;
    std::function<void(const QString &)> written_;
    std::optional<Snapshot> before_; // taken as a button is released
    std::deque<Pending> pending_;    // oldest first
    Instrument instrument_;
    int linesWritten_ = 0;
    uint64_t frames_ = 0; // frames seen on the line
    QTimer *idle_;        // expiry while the line is quiet
};

// The values a click sent, as the engineer entered them: the entry fields that
// belong to the button (no other button is nearer to them), top to bottom, each
// named by its label ("Порог1 = 50 % х100"), and the choices of the option groups
// beside it.
QString enteredParameters(const QAbstractButton *button);

} // namespace zet
