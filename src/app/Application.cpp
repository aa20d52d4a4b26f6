#include "app/Application.h"

#include "app/AppIcon.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace zet {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("zet-service"));
    QApplication::setApplicationVersion(QStringLiteral(ZET_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zet-service"));
    QApplication::setWindowIcon(applicationIcon());
}

void centreOnScreen(QWidget &window)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

} // namespace zet
