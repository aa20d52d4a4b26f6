#pragma once
// One journal line written through the journal store: from append() to the store's
// word that the database committed it.

#include "Measure.h"

#include <string>

namespace zet::bench {

struct JournalTiming {
    Timing timing;
    std::string error; // why it was not measured
};

JournalTiming journalLineSqlite(int lines);
// Against a PostgreSQL server started for the measurement.
JournalTiming journalLinePostgres(int lines);

} // namespace zet::bench
