// The simulated converter through the driver interface: listing, opening, reply
// timing on a fake clock, purging and line faults.
#include "SimRequests.h"
#include "SimulatedDriver.h"
#include "connection/Frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zet;
using namespace zet::sim;
using zet::test::request;

namespace {

class SimDriverTest : public ::testing::Test {
protected:
    SimDriverTest() : drv(10, [this] { return now; }) {}

    void SetUp() override
    {
        ASSERT_EQ(drv.OpenEx("SIM-ZET-10", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::OK);
    }

    void send(const Frame &f)
    {
        uint32_t written = 0;
        ASSERT_EQ(drv.Write(h, f.data(), kFrameSize, &written), ft::OK);
        EXPECT_EQ(written, uint32_t(kFrameSize));
    }
    uint32_t waiting()
    {
        uint32_t rx = 0, tx = 0, ev = 0;
        EXPECT_EQ(drv.GetStatus(h, &rx, &tx, &ev), ft::OK);
        return rx;
    }
    std::vector<uint8_t> readAll()
    {
        std::vector<uint8_t> out(64);
        uint32_t got = 0;
        EXPECT_EQ(drv.Read(h, out.data(), uint32_t(out.size()), &got), ft::OK);
        out.resize(got);
        return out;
    }
    // Sends one request and collects what arrives within a second.
    std::vector<uint8_t> exchange(const Frame &f)
    {
        send(f);
        now += 1000;
        return readAll();
    }

    qint64 now = 0;
    SimulatedDriver drv;
    FtHandle h = 0;
};

} // namespace

TEST(SimDriverListing, OneRowThatSaysItIsASimulator)
{
    SimulatedDriver drv(7);
    uint32_t count = 0;
    EXPECT_EQ(drv.ListDevices(&count, nullptr, ft::LIST_NUMBER_ONLY), ft::OK);
    EXPECT_EQ(count, 1u);

    char serial[ft::SERIAL_BUFFER_SIZE];
    std::memset(serial, 'x', sizeof serial);
    EXPECT_EQ(drv.ListDevices(reinterpret_cast<void *>(uintptr_t(0)), serial,
                              ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER),
              ft::OK);
    EXPECT_STREQ(serial, "SIM-ZET-7");

    char description[ft::DESCRIPTION_BUFFER_SIZE];
    std::memset(description, 'x', sizeof description);
    EXPECT_EQ(drv.ListDevices(reinterpret_cast<void *>(uintptr_t(0)), description,
                              ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION),
              ft::OK);
    EXPECT_STREQ(description, "Имитатор ЗЕТ, тип 7");

    EXPECT_EQ(drv.ListDevices(reinterpret_cast<void *>(uintptr_t(1)), serial,
                              ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER),
              ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(drv.ListDevices(nullptr, serial, ft::LIST_BY_INDEX), ft::INVALID_PARAMETER);

    char buf[ft::SERIAL_BUFFER_SIZE];
    char *buffers[2] = {buf, nullptr};
    count = 0;
    EXPECT_EQ(drv.ListDevices(buffers, &count, ft::LIST_ALL | ft::OPEN_BY_SERIAL_NUMBER), ft::OK);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(buf, "SIM-ZET-7");
}

TEST(SimDriverListing, TenTypeSerialFitsItsBuffer)
{
    SimulatedDriver drv(10);
    char serial[ft::SERIAL_BUFFER_SIZE];
    std::memset(serial, 'x', sizeof serial);
    ASSERT_EQ(drv.ListDevices(nullptr, serial, ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER),
              ft::OK);
    EXPECT_STREQ(serial, "SIM-ZET-10");
    EXPECT_LT(drv.description().size(), size_t(ft::DESCRIPTION_BUFFER_SIZE));
}

TEST(SimDriverOpen, OnlyItsOwnSerialOpensAndHandlesExpire)
{
    SimulatedDriver drv(10, [] { return qint64(0); });
    FtHandle h = 0;
    EXPECT_EQ(drv.OpenEx("FT123456", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(h, 0u);
    ASSERT_EQ(drv.OpenEx("SIM-ZET-10", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::OK);
    EXPECT_NE(h, 0u);
    FtHandle second = 0;
    EXPECT_NE(drv.OpenEx("SIM-ZET-10", ft::OPEN_BY_SERIAL_NUMBER, &second), ft::OK);
    EXPECT_EQ(drv.Close(h), ft::OK);

    // every call on a closed or unknown handle
    uint8_t buf[8] = {};
    uint32_t n = 0, tx = 0, ev = 0;
    for (FtHandle bad : {h, FtHandle(0), FtHandle(12345)}) {
        EXPECT_EQ(drv.Read(bad, buf, 8, &n), ft::INVALID_HANDLE);
        EXPECT_EQ(drv.Write(bad, buf, 8, &n), ft::INVALID_HANDLE);
        EXPECT_EQ(drv.GetStatus(bad, &n, &tx, &ev), ft::INVALID_HANDLE);
        EXPECT_EQ(drv.Purge(bad, ft::PURGE_RX | ft::PURGE_TX), ft::INVALID_HANDLE);
        EXPECT_EQ(drv.SetBaudRate(bad, 250000), ft::INVALID_HANDLE);
        EXPECT_EQ(drv.SetDataCharacteristics(bad, ft::BITS_8, ft::STOP_BITS_2, ft::PARITY_NONE),
                  ft::INVALID_HANDLE);
        EXPECT_EQ(drv.Close(bad), ft::INVALID_HANDLE);
    }

    FtHandle again = 0;
    ASSERT_EQ(drv.OpenEx("SIM-ZET-10", ft::OPEN_BY_SERIAL_NUMBER, &again), ft::OK);
    EXPECT_NE(again, h) << "a stale handle must not reach the new session";
    EXPECT_EQ(drv.SetBaudRate(again, 250000), ft::OK);
    EXPECT_EQ(drv.SetDataCharacteristics(again, ft::BITS_8, ft::STOP_BITS_2, ft::PARITY_NONE),
              ft::OK);
}

TEST_F(SimDriverTest, ReplyBecomesReadableOnlyAfterTheDelay)
{
    send(request(0x80, 9));
    EXPECT_EQ(waiting(), 0u);
    now = 9;
    EXPECT_EQ(waiting(), 0u) << "no reply sooner than 10 ms";
    now = 40;
    ASSERT_EQ(waiting(), 8u);
    const auto bytes = readAll();
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 9);
    EXPECT_EQ(bytes[4], 10);
    EXPECT_TRUE(checkOk(bytes.data()));
    EXPECT_EQ(waiting(), 0u);
}

TEST_F(SimDriverTest, RepliesArriveOneAfterAnother)
{
    std::vector<uint8_t> both;
    for (uint8_t a : {0x80, 0x8F}) {
        const Frame f = request(a, 12);
        both.insert(both.end(), f.begin(), f.end());
    }
    uint32_t written = 0;
    ASSERT_EQ(drv.Write(h, both.data(), uint32_t(both.size()), &written), ft::OK);
    std::vector<uint32_t> seen;
    for (now = 0; now <= 100; ++now)
        if (seen.empty() || seen.back() != waiting())
            seen.push_back(waiting());
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, 8, 16}));
    const auto bytes = readAll();
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[8], 15);
}

