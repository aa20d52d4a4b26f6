#pragma once
// Reading one instrument's record from the journal without a window: the CSV journal
// (`zet-service --journal-csv SERIAL FILE`) and the way to the journal and the
// instrument that the protocol's command shares.

#include "journal/JournalDatabase.h"

#include <QString>

#include <optional>

class QTextStream;

namespace zet {

// Opens the journal at `location` (empty: the default file) to read; a SQLite file
// that is not there is not made. Not Ready: `error` says why in Russian.
enum class JournalOpened { Ready, BadLocation, Unavailable };
JournalOpened openJournalToRead(JournalDatabase &db, const QString &location, QString *error);

// The models with lines under `serial`, in name order; empty: none. nullopt with the
// reason in Russian when the journal cannot be read.
std::optional<QStringList> modelsOf(JournalDatabase &db, const QString &serial, QString *error);

// The lines as the CSV journal writes them (a byte-order mark, the header, a line
// each) into `file`, replaced only once whole; false with the reason in Russian.
bool writeCsvJournal(const QList<StoredLine> &lines, const QString &file, QString *error);

// Every line of the one instrument with that serial number, oldest first, in the CSV
// journal's format. 0 when written; 1, with a Russian message on `err`, when the
// journal cannot be read, has no line of that serial number or has it under several
// models, or the file cannot be written.
int exportJournalCsv(const QString &location, const QString &serial, const QString &file,
                     QTextStream &err);

} // namespace zet
