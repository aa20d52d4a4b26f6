// The serial-port driver over a real pseudo-terminal: what the device list sees in its
// fixed-size buffers, what reaches the other end of the line, and what the receive side
// reports, including a line that hangs up.

#include "link/SerialPortDriver.h"

#include "FakeSysfs.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>

#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace zet;

namespace {

// One pseudo-terminal: the driver opens the slave by path, the test plays the device on
// the master.
class Pty {
public:
    Pty()
    {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) == 0) {
            ::close(slave);
            ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
            m_path = name;
        }
    }
    ~Pty() { hangUp(); }

    bool ok() const { return m_master >= 0; }
    const std::string &path() const { return m_path; }
    int master() const { return m_master; }

    void send(const std::vector<uint8_t> &bytes)
    {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Everything the driver sent, collected until `count` bytes arrived or time ran out.
    std::vector<uint8_t> receive(size_t count, int timeoutMs = 2000)
    {
        std::vector<uint8_t> got;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            uint8_t buf[256];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
            else
                QTest::qWait(2);
        }
        return got;
    }

    termios lineSettings() const
    {
        termios t{};
        ::tcgetattr(m_master, &t); // on a pty master this reads the slave's settings
        return t;
    }

    void hangUp()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_path;
};

// A symbolic link to the pty under a path of an exact length, to exercise the serial
// buffer limits.
class LinkOfLength {
public:
    LinkOfLength(const std::string &target, size_t length)
    {
        std::string name = "/tmp/zs" + std::to_string(::getpid());
        while (name.size() < length)
            name += 'x';
        name.resize(length);
        ::unlink(name.c_str());
        if (::symlink(target.c_str(), name.c_str()) == 0)
            m_path = name;
    }
    ~LinkOfLength()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

bool eventually(const std::function<bool()> &condition, bool runEventLoop, int timeoutMs = 2000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (runEventLoop)
            QTest::qWait(2);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

uint32_t count(FtDriver &driver)
{
    uint32_t n = 0xDEAD;
    EXPECT_EQ(driver.ListDevices(&n, nullptr, ft::LIST_NUMBER_ONLY), ft::OK);
    return n;
}

// The listing buffer as the caller sees it, with a guard byte after it.
struct Listed {
    FtStatus status;
    std::vector<char> bytes; // size + 1, last one the guard
};

Listed listAt(FtDriver &driver, uint32_t index, uint32_t what, int size)
{
    Listed l{0, std::vector<char>(size_t(size) + 1, '\x7f')};
    l.status = driver.ListDevices(reinterpret_cast<void *>(uintptr_t(index)), l.bytes.data(),
                                  ft::LIST_BY_INDEX | what);
    return l;
}

std::string serialAt(FtDriver &driver, uint32_t index)
{
    Listed l = listAt(driver, index, ft::OPEN_BY_SERIAL_NUMBER, ft::SERIAL_BUFFER_SIZE);
    return std::string(l.bytes.data(), strnlen(l.bytes.data(), ft::SERIAL_BUFFER_SIZE));
}

FtHandle openBySerial(FtDriver &driver, const std::string &serial, FtStatus expected = ft::OK)
{
    FtHandle h = 0;
    EXPECT_EQ(driver.OpenEx(serial.c_str(), ft::OPEN_BY_SERIAL_NUMBER, &h), expected) << serial;
    return h;
}

uint32_t waiting(FtDriver &driver, FtHandle h)
{
    uint32_t rx = 0, tx = 0, ev = 0;
    EXPECT_EQ(driver.GetStatus(h, &rx, &tx, &ev), ft::OK);
    return rx;
}

std::vector<uint8_t> readUpTo(FtDriver &driver, FtHandle h, uint32_t n)
{
    std::vector<uint8_t> buf(n + 8, 0);
    uint32_t got = 0;
    EXPECT_EQ(driver.Read(h, buf.data(), n, &got), ft::OK);
    buf.resize(got);
    return buf;
}

} // namespace

TEST(SerialPortDriver, ListsCommandLinePortWithPathAsSerialAndNamedDescription)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);

    ASSERT_EQ(count(driver), 1u);

    Listed serial = listAt(driver, 0, ft::OPEN_BY_SERIAL_NUMBER, ft::SERIAL_BUFFER_SIZE);
    ASSERT_EQ(serial.status, ft::OK);
    EXPECT_EQ(std::string(serial.bytes.data()), pty.path());

    Listed description = listAt(driver, 0, ft::OPEN_BY_DESCRIPTION, ft::DESCRIPTION_BUFFER_SIZE);
    ASSERT_EQ(description.status, ft::OK);
    const std::string text(description.bytes.data());
    EXPECT_NE(text.find(pty.path()), std::string::npos) << text;
    EXPECT_EQ(text, "Последовательный порт " + pty.path());
    EXPECT_EQ(description.bytes.back(), '\x7f') << "wrote past the 64-byte buffer";
}

