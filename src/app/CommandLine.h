#pragma once
// The tool's command line: extra serial ports, the simulated instrument, or a text to
// print instead of starting (help, version, a refused argument).

#include <QString>
#include <QStringList>

namespace zet {

struct CommandLine {
    enum class Action {
        Run,   // start the window
        Print, // print text to standard output and end with exitCode
        Fail,  // print text to standard error and end with exitCode
    };
    Action action = Action::Run;
    QStringList ports;   // --port, in the order given
    int demoType = 0;    // --demo: instrument type 1..10 behind the simulated converter; 0: none
    bool list = false;   // --list: print the device list instead of starting the window
    bool doctor = false; // --doctor: print why converters may not appear or open
    QString journal;     // --journal: the journal's file or server for this run
    QString csvSerial;   // --journal-csv SERIAL FILE: write that instrument's lines and end
    QString csvFile;
    QString text;
    int exitCode = 0;
};

// How arguments the tool does not know are taken: refused, or passed over because the
// toolkit has not yet taken its own options (-platform offscreen, -style ...) out.
enum class UnknownArguments { Refuse, PassOver };

// args: the program name followed by its arguments.
CommandLine parseCommandLine(const QStringList &args,
                             UnknownArguments unknown = UnknownArguments::Refuse);

QString usageText();
QString versionText();

} // namespace zet
