// The engineer's record: the service journal written from clicks and answers, the
// journal window, trend export from a chart's menu, and the line monitor.

#include "PageChecks.h"
#include "RecordSession.h"
#include "TempPostgres.h"
#include "journal/Journal.h"
#include "record/JournalSettings.h"
#include "record/JournalWindow.h"
#include "record/ServiceProtocol.h"
#include "record/LineMonitor.h"
#include "record/ProtocolCommand.h"
#include "record/ServiceRecord.h"
#include "journal/JournalStore.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTest>
#include <QThread>

#include <functional>

#include <sys/stat.h>

namespace zet::test {
namespace {

using zet::test::TempPostgres;

// A window whose journal goes to a fresh folder.
struct Record {
    QTemporaryDir home;
    std::unique_ptr<Harness> h;

    explicit Record(std::vector<ScriptedDriver::Row> rows = {{"USB <-> Serial", "FT1234AB"}})
    {
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        h = std::make_unique<Harness>(std::move(rows));
    }
    ServiceRecord &record() { return h->form->record(); }
    QString database() const { return home.path() + "/zet-service/journal.sqlite"; }
    // One instrument's journal lines ("ЗЕТ71_1234"), oldest first, as the CSV export
    // writes them.
    QList<QStringList> lines(const char *instrument)
    {
        const QString name = QString::fromUtf8(instrument);
        const Instrument which{name.section('_', 0, -2), name.section('_', -1)};
        if (h)
            return journalLines(record().store(), which);
        JournalStore store({.location = database()}); // the window has closed
        return journalLines(store, which);
    }
    void type(const char *field, const char *text)
    {
        h->find<QLineEdit>(field)->setText(QString::fromUtf8(text));
    }
    // One tick out, the block's answer to it back.
    void answer(uint8_t block, uint8_t status = 0x01)
    {
        const Frame sent = h->send();
        h->reply({block, sent[1], status, 0, 0, 0, 0});
    }
    // A tab click with the start-up commands answered.
    void to(int pageIndex, uint8_t block)
    {
        h->select(pageIndex);
        for (int n = h->form->session().queue.count; n > 0; --n)
            answer(block);
    }
};

QStringList line(std::initializer_list<const char *> fields)
{
    QStringList l;
    for (const char *f : fields)
        l << QString::fromUtf8(f);
    return l;
}

TEST(Journal, AcknowledgedCommandsGiveOneLineEachWithWhatWasEntered)
{
    Record r;
    enter(*r.h, 1, page::Tks, 3);
    r.type("MaskEdit1", " 250");
    r.type("MaskEdit2", "50");
    r.h->click("Button27");
    r.answer(3, 0x81);
    r.h->now = r.h->now.addSecs(30);
    r.h->click("Button25"); // save
    r.answer(3, 0x01);

    const QString time =
        r.h->now.addSecs(-30).toOffsetFromUtc(r.h->now.offsetFromUtc()).toString(Qt::ISODate);
    const QList<QStringList> lines = r.lines("ЗЕТ71_1234");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0],
              QStringList({time, "ЗЕТ71", "1234", "Блок ТКС", "131", "Применить", "10",
                           "C газа = 250 % х100; Порог1 = 50 % х100", "0x81", "подтверждена"}));
    EXPECT_EQ(lines[1].mid(journal::Button),
              line({"Сохранение параметров", "7", "", "0x01", "подтверждена"}));
    EXPECT_TRUE(lines[1][journal::Time].startsWith("2026-01-01T12:00:30"));

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(r.database()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The journal names what a click sent from the page's own table: where a field or
// its caption stands on screen does not matter.
TEST(Journal, MovingAFieldOrItsCaptionChangesNoLine)
{
    const auto lineAfter = [](const std::function<void(Harness &)> &move) {
        Record r;
        enter(*r.h, 1, page::Tks, 3);
        move(*r.h);
        r.type("MaskEdit1", "250");
        r.type("MaskEdit2", "50");
        r.type("MaskEdit3", "70");
        r.h->click("Button27");
        r.answer(3, 0x81);
        const QList<QStringList> lines = r.lines("ЗЕТ71_1234");
        return lines.value(0).mid(journal::Button);
    };
    const QStringList expected =
        line({"Применить", "10", "C газа = 250 % х100; Порог1 = 50 % х100", "0x81", "подтверждена"});
    EXPECT_EQ(lineAfter([](Harness &) {}), expected);
    // The gas field beside the other Apply button, its caption beside threshold 2.
    EXPECT_EQ(lineAfter([](Harness &h) {
                  h.find<QLineEdit>("MaskEdit1")->move(232, 110);
                  h.find<QLabel>("MaskEdit1Label")->move(232, 48);
                  h.find<QLabel>("MaskEdit3Label")->move(10, 9);
              }),
              expected);
}

// Only the block's answer with the command's own code acknowledges it; its status
// byte is the one written.
TEST(Journal, OnlyTheAnswerWithTheSameCodeFromTheSameBlockAcknowledges)
{
    struct Other {
        const char *what;
        Frame reply;
    };
    const Other kOthers[] = {
        {"status answer of the block", {3, 12, 0x55, 0, 0, 0, 0}},
        {"read-back answer of the block", {3, 4, 0x56, 0, 0, 0, 0}},
        {"same code from the base unit", {0, 7, 0x57, 0, 0, 0, 0}},
    };
    for (const Other &o : kOthers) {
        SCOPED_TRACE(o.what);
        Record r;
        enter(*r.h, 1, page::Tks, 3);
        r.h->click("Button25"); // "Сохранение параметров"
        EXPECT_EQ(r.h->send()[1], 7);
        r.h->reply({o.reply[0], o.reply[1], o.reply[2], 0, 0, 0, 0});
        EXPECT_TRUE(r.lines("ЗЕТ71_1234").isEmpty());
        r.h->send();
        r.h->reply({3, 7, 0x01, 0, 0, 0, 0});
        const QList<QStringList> lines = r.lines("ЗЕТ71_1234");
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0].mid(journal::Button),
                  line({"Сохранение параметров", "7", "", "0x01", "подтверждена"}));
    }
}

