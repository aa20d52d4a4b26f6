#include "app/CommandLine.h"

#include "connection/DeviceTypes.h"
#include "record/ProtocolCommand.h"

namespace zet {

namespace {

constexpr int kDefaultDemoType = 10;
constexpr int kFailureExit = 2;
constexpr int kTypeColumn = 6; // where a type's description starts in the help
constexpr int kHelpWidth = 80;

CommandLine failure(const QString &what)
{
    CommandLine c;
    c.action = CommandLine::Action::Fail;
    c.exitCode = kFailureExit;
    c.text = QStringLiteral("zet-service: %1\nСправка: zet-service --help\n").arg(what);
    return c;
}

CommandLine printing(const QString &text)
{
    CommandLine c;
    c.action = CommandLine::Action::Print;
    c.text = text;
    return c;
}

// The instrument behind the simulated converter, as the help lists it.
QString typeDescription(int type)
{
    const std::optional<DeviceTypeInfo> info = deviceTypeInfo(type);
    if (!info)
        return QStringLiteral("неизвестный прибор: программа сообщит об этом и закроется, "
                              "как и с настоящим");
    QStringList blocks;
    for (const ShownPage &p : info->pages)
        blocks << QString::fromUtf8(p.caption);
    return QString::fromUtf8(info->baseCaption) + ": " + blocks.join(QStringLiteral(", "));
}

// One help entry: the type number, then its description wrapped under itself.
QString typeEntry(int type)
{
    const QString indent(kTypeColumn, QLatin1Char(' '));
    QString out = QStringLiteral("  %1").arg(type, 2).leftJustified(kTypeColumn);
    int column = kTypeColumn;
    bool first = true;
    for (const QString &word : typeDescription(type).split(QLatin1Char(' '))) {
        if (!first && column + 1 + word.size() > kHelpWidth) {
            out += "\n" + indent;
            column = kTypeColumn;
            first = true;
        }
        if (!first) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += int(word.size());
        first = false;
    }
    return out + "\n";
}

} // namespace

QString versionText()
{
    return QStringLiteral("zet-service %1\n").arg(QStringLiteral(ZET_VERSION));
}

QString usageText()
{
    QString text = QStringLiteral(
        "Использование: zet-service [--port ПУТЬ]... [--demo [ТИП]] [--list | --doctor]\n"
        "                           [--journal МЕСТО] [--journal-csv НОМЕР ФАЙЛ]\n"
        "       zet-service --protocol НОМЕР ФАЙЛ.pdf [--from ДАТА] [--to ДАТА]\n"
        "Настройка приборов серии ЗЕТ. Подключите кабель прибора и откройте\n"
        "преобразователь двойным щелчком в списке устройств.\n"
        "\n"
        "  --port ПУТЬ     добавить в список последовательный порт, который не является\n"
        "                  преобразователем FTDI (можно указать несколько раз)\n"
        "  --demo [ТИП]    добавить в список симулятор прибора типа ТИП\n"
        "                  (по умолчанию 10); можно писать и --demo=ТИП\n"
        "  --list          напечатать список преобразователей (порт, обозначение,\n"
        "                  серийный номер, есть ли права на чтение и запись) и выйти\n"
        "  --doctor        объяснить, почему преобразователь не виден или не открывается\n"
        "                  и что сделать; код выхода 0, если хотя бы один готов к работе\n"
        "  --journal МЕСТО журнал работ в этом файле SQLite или на сервере PostgreSQL\n"
        "                  (postgresql://пользователь@сервер[:порт]/база; пароль берётся\n"
        "                  из ~/.pgpass или спрашивается); по умолчанию\n"
        "                  ~/.local/share/zet-service/journal.sqlite\n"
        "  --journal-csv НОМЕР ФАЙЛ\n"
        "                  выгрузить записи журнала о приборе с заводским номером НОМЕР\n"
        "                  в ФАЙЛ CSV и выйти\n"
        "  -h, --help      показать эту справку\n"
        "  -v, --version   показать версию программы\n");
    text += protocolUsage();
    text += QStringLiteral("\nТипы приборов для --demo:\n");
    for (int type = 1; type <= 10; ++type)
        text += typeEntry(type);
    return text;
}

CommandLine parseCommandLine(const QStringList &args, UnknownArguments unknown)
{
    CommandLine result;
    const QString demoPrefix = QStringLiteral("--demo=");
    const QString portPrefix = QStringLiteral("--port=");
    auto demoType = [](const QString &value, int *type) {
        bool ok = false;
        *type = value.trimmed().toInt(&ok);
        return ok && *type >= 1 && *type <= 10;
    };
    auto badType = [](const QString &value) {
        return failure(
            QStringLiteral("--demo: тип прибора должен быть числом от 1 до 10, а не «%1»")
                .arg(value));
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasNext = i + 1 < args.size();
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help") ||
            arg == QLatin1String("-?"))
            return printing(usageText());
        if (arg == QLatin1String("-v") || arg == QLatin1String("--version"))
            return printing(versionText());
        if (arg == QLatin1String("--list")) {
            result.list = true;
        } else if (arg == QLatin1String("--doctor")) {
            result.doctor = true;
        } else if (arg == QLatin1String("--demo")) {
            // The type may follow as its own argument; without one the default type is listed.
            int type = kDefaultDemoType;
            if (hasNext && !args.at(i + 1).startsWith(QLatin1Char('-'))) {
                if (!demoType(args.at(++i), &type))
                    return badType(args.at(i));
            }
            result.demoType = type;
        } else if (arg.startsWith(demoPrefix)) {
            const QString value = arg.mid(demoPrefix.size());
            if (!demoType(value, &result.demoType))
                return badType(value);
        } else if (arg == QLatin1String("--journal")) {
            if (!hasNext)
                return failure(QStringLiteral("--journal: не указано место журнала"));
            result.journal = args.at(++i);
        } else if (arg == QLatin1String("--journal-csv")) {
            if (i + 2 >= args.size())
                return failure(QStringLiteral("--journal-csv: укажите заводской номер и файл"));
            result.csvSerial = args.at(++i);
            result.csvFile = args.at(++i);
            bool number = false;
            result.csvSerial.toUInt(&number);
            if (!number)
                return failure(QStringLiteral("--journal-csv: заводской номер должен быть "
                                              "числом, а не «%1»")
                                   .arg(result.csvSerial));
        } else if (arg == QLatin1String("--port") || arg.startsWith(portPrefix)) {
            const bool separate = arg == QLatin1String("--port");
            if (separate && !hasNext)
                return failure(QStringLiteral("--port: не указан путь к порту"));
            const QString path = separate ? args.at(++i) : arg.mid(portPrefix.size());
            if (path.isEmpty())
                return failure(QStringLiteral("--port: не указан путь к порту"));
            result.ports << path;
        } else if (unknown == UnknownArguments::Refuse) {
            return failure(QStringLiteral("неизвестный параметр «%1»").arg(arg));
        }
    }
    if (result.list && result.doctor)
        return failure(QStringLiteral("--list и --doctor вместе не указываются"));
    return result;
}

} // namespace zet
