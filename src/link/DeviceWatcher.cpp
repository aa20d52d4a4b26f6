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
    udev_ = udev_new();
    if (!udev_)
        return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_)
        return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
        return;
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0)
        return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UdevDeviceWatcher::receive);
}

UdevDeviceWatcher::~UdevDeviceWatcher()
{
    delete notifier_;
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

void UdevDeviceWatcher::receive()
{
    // The monitor socket is non-blocking: drain every queued event, then return.
    while (udev_device *device = udev_monitor_receive_device(monitor_)) {
        const std::optional<unsigned> wParam = wParamForUdevAction(udev_device_get_action(device));
        udev_device_unref(device);
        if (wParam)
            emit deviceChange(*wParam);
    }
}

} // namespace zet
