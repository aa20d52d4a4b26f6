#include "record/FileChooser.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

namespace zet {

FileChooser FileChooser::desktop()
{
    FileChooser c;
    c.save = [](QWidget *parent, const QString &title, const QString &path, const QString &filter) {
        return QFileDialog::getSaveFileName(parent, title, path, filter);
    };
    c.open = [](QWidget *parent, const QString &title, const QString &path, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, title, path, filter);
    };
    return c;
}

bool saveFile(const QString &path, const QByteArray &data, Platform &platform)
{
    // Written beside and renamed into place: a failure leaves no half file behind.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    QString why;
    switch (file.error()) {
    case QFileDevice::PermissionsError:
    case QFileDevice::OpenError:
        why = QStringLiteral("нет прав на запись в эту папку");
        break;
    case QFileDevice::ResourceError:
        why = QStringLiteral("нет места на диске");
        break;
    default:
        why = QStringLiteral("ошибка записи");
        break;
    }
    platform.message(MessageKind::Error, QStringLiteral("Не удалось сохранить файл %1: %2.")
                                             .arg(QDir::toNativeSeparators(path), why));
    return false;
}

} // namespace zet
