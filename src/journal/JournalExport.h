#pragma once
// The journal's lines of one instrument written out as a CSV journal, without a
// window: `zet-service --journal-csv SERIAL FILE`.

#include <QString>

class QTextStream;

namespace zet {

// Every line with that serial number, oldest first, in the CSV journal's format.
// 0 when written; 1, with a Russian message on `err`, when the journal cannot be
// read, has no line of that serial number, or the file cannot be written.
int exportJournalCsv(const QString &location, const QString &serial, const QString &file,
                     QTextStream &err);

} // namespace zet
