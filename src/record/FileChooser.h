#pragma once
// Where the record windows ask for a file name, replaceable so that tests need no
// dialog.

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

namespace zet {

struct Platform;

struct FileChooser {
    // The chosen path, or empty when the engineer cancels. `path` is the folder or
    // the suggested file; `filter` as Qt's file dialogs take it.
    using Ask = std::function<QString(QWidget *parent, const QString &title, const QString &path,
                                      const QString &filter)>;
    Ask save;
    Ask open;

    // Qt's file dialogs.
    static FileChooser desktop();
};

// Writes a whole file; a failure is told to the engineer, and false returned.
bool saveFile(const QString &path, const QByteArray &data, Platform &platform);

} // namespace zet
