// Grabs each visible page of the main window, connected to the simulated
// instrument, into PNG files: zet-shots OUTDIR [TYPE...]
#include "SimHarness.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Серия ЗЕТ-75"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(out);
    QList<int> types;
    for (int i = 2; i < argc; ++i)
        types << QString::fromLocal8Bit(argv[i]).toInt();
    if (types.isEmpty())
        types = {10};
    for (int type : types) {
        zet::test::SimHarness s(type);
        s.form->show();
        s.form->grab().save(QStringLiteral("%1/type%2-page0.png").arg(out).arg(type));
        if (!s.connect()) {
            std::fprintf(stderr, "type %d: not identified\n", type);
            continue;
        }
        for (int page = 1; page < 15; ++page) {
            if (!s.form->pageControl()->isTabVisible(page))
                continue;
            s.select(page);
            s.run(8000);
            QApplication::processEvents();
            const QString file =
                QStringLiteral("%1/type%2-page%3.png").arg(out).arg(type).arg(page);
            s.form->grab().save(file);
            std::printf("%s\n", qPrintable(file));
            // Pages whose chart shares its place with a picture: the picture too.
            for (QPushButton *b : s.form->page(page)->findChildren<QPushButton *>()) {
                if (b->text() != QStringLiteral("Схема/График"))
                    continue;
                b->click();
                QApplication::processEvents();
                const QString shown =
                    QStringLiteral("%1/type%2-page%3-picture.png").arg(out).arg(type).arg(page);
                s.form->grab().save(shown);
                b->click();
                std::printf("%s\n", qPrintable(shown));
            }
        }
    }
    return 0;
}
