#pragma once
// Turns the engineer's button clicks into journal lines. Each page tells what a
// click issued (button, codes, named parameters); the line goes to the journal when
// the block answers with the same code, or marked unanswered after five seconds.
// Status requests and read-backs are reads and are not journalled.

#include "connection/CommandQueue.h"
#include "connection/PollCycle.h"
#include "journal/Journal.h"

#include <QObject>

#include <deque>
#include <functional>
#include <optional>

class QTimer;

namespace zet {

struct IssuedCommand;
class ModulePage;
struct Platform;
struct Session;

// Where the recorder's lines go; a line counts once the journal confirms it.
class JournalSink {
public:
    virtual ~JournalSink() = default;
    virtual void append(const JournalEntry &entry) = 0;
    // Another instrument has answered identification; instrument() still names the
    // one before.
    virtual void instrumentChanging() {}
};

class CommandRecorder : public QObject, public LineObserver {
public:
    static constexpr int kAnswerTimeoutMs = 5000;

    CommandRecorder(Session &session, Platform &platform, JournalSink &sink,
                    QObject *parent = nullptr);
    // Commands still waiting are written as unanswered.
    ~CommandRecorder() override;
    // Writes every command still waiting as unanswered now.
    void flush();

    // Listens to what the page's buttons issue.
    void watch(ModulePage *page);
    // The page's name in the journal (its tab caption); the page table's caption
    // unless set.
    void setPageCaption(std::function<QString(const ModulePage *)> caption)
    {
        caption_ = std::move(caption);
    }

    // The instrument the last identification reply named.
    const Instrument &instrument() const { return instrument_; }
    int waiting() const { return int(pending_.size()); }
    // Writes what has had no answer for the time-out.
    void expire();

    void frameSent(const Frame &frame) override;
    void frameRead(const Frame &frame, bool valid) override;

private:
    struct Pending {
        JournalEntry entry;
        uint8_t address = 0;
        bool sent = false;
    };

    void issued(const ModulePage &page, const IssuedCommand &command);
    void write(JournalEntry entry, std::optional<uint8_t> status);

    Session &session_;
    Platform &platform_;
    JournalSink &sink_;
    std::function<QString(const ModulePage *)> caption_;
    std::deque<Pending> pending_; // oldest first
    Instrument instrument_;
    QTimer *idle_; // expiry while the line is quiet
};

} // namespace zet
