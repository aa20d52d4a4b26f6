// Which udev actions become device-change notifications, and a watcher that stays quiet
// where it has nothing to watch.

#include "link/DeviceWatcher.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace zet;

TEST(DeviceWatcher, OnlyAddAndRemoveBecomeNotifications)
{
    struct Case {
        const char *action;
        std::optional<unsigned> wParam;
    } cases[] = {
        {"add", 0x8000u},         {"remove", 0x8004u},      {"change", std::nullopt},
        {"bind", std::nullopt},   {"unbind", std::nullopt}, {"move", std::nullopt},
        {"online", std::nullopt}, {"ADD", std::nullopt},    {"", std::nullopt},
        {nullptr, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.action ? c.action : "(null)");
        EXPECT_EQ(wParamForUdevAction(c.action), c.wParam);
    }
}

// Wherever it runs (with udev, or in a container without it) the watcher comes and goes
// cleanly and, with no USB device plugged or pulled meanwhile, reports nothing.
TEST(DeviceWatcher, UdevWatcherIsQuietWithoutUsbChanges)
{
    for (int round = 0; round < 3; ++round) {
        auto watcher = std::make_unique<UdevDeviceWatcher>();
        QSignalSpy spy(watcher.get(), &DeviceChangeSource::deviceChange);
        QTest::qWait(30);
        EXPECT_EQ(spy.count(), 0);
        watcher.reset();
    }
}
