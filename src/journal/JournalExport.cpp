#include "journal/JournalExport.h"

#include "journal/JournalStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QUuid>

namespace zet {

JournalOpened openJournalToRead(JournalDatabase &db, const QString &location, QString *error)
{
    const std::optional<JournalLocation> where = JournalLocation::parse(
        location.isEmpty() ? journal::defaultStoreLocation() : location, error);
    if (!where)
        return JournalOpened::BadLocation;
    if (where->kind == JournalLocation::Sqlite && !QFileInfo(where->file).isFile()) {
        *error = QStringLiteral("Журнал работ %1 не найден.").arg(where->display());
        return JournalOpened::Unavailable;
    }
    if (db.open(*where) != JournalDatabase::State::Ready) {
        *error = QStringLiteral("Журнал работ не прочитан: ") + db.message();
        return JournalOpened::Unavailable;
    }
    return JournalOpened::Ready;
}

std::optional<QStringList> modelsOf(JournalDatabase &db, const QString &serial, QString *error)
{
    std::optional<QStringList> models = db.models(serial);
    if (!models)
        *error = QStringLiteral("Журнал работ не прочитан: ") + db.message();
    return models;
}

bool writeCsvJournal(const QList<StoredLine> &lines, const QString &file, QString *error)
{
    QByteArray data = QByteArray("\xEF\xBB\xBF") + journal::csvLine(journal::header());
    for (const StoredLine &line : lines)
        data += journal::csvLine(journal::fields(line.entry));
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(data) == data.size() && out.commit())
        return true;
    *error = QStringLiteral("Журнал не выгружен в файл %1: %2.")
                 .arg(QDir::toNativeSeparators(file), out.errorString());
    return false;
}

int exportJournalCsv(const QString &location, const QString &serial, const QString &file,
                     QTextStream &err)
{
    QString error;
    JournalDatabase db(QStringLiteral("zet-csv-") + QUuid::createUuid().toString());
    std::optional<QStringList> models;
    if (openJournalToRead(db, location, &error) == JournalOpened::Ready)
        models = modelsOf(db, serial, &error);
    if (models && models->isEmpty())
        error = QStringLiteral("В журнале нет записей о приборе с заводским номером %1.").arg(serial);
    else if (models && models->size() > 1)
        error = QStringLiteral("Заводской номер %1 есть у нескольких моделей (%2); журнал "
                               "выгружается для одного прибора.")
                    .arg(serial, models->join(QStringLiteral(", ")));
    if (error.isEmpty()) {
        LineQuery query;
        query.instrument = {models->front(), serial};
        query.newestFirst = false;
        const std::optional<QList<StoredLine>> lines = db.select(query);
        if (!lines)
            error = QStringLiteral("Журнал работ не прочитан: ") + db.message();
        else
            writeCsvJournal(*lines, file, &error);
    }
    if (!error.isEmpty()) {
        err << error << '\n';
        return 1;
    }
    return 0;
}

} // namespace zet
