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
// The thermocatalytic page's receive tick while every few ticks a save is acknowledged
// and journalled, the journal's SQLite file being held by another writer `holdMs` at a
// time (a store made slow on purpose); `written` counts the lines it confirmed.
JournalTiming receiveTickOnSlowStore(int ticks, int holdMs, int *written);
// Leaving the thermocatalytic page while its block's state is to be kept (the chart's
// picture taken, made PNG and queued), against leaving it with nothing to keep
// (`withoutMs`).
JournalTiming stateKeptOnLeaving(int turns, double *withoutMs);
// From asking the journal window for an instrument's history to the window painted
// with it, the journal holding `lines` lines of that instrument.
JournalTiming journalWindowOpening(int lines);
// Against a PostgreSQL server started for the measurement.
JournalTiming journalLinePostgres(int lines);

} // namespace zet::bench
