// Program start: builds the converter list (real converters, extra serial ports
// given with --port, and the simulated instrument with --demo) and opens the main window.

#include "SimulatedDriver.h"
#include "link/CompositeDriver.h"
#include "link/DeviceWatcher.h"
#include "link/SerialPortDriver.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zet-service"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Service tool for ZET series gas detectors"));
    parser.addHelpOption();
    QCommandLineOption portOpt(QStringLiteral("port"),
                               QStringLiteral("Add a serial device that is not an FTDI converter."),
                               QStringLiteral("PATH"));
    QCommandLineOption demoOpt(
        QStringLiteral("demo"),
        QStringLiteral("List a simulated instrument of TYPE 1..10 (default 10)."),
        QStringLiteral("TYPE"));
    parser.addOption(portOpt);
    parser.addOption(demoOpt);
    // "--demo" alone is allowed: give the option its default value.
    QStringList args = app.arguments();
    for (QString &a : args)
        if (a == QLatin1String("--demo"))
            a = QStringLiteral("--demo=10");
    parser.process(args);

    auto driver = std::make_unique<zet::CompositeDriver>();
    driver->add(std::make_unique<zet::SerialPortDriver>(parser.values(portOpt), true));
    if (parser.isSet(demoOpt)) {
        bool ok = false;
        const int type = parser.value(demoOpt).toInt(&ok);
        if (!ok || type < 1 || type > 10) {
            std::fprintf(stderr, "zet-service: --demo takes a device type from 1 to 10\n");
            return 2;
        }
        driver->add(std::make_unique<zet::sim::SimulatedDriver>(type));
    }

    zet::UdevDeviceWatcher watcher;
    zet::TForm1 form(*driver, zet::Platform::desktop(), &watcher);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    return app.exec();
}