TEST(Journal, UnansweredSwitchOffIsMarkedAfterFiveSeconds)
{
    Record r;
    r.h->connect(1);
    r.h->click("Button2"); // "ВЫКЛ."
    const QDateTime clicked = r.h->now;
    for (int ms : {0, 350, 4900}) {
        r.h->now = clicked.addMSecs(ms);
        EXPECT_EQ(r.h->send()[1], 8);
    }
    EXPECT_TRUE(r.lines("ЗЕТ71_1234").isEmpty());
    r.h->now = clicked.addMSecs(5000);
    r.h->send();
    const QList<QStringList> lines = r.lines("ЗЕТ71_1234");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].mid(journal::Page),
              line({"База ЗЕТ-71", "128", "ВЫКЛ.", "8", "", "", "нет ответа"}));
    // A late answer adds nothing.
    r.h->reply({0, 8, 0, 0, 0, 0, 0});
    EXPECT_EQ(r.lines("ЗЕТ71_1234").size(), 1);

    // A command still waiting when the program ends is written as unanswered.
    r.h->connect(1);
    r.h->click("Button4"); // "Рабочий режим"
    r.h->send();
    r.h.reset();
    ASSERT_EQ(r.lines("ЗЕТ71_1234").size(), 2);
    EXPECT_EQ(r.lines("ЗЕТ71_1234")[1].mid(journal::Button),
              line({"Рабочий режим", "7", "", "", "нет ответа"}));
}

TEST(Journal, PollsReadBacksAndThePollRuleAreNotJournalled)
{
    Record r;
    enter(*r.h, 1, page::Tks, 3); // the entry queue: on and three reads
    for (int i = 0; i < 5; ++i)
        r.answer(3);
    for (const char *read : {"Button28", "Button29"}) { // read back, defaults
        r.h->click(read);
        for (int i = 0; i < 4; ++i)
            r.answer(3);
    }
    EXPECT_TRUE(r.lines("ЗЕТ71_1234").isEmpty());

    // The pump keeps stepping by itself after one click: one line.
    r.h->select(page::Pump);
    r.answer(15);
    r.h->click("Button12");
    for (int i = 0; i < 6; ++i)
        r.answer(15);
    const QList<QStringList> lines = r.lines("ЗЕТ71_1234");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0][journal::Code], "1");
    EXPECT_EQ(lines[0][journal::Button], ">>");
}

TEST(Journal, RefusedEntryGivesNoLineThoughTicksRanDuringItsMessage)
{
    Record r;
    r.h->connect(10);
    r.h->select(page::OpticPropane); // queues 5, 2, 13, 3, 4, 9
    r.type("MaskEdit38", "x");
    // The message box lets the ticks run while it is open.
    r.h->form->platform().message = [&r](MessageKind, const QString &) { r.answer(28); };
    r.h->click("Button147");
    for (int i = 0; i < 8; ++i)
        r.answer(28);
    EXPECT_TRUE(r.lines("ЗЕТ 75_1234").isEmpty());
}

TEST(Journal, FrontEndWriteAndThresholdFourOnTheOxygenPage)
{
    Record r;
    r.h->connect(7);
    r.to(page::Oxygen, 22);
    // The version answer's registers select every group: 0x12, 0xB4, 0x83.
    r.h->reply({22, 9, 0x00, 0x21, 0x12, 0xB4, 0x83});
    r.h->click("Button75"); // "Запись"
    r.answer(22);
    r.h->click("Button74"); // "Чтение": a read
    r.answer(22);
    r.type("MaskEdit21", "300");
    r.h->click("Button115");
    r.answer(22);
    const QList<QStringList> lines = r.lines("ЗЕТ-74_1234");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0][journal::Code], "33");
    EXPECT_EQ(lines[0][journal::Parameters],
              "R_Load: 50 Ом; R_TIA: 14 кОм; U_опоры: Внешнее; U_нуля: 50%; Полярность: Позитив; "
              "Смещение: 6%; FET: Включен; Режим: Рабочий");
    EXPECT_EQ(lines[1].mid(journal::Button, 3), line({"Применить", "8", "Порог 4 = 300 % х10"}));
}