TEST_F(SimDriverTest, ReadReturnsAtMostWhatIsWaiting)
{
    send(request(0x80, 12));
    now = 100;
    uint8_t buf[32];
    uint32_t got = 0;
    ASSERT_EQ(drv.Read(h, buf, 5, &got), ft::OK);
    EXPECT_EQ(got, 5u);
    ASSERT_EQ(drv.Read(h, buf, 32, &got), ft::OK);
    EXPECT_EQ(got, 3u);
}

TEST_F(SimDriverTest, PurgeRxDropsReadyAndPendingReplies)
{
    send(request(0x80, 12));
    now = 100;
    send(request(0x8F, 12));
    EXPECT_EQ(waiting(), 8u);
    EXPECT_EQ(drv.Purge(h, ft::PURGE_TX), ft::OK);
    EXPECT_EQ(waiting(), 8u) << "purging the transmit side leaves replies alone";
    EXPECT_EQ(drv.Purge(h, ft::PURGE_RX), ft::OK);
    EXPECT_EQ(waiting(), 0u);
    now = 1000;
    EXPECT_EQ(waiting(), 0u) << "the reply still on its way is gone too";
}

TEST_F(SimDriverTest, RequestSplitOverTwoWritesIsOneFrame)
{
    const Frame f = request(0x8F, 12);
    uint32_t written = 0;
    ASSERT_EQ(drv.Write(h, f.data(), 3, &written), ft::OK);
    now = 5;
    ASSERT_EQ(drv.Write(h, f.data() + 3, 5, &written), ft::OK);
    now = 100;
    const auto bytes = readAll();
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 15);
}

