#pragma once
// Notifications that a USB device arrived or left, carried as the device-change codes
// the device list reacts to.

#include <QObject>

#include <optional>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace zet {

constexpr unsigned kDeviceArrival = 0x8000;
constexpr unsigned kDeviceRemoveComplete = 0x8004;

class DeviceChangeSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void deviceChange(unsigned wParam);
};

// The device-change code for a udev action: "add" and "remove" only.
std::optional<unsigned> wParamForUdevAction(const char *action);

// Watches USB device add/remove through udev. Where udev cannot be reached it stays
// silent and never reports anything.
class UdevDeviceWatcher : public DeviceChangeSource {
    Q_OBJECT
public:
    explicit UdevDeviceWatcher(QObject *parent = nullptr);
    ~UdevDeviceWatcher() override;

    bool isWatching() const { return notifier_ != nullptr; }

private:
    void receive();

    udev *udev_ = nullptr;
    udev_monitor *monitor_ = nullptr;
    QSocketNotifier *notifier_ = nullptr;
};

// A source fired by hand (tests, tools without udev).
class ManualDeviceChangeSource : public DeviceChangeSource {
    Q_OBJECT
public:
    using DeviceChangeSource::DeviceChangeSource;

    void fire(unsigned wParam) { emit deviceChange(wParam); }
};

} // namespace zet
