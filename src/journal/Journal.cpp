#include "journal/Journal.h"

#include "platform/Format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zet {

namespace journal {

QString defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zet-service/journal");
}

QStringList header()
{
    return {QStringLiteral("Время"),           QStringLiteral("Модель"),
            QStringLiteral("Заводской номер"), QStringLiteral("Страница"),
            QStringLiteral("Адрес блока"),     QStringLiteral("Кнопка"),
            QStringLiteral("Код команды"),     QStringLiteral("Параметры"),
            QStringLiteral("Статус ответа"),   QStringLiteral("Подтверждение")};
}

QStringList fields(const JournalEntry &e)
{
    // Local time with its offset, so that lines from either side of a clock change
    // still read unambiguously.
    const QDateTime local = e.time.toOffsetFromUtc(e.time.offsetFromUtc());
    QStringList f(ColumnCount);
    f[Time] = local.toString(Qt::ISODate);
    f[Model] = e.instrument.model;
    f[Serial] = e.instrument.serial;
    f[Page] = e.page;
    f[Address] = QString::number(e.address);
    f[Button] = e.button;
    f[Code] = QString::number(e.code);
    f[Parameters] = e.parameters;
    if (e.status)
        f[Status] = QStringLiteral("0x") + hexByte(*e.status);
    f[Acknowledged] = e.status ? kAcknowledged : kUnacknowledged;
    return f;
}

QByteArray csvLine(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            line += ';';
        const QString &f = fields[i];
        const bool quote = f.contains(QLatin1Char(';')) || f.contains(QLatin1Char('"')) ||
                           f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r')) ||
                           f != f.trimmed();
        if (quote) {
            QString q = f;
            q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            line += '"' + q.toUtf8() + '"';
        } else {
            line += f.toUtf8();
        }
    }
    line += '\n';
    return line;
}

QList<QStringList> parseCsv(const QByteArray &data)
{
    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool any = false; // something of the current record has been read
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
            any = true;
        } else if (c == QLatin1Char(';')) {
            record << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\n')) {
            if (any || !field.isEmpty()) {
                record << field;
                records << record;
            }
            record.clear();
            field.clear();
            any = false;
        } else if (c != QLatin1Char('\r')) {
            field += c;
            any = true;
        }
    }
    // A last line cut short (the program was killed while writing it) is still shown.
    if (any || !field.isEmpty()) {
        record << field;
        records << record;
    }
    return records;
}

} // namespace journal

namespace {

QString reason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
    case EROFS:
        return QStringLiteral("файловая система доступна только для чтения");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("нет места на диске");
    case ENOTDIR:
    case ENOENT:
        return QStringLiteral("путь к папке занят файлом или недоступен");
    default:
        return QStringLiteral("ошибка ввода-вывода %1").arg(error);
    }
}

// Writes all of `data`, retrying after interruptions; false with errno set.
bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

JournalWriter::JournalWriter(QString directory, std::function<void(const QString &)> failed)
    : directory_(std::move(directory)), failed_(std::move(failed))
{
}

QString JournalWriter::fileFor(const Instrument &instrument) const
{
    QString model;
    for (const QChar c : instrument.model)
        if (c.isLetterOrNumber() || c == QLatin1Char('-'))
            model += c;
    return directory_ + QLatin1Char('/') + model + QLatin1Char('_') + instrument.serial +
           QStringLiteral(".csv");
}

// The journal's own folders are private to the user; folders above it are made as
// the system would make them.
bool JournalWriter::makeDirectory(QString &error)
{
    if (QFileInfo(directory_).isDir())
        return true;
    const QString parent = QFileInfo(directory_).path();
    const QString parentOfParent = QFileInfo(parent).path();
    if (!QFileInfo(parentOfParent).isDir() && !QDir().mkpath(parentOfParent)) {
        error = reason(EACCES);
        return false;
    }
    for (const QString &dir : {parent, directory_}) {
        if (QFileInfo(dir).isDir())
            continue;
        if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST) {
            error = reason(errno);
            return false;
        }
    }
    return true;
}

bool JournalWriter::append(const JournalEntry &entry)
{
    QString error;
    if (!makeDirectory(error)) {
        fail(error);
        return false;
    }
    const QByteArray path = QFile::encodeName(fileFor(entry.instrument));
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail(reason(errno));
        return false;
    }
    struct stat st {};
    QByteArray data;
    if (::fstat(fd, &st) == 0 && st.st_size == 0)
        data = QByteArray("\xEF\xBB\xBF") + journal::csvLine(journal::header());
    data += journal::csvLine(journal::fields(entry));
    // On the disk before it counts as written: a killed program or a lost supply
    // keeps every line it reported.
    bool ok = writeAll(fd, data) && ::fdatasync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok)
        fail(reason(err));
    return ok;
}

void JournalWriter::fail(const QString &why)
{
    // Once per run: the engineer learns it, and the work goes on without the journal.
    if (reported_)
        return;
    reported_ = true;
    if (failed_)
        failed_(QStringLiteral("Журнал работ не записывается в папку %1: %2.\n"
                               "Программа продолжает работу без журнала.")
                    .arg(QDir::toNativeSeparators(directory_), why));
}

} // namespace zet
