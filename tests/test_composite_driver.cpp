// Several drivers seen as one list: rows come in the order the drivers were added, and
// every call on an opened device reaches the driver that opened it.

#include "link/CompositeDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace zet;

namespace {

struct FakeDevice {
    std::string serial;
    std::string description;
};

// What a fake driver saw, kept outside it because the composite owns the driver.
struct FakeLog {
    std::map<FtHandle, std::vector<uint8_t>> written; // by the fake's own handle
    std::vector<FtHandle> closed;
    std::map<FtHandle, uint32_t> baud;
    std::map<FtHandle, uint32_t> purged;
    int opens = 0;
};

// A driver whose inner handles start at 1, like every other fake, so clashes would show.
class FakeDriver : public FtDriver {
public:
    FakeDriver(std::vector<FakeDevice> devices, uint8_t marker, FakeLog &log)
        : m_devices(std::move(devices)), m_marker(marker), m_log(log)
    {
    }

    FtStatus countStatus = ft::OK;
    FtStatus openStatus = ft::OK; // for serials it lists
    OpenFailureInfo openFailure;  // told after a failed open

    FtStatus ListDevices(void *arg1, void *arg2, uint32_t flags) override
    {
        if (flags == ft::LIST_NUMBER_ONLY) {
            if (countStatus != ft::OK)
                return countStatus;
            *static_cast<uint32_t *>(arg1) = uint32_t(m_devices.size());
            return ft::OK;
        }
        const auto index = uintptr_t(arg1);
        if (index >= m_devices.size())
            return ft::DEVICE_NOT_FOUND;
        const bool serial = flags == (ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER);
        const std::string &text = serial ? m_devices[index].serial : m_devices[index].description;
        std::strcpy(static_cast<char *>(arg2), text.c_str());
        return ft::OK;
    }
    FtStatus OpenEx(const void *arg1, uint32_t, FtHandle *handle) override
    {
        for (const FakeDevice &d : m_devices) {
            if (d.serial == static_cast<const char *>(arg1)) {
                if (openStatus != ft::OK)
                    return openStatus;
                ++m_log.opens;
                *handle = m_next++;
                return ft::OK;
            }
        }
        return ft::DEVICE_NOT_FOUND;
    }
    FtStatus Close(FtHandle handle) override
    {
        m_log.closed.push_back(handle);
        return ft::OK;
    }
    FtStatus Read(FtHandle handle, void *buffer, uint32_t toRead, uint32_t *bytesRead) override
    {
        // Answers with its marker and the handle it was asked on.
        auto *out = static_cast<uint8_t *>(buffer);
        const uint8_t answer[2] = {m_marker, uint8_t(handle)};
        *bytesRead = std::min<uint32_t>(toRead, 2);
        std::memcpy(out, answer, *bytesRead);
        return ft::OK;
    }
    FtStatus Write(FtHandle handle, const void *buffer, uint32_t toWrite,
                   uint32_t *bytesWritten) override
    {
        const auto *in = static_cast<const uint8_t *>(buffer);
        m_log.written[handle].insert(m_log.written[handle].end(), in, in + toWrite);
        *bytesWritten = toWrite;
        return ft::OK;
    }
    FtStatus SetBaudRate(FtHandle handle, uint32_t baud) override
    {
        m_log.baud[handle] = baud;
        return ft::OK;
    }
    FtStatus SetDataCharacteristics(FtHandle, uint8_t, uint8_t, uint8_t) override { return ft::OK; }
    FtStatus Purge(FtHandle handle, uint32_t mask) override
    {
        m_log.purged[handle] = mask;
        return ft::OK;
    }
    FtStatus GetStatus(FtHandle handle, uint32_t *rxBytes, uint32_t *txBytes,
                       uint32_t *eventStatus) override
    {
        *rxBytes = m_marker * 100u + uint32_t(handle);
        *txBytes = 0;
        *eventStatus = 0;
        return ft::OK;
    }
    OpenFailureInfo lastOpenFailure() const override { return openFailure; }

private:
    std::vector<FakeDevice> m_devices;
    uint8_t m_marker;
    FakeLog &m_log;
    FtHandle m_next = 1;
};

struct Row {
    std::string serial;
    std::string description;
    bool operator==(const Row &) const = default;
};

std::vector<Row> listAll(FtDriver &driver)
{
    uint32_t n = 0;
    EXPECT_EQ(driver.ListDevices(&n, nullptr, ft::LIST_NUMBER_ONLY), ft::OK);
    std::vector<Row> rows;
    for (uint32_t i = 0; i < n; ++i) {
        char serial[ft::SERIAL_BUFFER_SIZE + 1] = {};
        char description[ft::DESCRIPTION_BUFFER_SIZE + 1] = {};
        void *index = reinterpret_cast<void *>(uintptr_t(i));
        EXPECT_EQ(driver.ListDevices(index, serial, ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER),
                  ft::OK);
        EXPECT_EQ(
            driver.ListDevices(index, description, ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION),
            ft::OK);
        rows.push_back({serial, description});
    }
    return rows;
}

FtHandle open(FtDriver &driver, const char *serial)
{
    FtHandle h = 0;
    EXPECT_EQ(driver.OpenEx(serial, ft::OPEN_BY_SERIAL_NUMBER, &h), ft::OK) << serial;
    return h;
}

class CompositeDriverTest : public ::testing::Test {
protected:
    CompositeDriverTest()
    {
        auto a = std::make_unique<FakeDriver>(
            std::vector<FakeDevice>{{"FT-A1", "Converter A1"}, {"FT-A2", "Converter A2"}}, 'A',
            logA);
        auto b =
            std::make_unique<FakeDriver>(std::vector<FakeDevice>{{"SIM1", "Simulated"}}, 'B', logB);
        fakeA = a.get();
        fakeB = b.get();
        composite.add(std::move(a));
        composite.add(std::move(b));
    }

