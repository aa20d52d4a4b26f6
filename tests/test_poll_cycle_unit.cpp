// The poll cycle on its own, over the scripted driver: what it writes, which frames
// it decodes, and how it gets back onto frame boundaries after a slip.
#include "ScriptedDriver.h"
#include "connection/PollCycle.h"

#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

using namespace zet;
using namespace zet::test;

namespace {

struct Recorder : ReplyHandler {
    std::vector<Frame> identifications;
    std::vector<Frame> replies;
    void identificationReply(const Frame &f) override { identifications.push_back(f); }
    void moduleReply(const Frame &f) override { replies.push_back(f); }
    int lost = 0;
    void linkLost() override { ++lost; }
};

struct Cycle {
    ScriptedDriver driver;
    QStringList reports;
    D2XXUnit link{driver, [this](const QString &t) { reports << t; }};
    Session session{link};
    Recorder handler;
    QObject owner;
    PollCycle cycle{session, handler, &owner};

    Cycle()
    {
        driver.rows = {{"USB <-> Serial", "FT1"}};
        link.GetFTDeviceCount();
        EXPECT_EQ(link.Open_USB_Device_By_Serial_Number("FT1"), ft::OK);
        session.deviceType = 10;
    }
    // Receive ticks with nothing more arriving, as between two replies.
    void idleTicks(int n)
    {
        for (int i = 0; i < n; ++i)
            cycle.receiveTick();
    }
};

const Frame kA = sealed({3, 12, 0x01, 0x10, 0x00, 0x20, 0x00});
const Frame kB = sealed({3, 12, 0x01, 0x11, 0x00, 0x21, 0x00});

QByteArray bytes(const Frame &f) { return QByteArray(reinterpret_cast<const char *>(f.data()), 8); }

} // namespace

TEST(PollCycleTransmit, QueueCodeGoesIntoByteOneAndTheFrameIsSealed)
{
    Cycle c;
    c.session.setRequest(0x83, 12, 0, 0x34, 0x12, 0, 0);
    c.session.queue.load({2, 3});
    c.cycle.transmitTick();
    c.cycle.transmitTick();
    c.cycle.transmitTick();
    ASSERT_EQ(c.driver.writeCount(), 3);
    const int codes[] = {2, 3, 3};
    for (int i = 0; i < 3; ++i) {
        const QByteArray &w = c.driver.writes[size_t(i)];
        ASSERT_EQ(w.size(), 8);
        EXPECT_EQ(uint8_t(w[1]), codes[i]);
        EXPECT_EQ(uint8_t(w[3]), 0x34) << "parameters untouched by the queue";
        EXPECT_EQ(uint8_t(w[7]), checkByte(reinterpret_cast<const uint8_t *>(w.constData())));
    }
}

TEST(PollCycleReceive, FramesAreDecodedOnePerTickAndDispatchedByKind)
{
    Cycle c;
    c.driver.queueFrame(kA);
    c.driver.queueFrame(kB);
    c.cycle.receiveTick();
    ASSERT_EQ(c.handler.replies.size(), 1u) << "one frame per tick";
    c.cycle.receiveTick();
    ASSERT_EQ(c.handler.replies.size(), 2u);
    EXPECT_EQ(c.handler.replies[0], kA);
    EXPECT_EQ(c.handler.replies[1], kB);

    const Frame ident = sealed({0, 9, 0, 0, 10, 0x34, 0x12});
    c.driver.queueFrame(ident);
    c.cycle.receiveTick();
    ASSERT_EQ(c.handler.identifications.size(), 1u);
    EXPECT_EQ(c.handler.replies.size(), 2u) << "identification is not a page reply";

    c.session.deviceType = 0; // nothing identified: other frames are strays
    c.driver.queueFrame(kA);
    c.cycle.receiveTick();
    EXPECT_EQ(c.handler.replies.size(), 2u);
    EXPECT_TRUE(c.reports.isEmpty());
}

