// Link layer: error report texts and switch, open-by-serial copy, listing buffers.
#include "ScriptedDriver.h"
#include "link/D2XXUnit.h"

#include <gtest/gtest.h>

using namespace zet;
using zet::test::ScriptedDriver;

namespace {

struct LinkFixture : ::testing::Test {
    ScriptedDriver driver;
    QStringList reports;
    D2XXUnit link{driver, [this](const QString &t) { reports << t; }};
};

struct ErrorCase {
    const char *failing; // driver call made to fail
    FtStatus status;
    std::function<void(D2XXUnit &)> call;
    const char *expected;
};

TEST_F(LinkFixture, EachOperationReportsItsLabelAndSuffix)
{
    driver.rows = {{"Desc", "SER"}};
    const ErrorCase cases[] = {
        {"ListDevices", 2, [](D2XXUnit &u) { u.GetFTDeviceCount(); },
         "GetFTDeviceCount - Device not found..."},
        {"ListDevices", 4, [](D2XXUnit &u) { u.GetFTDeviceSerialNo(0); },
         "GetFTDeviceSerialNo - General IO error..."},
        {"ListDevices", 1, [](D2XXUnit &u) { u.GetFTDeviceDescription(0); },
         "GetFTDeviceDescription - Invalid handle..."},
        {"OpenEx", 3, [](D2XXUnit &u) { u.Open_USB_Device_By_Serial_Number("X"); },
         "Open_USB_Device_By_Serial_Number - Device not opened..."},
        {"Close", 5, [](D2XXUnit &u) { u.CloseFTDevice(); },
         "FT_Close - Insufficient resources..."},
        {"Read", 4, [](D2XXUnit &u) { u.ReadFTDevice(8); }, "FT_Read - General IO error..."},
        {"Write", 10, [](D2XXUnit &u) { u.WriteFTDevice(8); }, "FT_Write - Failed to write..."},
        {"SetBaudRate", 7, [](D2XXUnit &u) { u.SetFTBaudRate(); },
         "FT_SetBaudRate - Invalid baud rate..."},
        {"SetDataCharacteristics", 6, [](D2XXUnit &u) { u.SetFTDataCharacteristics(); },
         "FT_SetDataCharacteristics - Invalid parameter..."},
        {"Purge", 8, [](D2XXUnit &u) { u.PurgeFTReceive(); },
         "FT_Purge RX Device not opened for erase..."},
        {"Purge", 9, [](D2XXUnit &u) { u.PurgeFTTransmit(); },
         "FT_Purge TX Device not opened for write..."},
        {"GetStatus", 17, [](D2XXUnit &u) { u.GetFTQueueStatus(); },
         "FT_GetStatus - Other error ..."},
    };
    for (const ErrorCase &c : cases) {
        driver.failures.clear();
        driver.failures[c.failing] = c.status;
        reports.clear();
        c.call(link);
        ASSERT_EQ(reports.size(), 1) << c.expected;
        EXPECT_EQ(reports[0], QString::fromUtf8(c.expected));
    }
}

TEST_F(LinkFixture, SuffixTableCoversEveryDriverStatus)
{
    EXPECT_EQ(D2XXUnit::errorSuffix(11), " - EEPROM read failed...");
    EXPECT_EQ(D2XXUnit::errorSuffix(12), " - EEPROM write failed...");
    EXPECT_EQ(D2XXUnit::errorSuffix(13), " - EEPROM erase failed...");
    EXPECT_EQ(D2XXUnit::errorSuffix(14), " - EEPROM not present...");
    EXPECT_EQ(D2XXUnit::errorSuffix(15), " - EEPROM not programmed...");
    EXPECT_EQ(D2XXUnit::errorSuffix(16), " - Invalid arguments...");
    // Beyond the known set the number is named so the engineer can look it up.
    EXPECT_EQ(D2XXUnit::errorSuffix(18), " - Unknown error (18)...");
    EXPECT_EQ(D2XXUnit::errorSuffix(4000000000u), " - Unknown error (4000000000)...");
}

TEST_F(LinkFixture, SwitchedOffReportsStaySilentButStatusIsReturned)
{
    driver.failures["GetStatus"] = 4;
    link.errorReports = false;
    EXPECT_EQ(link.GetFTQueueStatus(), 4u);
    EXPECT_TRUE(reports.isEmpty());
    {
        D2XXUnit::Silence quiet(link);
        link.errorReports = false;
        EXPECT_EQ(link.GetFTQueueStatus(), 4u);
    }
    EXPECT_TRUE(link.errorReports);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(link.GetFTQueueStatus(), 4u);
    EXPECT_EQ(reports.size(), 1);
    link.ReportFTError("X", 0);
    EXPECT_EQ(reports.size(), 1) << "status 0 is not an error";
}

TEST_F(LinkFixture, ReadAndWriteKeepTheirStatusAndReturnByteCounts)
{
    driver.rows = {{"D", "S"}};
    ASSERT_EQ(link.Open_USB_Device_By_Serial_Number("S"), 0u);
    driver.queueBytes(QByteArray("\x01\x02\x03", 3));
    EXPECT_EQ(link.ReadFTDevice(8), 3u);
    EXPECT_EQ(link.rxBuffer[2], 3);
    EXPECT_EQ(link.lastIoStatus, 0u);
    driver.failures["Write"] = 4;
    link.errorReports = false;
    EXPECT_EQ(link.WriteFTDevice(8), 0u);
    EXPECT_EQ(link.lastIoStatus, 4u);
}

TEST_F(LinkFixture, OpenBySerialCopiesAtMost49Characters)
{
    driver.rows = {{"D", QByteArray(49, 'A')}};
    EXPECT_EQ(link.Open_USB_Device_By_Serial_Number(QString(60, 'A')), 0u);
    EXPECT_EQ(driver.calls.last(), QStringLiteral("OpenEx(%1,1)").arg(QString(49, 'A')));
    EXPECT_EQ(link.openSerialBuffer[49], 0);
    EXPECT_NE(link.handle, 0u);
}

TEST_F(LinkFixture, EmptySerialOpensWithEmptyStringAndReportsFailure)
{
    driver.rows = {{"D", "S"}};
    link.openSerialBuffer.fill('Z');
    EXPECT_EQ(link.Open_USB_Device_By_Serial_Number(QString()), ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(driver.calls.last(), "OpenEx(,1)");
    EXPECT_EQ(link.openSerialBuffer[0], 0);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0], "Open_USB_Device_By_Serial_Number - Device not found...");
}

