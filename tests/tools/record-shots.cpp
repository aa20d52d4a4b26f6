// Screenshots of the engineer's record after a simulated session (type 10,
// thresholds set and saved on two pages): the line monitor, the journal window, a
// chart's context menu, the device list page with its record buttons (and with lines
// waiting for an absent journal server), the "Журнал" settings and the protocol (PDF).
// record-shots [OUTDIR]
#include "RecordSession.h"
#include "platform/Platform.h"
#include "record/JournalSettings.h"
#include "record/JournalWindow.h"
#include "record/LineMonitor.h"
#include "record/ServiceRecord.h"

#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {

void usage(FILE *out)
{
    std::fputs("usage: record-shots [OUTDIR]\n"
               "Plays a simulated type 10 session (thresholds set and saved on two pages)\n"
               "and saves the line monitor, the journal window, a chart's context menu,\n"
               "the device list page, the journal settings and the protocol (PDF) in\n"
               "OUTDIR (default: shots).\n"
               "Runs offscreen by itself when there is no display.\n",
               out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && argv[1][0] == '-') {
        const bool help = std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0;
        if (!help)
            std::fprintf(stderr, "record-shots: unknown option %s\n", argv[1]);
        usage(help ? stdout : stderr);
        return help ? 0 : 2;
    }
    zet::offscreenWithoutDisplay();
    // The session's journal goes to a scratch folder.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "record-shots: cannot create %s\n", qPrintable(out));
        return 2;
    }
    auto save = [&out](QWidget *w, const char *name) {
        QApplication::processEvents();
        const QString file = out + QLatin1Char('/') + QLatin1String(name);
        w->grab().save(file);
        std::printf("%s\n", qPrintable(file));
    };

    zet::test::SimHarness s(10);
    s.form->move(0, 0);
    s.form->show();
    if (!zet::test::thresholdSession(s)) {
        std::fprintf(stderr, "record-shots: instrument not identified\n");
        return 1;
    }
    zet::ServiceRecord &record = s.form->record();

    // A few spoilt replies, so that the monitor shows what a check failure looks like.
    record.showMonitor();
    s.driver.faults().corrupt.probability = 0.3;
    zet::test::runClock(s, s.capture.now.addMSecs(-s.clock), 4000);
    s.driver.faults().corrupt.probability = 0;
    zet::test::runClock(s, s.capture.now.addMSecs(-s.clock), 1500);
    record.monitor()->table()->selectRow(record.monitor()->model().rowCount() - 3);
    save(record.monitor(), "line-monitor.png");
    record.monitor()->close();

    record.showJournal();
    for (int i = 0; i < 500 && record.journalWindow()->loading(); ++i)
        QTest::qWait(10);
    record.journalWindow()->resize(record.journalWindow()->width(), 300);
    save(record.journalWindow(), "journal.png");
    record.journalWindow()->close();

    // The chart's context menu, as the right button opens it (the screen, for the popup).
    s.form->pageControl()->setCurrentIndex(zet::page::Pressure);
    zet::test::runClock(s, s.capture.now.addMSecs(-s.clock), 2000);
    auto *chart = s.form->findChild<QChartView *>(QStringLiteral("Chart16"));
    emit chart->customContextMenuRequested(QPoint(120, 160));
    QTest::qWait(300);
    const QString menuFile = out + QStringLiteral("/chart-menu.png");
    QGuiApplication::primaryScreen()
        ->grabWindow(0, 0, 0, s.form->frameGeometry().right() + 160,
                     s.form->frameGeometry().bottom() + 1)
        .save(menuFile);
    std::printf("%s\n", qPrintable(menuFile));
    if (auto *menu = chart->findChild<QMenu *>(QStringLiteral("TrendMenu")))
        menu->close();

    s.form->pageControl()->setCurrentIndex(0);
    save(s.form.get(), "device-list.png");

    // The protocol of the session, the blocks as their pages were left.
    record.showJournal();
    for (int i = 0; i < 500 && record.journalWindow()->loading(); ++i)
        QTest::qWait(10);
    const QString pdf = out + QStringLiteral("/protocol.pdf");
    record.files().save = [&pdf](QWidget *, const QString &, const QString &, const QString &) {
        return pdf;
    };
    record.journalWindow()->writeProtocolFile();
    std::printf("%s\n", qPrintable(pdf));
    record.journalWindow()->close();

    {
        zet::JournalSettingsDialog settings(s.form->platform());
        settings.show();
        save(&settings, "journal-settings.png");
    }

    // A second session whose journal server does not answer: the device list says so.
    s.form->hide();
    zet::ServiceRecord::setJournalLocation(QStringLiteral("postgresql://engineer@127.0.0.1:1/zet"));
    zet::test::SimHarness away(10);
    away.form->show();
    if (!zet::test::thresholdSession(away))
        return 1;
    for (int i = 0; i < 500 && away.form->record().store().waiting() < 5; ++i)
        QTest::qWait(10);
    away.form->pageControl()->setCurrentIndex(0);
    save(away.form.get(), "device-list-waiting.png");
    return 0;
}
