#pragma once
// The last thousand frames on the line, kept in a fixed ring for the line
// monitor. Recording costs a copy of eight bytes and a time stamp per frame; only
// while the monitor is open does anyone hear of each frame as it comes.

#include "connection/PollCycle.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace zet {

struct LineEntry {
    qint64 msecs = 0; // local clock, ms since the epoch
    bool sent = false;
    bool valid = true; // the check byte matched (always for frames sent)
    Frame frame{};
};

class LineLog : public LineObserver {
public:
    static constexpr int kCapacity = 1000;

    explicit LineLog(std::function<qint64()> clock) : clock_(std::move(clock)) {}

    void frameSent(const Frame &frame) override { record(frame, true, true); }
    void frameRead(const Frame &frame, bool valid) override { record(frame, false, valid); }

    int size() const { return size_; }
    // 0 is the oldest frame kept.
    const LineEntry &at(int i) const;
    // Hears each frame as it is recorded; none while nobody watches.
    void setListener(std::function<void(const LineEntry &)> listener)
    {
        listener_ = std::move(listener);
    }

private:
    void record(const Frame &frame, bool sent, bool valid);

    std::function<qint64()> clock_;
    std::array<LineEntry, kCapacity> ring_{};
    int next_ = 0;
    int size_ = 0;
    std::function<void(const LineEntry &)> listener_;
};

// The monitor's columns for a frame: time with milliseconds, direction, the eight
// bytes in hex, address or block, code, check, and the page's name for the code.
namespace monitor {
enum Column { Time, Direction, Bytes, Unit, Code, Check, Name, ColumnCount };
QStringList header();
QStringList columns(const LineEntry &entry);
inline const QString kCheckFailed = QStringLiteral("ошибка контроля");
} // namespace monitor

} // namespace zet
