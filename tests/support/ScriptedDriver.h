#pragma once
// Driver for tests: lists the rows it is given, queues reply bytes, records every
// call with its arguments, and fails any call with a chosen status.

#include "connection/Frame.h"
#include "link/FtDriver.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace zet::test {

class ScriptedDriver : public FtDriver {
public:
    struct Row {
        QByteArray description;
        QByteArray serial;
    };
    std::vector<Row> rows;

    // Calls in order, e.g. "OpenEx(SER1,1)", "Purge(1)", "SetBaudRate(250000)".
    QStringList calls;
    // Every write, as written.
    std::vector<QByteArray> writes;
    // Bytes waiting to be read.
    std::deque<uint8_t> rx;
    // Calls named here ("ListDevices", "OpenEx", "Read", ...) return the status;
    // "ListCount", "ListDescription" and "ListSerial" fail one kind of listing only.
    std::map<QString, FtStatus> failures;
    // What lastOpenFailure() tells after a failed OpenEx.
    OpenFailureInfo openFailure;
    // Answers each written 8-byte frame, if set (e.g. a simulated instrument).
    std::function<std::vector<Frame>(const Frame &)> responder;

    void queueBytes(const QByteArray &bytes);
    void queueFrame(const Frame &f); // as given
    void queueReply(Frame f);        // with its check byte computed
    Frame lastFrame() const;         // last 8 bytes written
    int writeCount() const { return int(writes.size()); }
    void clearLog()
    {
        calls.clear();
        writes.clear();
    }

    FtStatus ListDevices(void *arg1, void *arg2, uint32_t flags) override;
    FtStatus OpenEx(const void *arg1, uint32_t flags, FtHandle *handle) override;
    FtStatus Close(FtHandle handle) override;
    FtStatus Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead) override;
    FtStatus Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                   uint32_t *bytesWritten) override;
    FtStatus SetBaudRate(FtHandle handle, uint32_t baud) override;
    FtStatus SetDataCharacteristics(FtHandle handle, uint8_t wordLength, uint8_t stopBits,
                                    uint8_t parity) override;
    FtStatus Purge(FtHandle handle, uint32_t mask) override;
    FtStatus GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                       uint32_t *eventStatus) override;
    OpenFailureInfo lastOpenFailure() const override { return openFailure; }

private:
    FtStatus result(const QString &name) const;
    FtHandle open_ = 0;
};

// A reply frame with its check byte.
Frame sealed(std::initializer_list<uint8_t> bytes);

} // namespace zet::test