TEST(SerialPortDriver, SerialBufferHoldsShortPathsWithNulFullOnesWithoutAndKeysLongerOnes)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    LinkOfLength len15(pty.path(), 15), len16(pty.path(), 16), len17(pty.path(), 17);
    ASSERT_FALSE(len15.path().empty());
    ASSERT_FALSE(len16.path().empty());
    ASSERT_FALSE(len17.path().empty());

    // The same pty under three names, listed in order; each row opens the pty.
    SerialPortDriver driver({QString::fromStdString(len15.path()),
                             QString::fromStdString(len16.path()),
                             QString::fromStdString(len17.path())},
                            false);
    ASSERT_EQ(count(driver), 3u);

    struct Case {
        uint32_t index;
        std::string serial;
        bool nulAfter;
    } cases[] = {
        {0, len15.path(), true},
        {1, len16.path(), false},
        {2, "PORT3", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        Listed l = listAt(driver, c.index, ft::OPEN_BY_SERIAL_NUMBER, ft::SERIAL_BUFFER_SIZE);
        ASSERT_EQ(l.status, ft::OK);
        EXPECT_EQ(std::string(l.bytes.data(), c.serial.size()), c.serial);
        if (c.nulAfter) {
            EXPECT_EQ(l.bytes[c.serial.size()], '\0');
        }
        EXPECT_EQ(l.bytes[ft::SERIAL_BUFFER_SIZE], '\x7f') << "wrote past the 16-byte buffer";

        // What the device list shows is what opens the port.
        FtHandle h = openBySerial(driver, c.serial);
        ASSERT_NE(h, 0u);
        const uint8_t probe = uint8_t(0x40 + c.index);
        uint32_t written = 0;
        ASSERT_EQ(driver.Write(h, &probe, 1, &written), ft::OK);
        EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{probe});
        EXPECT_EQ(driver.Close(h), ft::OK);
    }
}