TEST(Journal, TwoInstrumentsTwoFiles)
{
    Record r({{"USB <-> Serial", "FT1"}, {"USB <-> Serial", "FT2"}});
    for (int row : {0, 1}) {
        r.h->open(row);
        r.h->reply({0, 9, 0, 0, 1, uint8_t(row ? 0xAE : 0x57), uint8_t(row ? 0x08 : 0x04)});
        r.to(page::Tks, 3);
        r.h->click("Button15"); // off
        r.answer(3);
    }
    EXPECT_EQ(r.lines("ЗЕТ71_1111").size(), 1);
    EXPECT_EQ(r.lines("ЗЕТ71_2222").size(), 1);
    EXPECT_EQ(r.lines("ЗЕТ71_2222")[0][journal::Serial], "2222");
}

// Run by KilledRightAfterALineKeepsIt in a process of its own, which it kills.
TEST(JournalChild, DISABLED_WritesAndWaitsToBeKilled)
{
    const QByteArray home = qgetenv("ZET_CHILD_DATA_HOME");
    if (home.isEmpty())
        GTEST_SKIP();
    qputenv("XDG_DATA_HOME", home);
    Harness h;
    enter(h, 1, page::Tks, 3);
    h.click("Button25");
    const Frame sent = h.send();
    h.reply({3, sent[1], 0x01, 0, 0, 0, 0});
    QElapsedTimer t;
    t.start();
    while (h.form->record().linesConfirmed() < 1 && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (h.form->record().linesConfirmed() == 1)
        std::printf("written\n");
    std::fflush(stdout);
    QThread::sleep(60);
}

TEST(Journal, KilledRightAfterALineKeepsIt)
{
    QTemporaryDir home;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZET_CHILD_DATA_HOME", home.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 "--gtest_filter=JournalChild.DISABLED_WritesAndWaitsToBeKilled"});
    QByteArray out;
    while (!out.contains("written") && child.waitForReadyRead(20000))
        out += child.readAllStandardOutput();
    ASSERT_TRUE(out.contains("written")) << out.constData();
    child.kill();
    ASSERT_TRUE(child.waitForFinished(5000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    JournalStore store({.location = home.path() + "/zet-service/journal.sqlite"});
    const QList<QStringList> records = journalLines(store, {"ЗЕТ71", "1234"});
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0][journal::Button], "Сохранение параметров");
}

TEST(Journal, DamagedDatabaseToldOnceLeftAsItIsAndTheToolGoesOn)
{
    Record r;
    QDir(r.home.path()).mkpath("zet-service");
    QFile damaged(r.database());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    const QByteArray garbage = QByteArray("SQLite format 3").append(4000, '\x5a');
    damaged.write(garbage);
    damaged.close();

    enter(*r.h, 1, page::Tks, 3);
    for (const char *b : {"Button25", "Button15", "Button25"}) {
        r.h->click(b);
        r.answer(3);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(r.lines("ЗЕТ71_1234").isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(r.h->messages.size(), 1);
    EXPECT_TRUE(r.h->messages[0].startsWith("Файл журнала ")) << r.h->messages[0].toStdString();
    EXPECT_EQ(r.h->messages[0].count("продолжает работу без журнала"), 1);
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), garbage);
    // Polling and the page go on.
    EXPECT_EQ(r.h->send(), frame({131, 12, 0, 0, 0, 0, 0}));
    r.h->reply({3, 12, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(r.h->text("Panel21"), "Сенсор выключен");
}

// With the server away, acknowledged lines wait on this machine and the device list
// says how many.
// A shared journal: lines waiting for a server that is away stay its own when the
// journal moves to another; that one wants a password the tool was not given, and the
// engineer is asked until it is right, once for the run; a ~/.pgpass line needs none.
TEST(Journal, AnotherServerItsPasswordAskedAndTheLinesWaitingStayTheirs)
{
    NEED_POSTGRES();
    TempPostgres server;
    QString error;
    ASSERT_TRUE(server.start(&error) && server.createDatabase("journal", &error))
        << error.toStdString();
    QTemporaryDir none;
    qputenv("PGPASSFILE", none.filePath("pgpass").toLocal8Bit());
    Record r;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, r.home.path() + "/config");
    QStringList asked;
    QStringList answers = {"не тот", TempPostgres::kPassword};
    r.record().setPasswordPrompt([&](QWidget *, const QString &where) -> std::optional<QString> {
        asked << where;
        return answers.isEmpty() ? std::nullopt : std::optional<QString>(answers.takeFirst());
    });
    auto command = [&r](const char *button) {
        r.h->click(button);
        r.answer(3);
    };
    auto waitFor = [](const std::function<bool()> &done) {
        QElapsedTimer t;
        for (t.start(); !done() && t.elapsed() < 30000;)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    saveJournalLocation("postgresql://engineer@127.0.0.1:1/journal");
    enter(*r.h, 1, page::Tks, 3);
    command("Button25");
    waitFor([&r] { return r.record().store().waiting() == 1; });
    QCoreApplication::processEvents();
    QLabel *state = r.h->find<QLabel>("JournalState");
    EXPECT_EQ(state->text(), "Журнал: нет связи с сервером, ожидают отправки: 1");
    EXPECT_FALSE(state->isHidden());
    EXPECT_TRUE(r.h->messages.isEmpty()); // waiting is not a failure

    saveJournalLocation(server.url("journal"));
    r.record().settingsChanged();
    command("Button15");
    waitFor([&r] { return r.record().linesConfirmed() == 1; });
    // Another engineer in the settings: the journal opened again asks nothing new.
    saveProtocolPeople({"", "Петров"});
    r.record().settingsChanged();
    command("Button25");
    waitFor([&r] { return r.record().linesConfirmed() == 2; });
    QTest::qWait(500); // time for anything else an outbox might send
    const QString where = QStringLiteral("zet@127.0.0.1:%1/journal").arg(server.port());
    EXPECT_EQ(asked, QStringList({where, where}));
    EXPECT_EQ(r.record().store().waiting(), 0);
    EXPECT_TRUE(state->isHidden());
    EXPECT_EQ(r.lines("ЗЕТ71_1234").size(), 2);

    QFile pgpass(none.filePath("pgpass"));
    ASSERT_TRUE(pgpass.open(QIODevice::WriteOnly));
    pgpass.write(QStringLiteral("127.0.0.1:%1:journal:zet:%2\n")
                     .arg(server.port())
                     .arg(TempPostgres::kPassword)
                     .toUtf8());
    pgpass.close();
    pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    r.h.reset();
    Record again;
    again.record().setPasswordPrompt([&](QWidget *, const QString &where) -> std::optional<QString> {
        asked << where;
        return std::nullopt;
    });
    enter(*again.h, 1, page::Tks, 3);
    again.h->click("Button25");
    again.answer(3);
    waitFor([&again] { return again.record().linesConfirmed() == 1; });
    qunsetenv("PGPASSFILE");
    saveJournalLocation({});
    EXPECT_EQ(again.record().linesConfirmed(), 1);
    EXPECT_EQ(asked.size(), 2);
}

// The blocks' states the journal holds of an instrument.
QList<StoredState> keptStates(JournalStore &store, const Instrument &instrument)
{
    std::optional<QList<StoredState>> got;
    store.states({.instrument = instrument},
                 [&got](const QList<StoredState> &states, const QString &) { got = states; });
    while (!got)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return *got;
}

// Waits for the window's lines to arrive.
void loaded(JournalWindow *w)
{
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    while (w->loading() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A place saved in the settings takes the lines from then on, in the running program;
// the lines before stay where they were written, and the history shows the new place.
TEST(Journal, NewPlaceFromTheSettingsTakesTheNextLines)
{
    Record r;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, r.home.path() + "/config");
    r.record().setStateDelay(60000);
    enter(*r.h, 1, page::Tks, 3);
    r.h->click("Button25");
    r.answer(3);
    ASSERT_EQ(r.lines("ЗЕТ71_1234").size(), 1);
    r.record().showJournal();
    const QString moved = r.home.path() + "/centre/journal.sqlite";
    saveJournalLocation(moved);
    r.record().settingsChanged();
    saveJournalLocation({});
    r.h->click("Button15");
    r.answer(3);
    ASSERT_EQ(r.lines("ЗЕТ71_1234").size(), 1); // the store open now: the new place
    JournalStore before({.location = r.database()});
    JournalStore after({.location = moved});
    const QList<QStringList> old = journalLines(before, {"ЗЕТ71", "1234"});
    const QList<QStringList> now = journalLines(after, {"ЗЕТ71", "1234"});
    ASSERT_EQ(old.size(), 1);
    ASSERT_EQ(now.size(), 1);
    // The block's state waiting then went with its line.
    EXPECT_EQ(keptStates(before, {"ЗЕТ71", "1234"}).size(), 1);
    EXPECT_EQ(keptStates(after, {"ЗЕТ71", "1234"}).size(), 0);
    EXPECT_NE(old[0][journal::Code], now[0][journal::Code]);
    JournalWindow *w = r.record().journalWindow();
    loaded(w);
    ASSERT_EQ(w->model().rowCount(), 1);
    EXPECT_EQ(w->model().text(0, journal::Code), now[0][journal::Code]);
}

TEST(JournalWindow, HistoryFromEveryWorkstationNewestFirstWithFilters)
{
    Record r;
    // A journal of an earlier version, imported once when the journal is first used.
    JournalEntry old;
    old.time = r.h->now.addDays(-40);
    old.instrument = {"ЗЕТ 75", "1234"};
    old.page = "Давление 20кПа";
    old.address = 145;
    old.button = "Сохранение";
    old.code = 7;
    old.status = 0x01;
    ASSERT_TRUE(JournalWriter(r.home.path() + "/zet-service/journal", nullptr).append(old));

    enter(*r.h, 10, page::Pressure, 17);
    r.type("MaskEdit42", "1800");
    r.type("MaskEdit45", "2000");
    r.h->click("Button157");
    r.answer(17);
    r.h->now = r.h->now.addSecs(60);
    r.to(page::OpticMethane100, 11);
    r.type("MaskEdit28", "100");
    r.type("MaskEdit29", "500");
    r.h->click("Button107");
    r.answer(11);
    // Another workstation serviced the same instrument a day later.
    {
        JournalStore bench({.location = r.database(), .engineer = "Петров",
                            .workstation = "СТЕНД-2"});
        JournalEntry e = old;
        e.time = r.h->now.addDays(1);
        e.page = "Насос";
        e.button = ">>";
        e.code = 1;
        bench.append(e);
    }

    ASSERT_EQ(r.lines("ЗЕТ 75_1234").size(), 4); // every line handed over has arrived
    r.record().showJournal();
    JournalWindow *w = r.record().journalWindow();
    ASSERT_TRUE(w && w->isVisible());
    loaded(w);
    const JournalModel &m = w->model();
    const auto column = [&m](int c) {
        QStringList out;
        for (int i = 0; i < m.rowCount(); ++i)
            out << m.text(i, c);
        return out;
    };
    EXPECT_EQ(column(journal::Page), QStringList({"Насос", "Оптика метан 100%", "Давление 20кПа",
                                                  "Давление 20кПа"}));
    EXPECT_EQ(m.text(0, JournalModel::Workstation), "СТЕНД-2");
    EXPECT_EQ(m.text(0, JournalModel::Engineer), "Петров");
    EXPECT_EQ(m.text(1, journal::Parameters), "Порог 2 = 100 % х100; Порог 3 = 500 % х100");
    EXPECT_EQ(m.text(2, journal::Parameters),
              "Калибровочое давление = 1800 кПа х100; "
              "Порог превышения диапазона измерения = 2000 кПа х100");
    EXPECT_EQ(w->pageFilter()->count(), 4); // all, and the three pages

    struct Filter {
        const char *page, *workstation;
        QDate from, to;
        QStringList buttons;
    };
    const QDate today = r.h->now.date();
    const Filter filters[] = {
        {"Давление 20кПа", "", {}, {}, {"Применить", "Сохранение"}},
        {"", "СТЕНД-2", {}, {}, {">>"}},
        {"", "", today, today, {"Применить", "Применить"}},
        {"", "", {}, today.addDays(-1), {"Сохранение"}},
        {"Насос", "", today, {}, {">>"}},
    };
    for (const Filter &f : filters) {
        w->filterPage(QString::fromUtf8(f.page));
        w->filterWorkstation(QString::fromUtf8(f.workstation));
        w->filterDates(f.from, f.to);
        EXPECT_EQ(column(journal::Button), f.buttons) << f.page << f.workstation;
    }
    w->filterPage({});
    w->filterWorkstation({});
    w->filterDates({}, {});

    // A line written while the window is open shows at once.
    r.h->click("Button108"); // save
    r.answer(11);
    QElapsedTimer t;
    t.start();
    while (m.rowCount() < 5 && t.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        loaded(w);
    }
    ASSERT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.text(1, journal::Button), "Сохранение");

    // The export is a CSV journal of today's format, oldest first.
    const QString csv = r.home.path() + "/export.csv";
    r.record().files().save = [&](QWidget *, const QString &, const QString &, const QString &) {
        return csv;
    };
    w->findChild<QPushButton *>("ExportCsvButton")->click();
    journalLines(r.record().store(), {"ЗЕТ 75", "1234"});
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QStringList> exported = journal::parseCsv(f.readAll());
    ASSERT_EQ(exported.size(), 6);
    EXPECT_EQ(exported[1], journal::fields(old));
}

// "Настройки…" keeps the journal's place and the people the protocols name;
// "Протокол…" writes the shown instrument's service as PDF.
TEST(JournalWindow, SettingsAndTheServiceProtocol)
{
    Record r;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, r.home.path() + "/config");
    Platform platform = r.h->platform();
    struct Entry {
        bool server;
        const char *path, *host, *database, *user;
        const char *saved;  // the location kept afterwards
        const char *refusal; // the message, or "" when accepted
    };
    const Entry entries[] = {
        {true, "", "", "zet", "engineer", "", "Для сервера укажите сервер, базу данных и пользователя."},
        {true, "", "srv.local", "zet", "engineer", "postgresql://engineer@srv.local:5432/zet", ""},
        {false, "/srv/journal.sqlite", "", "", "", "/srv/journal.sqlite", ""},
    };
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.saved);
        r.h->messages.clear();
        JournalSettingsDialog d(platform);
        d.findChild<QRadioButton *>(e.server ? "JournalOnServer" : "JournalOnFile")->setChecked(true);
        d.findChild<QLineEdit *>("JournalPath")->setText(e.path);
        d.findChild<QLineEdit *>("JournalHost")->setText(e.host);
        d.findChild<QLineEdit *>("JournalDatabase")->setText(e.database);
        d.findChild<QLineEdit *>("JournalUser")->setText(e.user);
        d.findChild<QLineEdit *>("ProtocolCentre")->setText("СЦ «Восток»");
        d.findChild<QLineEdit *>("ProtocolEngineer")->setText("Иванов И. И.");
        d.accept();
        EXPECT_EQ(d.result(), *e.refusal ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(r.h->messages, *e.refusal ? QStringList{e.refusal} : QStringList{});
        if (*e.refusal)
            EXPECT_TRUE(savedJournalLocation().isEmpty());
        else
            EXPECT_EQ(savedJournalLocation(), e.saved);
    }
    EXPECT_EQ(savedProtocolPeople().engineer, "Иванов И. И.");
    saveJournalLocation({});

    enter(*r.h, 1, page::Tks, 3);
    r.type("MaskEdit1", "250");
    r.type("MaskEdit2", "50");
    r.h->click("Button27");
    r.answer(3, 0x81);
    ASSERT_EQ(r.lines("ЗЕТ71_1234").size(), 1);
    r.h->reply({3, 12, 0x01, 0x10, 0x00, 0x20, 0x00}); // the block's status, a chart point
    const QString status = r.h->text("Panel21");
    ASSERT_FALSE(status.isEmpty());
    r.record().showJournal();
    loaded(r.record().journalWindow());
    const QString pdf = r.home.path() + "/protocol.pdf";
    r.record().files().save = [&](QWidget *, const QString &, const QString &, const QString &) {
        return pdf;
    };
    r.record().journalWindow()->findChild<QPushButton *>("ProtocolButton")->click();
    const auto pdfText = [](const QString &file) {
        QProcess text;
        text.start("pdftotext", {"-layout", file, "-"});
        text.waitForFinished(30000);
        return QString::fromUtf8(text.readAllStandardOutput()).simplified();
    };
    const QString got = pdfText(pdf);
    for (const char *part : {"Протокол обслуживания", "СЦ «Восток»", "Иванов И. И.", "ЗЕТ71", "1234",
                             "C газа = 250 % х100; Порог1 = 50 % х100", "подтверждена"})
        EXPECT_TRUE(got.contains(QString::fromUtf8(part))) << part << "\n" << got.toStdString();
    // The block as its page shows it: the status, and its chart as a picture.
    EXPECT_TRUE(got.contains(status)) << status.toStdString();
    QProcess images;
    images.start("pdfimages", {"-list", pdf});
    ASSERT_TRUE(images.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(images.readAllStandardOutput()).count(" image "), 1);

    // "Печать…": the same protocol on the printer chosen (here one printing to a file);
    // cancelled, nothing is printed; a printer that cannot print is told.
    JournalWindow *w = r.record().journalWindow();
    const auto print = [&](const QString &file, bool accept) {
        r.h->messages.clear();
        w->setPrinterChooser([=](QWidget *, QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            return accept;
        });
        w->findChild<QPushButton *>("PrintButton")->click();
    };
    const QString sheets = r.home.path() + "/printed.pdf";
    print(sheets, false);
    EXPECT_FALSE(QFile::exists(sheets));
    EXPECT_EQ(r.h->messages, QStringList{});
    print(sheets, true);
    EXPECT_EQ(r.h->messages, QStringList{});
    EXPECT_EQ(pdfText(sheets), got); // laid out as the saved protocol
    print(r.home.path() + "/missing/printed.pdf", true);
    EXPECT_EQ(r.h->messages, QStringList{"Протокол не напечатан: файл " + r.home.path() +
                                         "/missing/printed.pdf не записывается."});
    // The bar holds every button at the window's size.
    EXPECT_LE(w->minimumSizeHint().width(), w->width());
}

// The block's state is kept a while after the engineer's last command on its page, or
// sooner when the engineer leaves the page, closes the window or connects another
// instrument (once for commands close together), and a protocol written later without
// the instrument shows it.
TEST(JournalWindow, BlockStateKeptForAProtocolWithoutTheInstrument)
{
    enum Then { Wait, Leave, Close, Another };
    for (const Then then : {Wait, Leave, Close, Another}) {
        SCOPED_TRACE(then == Wait ? "waited" : then == Leave ? "page left"
                                          : then == Close  ? "window closed"
                                                           : "another instrument identified");
        Record r;
        r.record().setStateDelay(then == Wait ? 300 : 60000);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, r.home.path() + "/config");
        enter(*r.h, 1, page::Tks, 3);
        r.type("MaskEdit1", "250");
        r.type("MaskEdit2", "50");
        for (int click = 0; click < 2; ++click) {
            r.h->click("Button27");
            r.answer(3, 0x81);
        }
        r.h->reply({3, 12, 0x01, 0x10, 0x00, 0x20, 0x00}); // the block's status, a chart point
        const QString status = r.h->text("Panel21");
        ASSERT_FALSE(status.isEmpty());
        if (then == Close)
            r.h.reset();
        else if (then == Leave)
            r.h->select(0);
        else if (then == Another)
            r.h->reply({0, 9, 0, 0, 1, 0x39, 0x30}); // № 12345
        QList<StoredState> kept;
        {
            JournalStore store({.location = r.database()});
            QElapsedTimer t;
            for (t.start(); kept.isEmpty() && t.elapsed() < 20000;)
                kept = keptStates(store, {"ЗЕТ71", "1234"});
        }
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(kept[0].page, "Блок ТКС");
        EXPECT_TRUE(kept[0].status.contains(status)) << kept[0].status.join('|').toStdString();

        const QString pdf = r.home.path() + "/protocol.pdf";
        QString out, err;
        QTextStream o(&out), e(&err);
        ASSERT_EQ(runProtocolCommand({"--protocol", "1234", pdf}, o, e), 0) << err.toStdString();
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        ASSERT_TRUE(text.waitForFinished(30000));
        EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).simplified().contains(status));
        QProcess images;
        images.start("pdfimages", {"-list", pdf});
        ASSERT_TRUE(images.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(images.readAllStandardOutput()).count(" image "), 1);
    }
}

