#include "journal/LineLog.h"

#include "journal/CommandNames.h"
#include "platform/Format.h"

#include <QDateTime>

namespace zet {

const LineEntry &LineLog::at(int i) const
{
    const int oldest = size_ < kCapacity ? 0 : next_;
    return ring_[size_t((oldest + i) % kCapacity)];
}

void LineLog::record(const Frame &frame, bool sent, bool valid)
{
    LineEntry &e = ring_[size_t(next_)];
    e.msecs = clock_ ? clock_() : 0;
    e.sent = sent;
    e.valid = valid;
    e.frame = frame;
    next_ = (next_ + 1) % kCapacity;
    if (size_ < kCapacity)
        ++size_;
    if (listener_)
        listener_(e);
}

namespace monitor {

QStringList header()
{
    return {QStringLiteral("Время"),  QStringLiteral("Направление"),
            QStringLiteral("Байты"),  QStringLiteral("Адрес / блок"),
            QStringLiteral("Код"),    QStringLiteral("Контроль"),
            QStringLiteral("Команда")};
}

QStringList columns(const LineEntry &e)
{
    QStringList c(ColumnCount);
    c[Time] = QDateTime::fromMSecsSinceEpoch(e.msecs).toString(QStringLiteral("HH:mm:ss.zzz"));
    c[Direction] = e.sent ? QStringLiteral("→ прибор") : QStringLiteral("← прибор");
    QStringList bytes;
    for (uint8_t b : e.frame)
        bytes << hexByte(b);
    c[Bytes] = bytes.join(QLatin1Char(' '));
    // A request names the module address, a reply the block number.
    int block = -1;
    if (e.sent) {
        c[Unit] = QStringLiteral("адрес %1").arg(e.frame[0]);
        if (e.frame[0] >= kBaseAddress)
            block = e.frame[0] - kBaseAddress;
    } else {
        c[Unit] = QStringLiteral("блок %1").arg(e.frame[0]);
        block = e.frame[0];
    }
    c[Code] = QString::number(e.frame[1]);
    c[Check] = e.valid ? QStringLiteral("✓") : kCheckFailed;
    // The bytes of a frame that failed its check name nothing for sure.
    if (e.valid) {
        if (const CodeName *name = codeName(pageOfBlock(block), e.frame[1]))
            c[Name] = QString::fromUtf8(name->name);
    }
    return c;
}

} // namespace monitor

} // namespace zet