// Converter rows are opened by the serial number the list shows: it must name one port.
TEST(SerialPortDriver, ConverterKeysAreUniqueAndFitTheSerialBuffer)
{
    struct Case {
        const char *what;
        std::vector<QByteArray> serials;
        std::vector<QByteArray> keys;
    };
    const Case cases[] = {
        {"distinct", {"FT1", "A50285BI"}, {"FT1", "A50285BI"}},
        {"two channels of one chip",
         {"FT4ABCDE", "FT4ABCDE", "FT9"},
         {"FT4ABCDEA", "FT4ABCDEB", "FT9"}},
        {"four channels", {"X", "X", "X", "X"}, {"XA", "XB", "XC", "XD"}},
        {"longer than the buffer", {"0123456789ABCDEFGH"}, {"0123456789ABCDEF"}},
        {"long and shared",
         {"0123456789ABCDEFGH", "0123456789ABCDEFGH"},
         {"0123456789ABCDEA", "0123456789ABCDEB"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SerialPortDriver::converterKeys(c.serials), c.keys) << c.what;
}

// The machine's serial ports as the operating system lists them: only FTDI converters make
// rows, ordered by serial number and port name; the channels of a multi-channel chip share
// one serial and get letters.
TEST(SerialPortDriver, ConverterRowsAreTheFtdiPortsInSerialOrder)
{
    using Record = SerialPortDriver::PortRecord;
    const std::vector<Record> ports = {
        {0x0403, 0x6011, "FT4X", "ttyUSB3", "Quad RS232-HS", "/dev/ttyUSB3"},
        {0x067B, 0x2303, "AAA", "ttyUSB9", "USB-Serial Controller", "/dev/ttyUSB9"},
        {0x0403, 0x6001, "FTB", "ttyUSB0", "ZET cable", "/dev/ttyUSB0"},
        {0x0403, 0x6011, "FT4X", "ttyUSB1", "Quad RS232-HS", "/dev/ttyUSB1"},
        {0x10C4, 0xEA60, "0001", "ttyUSB7", "CP2102", "/dev/ttyUSB7"},
        {0x0000, 0x0000, "", "ttyS0", "", "/dev/ttyS0"},
        {0x0403, 0x6014, "", "ttyUSB5", "Single RS232-HS", "/dev/ttyUSB5"},
        {0x0403, 0x6011, "FT4X", "ttyUSB2", "Quad RS232-HS", "/dev/ttyUSB2"},
        {0x0430, 0x6001, "FTC", "ttyUSB8", "not FTDI", "/dev/ttyUSB8"},
    };
    struct Expected {
        const char *serial, *description, *location;
    };
    const Expected expected[] = {
        // No serial number: listed under its port name, and sorted first.
        {"ttyUSB5", "Single RS232-HS", "/dev/ttyUSB5"}, {"FT4XA", "Quad RS232-HS", "/dev/ttyUSB1"},
        {"FT4XB", "Quad RS232-HS", "/dev/ttyUSB2"},     {"FT4XC", "Quad RS232-HS", "/dev/ttyUSB3"},
        {"FTB", "ZET cable", "/dev/ttyUSB0"},
    };
    // The same rows whatever order the system lists the ports in.
    std::vector<Record> reversed(ports.rbegin(), ports.rend());
    for (const auto &input : {ports, reversed}) {
        const auto rows = SerialPortDriver::converterRows(input);
        ASSERT_EQ(rows.size(), std::size(expected));
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(rows[i].serial.toStdString(), expected[i].serial);
            EXPECT_EQ(rows[i].description.toStdString(), expected[i].description);
            EXPECT_EQ(rows[i].location.toStdString(), expected[i].location);
        }
    }
}

// A converter found among the machine's ports is listed before the named ports and opens.
TEST(SerialPortDriver, ListedConverterOpensItsPort)
{
    Pty converter, other, named;
    ASSERT_TRUE(converter.ok() && other.ok() && named.ok());
    const auto ports = [&] {
        return std::vector<SerialPortDriver::PortRecord>{
            {0x1A86, 0x7523, "CH1", "ttyUSB1", "USB Serial", QString::fromStdString(other.path())},
            {0x0403, 0x6001, "A50285BI", "ttyUSB0", "ZET cable",
             QString::fromStdString(converter.path())},
        };
    };
    SerialPortDriver driver({QString::fromStdString(named.path())}, true, ports);
    ASSERT_EQ(count(driver), 2u);
    EXPECT_EQ(serialAt(driver, 0), "A50285BI");
    Listed description = listAt(driver, 0, ft::OPEN_BY_DESCRIPTION, ft::DESCRIPTION_BUFFER_SIZE);
    EXPECT_EQ(std::string(description.bytes.data()), "ZET cable");
    EXPECT_EQ(serialAt(driver, 1), named.path());

    FtHandle h = openBySerial(driver, "A50285BI");
    ASSERT_NE(h, 0u);
    const uint8_t probe = 0x5A;
    uint32_t written = 0;
    ASSERT_EQ(driver.Write(h, &probe, 1, &written), ft::OK);
    EXPECT_EQ(converter.receive(1), std::vector<uint8_t>{probe});
    EXPECT_EQ(openBySerial(driver, "CH1", ft::DEVICE_NOT_FOUND), 0u);

    // Without the converter listing only the named port is there.
    SerialPortDriver namedOnly({QString::fromStdString(named.path())}, false, ports);
    EXPECT_EQ(count(namedOnly), 1u);
}

// Each look at the list asks the system again and sees a converter plugged in since.
TEST(SerialPortDriver, EveryListingLooksAgain)
{
    int looks = 0;
    const auto ports = [&] {
        const int n = ++looks;
        std::vector<SerialPortDriver::PortRecord> found;
        for (int i = 0; i < n; ++i)
            found.push_back({0x0403, 0x6001, QString("FT%1").arg(i), QString("ttyUSB%1").arg(i),
                             "ZET cable", QString("/dev/ttyUSB%1").arg(i)});
        return found;
    };
    SerialPortDriver driver({}, true, ports);
    EXPECT_EQ(count(driver), 1u);
    EXPECT_EQ(count(driver), 2u);
    EXPECT_EQ(serialAt(driver, 1), "FT1");
}

TEST(SerialPortDriver, ConvertersAreFoundOnTheUsbSerialBus)
{
    test::FakeSysfs sys;
    ASSERT_TRUE(sys.isValid());
    const QDir root = sys.root();
    EXPECT_TRUE(SerialPortDriver::sysfsPorts(sys.path()).empty()) << "no usb-serial bus";
    sys.device("1-2",
               {"idVendor=0403", "idProduct=6001", "serial=A50285BI", "product=FT232R USB UART"},
               {"1-2:1.0/ttyUSB2"});
    sys.device("1-3", {"idVendor=0403", "idProduct=6010", "serial=FT4XQ", "product=Dual RS232-HS"},
               {"1-3:1.0/ttyUSB0", "1-3:1.1/ttyUSB1"});
    sys.device("1-4", {"idVendor=10c4", "idProduct=ea60", "serial=0001", "product=CP2102"},
               {"1-4:1.0/ttyUSB3"});
    // A converter pulled out while the list is read leaves a dangling link behind.
    ASSERT_TRUE(QFile::link(root.filePath("devices/gone/ttyUSB9"),
                            root.filePath("bus/usb-serial/devices/ttyUSB9")));

    const auto records = SerialPortDriver::sysfsPorts(sys.path());
    ASSERT_EQ(records.size(), 4u) << "the dangling link is not followed";
    EXPECT_EQ(records[3].vendorId, 0x10c4) << "ordered by port name";
    EXPECT_EQ(records[0].productId, 0x6010);
    const auto rows = SerialPortDriver::converterRows(records);
    ASSERT_EQ(rows.size(), 3u);
    const std::vector<std::tuple<std::string, std::string, QString>> expected = {
        {"FT232R USB UART", "A50285BI", "/dev/ttyUSB2"},
        {"Dual RS232-HS", "FT4XQA", "/dev/ttyUSB0"},
        {"Dual RS232-HS", "FT4XQB", "/dev/ttyUSB1"},
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].description.toStdString(), std::get<0>(expected[i]));
        EXPECT_EQ(rows[i].serial.toStdString(), std::get<1>(expected[i]));
        EXPECT_EQ(rows[i].location, std::get<2>(expected[i]));
    }
}

