#include "link/DeviceWatcher.h"

#include <QSocketNotifier>

#include <cstring>

#include <libudev.h>

namespace zet {

std::optional<unsigned> wParamForUdevAction(const char *action)
{
    if (!action)
        return std::nullopt;
    if (std::strcmp(action, "add") == 0)
        return kDeviceArrival;
    if (std::strcmp(action, "remove") == 0)
        return kDeviceRemoveComplete;
    return std::nullopt;
}

UdevDeviceWatcher::UdevDeviceWatcher(QObject *parent) : DeviceChangeSource(parent)
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0)
        return;
    const int fd = udev_monitor_get_fd(m_monitor);
    if (fd < 0)
        return;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevDeviceWatcher::receive);
}

UdevDeviceWatcher::~UdevDeviceWatcher()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void UdevDeviceWatcher::receive()
{
    // The monitor socket is non-blocking: drain every queued event, then return.
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const std::optional<unsigned> wParam = wParamForUdevAction(udev_device_get_action(device));
        udev_device_unref(device);
        if (wParam)
            emit deviceChange(*wParam);
    }
}

} // namespace zet
