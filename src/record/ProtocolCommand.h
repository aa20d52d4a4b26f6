#pragma once
// zet-service --protocol SERIAL FILE.pdf [--from DATE] [--to DATE] [--journal LOCATION]:
// the protocol of an instrument's service from the journal alone, without a window.

#include <QString>
#include <QStringList>

class QTextStream;

namespace zet {

// args: the program's arguments after its name, --protocol among them. Reads the
// journal (journal::defaultStoreLocation() unless --journal names a file or a
// postgresql:// server), takes the centre and the engineer from savedProtocolPeople()
// and writes the PDF. Dates are yyyy-MM-dd in local time, both days included.
// Returns the exit code: 0 written (a line on `out`); 1 the journal has no lines of that
// serial number in the dates, or the journal or the file could not be used; 2 bad
// arguments (a message on `err` either way). Makes an offscreen QGuiApplication when
// the program has no application object yet.
int runProtocolCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// The --protocol lines of the program's help.
QString protocolUsage();

} // namespace zet