TEST(Journal, SimulatedSessionOnTwoPages)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    SimHarness s(10);
    ASSERT_TRUE(thresholdSession(s));
    QStringList got;
    for (const QStringList &l : journalLines(
             s.form->record().store(),
             {"ЗЕТ 75", QString::number(s.driver.instrument().serialNumber())}))
        got << l.mid(journal::Page, 4).join('|') + '|' + l[journal::Acknowledged];
    EXPECT_EQ(got, QStringList({"Оптика метан 100%|139|Применить|10|подтверждена",
                                "Оптика метан 100%|139|Применить|11|подтверждена",
                                "Оптика метан 100%|139|Сохранение|7|подтверждена",
                                "Давление 20кПа|145|Применить|10|подтверждена",
                                "Давление 20кПа|145|Сохранение|7|подтверждена"}));
    // Its protocol: both blocks' charts and every section after them, whatever page
    // the charts fall on.
    ServiceRecord &record = s.form->record();
    record.showJournal();
    loaded(record.journalWindow());
    const QString pdf = home.path() + "/protocol.pdf";
    record.files().save = [&](QWidget *, const QString &, const QString &, const QString &) {
        return pdf;
    };
    record.journalWindow()->writeProtocolFile();
    QProcess text, images;
    text.start("pdftotext", {"-layout", pdf, "-"});
    images.start("pdfimages", {"-list", pdf});
    ASSERT_TRUE(text.waitForFinished(30000) && images.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    qsizetype at = printed.indexOf("Графики калибровки");
    for (const char *after : {"Оптика метан 100%", "Давление 20кПа", "Подписи", "Дата «____»"}) {
        const qsizetype found = printed.indexOf(QString::fromUtf8(after), at + 1);
        EXPECT_GT(found, at) << after << "\n" << printed.toStdString();
        at = std::max(at, found);
    }
    EXPECT_EQ(QString::fromUtf8(images.readAllStandardOutput()).count(" image "), 2);
}

