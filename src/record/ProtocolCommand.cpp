#include "record/ProtocolCommand.h"

#include "journal/JournalDatabase.h"
#include "journal/JournalExport.h"
#include "record/ServiceProtocol.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QTextStream>
#include <QUuid>

#include <memory>
#include <optional>

namespace zet {

namespace {

constexpr int kNotFound = 1;
constexpr int kBadArguments = 2;

struct Request {
    QString serial;
    QString file;
    QString journal;
    QDate from, to; // invalid: open
};

// Either the request or the reason it was refused.
struct Parsed {
    std::optional<Request> request;
    QString error;
};

Parsed refused(const QString &why) { return {std::nullopt, why}; }

std::optional<QDate> parseDate(const QString &text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

Parsed parse(const QStringList &args)
{
    Request r;
    bool protocol = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        // An option's value, given as the next argument or after '='.
        auto value = [&args, &i, &arg](const QString &name) -> std::optional<QString> {
            if (arg.startsWith(name + QLatin1Char('=')))
                return arg.mid(name.size() + 1);
            if (arg == name && i + 1 < args.size() && !args.at(i + 1).startsWith(QLatin1String("--")))
                return args.at(++i);
            return std::nullopt;
        };
        auto isOption = [&arg](const QString &name) {
            return arg == name || arg.startsWith(name + QLatin1Char('='));
        };
        if (arg == QLatin1String("--protocol")) {
            if (i + 2 >= args.size() || args.at(i + 1).startsWith(QLatin1Char('-')) ||
                args.at(i + 2).startsWith(QLatin1Char('-')))
                return refused(QStringLiteral("--protocol: укажите заводской номер прибора и "
                                              "файл PDF"));
            r.serial = args.at(++i).trimmed();
            r.file = args.at(++i);
            protocol = true;
        } else if (isOption(QStringLiteral("--from")) || isOption(QStringLiteral("--to"))) {
            const bool from = isOption(QStringLiteral("--from"));
            const QString name = from ? QStringLiteral("--from") : QStringLiteral("--to");
            const std::optional<QString> text = value(name);
            if (!text)
                return refused(QStringLiteral("%1: не указана дата (ГГГГ-ММ-ДД)").arg(name));
            const std::optional<QDate> date = parseDate(*text);
            if (!date)
                return refused(QStringLiteral("%1: дата должна быть в виде ГГГГ-ММ-ДД, "
                                              "а не «%2»")
                                   .arg(name, *text));
            (from ? r.from : r.to) = *date;
        } else if (isOption(QStringLiteral("--journal"))) {
            const std::optional<QString> text = value(QStringLiteral("--journal"));
            if (!text || text->trimmed().isEmpty())
                return refused(QStringLiteral("--journal: не указан файл журнала или адрес "
                                              "сервера"));
            r.journal = *text;
        } else {
            return refused(QStringLiteral("неизвестный параметр «%1»").arg(arg));
        }
    }
    if (!protocol)
        return refused(QStringLiteral("не указан --protocol"));
    bool digits = !r.serial.isEmpty();
    for (const QChar c : r.serial)
        digits = digits && c.isDigit();
    if (!digits)
        return refused(QStringLiteral("--protocol: заводской номер — число, а не «%1»")
                           .arg(r.serial));
    if (r.from.isValid() && r.to.isValid() && r.from > r.to)
        return refused(QStringLiteral("--from: дата начала позже даты конца"));
    return {r, QString()};
}

QString period(const Request &r)
{
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const QString format = QStringLiteral("dd.MM.yyyy");
    if (r.from.isValid() && r.to.isValid())
        return QStringLiteral("с %1 по %2").arg(ru.toString(r.from, format),
                                                ru.toString(r.to, format));
    if (r.from.isValid())
        return QStringLiteral("с %1").arg(ru.toString(r.from, format));
    if (r.to.isValid())
        return QStringLiteral("по %1").arg(ru.toString(r.to, format));
    return QStringLiteral("за всё время");
}

int fail(QTextStream &err, int code, const QString &text)
{
    err << QStringLiteral("zet-service: ") << text << '\n';
    if (code == kBadArguments)
        err << QStringLiteral("Справка: zet-service --help\n");
    err.flush();
    return code;
}

int run(const Request &r, QTextStream &out, QTextStream &err)
{
    QString why;
    JournalDatabase db(QStringLiteral("zet-protocol-") + QUuid::createUuid().toString());
    const JournalOpened opened = openJournalToRead(db, r.journal, &why);
    if (opened == JournalOpened::BadLocation)
        return fail(err, kBadArguments, QStringLiteral("--journal: ") + why);
    if (opened != JournalOpened::Ready)
        return fail(err, kNotFound, why);
    const std::optional<QStringList> models = modelsOf(db, r.serial, &why);
    if (!models)
        return fail(err, kNotFound, why);
    if (models->isEmpty())
        return fail(err, kNotFound,
                    QStringLiteral("в журнале нет прибора с заводским номером %1.").arg(r.serial));

    struct Found {
        Instrument instrument;
        QList<StoredLine> lines;
        QList<StoredState> states;
    };
    QList<Found> found;
    for (const QString &model : *models) {
        LineQuery query;
        query.instrument = {model, r.serial};
        if (r.from.isValid())
            query.from = r.from.startOfDay();
        if (r.to.isValid())
            query.to = r.to.addDays(1).startOfDay();
        query.newestFirst = false;
        const std::optional<QList<StoredLine>> lines = db.select(query);
        const std::optional<QList<StoredState>> states =
            lines ? db.states(query) : std::optional<QList<StoredState>>();
        if (!states)
            return fail(err, kNotFound,
                        QStringLiteral("журнал работ не прочитан: ") + db.message());
        if (!lines->isEmpty())
            found.append({query.instrument, *lines, *states});
    }
    if (found.isEmpty())
        return fail(err, kNotFound,
                    QStringLiteral("в журнале нет команд прибора № %1 %2.")
                        .arg(r.serial, period(r)));
    if (found.size() > 1) {
        QStringList names;
        for (const Found &f : found)
            names << f.instrument.model;
        return fail(err, kNotFound,
                    QStringLiteral("заводской номер %1 есть у нескольких моделей (%2); "
                                   "протокол составляется для одного прибора.")
                        .arg(r.serial, names.join(QStringLiteral(", "))));
    }

    const Found &f = found.front();
    ProtocolData data = protocolFromJournal(f.lines, f.instrument, f.states);
    const ProtocolPeople people = savedProtocolPeople();
    data.centre = people.centre;
    data.engineer = people.engineer;
    QString error;
    if (!writeProtocol(data, r.file, &error))
        return fail(err, kNotFound, error);
    out << QStringLiteral("Протокол обслуживания %1 № %2 записан в файл %3 (команд: %4).\n")
               .arg(data.model, data.serial, QDir::toNativeSeparators(r.file),
                    QString::number(data.commands.size()));
    out.flush();
    return 0;
}

} // namespace

QString protocolUsage()
{
    return QStringLiteral(
        "  --protocol НОМЕР ФАЙЛ.pdf [--from ДАТА] [--to ДАТА] [--journal ЖУРНАЛ]\n"
        "                  записать протокол обслуживания прибора с заводским номером\n"
        "                  НОМЕР по журналу работ, без окна; ДАТА в виде ГГГГ-ММ-ДД,\n"
        "                  оба дня включительно; ЖУРНАЛ — файл SQLite или\n"
        "                  postgresql://пользователь@сервер/база\n");
}

int runProtocolCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const Parsed parsed = parse(args);
    if (!parsed.request)
        return fail(err, kBadArguments, parsed.error);
    // Fonts and the PDF writer need a GUI application; without a window system the
    // offscreen one does.
    static char name[] = "zet-service", platform[] = "-platform", offscreen[] = "offscreen";
    static char *argv[] = {name, platform, offscreen, nullptr};
    static int argc = 3;
    std::unique_ptr<QGuiApplication> own;
    if (!QCoreApplication::instance())
        own = std::make_unique<QGuiApplication>(argc, argv);
    else if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return fail(err, kNotFound, QStringLiteral("протокол пишется только из программы с "
                                                   "графическим приложением Qt."));
    return run(*parsed.request, out, err);
}

} // namespace zet
