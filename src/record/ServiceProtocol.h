#pragma once
// The protocol of one service as a PDF document for the customer: who serviced which
// instrument and when, every command sent with its answer, what the blocks read back
// after calibration, their final state and trend charts, and lines for signatures.
// Written with Qt's own PDF writer or sent to a printer; a QGuiApplication must exist.

#include "journal/Journal.h"

#include <QDate>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QPrinter;

namespace zet {

struct StoredLine;
struct StoredState;

struct ProtocolBlock {
    QString name;            // the page's caption, as the journal names it
    QString version;         // as the page shows it ("Версия 1.3"); empty: not read
    QStringList readBack;    // values read back after calibration, a line each
    QStringList finalStatus; // on/off, thresholds, faults: a line each
    QImage chart;            // the trend around the calibration; null: none
};

struct ProtocolData {
    QString centre;   // the service centre's name
    QString engineer; // who did the service
    QDate date;
    QString model, serial;
    std::vector<ProtocolBlock> blocks;
    std::vector<JournalEntry> commands; // in the order they were sent
};

// Writes the protocol as an A4 PDF; false with a Russian `error` (may be null) when the
// file could not be written. An existing file is replaced only once the new one is whole.
bool writeProtocol(const ProtocolData &data, const QString &pdfFile, QString *error);

// Prints the protocol on A4 sheets of `printer`, laid out as the PDF; false with a
// Russian `error` (may be null) when the printer cannot be used.
bool printProtocol(const ProtocolData &data, QPrinter &printer, QString *error);

// What the journal tells of one instrument's service: its commands in time order
// (lines of other instruments are left out) and one block per page they name, in the
// order first named, each with the version, read-backs, status and chart of the
// latest state kept of that page (left empty without one). The date is that of the
// last command; the centre and the engineer are left empty.
ProtocolData protocolFromJournal(const QList<StoredLine> &lines, const Instrument &instrument,
                                 const QList<StoredState> &states = {});

// The centre and the engineer printed on protocols, kept in the tool's settings
// (~/.config/zet-service/zet-service.conf, keys protocol/centre and protocol/engineer).
struct ProtocolPeople {
    QString centre;
    QString engineer;
};
ProtocolPeople savedProtocolPeople();
void saveProtocolPeople(const ProtocolPeople &people);

} // namespace zet