TEST(SerialPortDriver, ListingRejectsBadIndexAndUnknownFlags)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
    ASSERT_EQ(count(driver), 1u);

    char buf[64] = {};
    struct Case {
        uintptr_t index;
        uint32_t flags;
        FtStatus expected;
    } cases[] = {
        {1, ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER, ft::DEVICE_NOT_FOUND},
        {7, ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION, ft::DEVICE_NOT_FOUND},
        {0, ft::LIST_BY_INDEX, ft::INVALID_PARAMETER},
        {0, ft::LIST_ALL | ft::OPEN_BY_SERIAL_NUMBER, ft::INVALID_PARAMETER},
        {0, 0, ft::INVALID_PARAMETER},
    };
    for (const Case &c : cases)
        EXPECT_EQ(driver.ListDevices(reinterpret_cast<void *>(c.index), buf, c.flags), c.expected)
            << "index " << c.index << " flags " << std::hex << c.flags;
}

TEST(SerialPortDriver, OpenSetsTheInstrumentLineAndBytesGoBothWays)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
    ASSERT_EQ(count(driver), 1u);
    FtHandle h = openBySerial(driver, serialAt(driver, 0));
    ASSERT_NE(h, 0u);

    // 8 data bits, two stop bits, no parity, raw bytes.
    termios t = pty.lineSettings();
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_lflag & ICANON);

    EXPECT_EQ(driver.SetBaudRate(h, 250000), ft::OK);
    EXPECT_EQ(driver.SetDataCharacteristics(h, ft::BITS_8, ft::STOP_BITS_2, ft::PARITY_NONE),
              ft::OK);

    const std::vector<uint8_t> request{128, 9, 0, 0, 0, 0, 0, 0x89};
    uint32_t written = 0;
    ASSERT_EQ(driver.Write(h, request.data(), uint32_t(request.size()), &written), ft::OK);
    EXPECT_EQ(written, request.size());
    EXPECT_EQ(pty.receive(request.size()), request);

    const std::vector<uint8_t> reply{9, 1, 2, 3, 0x0A, 0x0D, 0xFF, 0x00};
    pty.send(reply);
    EXPECT_TRUE(eventually([&] { return waiting(driver, h) == reply.size(); }, true));
    EXPECT_EQ(readUpTo(driver, h, 3), std::vector<uint8_t>(reply.begin(), reply.begin() + 3));
    EXPECT_EQ(waiting(driver, h), 5u);
    EXPECT_EQ(readUpTo(driver, h, 100), std::vector<uint8_t>(reply.begin() + 3, reply.end()));
    EXPECT_EQ(waiting(driver, h), 0u);
    EXPECT_TRUE(readUpTo(driver, h, 8).empty()) << "a read with nothing waiting returns nothing";

    EXPECT_EQ(driver.Close(h), ft::OK);
}

