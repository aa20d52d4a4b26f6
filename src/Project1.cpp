// Program start: builds the converter list (real converters, extra serial ports
// given with --port, and the simulated instrument with --demo) and opens the main window.

#include "SimulatedDriver.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "link/CompositeDriver.h"
#include "link/DeviceWatcher.h"
#include "link/SerialPortDriver.h"
#include "ui/Multi_ZET.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

int finish(const zet::CommandLine &command)
{
    const bool failed = command.action == zet::CommandLine::Action::Fail;
    std::fputs(command.text.toLocal8Bit().constData(), failed ? stderr : stdout);
    return command.exitCode;
}

} // namespace

int main(int argc, char **argv)
{
    // Help, version and bad values are answered before the window system is needed. The
    // toolkit's own options are still in the list here, so unknown ones are passed over.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const zet::CommandLine early = zet::parseCommandLine(raw, zet::UnknownArguments::PassOver);
    if (early.action != zet::CommandLine::Action::Run)
        return finish(early);
    QApplication app(argc, argv);
    zet::prepareApplication();

    const zet::CommandLine command = zet::parseCommandLine(app.arguments());
    if (command.action != zet::CommandLine::Action::Run)
        return finish(command);

    auto driver = std::make_unique<zet::CompositeDriver>();
    driver->add(std::make_unique<zet::SerialPortDriver>(command.ports));
    if (command.demoType != 0)
        driver->add(std::make_unique<zet::sim::SimulatedDriver>(command.demoType));

    zet::UdevDeviceWatcher watcher;
    zet::TForm1 form(*driver, zet::Platform::desktop(), &watcher);
    zet::centreOnScreen(form);
    form.show();
    return app.exec();
}