TEST(PollCycleReceive, FewerThanEightBytesWaitForTheRest)
{
    Cycle c;
    c.driver.queueBytes(bytes(kA).left(5));
    c.cycle.receiveTick();
    c.driver.queueBytes(bytes(kA).mid(5));
    c.cycle.receiveTick();
    ASSERT_EQ(c.handler.replies.size(), 1u) << "a reply arriving in two parts is kept";
    EXPECT_EQ(c.handler.replies[0], kA);
}

// Slips of the byte stream: each case puts something on the line before a good
// reply, and the good reply after it must be decoded within two replies.
TEST(PollCycleResync, RecoversFromStrayLostAndCorruptBytes)
{
    struct Case {
        const char *what;
        QByteArray line; // what arrives before the next whole reply
    };
    Frame corrupt = kA;
    corrupt[4] ^= 0x40;
    const Case cases[] = {
        {"stray byte", bytes(kA) + QByteArray(1, '\x55')},
        {"lost byte", bytes(kA).left(7)},
        {"corrupt frame", bytes(corrupt)},
        {"stray byte before a frame", QByteArray(1, '\x55') + bytes(kA)},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        Cycle c;
        c.driver.queueBytes(k.line);
        c.idleTicks(3);
        for (const Frame &f : c.handler.replies)
            EXPECT_EQ(f, kA) << "nothing but the good frame is ever decoded";
        c.handler.replies.clear();
        c.driver.queueFrame(kB);
        c.idleTicks(3);
        ASSERT_EQ(c.handler.replies.size(), 1u);
        EXPECT_EQ(c.handler.replies[0], kB);
        EXPECT_TRUE(c.reports.isEmpty()) << "no message from inside a tick";
    }
}

TEST(PollCycleResync, ReplyCopiedEvenWhenItsCheckFails)
{
    Cycle c;
    Frame bad = kA;
    bad[7] ^= 0xFF;
    c.driver.queueFrame(bad);
    c.cycle.receiveTick();
    EXPECT_FALSE(c.session.replyValid);
    EXPECT_EQ(c.session.reply, bad);
    EXPECT_TRUE(c.handler.replies.empty());
}

TEST(PollCycleTimers, StartStopAndPeriod)
{
    Cycle c;
    EXPECT_EQ(c.cycle.transmitTimer()->objectName(), "Timer1");
    EXPECT_EQ(c.cycle.receiveTimer()->objectName(), "Timer2");
    c.cycle.listen();
    EXPECT_FALSE(c.cycle.transmitTimer()->isActive());
    EXPECT_TRUE(c.cycle.receiveTimer()->isActive());
    c.cycle.setTransmitPeriod(800);
    c.cycle.start();
    EXPECT_EQ(c.cycle.transmitTimer()->interval(), 350) << "an opened converter starts at 350 ms";
    EXPECT_TRUE(c.cycle.transmitTimer()->isActive());
    c.cycle.stop();
    EXPECT_FALSE(c.cycle.transmitTimer()->isActive());
    EXPECT_FALSE(c.cycle.receiveTimer()->isActive());
}

// A converter that is gone fails its reads and writes with an I/O error or as not
// found; other failures of a tick are passed over silently as before.
TEST(PollCycleLink, VanishedConverterIsReportedOtherFailuresAreNot)
{
    struct Case {
        const char *call;
        FtStatus status;
        bool lost;
    };
    const Case cases[] = {
        {"Write", ft::IO_ERROR, true},     {"GetStatus", ft::IO_ERROR, true},
        {"Read", ft::IO_ERROR, true},      {"Write", ft::DEVICE_NOT_FOUND, true},
        {"Write", ft::OTHER_ERROR, false}, {"GetStatus", ft::INVALID_HANDLE, false},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(std::string(k.call) + " " + std::to_string(k.status));
        Cycle c;
        c.driver.queueFrame(kA);
        c.driver.failures[k.call] = k.status;
        c.cycle.transmitTick();
        c.cycle.receiveTick();
        EXPECT_EQ(c.handler.lost > 0, k.lost);
        EXPECT_TRUE(c.reports.isEmpty());
    }
}