TEST(SerialPortDriver, FramingCallsReachTheLine)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
    FtHandle h = openBySerial(driver, pty.path());
    ASSERT_NE(h, 0u);
    ASSERT_EQ(driver.SetBaudRate(h, 250000), ft::OK);

    // A pty keeps 8 data bits without parity whatever is asked; its stop bits follow the
    // call, also when the other two settings are refused.
    struct Case {
        uint8_t wordLength, stopBits, parity;
        bool twoStopBits;
    } cases[] = {
        {ft::BITS_8, ft::STOP_BITS_1, ft::PARITY_NONE, false},
        {ft::BITS_8, ft::STOP_BITS_2, ft::PARITY_NONE, true},
        {7, ft::STOP_BITS_1, 2 /* even */, false},
        {ft::BITS_8, ft::STOP_BITS_2, 1 /* odd */, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.wordLength) * 100 + c.stopBits * 10 + c.parity);
        ASSERT_EQ(driver.SetDataCharacteristics(h, c.wordLength, c.stopBits, c.parity), ft::OK);
        EXPECT_EQ(bool(pty.lineSettings().c_cflag & CSTOPB), c.twoStopBits);
    }

    EXPECT_EQ(driver.SetDataCharacteristics(h, 9, ft::STOP_BITS_2, 0), ft::INVALID_PARAMETER);
    EXPECT_EQ(driver.SetDataCharacteristics(h, 8, 1, 0), ft::INVALID_PARAMETER);
    EXPECT_EQ(driver.SetDataCharacteristics(h, 8, 2, 9), ft::INVALID_PARAMETER);
    EXPECT_EQ(driver.SetBaudRate(h, 0), ft::INVALID_BAUD_RATE);
}

// The tool asks for the queue from timer ticks; the count must also be right when the
// caller polls without running the event loop in between.
TEST(SerialPortDriver, WaitingBytesAreReportedWithAndWithoutEventLoop)
{
    for (bool runEventLoop : {true, false}) {
        SCOPED_TRACE(runEventLoop ? "event loop running" : "no event loop");
        Pty pty;
        ASSERT_TRUE(pty.ok());
        SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
        FtHandle h = openBySerial(driver, pty.path());
        ASSERT_NE(h, 0u);

        std::vector<uint8_t> reply(40);
        for (size_t i = 0; i < reply.size(); ++i)
            reply[i] = uint8_t(i * 7);
        pty.send(reply);
        EXPECT_TRUE(eventually([&] { return waiting(driver, h) == reply.size(); }, runEventLoop));
        EXPECT_EQ(readUpTo(driver, h, uint32_t(reply.size())), reply);
    }
}

TEST(SerialPortDriver, PurgeReceiveDropsWaitingBytesAndLaterBytesStillArrive)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
    FtHandle h = openBySerial(driver, pty.path());
    ASSERT_NE(h, 0u);

    pty.send({1, 2, 3, 4, 5});
    ASSERT_TRUE(eventually([&] { return waiting(driver, h) == 5; }, true));
    EXPECT_EQ(driver.Purge(h, ft::PURGE_RX), ft::OK);
    EXPECT_EQ(waiting(driver, h), 0u);
    EXPECT_TRUE(readUpTo(driver, h, 8).empty());

    EXPECT_EQ(driver.Purge(h, ft::PURGE_TX), ft::OK);
    EXPECT_EQ(driver.Purge(h, ft::PURGE_RX | ft::PURGE_TX), ft::OK);

    pty.send({9, 8});
    ASSERT_TRUE(eventually([&] { return waiting(driver, h) == 2; }, true));
    EXPECT_EQ(readUpTo(driver, h, 8), (std::vector<uint8_t>{9, 8}));
}