TEST(TrendExport, CsvHoldsTheRingOldestFirstWithArrivalTimes)
{
    Record r;
    enter(*r.h, 1, page::Tks, 3);
    const QDateTime start = r.h->now;
    for (int i = 0; i < 230; ++i) { // wraps the ring
        r.h->now = start.addMSecs(350 * i);
        const uint16_t raw = uint16_t(i * 7 + 1);
        r.h->reply({3, 12, 0x01, 0, 0, uint8_t(raw & 0xFF), uint8_t(raw >> 8)});
    }
    auto *chart = static_cast<TrendChart *>(r.h->find<QChartView>("Chart3"));
    QString path = r.home.path() + "/chart3.csv";
    r.record().files().save = [&](QWidget *, const QString &, const QString &, const QString &) {
        return path;
    };
    // The right button opens the menu on the chart.
    r.h->form->show();
    ASSERT_EQ(chart->contextMenuPolicy(), Qt::CustomContextMenu);
    emit chart->customContextMenuRequested(QPoint(20, 20));
    QMenu *shown = chart->findChild<QMenu *>("TrendMenu");
    ASSERT_TRUE(shown && shown->isVisible());
    QStringList items;
    for (QAction *a : shown->actions())
        items << a->text();
    EXPECT_EQ(items, QStringList({"Сохранить данные (CSV)…", "Сохранить изображение (PNG)…"}));
    shown->close();

    QMenu *menu = r.record().chartMenu(chart);
    menu->findChild<QAction *>("SaveTrendCsv")->trigger();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QStringList> rows = journal::parseCsv(f.readAll());
    ASSERT_EQ(rows.size(), 201);
    EXPECT_EQ(rows[0], QStringList({"Время", "Напряжение на средней точке сенсора, мB"}));
    const TrendRing &ring = chart->ring();
    QList<QPointF> points = ring.points();
    for (int k = 0; k < 200; ++k) {
        const int i = 30 + k; // the oldest kept is the 31st sample
        EXPECT_EQ(QLocale().toDouble(rows[k + 1][1]), points[k].y()) << k;
        EXPECT_EQ(QLocale().toDouble(rows[k + 1][1]), (i * 7 + 1) / 10.0) << k;
        EXPECT_EQ(QDateTime::fromString(rows[k + 1][0], Qt::ISODateWithMs), start.addMSecs(350 * i))
            << k;
    }

    path = r.home.path() + "/chart3.png";
    menu->findChild<QAction *>("SaveTrendPng")->trigger();
    EXPECT_EQ(QImage(path).size(), chart->size());
    EXPECT_TRUE(r.h->messages.isEmpty());
}

