#include "journal/JournalExport.h"

#include "journal/JournalStore.h"

#include <QEventLoop>
#include <QTextStream>

namespace zet {

int exportJournalCsv(const QString &location, const QString &serial, const QString &file,
                     QTextStream &err)
{
    JournalStore store({.location = location});
    QEventLoop loop;
    LineQuery q;
    q.instrument.serial = serial;
    q.limit = 1;
    QString error;
    bool found = false;
    store.lines(q, [&](const QList<StoredLine> &lines, const QString &e) {
        error = e;
        found = !lines.isEmpty();
        loop.quit();
    });
    loop.exec();
    if (error.isEmpty() && !found)
        error = QStringLiteral("В журнале нет записей о приборе с заводским номером %1.").arg(serial);
    if (error.isEmpty()) {
        store.exportCsv({QString(), serial}, file, [&](const QString &e) {
            error = e;
            loop.quit();
        });
        loop.exec();
    }
    if (!error.isEmpty()) {
        err << error << '\n';
        return 1;
    }
    return 0;
}

} // namespace zet
