#include "link/D2XXUnit.h"

#include <algorithm>
#include <cstring>

namespace zet {

D2XXUnit::D2XXUnit(FtDriver &driver, ErrorReport report)
    : driver_(driver), report_(std::move(report))
{
}

FtStatus D2XXUnit::checked(const char *label, FtStatus status)
{
    if (status != ft::OK)
        ReportFTError(QString::fromLatin1(label), status);
    return status;
}

FtStatus D2XXUnit::GetFTDeviceCount()
{
    return checked("GetFTDeviceCount",
                   driver_.ListDevices(&deviceCount, nullptr, ft::LIST_NUMBER_ONLY));
}

// The listing buffers need not hold a NUL: a string that fills them is taken whole.
static QString bufferText(const char *buf, size_t size)
{
    const size_t n = strnlen(buf, size);
    return QString::fromUtf8(buf, qsizetype(n));
}

FtStatus D2XXUnit::GetFTDeviceSerialNo(uint32_t index)
{
    const FtStatus st =
        driver_.ListDevices(reinterpret_cast<void *>(uintptr_t(index)), serialBuffer.data(),
                            ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER);
    if (st == ft::OK)
        deviceString = bufferText(serialBuffer.data(), serialBuffer.size());
    return checked("GetFTDeviceSerialNo", st);
}

FtStatus D2XXUnit::GetFTDeviceDescription(uint32_t index)
{
    const FtStatus st =
        driver_.ListDevices(reinterpret_cast<void *>(uintptr_t(index)), descriptionBuffer.data(),
                            ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION);
    if (st == ft::OK)
        deviceString = bufferText(descriptionBuffer.data(), descriptionBuffer.size());
    return checked("GetFTDeviceDescription", st);
}

FtStatus D2XXUnit::Open_USB_Device_By_Serial_Number(const QString &serial)
{
    openSerialBuffer[0] = 0;
    const QByteArray bytes = serial.toUtf8();
    const size_t n = std::min<size_t>(size_t(bytes.size()), openSerialBuffer.size() - 1);
    if (n > 0) {
        std::memcpy(openSerialBuffer.data(), bytes.constData(), n);
        openSerialBuffer[n] = 0;
    }
    const FtStatus st = driver_.OpenEx(openSerialBuffer.data(), ft::OPEN_BY_SERIAL_NUMBER, &handle);
    if (st != ft::OK)
        ReportFTError(QStringLiteral("Open_USB_Device_By_Serial_Number"), st,
                      openFailureAdvice(driver_.lastOpenFailure()));
    return st;
}

FtStatus D2XXUnit::CloseFTDevice() { return checked("FT_Close", driver_.Close(handle)); }

uint32_t D2XXUnit::ReadFTDevice(uint32_t count)
{
    uint32_t done = 0;
    count = std::min<uint32_t>(count, uint32_t(rxBuffer.size()));
    lastIoStatus = driver_.Read(handle, rxBuffer.data(), count, &done);
    checked("FT_Read", lastIoStatus);
    return lastIoStatus == ft::OK ? done : 0;
}

uint32_t D2XXUnit::WriteFTDevice(uint32_t count)
{
    uint32_t done = 0;
    count = std::min<uint32_t>(count, uint32_t(txBuffer.size()));
    lastIoStatus = driver_.Write(handle, txBuffer.data(), count, &done);
    checked("FT_Write", lastIoStatus);
    return lastIoStatus == ft::OK ? done : 0;
}

FtStatus D2XXUnit::SetFTBaudRate()
{
    return checked("FT_SetBaudRate", driver_.SetBaudRate(handle, baudRate));
}

FtStatus D2XXUnit::SetFTDataCharacteristics()
{
    return checked("FT_SetDataCharacteristics",
                   driver_.SetDataCharacteristics(handle, wordLength, stopBits, parity));
}

FtStatus D2XXUnit::PurgeFTReceive()
{
    return checked("FT_Purge RX", driver_.Purge(handle, ft::PURGE_RX));
}

FtStatus D2XXUnit::PurgeFTTransmit()
{
    return checked("FT_Purge TX", driver_.Purge(handle, ft::PURGE_TX));
}

FtStatus D2XXUnit::GetFTQueueStatus()
{
    return checked("FT_GetStatus",
                   driver_.GetStatus(handle, &rxQueueBytes, &txQueueBytes, &eventStatus));
}

QString D2XXUnit::errorSuffix(FtStatus status)
{
    static const char *const suffixes[] = {
        "",
        " - Invalid handle...",
        " - Device not found...",
        " - Device not opened...",
        " - General IO error...",
        " - Insufficient resources...",
        " - Invalid parameter...",
        " - Invalid baud rate...",
        " Device not opened for erase...",
        " Device not opened for write...",
        " - Failed to write...",
        " - EEPROM read failed...",
        " - EEPROM write failed...",
        " - EEPROM erase failed...",
        " - EEPROM not present...",
        " - EEPROM not programmed...",
        " - Invalid arguments...",
        " - Other error ...",
    };
    if (status < std::size(suffixes))
        return QString::fromLatin1(suffixes[status]);
    // Statuses beyond the driver's documented set: say so and give the number.
    return QStringLiteral(" - Unknown error (%1)...").arg(status);
}

QString D2XXUnit::openFailureAdvice(const OpenFailureInfo &failure)
{
    const QString device =
        failure.device.empty() ? QString() : " " + QString::fromStdString(failure.device);
    switch (failure.cause) {
    case OpenFailure::NoPermission:
        return QStringLiteral(
                   "Нет прав на чтение и запись порта%1.\n"
                   "Доступ даёт правило udev 70-zet-service.rules: оно ставится вместе с пакетом "
                   "программы, при установке вручную скопируйте его в /etc/udev/rules.d, выполните "
                   "«sudo udevadm control --reload» и «sudo udevadm trigger» или переподключите "
                   "преобразователь.\n"
                   "Либо добавьте себя в группу dialout («sudo usermod -aG dialout $USER») и "
                   "войдите в систему заново.")
            .arg(device);
    case OpenFailure::InUse:
        return QStringLiteral(
                   "Порт%1 занят другой программой. Закройте её и откройте преобразователь снова.")
            .arg(device);
    case OpenFailure::Unknown:
        break;
    }
    return {};
}

void D2XXUnit::ReportFTError(const QString &label, FtStatus status, const QString &advice)
{
    if (!errorReports || status == ft::OK)
        return;
    if (report_)
        report_(advice.isEmpty() ? label + errorSuffix(status)
                                 : label + errorSuffix(status) + "\n\n" + advice);
}

} // namespace zet