TEST(SerialPortDriver, BytesLeftOnTheLineBeforeOpeningAreDropped)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    {
        // Someone else had the port and left an unread reply behind.
        const int previous = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(previous, 0);
        pty.send({0xEE, 0xEE, 0xEE});
        QTest::qWait(20);
        ::close(previous);
    }
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
    FtHandle h = openBySerial(driver, pty.path());
    ASSERT_NE(h, 0u);
    pty.send({0x42});
    ASSERT_TRUE(eventually([&] { return waiting(driver, h) > 0; }, true));
    EXPECT_EQ(readUpTo(driver, h, 8), std::vector<uint8_t>{0x42});
}

TEST(SerialPortDriver, OpenFailuresGiveDriverStatuses)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const QString missing = QStringLiteral("/tmp/zet-no-such-port-%1").arg(::getpid());
    SerialPortDriver driver({QString::fromStdString(pty.path()), missing}, false);
    ASSERT_EQ(count(driver), 2u);

    EXPECT_EQ(openBySerial(driver, "FT-NOT-THERE", ft::DEVICE_NOT_FOUND), 0u);
    EXPECT_EQ(openBySerial(driver, "", ft::DEVICE_NOT_FOUND), 0u);
    // Listed because it was asked for, but there is nothing to open behind it.
    EXPECT_EQ(serialAt(driver, 1), "PORT2");
    EXPECT_EQ(openBySerial(driver, "PORT2", ft::DEVICE_NOT_FOUND), 0u);
    EXPECT_EQ(driver.lastOpenFailure().cause, OpenFailure::Unknown);

    // A port already in use cannot be opened a second time.
    FtHandle first = openBySerial(driver, pty.path());
    ASSERT_NE(first, 0u);
    EXPECT_EQ(openBySerial(driver, pty.path(), ft::DEVICE_NOT_OPENED), 0u);
    EXPECT_EQ(driver.lastOpenFailure().cause, OpenFailure::InUse);
    EXPECT_EQ(driver.lastOpenFailure().device, pty.path());
    EXPECT_EQ(driver.Close(first), ft::OK);

    // Closed, it opens again, under a new handle.
    FtHandle again = openBySerial(driver, pty.path());
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, first);
}

// Run in a child process that gives up root first, since root may open any file.
TEST(SerialPortDriverDeathTest, PortWithoutReadWriteRightFailsAsAPermissionProblem)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(::chmod(pty.path().c_str(), 0), 0);
    const auto openAsUser = [&] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            std::fprintf(stderr, "cannot give up root\n");
            std::_Exit(3);
        }
        SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
        FtHandle h = 0;
        const FtStatus st = driver.OpenEx(pty.path().c_str(), ft::OPEN_BY_SERIAL_NUMBER, &h);
        const OpenFailureInfo failure = driver.lastOpenFailure();
        std::fprintf(stderr, "status=%u cause=%d device=%s\n", unsigned(st), int(failure.cause),
                     failure.device.c_str());
        std::_Exit(0);
    };
    EXPECT_EXIT(openAsUser(), ::testing::ExitedWithCode(0),
                "status=3 cause=1 device=" + pty.path() + "\n");
}

TEST(SerialPortDriver, CallsWithAnUnknownOrClosedHandleAreRefused)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
    FtHandle closed = openBySerial(driver, pty.path());
    ASSERT_NE(closed, 0u);
    ASSERT_EQ(driver.Close(closed), ft::OK);

    uint8_t buf[8] = {};
    uint32_t n = 0, rx = 0, tx = 0, ev = 0;
    for (FtHandle h : {FtHandle(0), closed, FtHandle(0x5151)}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(driver.Read(h, buf, 8, &n), ft::INVALID_HANDLE);
        EXPECT_EQ(driver.Write(h, buf, 8, &n), ft::INVALID_HANDLE);
        EXPECT_EQ(driver.GetStatus(h, &rx, &tx, &ev), ft::INVALID_HANDLE);
        EXPECT_EQ(driver.Purge(h, ft::PURGE_RX), ft::INVALID_HANDLE);
        EXPECT_EQ(driver.SetBaudRate(h, 250000), ft::INVALID_HANDLE);
        EXPECT_EQ(driver.SetDataCharacteristics(h, 8, 2, 0), ft::INVALID_HANDLE);
        EXPECT_EQ(driver.Close(h), ft::INVALID_HANDLE);
    }
}

