// Grabs each visible page of the main window, connected to the simulated
// instrument, into PNG files: zet-shots OUTDIR [TYPE...]
#include "SimHarness.h"
#include "ui/BenchLayout.h"
#include "ui/Unit2.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void usage(FILE *out)
{
    std::fputs("usage: zet-shots [OUTDIR [TYPE... | bench]]\n"
               "Saves a PNG of every page the simulated instrument of each TYPE (1 to 10,\n"
               "default 10) shows, as OUTDIR/type<TYPE>-page<N>.png (OUTDIR default: shots).\n"
               "Pages with a schematic in place of their chart also give\n"
               "OUTDIR/type<TYPE>-page<N>-picture.png.\n"
               "Runs offscreen by itself when there is no display. Exits with 1 when a type\n"
               "is not identified (type 8 is an unknown instrument), 2 on bad arguments.\n"
               "bench: OUTDIR/bench.png, the screen with the bench window beside the main\n"
               "window and one socket selected (run it under Xvfb).\n",
               out);
}

bool wanted(const char *arg, const char *shortName, const char *longName)
{
    return std::strcmp(arg, shortName) == 0 || std::strcmp(arg, longName) == 0;
}

// The screen with the bench window open beside the main window, one socket selected.
bool benchShot(const QString &out)
{
    zet::test::SimHarness s(1);
    s.form->move(0, 0);
    s.form->show();
    if (!s.connect())
        return false;
    s.click("Button72");
    zet::TForm2 *bench = s.form->benchWindow();
    bench->move(s.form->frameGeometry().right() + 12, 0);
    QTest::mouseClick(bench, Qt::LeftButton, {},
                      zet::bench::gridSocket(2, 5).client().center()); // channel 23
    s.run(2000);
    QTest::qWait(300);
    const QRect both = s.form->frameGeometry().united(bench->frameGeometry());
    const QString file = out + QStringLiteral("/bench.png");
    QGuiApplication::primaryScreen()
        ->grabWindow(0, 0, 0, both.right() + 1, both.bottom() + 1)
        .save(file);
    std::printf("%s\n", qPrintable(file));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (wanted(argv[i], "-h", "--help")) {
            usage(stdout);
            return 0;
        }
    zet::offscreenWithoutDisplay();

    if (argc > 1 && argv[1][0] == '-') {
        std::fprintf(stderr, "zet-shots: unknown option %s\n", argv[1]);
        usage(stderr);
        return 2;
    }
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QList<int> types;
    bool bench = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "bench") == 0) {
            bench = true;
            continue;
        }
        bool ok = false;
        const int type = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || type < 1 || type > 10) {
            std::fprintf(stderr, "zet-shots: not a device type from 1 to 10: %s\n", argv[i]);
            usage(stderr);
            return 2;
        }
        types << type;
    }
    if (types.isEmpty() && !bench)
        types = {10};

    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "zet-shots: cannot create %s\n", qPrintable(out));
        return 2;
    }
    int status = 0;
    if (bench && !benchShot(out)) {
        std::fprintf(stderr, "bench: not identified\n");
        status = 1;
    }
    for (int type : types) {
        zet::test::SimHarness s(type);
        s.form->show();
        s.form->grab().save(QStringLiteral("%1/type%2-page0.png").arg(out).arg(type));
        if (!s.connect()) {
            std::fprintf(stderr, "type %d: not identified\n", type);
            status = 1;
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
        // The device list with its selected row, then a page while the instrument is silent.
        s.form->pageControl()->setCurrentIndex(0);
        QApplication::processEvents();
        s.form->grab().save(QStringLiteral("%1/type%2-list.png").arg(out).arg(type));
        s.select(1);
        s.driver.faults().drop.probability = 1.0;
        s.run(3500);
        QApplication::processEvents();
        s.form->grab().save(QStringLiteral("%1/type%2-silent.png").arg(out).arg(type));
    }
    return status;
}
