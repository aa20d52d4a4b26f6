// Grabs each visible page of the main window, connected to the simulated
// instrument, into PNG files: zet-shots OUTDIR [TYPE...]
#include "SimHarness.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void usage(FILE *out)
{
    std::fputs("usage: zet-shots [OUTDIR [TYPE...]]\n"
               "Saves a PNG of every page the simulated instrument of each TYPE (1 to 10,\n"
               "default 10) shows, as OUTDIR/type<TYPE>-page<N>.png (OUTDIR default: shots).\n"
               "Runs offscreen by itself when there is no display. Exits with 1 when a type\n"
               "is not identified (type 8 is an unknown instrument), 2 on bad arguments.\n",
               out);
}

bool wanted(const char *arg, const char *shortName, const char *longName)
{
    return std::strcmp(arg, shortName) == 0 || std::strcmp(arg, longName) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (wanted(argv[i], "-h", "--help")) {
            usage(stdout);
            return 0;
        }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (argc > 1 && argv[1][0] == '-') {
        std::fprintf(stderr, "zet-shots: unknown option %s\n", argv[1]);
        usage(stderr);
        return 2;
    }
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QList<int> types;
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int type = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || type < 1 || type > 10) {
            std::fprintf(stderr, "zet-shots: not a device type from 1 to 10: %s\n", argv[i]);
            usage(stderr);
            return 2;
        }
        types << type;
    }
    if (types.isEmpty())
        types = {10};

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Серия ЗЕТ-75"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "zet-shots: cannot create %s\n", qPrintable(out));
        return 2;
    }
    int status = 0;
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
        }
    }
    return status;
}