    FakeLog logA, logB;
    FakeDriver *fakeA = nullptr;
    FakeDriver *fakeB = nullptr;
    CompositeDriver composite;
};

} // namespace

TEST_F(CompositeDriverTest, ListsEveryDriversRowsInTheOrderTheyWereAdded)
{
    const std::vector<Row> expected{
        {"FT-A1", "Converter A1"}, {"FT-A2", "Converter A2"}, {"SIM1", "Simulated"}};
    EXPECT_EQ(listAll(composite), expected);

    char buf[64] = {};
    EXPECT_EQ(composite.ListDevices(reinterpret_cast<void *>(uintptr_t(3)), buf,
                                    ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER),
              ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(composite.ListDevices(nullptr, buf, ft::LIST_ALL), ft::INVALID_PARAMETER);
}

TEST_F(CompositeDriverTest, DriverThatCannotCountAddsNoRows)
{
    fakeA->countStatus = ft::IO_ERROR;
    EXPECT_EQ(listAll(composite), (std::vector<Row>{{"SIM1", "Simulated"}}));
    fakeA->countStatus = ft::OK;
    EXPECT_EQ(listAll(composite).size(), 3u);
}

TEST(CompositeDriver, WithoutDriversListsNothingAndOpensNothing)
{
    CompositeDriver empty;
    EXPECT_TRUE(listAll(empty).empty());
    FtHandle h = 77;
    EXPECT_EQ(empty.OpenEx("FT-A1", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(h, 0u);
}

TEST_F(CompositeDriverTest, EachHandleReachesTheDriverThatOpenedIt)
{
    // Both fakes hand out inner handle 1; the composite keeps them apart.
    const FtHandle sim = open(composite, "SIM1");
    const FtHandle a2 = open(composite, "FT-A2");
    ASSERT_NE(sim, 0u);
    ASSERT_NE(a2, 0u);
    ASSERT_NE(sim, a2);

    struct Case {
        FtHandle handle;
        uint8_t marker;
        FakeLog *log;
        std::vector<uint8_t> frame;
    } cases[] = {
        {sim, 'B', &logB, {128, 9, 0, 0, 0, 0, 0, 137}},
        {a2, 'A', &logA, {128, 1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(char(c.marker));
        uint32_t n = 0;
        ASSERT_EQ(composite.Write(c.handle, c.frame.data(), uint32_t(c.frame.size()), &n), ft::OK);
        EXPECT_EQ(n, c.frame.size());
        EXPECT_EQ(c.log->written[1], c.frame);

        uint8_t reply[8] = {};
        ASSERT_EQ(composite.Read(c.handle, reply, 8, &n), ft::OK);
        EXPECT_EQ(n, 2u);
        EXPECT_EQ(reply[0], c.marker);
        EXPECT_EQ(reply[1], 1u);

        uint32_t rx = 0, tx = 0, ev = 0;
        ASSERT_EQ(composite.GetStatus(c.handle, &rx, &tx, &ev), ft::OK);
        EXPECT_EQ(rx, c.marker * 100u + 1);

        EXPECT_EQ(composite.SetBaudRate(c.handle, 250000), ft::OK);
        EXPECT_EQ(c.log->baud[1], 250000u);
        EXPECT_EQ(composite.Purge(c.handle, ft::PURGE_TX), ft::OK);
        EXPECT_EQ(c.log->purged[1], ft::PURGE_TX);
    }

    EXPECT_EQ(composite.Close(sim), ft::OK);
    EXPECT_EQ(logB.closed, std::vector<FtHandle>{1});
    EXPECT_TRUE(logA.closed.empty());

    uint8_t buf[8] = {};
    uint32_t n = 0;
    EXPECT_EQ(composite.Read(sim, buf, 8, &n), ft::INVALID_HANDLE);
    EXPECT_EQ(composite.Close(sim), ft::INVALID_HANDLE);
    EXPECT_EQ(composite.Read(a2, buf, 8, &n), ft::OK) << "the other device stays open";
}

TEST_F(CompositeDriverTest, OpenFindsTheDriverThatListsTheSerial)
{
    struct Case {
        const char *serial;
        FtStatus status;
        int opensA, opensB;
    } cases[] = {
        {"FT-A1", ft::OK, 1, 0},
        {"SIM1", ft::OK, 0, 1},
        {"FT-XX", ft::DEVICE_NOT_FOUND, 0, 0},
        {"", ft::DEVICE_NOT_FOUND, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.serial);
        logA.opens = logB.opens = 0;
        FtHandle h = 55;
        EXPECT_EQ(composite.OpenEx(c.serial, ft::OPEN_BY_SERIAL_NUMBER, &h), c.status);
        EXPECT_EQ(h != 0, c.status == ft::OK);
        EXPECT_EQ(logA.opens, c.opensA);
        EXPECT_EQ(logB.opens, c.opensB);
    }
}

TEST_F(CompositeDriverTest, DriverThatListsTheSerialButCannotOpenItGivesItsStatus)
{
    fakeA->openStatus = ft::DEVICE_NOT_OPENED;
    FtHandle h = 55;
    EXPECT_EQ(composite.OpenEx("FT-A2", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::DEVICE_NOT_OPENED);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(logB.opens, 0);
    uint8_t buf[8] = {};
    uint32_t n = 0;
    EXPECT_EQ(composite.Read(1, buf, 8, &n), ft::INVALID_HANDLE);
}

TEST_F(CompositeDriverTest, CauseOfAFailedOpenComesFromTheDriverThatFailed)
{
    fakeA->openStatus = ft::DEVICE_NOT_OPENED;
    fakeA->openFailure = {OpenFailure::NoPermission, "/dev/ttyUSB3"};
    fakeB->openFailure = {OpenFailure::InUse, "/dev/pts/9"};
    FtHandle h = 0;
    EXPECT_EQ(composite.OpenEx("FT-A1", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::DEVICE_NOT_OPENED);
    EXPECT_EQ(composite.lastOpenFailure().cause, OpenFailure::NoPermission);
    EXPECT_EQ(composite.lastOpenFailure().device, "/dev/ttyUSB3");

    // A later open that succeeds, or finds nothing, leaves no stale cause behind.
    EXPECT_EQ(composite.OpenEx("SIM1", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::OK);
    EXPECT_EQ(composite.lastOpenFailure().cause, OpenFailure::Unknown);
    EXPECT_EQ(composite.OpenEx("FT-A1", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::DEVICE_NOT_OPENED);
    EXPECT_EQ(composite.OpenEx("NOWHERE", ft::OPEN_BY_SERIAL_NUMBER, &h), ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(composite.lastOpenFailure().cause, OpenFailure::Unknown);
}
