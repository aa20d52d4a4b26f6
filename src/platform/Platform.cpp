#include "platform/Platform.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QThread>

namespace zet {

Platform Platform::desktop()
{
    Platform p;
    p.message = [](MessageKind kind, const QString &text) {
        QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                        kApplicationTitle, text, QMessageBox::Ok);
        box.exec();
    };
    p.sleepMs = [](int ms) { QThread::msleep(ms); };
    p.processEvents = [] { QCoreApplication::processEvents(); };
    p.now = [] { return QDateTime::currentDateTime(); };
    p.nowMs = [] { return QDateTime::currentMSecsSinceEpoch(); };
    return p;
}

void offscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QStringList pictureDirectories(const QString &programDir)
{
    return {programDir, QDir::cleanPath(programDir + QStringLiteral("/../share/zet-service"))};
}

} // namespace zet
