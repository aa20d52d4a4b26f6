// Grabs each visible page of the main window, connected to the simulated
// instrument, into PNG files: zet-shots OUTDIR [TYPE...]. "bench" instead of a
// type grabs the screen with the bench window open beside the main window and one
// socket selected (run it under Xvfb).
#include "SimHarness.h"
#include "ui/BenchLayout.h"
#include "ui/Unit2.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

static void benchShot(const QString &out)
{
    zet::test::SimHarness s(1);
    s.form->move(0, 0);
    s.form->show();
    if (!s.connect()) {
        std::fprintf(stderr, "bench: not identified\n");
        return;
    }
    s.click("Button72");
    zet::TForm2 *bench = s.form->benchWindow();
    bench->move(s.form->frameGeometry().right() + 12, 0);
    QTest::mouseClick(bench, Qt::LeftButton, {},
                      zet::bench::gridSocket(2, 5).client().center()); // channel 23
    s.run(2000);
    QTest::qWait(300);
    const QRect both = s.form->frameGeometry().united(bench->frameGeometry());
    QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, both.right() + 1, both.bottom() + 1);
    const QString file = out + QStringLiteral("/bench.png");
    shot.save(file);
    std::printf("%s\n", qPrintable(file));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Серия ЗЕТ-75"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(out);
    QList<int> types;
    bool bench = false;
    for (int i = 2; i < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("bench"))
            bench = true;
        else
            types << QString::fromLocal8Bit(argv[i]).toInt();
    }
    if (bench) {
        benchShot(out);
        if (types.isEmpty())
            return 0;
    }
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
        }
    }
    return 0;
}
