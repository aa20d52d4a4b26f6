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

class CommandRecorder : public QObject, public LineObserver {
public:
    static constexpr int kAnswerTimeoutMs = 5000;

    CommandRecorder(Session &session, Platform &platform, JournalWriter &writer,
                    QObject *parent = nullptr);
    // Commands still waiting are written as unanswered.
    ~CommandRecorder() override;

    // Listens to what the page's buttons issue.
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
    struct Pending {
        JournalEntry entry;
        uint8_t address = 0;
        bool sent = false;
    };

    void issued(const ModulePage &page, const IssuedCommand &command);
    void write(JournalEntry entry, std::optional<uint8_t> status);

    Session &session_;
    Platform &platform_;
    JournalWriter &writer_;
    std::function<QString(const ModulePage *)> caption_;
    std::function<void(const QString &)> written_;
    std::deque<Pending> pending_; // oldest first
    Instrument instrument_;
    int linesWritten_ = 0;
    QTimer *idle_; // expiry while the line is quiet
};

} // namespace zet