// The same conversation, with a frame spoilt on the way in.
void converse(Harness &h)
{
    enter(h, 1, page::Tks, 3);
    h.send();
    h.driver.queueFrame({3, 12, 0x01, 0, 0, 0x10, 0x00, 0x00}); // wrong check byte
    h.form->Timer2Timer();
    for (int i = 0; i < 3; ++i) {
        const Frame sent = h.send();
        h.reply({3, sent[1], 0x01, 0, 0, 0x10, 0x00});
    }
}

TEST(LineMonitor, ShowsTheCheckFailureAndChangesNothingOnTheWire)
{
    Record quiet;
    converse(*quiet.h);

    Record watched;
    watched.record().showMonitor();
    LineMonitor *m = watched.record().monitor();
    ASSERT_TRUE(m && m->isVisible());
    converse(*watched.h);
    EXPECT_EQ(watched.h->driver.writes, quiet.h->driver.writes);
    EXPECT_EQ(watched.h->driver.calls, quiet.h->driver.calls);

    LineMonitorModel &model = m->model();
    ASSERT_EQ(model.rowCount(), watched.record().lineLog().size());
    int failed = -1;
    for (int i = 0; i < model.rowCount(); ++i)
        if (model.row(i)[monitor::Check] == monitor::kCheckFailed)
            failed = i;
    ASSERT_GE(failed, 0);
    EXPECT_EQ(model.row(failed)[monitor::Bytes], "03 0C 01 00 00 10 00 00");
    EXPECT_EQ(model.row(failed)[monitor::Direction], "← прибор");
    EXPECT_EQ(model.row(failed)[monitor::Name], "");
    const QStringList sent = model.row(failed - 1);
    EXPECT_EQ(sent.mid(monitor::Direction), line({"→ прибор", "83 0C 00 00 00 00 00 8F",
                                                  "адрес 131", "12", "✓", "Запрос состояния"}));
    EXPECT_EQ(model.row(0)[monitor::Name], "Идентификация");

    // Paused, the view stands while the log goes on; saved, every row is there.
    m->setPaused(true);
    const int shown = model.rowCount();
    converse(*watched.h);
    EXPECT_EQ(model.rowCount(), shown);
    m->setPaused(false);
    EXPECT_EQ(model.rowCount(), watched.record().lineLog().size());

    m->table()->selectRow(failed);
    m->copySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), model.row(failed).join('\t'));
    const QString path = watched.home.path() + "/line.txt";
    watched.record().files().save = [&](QWidget *, const QString &, const QString &,
                                        const QString &) { return path; };
    ASSERT_TRUE(m->save());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).count('\n'), model.rowCount() + 1);
}

