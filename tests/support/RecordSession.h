#pragma once
// A service session over the simulated instrument of type 10, with the window's
// clock going along: thresholds set and saved on the optical methane 100 % page
// and on the pressure page. For the journal test and its screenshot.

#include "SimHarness.h"
#include "journal/JournalStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>

namespace zet::test {

// One instrument's lines in the journal, oldest first, as the CSV export writes them;
// lines handed to the store before are in it (its worker takes requests in order).
inline QList<QStringList> journalLines(JournalStore &store, const Instrument &instrument)
{
    QCoreApplication::processEvents(); // lines the window hands over after the tick
    LineQuery q;
    q.instrument = instrument;
    q.newestFirst = false;
    std::optional<QList<QStringList>> got;
    store.lines(q, [&got](const QList<StoredLine> &lines, const QString &) {
        got.emplace();
        for (const StoredLine &l : lines)
            got->append(journal::fields(l.entry));
    });
    QElapsedTimer t;
    t.start();
    while (!got && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return got.value_or(QList<QStringList>{});
}

// Runs simulated time with the window's clock following it.
inline void runClock(SimHarness &s, const QDateTime &start, int ms)
{
    for (int t = 0; t < ms; t += 100) {
        s.run(100);
        s.capture.now = start.addMSecs(s.clock);
    }
}

inline bool thresholdSession(SimHarness &s)
{
    const QDateTime start = s.capture.now;
    if (!s.connect())
        return false;
    auto type = [&s](const char *field, const char *text) {
        s.form->findChild<QLineEdit *>(QString::fromLatin1(field))->setText(text);
    };
    auto press = [&](const char *button) {
        s.click(button);
        runClock(s, start, 4000);
    };
    s.select(page::OpticMethane100);
    runClock(s, start, 6000);
    type("MaskEdit27", "60");
    press("Button211");
    type("MaskEdit28", "120");
    type("MaskEdit29", "600");
    press("Button107");
    press("Button108");

    s.select(page::Pressure);
    runClock(s, start, 3000);
    type("MaskEdit42", "1750");
    type("MaskEdit45", "2000");
    press("Button157");
    press("Button158");
    return true;
}

} // namespace zet::test
