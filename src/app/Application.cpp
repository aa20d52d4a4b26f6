#include "app/Application.h"

#include "app/AppIcon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QScreen>
#include <QWidget>

namespace zet {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("zet-service"));
    QApplication::setApplicationVersion(QStringLiteral(ZET_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zet-service"));
    QApplication::setWindowIcon(applicationIcon());
    // Qt's own dialogs (files, printing) in Russian where Debian's translations are
    // installed (qt6-translations-l10n); our own texts are Russian already.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

void centreOnScreen(QWidget &window)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

} // namespace zet