TEST_F(SimDriverTest, PauseDiscardsAPartialRequest)
{
    const Frame f = request(0x80, 12);
    uint32_t written = 0;
    ASSERT_EQ(drv.Write(h, f.data(), 3, &written), ft::OK);
    now = 300;
    const auto bytes = exchange(request(0x8F, 12));
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 15);
    EXPECT_TRUE(checkOk(bytes.data()));
}

TEST_F(SimDriverTest, OneShotFaults)
{
    const Frame status = request(0x8F, 12);

    drv.faults().stray.once = 1;
    EXPECT_EQ(exchange(status).size(), 9u);
    EXPECT_EQ(exchange(status).size(), 8u) << "one-shot fault fires once";

    drv.faults().lose.once = 1;
    EXPECT_EQ(exchange(status).size(), 7u);

    drv.faults().drop.once = 1;
    EXPECT_TRUE(exchange(status).empty());

    drv.faults().corrupt.once = 1;
    const auto bad = exchange(status);
    ASSERT_EQ(bad.size(), 8u);
    EXPECT_FALSE(checkOk(bad.data()));
    EXPECT_EQ(bad[0], 15);

    drv.faults().late.once = 1;
    drv.faults().lateMs = 700;
    send(status);
    now += 100;
    EXPECT_EQ(waiting(), 0u);
    now += 700;
    EXPECT_EQ(waiting(), 8u);
}

TEST_F(SimDriverTest, EveryNthReplyIsDropped)
{
    drv.faults().drop.every = 3;
    std::vector<bool> arrived;
    for (int i = 0; i < 6; ++i)
        arrived.push_back(!exchange(request(0x80, 12)).empty());
    EXPECT_EQ(arrived, (std::vector<bool>{true, true, false, true, true, false}));
}

TEST(SimDriverFaults, ProbabilityFaultsFollowTheSeed)
{
    auto run = [](uint32_t seed) {
        qint64 t = 0;
        SimulatedDriver drv(
            1, [&t] { return t; }, seed);
        drv.faults().drop.probability = 0.3;
        FtHandle h = 0;
        drv.OpenEx("SIM-ZET-1", ft::OPEN_BY_SERIAL_NUMBER, &h);
        std::vector<int> sizes;
        for (int i = 0; i < 60; ++i) {
            const Frame f = request(0x80, 12);
            uint32_t n = 0;
            drv.Write(h, f.data(), 8, &n);
            t += 1000;
            uint32_t rx = 0, tx = 0, ev = 0;
            drv.GetStatus(h, &rx, &tx, &ev);
            sizes.push_back(int(rx));
            drv.Purge(h, ft::PURGE_RX);
        }
        return sizes;
    };
    const auto a = run(5);
    EXPECT_EQ(a, run(5));
    const auto dropped = std::count(a.begin(), a.end(), 0);
    EXPECT_GT(dropped, 5);
    EXPECT_LT(dropped, 35);
}

TEST_F(SimDriverTest, SwitchedOffInstrumentWakesOnReopen)
{
    EXPECT_EQ(exchange(request(0x80, 8)).size(), 8u);
    EXPECT_TRUE(exchange(request(0x80, 12)).empty());
    EXPECT_TRUE(exchange(request(0x80, 9)).empty());
    ASSERT_EQ(drv.Close(h), ft::OK);
    ASSERT_EQ(drv.OpenEx("SIM-ZET-10", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::OK);
    const auto bytes = exchange(request(0x80, 9));
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(bytes[4], 10);
}
