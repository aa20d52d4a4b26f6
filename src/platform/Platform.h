#pragma once
// The few things the window needs from the desktop that tests must be able to
// replace: modal messages, blocking waits, letting pending events run, the clock.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace zet {

enum class MessageKind { Error, Plain };

// The application's title, which its message boxes carry. It is not set as Qt's
// application display name: the window system would append that to the caption.
inline const QString kApplicationTitle = QStringLiteral("Серия ЗЕТ-75");

struct Platform {
    // Shows a modal message and returns once it is closed.
    std::function<void(MessageKind, const QString &)> message;
    // Blocks the calling (GUI) thread for the given milliseconds.
    std::function<void(int)> sleepMs;
    // Lets the window handle what is pending (repaints, clicks, ticks).
    std::function<void()> processEvents;
    // The PC's local date and time.
    std::function<QDateTime()> now;
    // The same clock in milliseconds since the epoch, for time stamps taken on every
    // frame: without the local-time lookup, which reads the zone file's status each
    // time. Left empty, it is taken from now().
    std::function<qint64()> nowMs;

    qint64 stampMs() const { return nowMs ? nowMs() : now().toMSecsSinceEpoch(); }

    // Message boxes, real sleeps, the real clock.
    static Platform desktop();
};

// Folders the pictures are looked for in after the current directory: the program's own
// folder, then the data folder of an installed tree found from it (<prefix>/bin/../share/
// zet-service), so that an installation works wherever its prefix is moved.
QStringList pictureDirectories(const QString &programDir);

// For the programs that only draw (screenshots, benchmark): the offscreen platform when
// there is no display and no platform was named. Call before the QApplication exists.
void offscreenWithoutDisplay();

} // namespace zet