TEST(LineMonitor, ClosedItKeepsOnlyAFixedRing)
{
    Record r;
    r.h->connect(1);
    for (int i = 0; i < LineLog::kCapacity + 50; ++i)
        r.h->send();
    const LineLog &log = r.record().lineLog();
    EXPECT_EQ(log.size(), LineLog::kCapacity);
    // The identification exchange and the first 48 polls have left the ring.
    EXPECT_TRUE(log.at(0).sent);
    EXPECT_EQ(log.at(0).frame[1], 12);
    EXPECT_EQ(r.record().monitor(), nullptr);
    r.h->form->show();
    QApplication::setActiveWindow(r.h->form.get());
    QTest::keyClick(r.h->form.get(), Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(r.record().monitor() && r.record().monitor()->isVisible());
    EXPECT_EQ(r.record().monitor()->model().rowCount(), LineLog::kCapacity);
    // Closed again, it hears of no frame while the ring goes on.
    LineMonitorModel &model = r.record().monitor()->model();
    const QStringList last = model.row(LineLog::kCapacity - 1);
    r.record().monitor()->close();
    r.h->now = r.h->now.addSecs(1);
    r.h->send();
    EXPECT_EQ(model.row(LineLog::kCapacity - 1), last);
    EXPECT_NE(monitor::columns(log.at(LineLog::kCapacity - 1))[monitor::Time], last[monitor::Time]);
}

} // namespace
} // namespace zet::test