// A pulled USB plug and a pty whose far end closed look the same: a hung-up line. Whichever
// call meets it first reports an I/O error, the others follow, and closing still works.
TEST(SerialPortDriver, HungUpLineGivesIoErrorsUntilClosed)
{
    using Call = std::function<FtStatus(FtDriver &, FtHandle)>;
    uint8_t buf[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint32_t n = 0, rx = 0, tx = 0, ev = 0;
    const std::vector<std::pair<const char *, Call>> calls = {
        {"GetStatus", [&](FtDriver &d, FtHandle h) { return d.GetStatus(h, &rx, &tx, &ev); }},
        {"Read", [&](FtDriver &d, FtHandle h) { return d.Read(h, buf, 8, &n); }},
        {"Write", [&](FtDriver &d, FtHandle h) { return d.Write(h, buf, 8, &n); }},
        {"Purge", [&](FtDriver &d, FtHandle h) { return d.Purge(h, ft::PURGE_RX); }},
        {"SetBaudRate", [&](FtDriver &d, FtHandle h) { return d.SetBaudRate(h, 250000); }},
    };
    for (bool runEventLoop : {false, true}) {
        for (const auto &[name, first] : calls) {
            SCOPED_TRACE(std::string(name) + (runEventLoop ? " after event loop" : " at once"));
            Pty pty;
            ASSERT_TRUE(pty.ok());
            SerialPortDriver driver({QString::fromStdString(pty.path())}, false);
            FtHandle h = openBySerial(driver, pty.path());
            ASSERT_NE(h, 0u);
            ASSERT_EQ(waiting(driver, h), 0u);

            pty.hangUp();
            if (runEventLoop)
                QTest::qWait(20);
            EXPECT_EQ(first(driver, h), ft::IO_ERROR);
            for (const auto &[otherName, other] : calls)
                EXPECT_EQ(other(driver, h), ft::IO_ERROR) << otherName;
            n = 99;
            EXPECT_EQ(driver.Read(h, buf, 8, &n), ft::IO_ERROR);
            EXPECT_EQ(n, 0u);
            EXPECT_EQ(driver.Close(h), ft::OK);
            EXPECT_EQ(driver.GetStatus(h, &rx, &tx, &ev), ft::INVALID_HANDLE);
        }
    }
}

namespace {

// The line speed as a converter or a pty answers it: every rate refused on request, and
// optionally the pty seen as a real converter.
class RefusingRateDriver : public SerialPortDriver {
public:
    RefusingRateDriver(const std::string &path, bool refuse, bool seenAsConverter)
        : SerialPortDriver({QString::fromStdString(path)}, false), refuse_(refuse),
          seenAsConverter_(seenAsConverter)
    {
    }
    std::vector<qint32> asked;

protected:
    bool setLineRate(QSerialPort &port, qint32 baud) override
    {
        asked.push_back(baud);
        return !refuse_ && SerialPortDriver::setLineRate(port, baud);
    }
    bool isPseudoTerminal(const QSerialPort &port) const override
    {
        return !seenAsConverter_ && SerialPortDriver::isPseudoTerminal(port);
    }

private:
    bool refuse_;
    bool seenAsConverter_;
};

} // namespace

// A pty has no line speed, so its refusal of 250000 baud is no error; a converter that
// refuses the rate is one, and the caller hears of it.
TEST(SerialPortDriver, RefusedLineRateFailsOnAConverterOnly)
{
    struct Case {
        const char *what;
        bool refuse, seenAsConverter;
        FtStatus expected;
    } cases[] = {
        {"pty refusing", true, false, ft::OK},
        {"pty accepting", false, false, ft::OK},
        {"converter refusing", true, true, ft::INVALID_BAUD_RATE},
        {"converter accepting", false, true, ft::OK},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Pty pty;
        ASSERT_TRUE(pty.ok());
        RefusingRateDriver driver(pty.path(), c.refuse, c.seenAsConverter);
        FtHandle h = openBySerial(driver, pty.path());
        ASSERT_NE(h, 0u) << "a refused rate does not stop the port from opening";
        EXPECT_EQ(driver.SetBaudRate(h, 250000), c.expected);
        EXPECT_EQ(driver.asked.back(), 250000);
        // The line still carries bytes either way.
        const uint8_t probe = 0x81;
        uint32_t written = 0;
        EXPECT_EQ(driver.Write(h, &probe, 1, &written), ft::OK);
        EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{probe});
    }
}
