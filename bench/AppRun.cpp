#include "AppRun.h"

#include "CpuTime.h"
#include "FirstPaint.h"
#include "SimulatedDriver.h"
#include "app/Application.h"
#include "link/CompositeDriver.h"
#include "link/DeviceWatcher.h"
#include "link/SerialPortDriver.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <memory>

namespace zet::bench {

int runApp(int argc, char **argv, AppRun what, int seconds)
{
    // As src/Project1.cpp starts the program (no options; --demo 10 when polling).
    QApplication app(argc, argv);
    prepareApplication();
    auto driver = std::make_unique<CompositeDriver>();
    driver->add(std::make_unique<SerialPortDriver>(QStringList()));
    // The simulated instrument only where it is polled: the tool without --demo has none.
    QString simulatedSerial;
    if (what == AppRun::Poll) {
        auto simulated = std::make_unique<sim::SimulatedDriver>(10);
        simulatedSerial = QString::fromStdString(simulated->serialNumber());
        driver->add(std::move(simulated));
    }
    UdevDeviceWatcher watcher;
    TForm1 form(*driver, Platform::desktop(), &watcher);
    centreOnScreen(form);

    std::unique_ptr<FirstPaint> painted;
    if (what == AppRun::FirstPaint)
        painted = std::make_unique<FirstPaint>(&form);
    form.show();
    if (what == AppRun::Poll) {
        QTimer::singleShot(500, &form, [&] {
            auto *list = form.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
            const auto rows = list->findItems(simulatedSerial, Qt::MatchExactly, 2);
            if (rows.isEmpty())
                return;
            list->setCurrentItem(rows.first());
            form.ListView1DblClick();
        });
        // Identified and on the base page well before the measurement starts.
        QTimer::singleShot(3000, &form, [&] {
            measureCpu(seconds, [&] { std::printf("type %d\n", form.session().deviceType); });
        });
    } else if (what == AppRun::Idle) {
        QTimer::singleShot(1000, &form, [&] { measureCpu(seconds, [] {}); });
    }
    return app.exec();
}

} // namespace zet::bench
