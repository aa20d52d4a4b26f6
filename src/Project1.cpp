// Program start: builds the converter list (real converters, extra serial ports
// given with --port, and the simulated instrument with --demo) and opens the main window;
// or prints that list (--list) or why a converter is missing from it (--doctor).

#include "SimulatedDriver.h"
#include "app/Application.h"
#include "app/CommandLine.h"
#include "link/CompositeDriver.h"
#include "link/DeviceWatcher.h"
#include "link/Doctor.h"
#include "journal/JournalExport.h"
#include "link/SerialPortDriver.h"
#include "record/ProtocolCommand.h"
#include "record/ServiceRecord.h"
#include "ui/Multi_ZET.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

int finish(const zet::CommandLine &command)
{
    const bool failed = command.action == zet::CommandLine::Action::Fail;
    std::fputs(command.text.toLocal8Bit().constData(), failed ? stderr : stdout);
    return command.exitCode;
}

// --list and --doctor: read the machine, print, end; no window system involved.
int report(const zet::CommandLine &command)
{
    const zet::DoctorSystem system = zet::DoctorSystem::live();
    if (command.doctor) {
        const zet::DoctorReport r = zet::diagnose(system, command.ports);
        std::fputs(r.text.toLocal8Bit().constData(), stdout);
        return r.exitCode;
    }
    std::vector<zet::ListedPort> ports = zet::listedPorts(system, command.ports);
    if (command.demoType != 0) {
        zet::sim::SimulatedDriver simulated(command.demoType);
        char description[zet::ft::DESCRIPTION_BUFFER_SIZE + 1] = {};
        char serial[zet::ft::SERIAL_BUFFER_SIZE + 1] = {};
        simulated.ListDevices(nullptr, description,
                              zet::ft::LIST_BY_INDEX | zet::ft::OPEN_BY_DESCRIPTION);
        simulated.ListDevices(nullptr, serial,
                              zet::ft::LIST_BY_INDEX | zet::ft::OPEN_BY_SERIAL_NUMBER);
        zet::ListedPort row;
        row.path = QStringLiteral("—");
        row.description = QString::fromUtf8(description);
        row.serial = QString::fromUtf8(serial);
        row.simulated = true;
        ports.push_back(row);
    }
    std::fputs(zet::listText(ports).toLocal8Bit().constData(), stdout);
    return 0;
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
    if (early.list || early.doctor) {
        const zet::CommandLine command = zet::parseCommandLine(raw);
        return command.action == zet::CommandLine::Action::Run ? report(command) : finish(command);
    }
    if (raw.contains(QStringLiteral("--protocol"))) {
        QTextStream out(stdout), err(stderr);
        return zet::runProtocolCommand(raw.mid(1), out, err);
    }
    if (!early.csvSerial.isEmpty()) {
        const zet::CommandLine command = zet::parseCommandLine(raw);
        if (command.action != zet::CommandLine::Action::Run)
            return finish(command);
        QCoreApplication app(argc, argv);
        QTextStream err(stderr);
        return zet::exportJournalCsv(command.journal, command.csvSerial, command.csvFile, err);
    }
    QApplication app(argc, argv);
    zet::prepareApplication();

    const zet::CommandLine command = zet::parseCommandLine(app.arguments());
    if (command.action != zet::CommandLine::Action::Run)
        return finish(command);

    zet::ServiceRecord::setJournalLocation(command.journal);
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