TEST_F(LinkFixture, ListingBuffersTakeSerialsThatFillThemWhole)
{
    driver.rows = {{QByteArray(64, 'd'), "0123456789ABCDEF"}, {"Short", "AB"}};
    ASSERT_EQ(link.GetFTDeviceCount(), 0u);
    EXPECT_EQ(link.deviceCount, 2u);
    EXPECT_EQ(driver.calls.last(), "ListDevices(0,80000000)");
    link.GetFTDeviceSerialNo(0);
    EXPECT_EQ(link.deviceString, "0123456789ABCDEF");
    EXPECT_EQ(driver.calls.last(), "ListDevices(0,40000001)");
    link.GetFTDeviceDescription(0);
    EXPECT_EQ(link.deviceString, QString(64, 'd'));
    EXPECT_EQ(driver.calls.last(), "ListDevices(0,40000002)");
    link.GetFTDeviceSerialNo(1);
    EXPECT_EQ(link.deviceString, "AB");
}

} // namespace

TEST_F(LinkFixture, FailedOpenExplainsAMissingRightOrABusyPortBesideTheDriverText)
{
    driver.rows = {{"D", "S"}};
    driver.failures["OpenEx"] = ft::DEVICE_NOT_OPENED;
    const QString head = "Open_USB_Device_By_Serial_Number - Device not opened...\n\n";

    driver.openFailure = {OpenFailure::NoPermission, "/dev/ttyUSB0"};
    link.Open_USB_Device_By_Serial_Number("S");
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(head + "Нет прав на чтение и запись порта /dev/ttyUSB0.\n"))
        << reports[0].toStdString();
    for (const char *remedy : {"70-zet-service.rules", "/etc/udev/rules.d",
                               "udevadm control --reload", "udevadm trigger", "dialout"})
        EXPECT_TRUE(reports[0].contains(QString::fromUtf8(remedy))) << remedy;

    driver.openFailure = {OpenFailure::InUse, "/dev/ttyUSB1"};
    link.Open_USB_Device_By_Serial_Number("S");
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[1], head + "Порт /dev/ttyUSB1 занят другой программой. Закройте её и "
                                 "откройте преобразователь снова.");

    // A cause the driver cannot name leaves the driver's text alone; so do silenced reports.
    driver.openFailure = {};
    link.Open_USB_Device_By_Serial_Number("S");
    ASSERT_EQ(reports.size(), 3);
    EXPECT_EQ(reports[2], "Open_USB_Device_By_Serial_Number - Device not opened...");
    driver.openFailure = {OpenFailure::NoPermission, "/dev/ttyUSB0"};
    link.errorReports = false;
    EXPECT_EQ(link.Open_USB_Device_By_Serial_Number("S"), ft::DEVICE_NOT_OPENED);
    EXPECT_EQ(reports.size(), 3);
}
