// Base unit and pump pages: what the engineer sees and what each button puts on the wire.
#include "Harness.h"
#include "pages/TrendChart.h"
#include "pages/BasePage.h"

#include <QElapsedTimer>
#include <QLineSeries>
#include <QTabWidget>
#include <QTimeZone>
#include <QTimer>
#include <QValueAxis>

#include <gtest/gtest.h>

using namespace zet;
using namespace zet::test;

namespace {

TrendChart *chart(Harness &h, const char *name) { return h.find<TrendChart>(name); }
double newest(Harness &h, const char *name)
{
    return chart(h, name)->series()->points().last().y();
}

struct BaseFixture : ::testing::Test {
    Harness h;
    void SetUp() override { h.connect(1); }
};

TEST_F(BaseFixture, StatusBitsShowTheirTextsAndColours)
{
    h.reply({0, 12, 0x1D, 0x03, 0, 0, 0});
    EXPECT_EQ(h.text("Panel3"), "Обрыв АКБ");
    EXPECT_EQ(h.colour("Panel3"), Colour::Red);
    EXPECT_EQ(h.text("Panel4"), "Режим заряда");
    EXPECT_EQ(h.colour("Panel4"), Colour::Yellow);
    EXPECT_EQ(h.text("Panel5"), "АКБ разряжена");
    EXPECT_EQ(h.colour("Panel5"), Colour::Yellow);
    EXPECT_EQ(h.text("Panel7"), "Режим теста");
    EXPECT_EQ(h.colour("Panel7"), Colour::Yellow);
    EXPECT_EQ(h.text("Panel8"), "Связь с датчиками отсутствует");
    EXPECT_EQ(h.colour("Panel8"), Colour::Red);
    EXPECT_EQ(h.text("Panel9"), "Связь с насосом отсутствует");
    EXPECT_EQ(h.colour("Panel9"), Colour::Red);

    h.reply({0, 12, 0x00, 0x00, 0, 0, 0});
    const std::pair<const char *, const char *> normal[] = {
        {"Panel3", "Контакт АКБ в норме"},       {"Panel4", "Рабочий режим"},
        {"Panel5", "Питание в норме"},           {"Panel7", "Режим теста не активен"},
        {"Panel8", "Связь с датчиками в норме"}, {"Panel9", "Связь с насосом в норме"}};
    for (auto [panel, text] : normal) {
        EXPECT_EQ(h.text(panel), QString::fromUtf8(text));
        EXPECT_EQ(h.colour(panel), Colour::Normal) << panel;
    }
}

TEST_F(BaseFixture, CurrentInWholeMilliamperesAndCharted)
{
    h.reply({0, 12, 0, 0, 0, 0xD2, 0x04});
    EXPECT_EQ(h.text("Panel10"), "12  мА");
    EXPECT_EQ(newest(h, "Chart1"), 12.0);
    h.reply({0, 12, 0, 0, 0, 0x98, 0x3A});
    EXPECT_EQ(h.text("Panel10"), "150  мА");
    h.reply({0, 12, 0, 0, 0, 0x50, 0x46}); // 180 mA: above the chart's range
    EXPECT_EQ(newest(h, "Chart1"), 180.0);
    auto *axis = chart(h, "Chart1")->chart()->axes(Qt::Vertical).first();
    EXPECT_EQ(static_cast<QValueAxis *>(axis)->max(), 150.0);
}

TEST_F(BaseFixture, ClockAnswerUpdatesPanelsButNotTheCurrent)
{
    h.reply({0, 12, 0, 0, 0, 0xD2, 0x04});
    const auto before = chart(h, "Chart1")->ring().writeIndex();
    h.reply({0, 211, 0x10, 0, 0, 0x98, 0x3A});
    EXPECT_EQ(h.text("Panel3"), "Обрыв АКБ");
    EXPECT_EQ(h.text("Panel10"), "12  мА");
    EXPECT_EQ(chart(h, "Chart1")->ring().writeIndex(), before);
}

TEST_F(BaseFixture, RepliesFromOtherBlocks)
{
    h.reply({0, 12, 0, 0, 0, 0xD2, 0x04});
    h.reply({3, 12, 0x10, 0x03, 0, 0x98, 0x3A});
    EXPECT_EQ(h.text("Panel3"), "Контакт АКБ в норме")
        << "a status reply from a block changes no panel";
    EXPECT_EQ(h.text("Panel10"), "12  мА");
    h.click("Button3");
    h.reply({3, 9, 0, 0, 0, 0, 0});
    EXPECT_EQ(h.send(), sealed({128, 12, 0, 0, 0, 0, 0}))
        << "but any block's answer ends the command";
}

TEST_F(BaseFixture, ButtonsWriteTheirCommands)
{
    struct Case {
        const char *button;
        Frame expected;
    };
    const Case cases[] = {
        {"Button3", sealed({128, 6, 0, 0, 0, 0, 0})},
        {"Button4", sealed({128, 7, 0, 0, 0, 0, 0})},
        {"Button5", sealed({128, 6, 0, 0, 0x10, 0, 0})},
        {"Button6", sealed({128, 6, 0, 0xFF, 0, 0, 0})},
        {"Button7", sealed({128, 6, 0, 0, 0, 0, 0})},
    };
    for (const Case &c : cases) {
        h.form->session().statusRequest(128);
        h.click(c.button);
        EXPECT_EQ(h.send(), c.expected) << c.button;
    }
    // LED on then sound: the sound command keeps the LED byte it sets itself.
    h.form->session().statusRequest(128);
    h.click("Button6");
    h.click("Button3");
    EXPECT_EQ(h.send(), sealed({128, 6, 0, 0xFF, 0, 0, 0}))
        << "test mode sends what the frame holds";
}

TEST_F(BaseFixture, ClockFrameCountsSecondsFrom2010HighByteFirst)
{
    h.now = QDateTime(QDate(2010, 1, 1), QTime(0, 1, 40));
    h.click("Button127");
    EXPECT_EQ(h.sleeps, QList<int>{600});
    const Frame f = h.send();
    EXPECT_EQ(f, (Frame{128, 211, 0, 0, 0, 0, 100, 0x37}));
    h.now = QDateTime(QDate(2026, 12, 7), QTime(21, 30, 0));
    h.click("Button127");
    const uint32_t secs = uint32_t(QDateTime(QDate(2010, 1, 1), QTime(0, 0)).secsTo(h.now));
    const Frame g = h.send();
    EXPECT_EQ((uint32_t(g[3]) << 24) | (g[4] << 16) | (g[5] << 8) | g[6], secs);
    EXPECT_EQ(BasePage::clockSeconds(QDateTime(QDate(2009, 12, 31), QTime(23, 59, 0))), 60u)
        << "a clock before 2010 gives the magnitude";
}

// The PC's local clock, read in summer: the instrument gets the wall-clock seconds. The
// suite runs this once more in a zone with an offset and summer time (see CMakeLists.txt).
TEST_F(BaseFixture, ClockFrameCarriesLocalWallClockSeconds)
{
    h.now = QDateTime(QDate(2010, 7, 1), QTime(0, 0, 0));
    h.click("Button127");
    EXPECT_EQ(h.send(), sealed({128, 211, 0, 0x00, 0xEE, 0x9F, 0x80})) << "181 days";
    h.now = QDateTime(QDate(2010, 1, 1), QTime(0, 0, 1));
    h.click("Button127");
    EXPECT_EQ(h.send(), sealed({128, 211, 0, 0, 0, 0, 1}));
}

// The zone run above is worth something only if the zone took effect.
TEST(BaseClock, RunsInTheZoneNamedByTz)
{
    const QByteArray tz = qgetenv("TZ");
    if (tz.isEmpty())
        GTEST_SKIP() << "TZ not set: the machine's own zone";
    const QTimeZone asked(tz);
    ASSERT_TRUE(asked.isValid()) << "no time zone data for " << tz.constData();
    for (const QDate date : {QDate(2010, 1, 1), QDate(2010, 7, 1)}) {
        const QDateTime local(date, QTime(12, 0));
        EXPECT_EQ(local.offsetFromUtc(), asked.offsetFromUtc(local))
            << date.toString(Qt::ISODate).toStdString();
    }
}

// The seconds count the PC's wall clock: summer time does not shift the instrument's clock.
TEST(BaseClock, SecondsFollowTheWallClockAcrossDaylightSaving)
{
    const QTimeZone berlin("Europe/Berlin");
    if (!berlin.isValid())
        GTEST_SKIP() << "no time zone data";
    struct Case {
        QDate date;
        QTime time;
        uint32_t seconds;
    };
    const Case cases[] = {
        {QDate(2010, 1, 1), QTime(0, 1, 40), 100},
        {QDate(2010, 7, 1), QTime(0, 0, 0), 181u * 86400},
        {QDate(2011, 1, 1), QTime(0, 0, 0), 365u * 86400},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(BasePage::clockSeconds(QDateTime(c.date, c.time, berlin)), c.seconds)
            << c.date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(BasePage::clockSeconds(QDateTime(c.date, c.time, Qt::UTC)), c.seconds);
    }
}

TEST_F(BaseFixture, SwitchOffClosesOnTheNextReplyAfterItWentOut)
{
    h.click("Button2");
    h.reply({0, 12, 0, 0, 0, 0, 0}); // answered before the code went out: still open
    EXPECT_TRUE(h.form->session().deviceOpen);
    EXPECT_EQ(h.send(), sealed({128, 8, 0, 0, 0, 0, 0}));
    h.reply({0, 8, 0, 0, 0, 0, 0});
    EXPECT_FALSE(h.form->session().deviceOpen);
    EXPECT_EQ(h.form->pageControl()->currentIndex(), 0);
    EXPECT_EQ(h.text("Panel1"), "Нет активных устройств");
    EXPECT_EQ(h.text("Label1"), "");
    EXPECT_FALSE(h.form->timer1()->isActive());
    EXPECT_FALSE(h.form->timer2()->isActive());
    for (int i = 1; i < 15; ++i)
        EXPECT_FALSE(h.form->pageControl()->isTabVisible(i));
    EXPECT_TRUE(h.driver.calls.join(",").contains("Close("));
}

TEST_F(BaseFixture, ControlsCarryTheirCaptions)
{
    const std::pair<const char *, const char *> buttons[] = {
        {"Button2", "ВЫКЛ."},
        {"Button3", "Режим теста"},
        {"Button4", "Рабочий режим"},
        {"Button5", "ЗВУК"},
        {"Button6", "LED ON"},
        {"Button7", "LED OFF"},
        {"Button127", "Синхронизация даты и времени"},
        {"Button72", ""}};
    for (auto [name, caption] : buttons)
        EXPECT_EQ(h.find<QPushButton>(name)->text(), QString::fromUtf8(caption));
    EXPECT_EQ(chart(h, "Chart1")->title(), "Потребляемый ток, мА");
    EXPECT_EQ(chart(h, "Chart2")->title(), "Ток катушки, мА");
    // The bench window's button: small, in the lower left corner, inside the page.
    h.form->show();
    QWidget *basePage = h.form->page(page::Base);
    const QRect r = h.find<QPushButton>("Button72")->geometry();
    EXPECT_EQ(r.size(), QSize(17, 16));
    EXPECT_LT(r.left(), basePage->width() / 4);
    EXPECT_GT(r.top(), basePage->height() * 3 / 4);
    EXPECT_TRUE(basePage->rect().contains(r)) << basePage->width() << "x" << basePage->height();
}

struct PumpFixture : ::testing::Test {
    Harness h;
    void SetUp() override
    {
        h.connect(1);
        h.select(page::Pump);
        h.send(); // code 9 from the entry queue
        h.reply({15, 9, 0x01, 0, 0, 0, 0x23});
    }
};

TEST_F(PumpFixture, VersionStatusAndMeasurements)
{
    EXPECT_EQ(h.text("Panel11"), "Версия 2.3");
    h.reply({15, 12, 0xC0, 0x4B, 0x00, 120, 40});
    EXPECT_EQ(h.text("Panel12"), "Насос выключен");
    EXPECT_EQ(h.colour("Panel12"), Colour::Red);
    EXPECT_EQ(h.text("Panel13"), "Настройки по умолчанию");
    EXPECT_EQ(h.colour("Panel13"), Colour::Yellow);
    EXPECT_EQ(h.text("Panel14"), "Режим настройки");
    EXPECT_EQ(h.colour("Panel14"), Colour::Yellow);
    EXPECT_EQ(h.text("Panel15"), "37,5");
    EXPECT_EQ(h.text("Panel16"), "40");
    EXPECT_EQ(h.text("Panel17"), "120");
    EXPECT_EQ(newest(h, "Chart2"), 37.5);
    h.reply({15, 12, 0x01, 0x4C, 0x00, 120, 40});
    EXPECT_EQ(h.text("Panel15"), "38");
    EXPECT_EQ(h.text("Panel12"), "Насос включен");
    EXPECT_EQ(h.colour("Panel12"), Colour::Normal);
}

TEST_F(PumpFixture, AnswersToCommandsLeaveMeasurementsAlone)
{
    h.reply({15, 12, 0x01, 0x4B, 0x00, 120, 40});
    const int index = chart(h, "Chart2")->ring().writeIndex();
    for (uint8_t code : {6, 7, 8, 9})
        h.reply({15, code, 0x01, 0x10, 0x00, 1, 1});
    EXPECT_EQ(h.text("Panel15"), "37,5");
    EXPECT_EQ(h.text("Panel16"), "40");
    EXPECT_EQ(h.text("Panel17"), "120");
    EXPECT_EQ(chart(h, "Chart2")->ring().writeIndex(), index);
}

TEST_F(PumpFixture, PositionSensorRangeWithSignedSpan)
{
    h.reply({15, 14, 0x01, 100, 0, 250, 0});
    EXPECT_EQ(h.text("Panel18"), " MAX            : 100");
    EXPECT_EQ(h.text("Panel19"), " MIN            : 250");
    EXPECT_EQ(h.text("Panel20"), " MAX-MIN     : -150");
    EXPECT_EQ(h.text("Panel15"), "") << "nothing else is updated";
}

TEST_F(PumpFixture, ButtonsSendTheirCodesToThePump)
{
    const std::pair<const char *, uint8_t> cases[] = {
        {"Button18", 9}, {"Button19", 8}, {"Button20", 6}, {"Button22", 7}, {"Button21", 14},
        {"Button13", 4}, {"Button17", 3}, {"Button10", 1}, {"Button8", 13}, {"Button11", 12}};
    for (auto [button, code] : cases) {
        h.form->session().statusRequest(143);
        h.click(button);
        EXPECT_EQ(h.send(), sealed({143, code, 0, 0, 0, 0, 0})) << button;
    }
}

TEST_F(PumpFixture, ContinuousSteppingRepeatsUntilStopped)
{
    h.click("Button12"); // ">>"
    EXPECT_EQ(h.send()[1], 1);
    h.reply({15, 1, 0x01, 0, 0, 51, 40});
    EXPECT_EQ(h.send()[1], 1) << "each answered step asks for the next";
    h.reply({15, 12, 0x01, 0, 0, 51, 40});
    EXPECT_EQ(h.send()[1], 1) << "a status reply does not stop it";
    h.reply({15, 1, 0x01, 0, 0, 52, 40});
    h.click("Button11"); // "Стоп"
    EXPECT_EQ(h.send()[1], 12);
    h.reply({15, 12, 0x01, 0, 0, 52, 40});
    EXPECT_EQ(h.send()[1], 12);

    h.click("Button9"); // "<<"
    EXPECT_EQ(h.send()[1], 13);
    h.reply({15, 13, 0x01, 0, 0, 51, 40});
    EXPECT_EQ(h.send()[1], 13);
    h.click("Button10"); // ">" clears the mode: one step
    h.send();
    h.reply({15, 1, 0x01, 0, 0, 52, 40});
    EXPECT_EQ(h.send()[1], 12);
}

TEST_F(PumpFixture, ContinuousModeDoesNotRestartOnAStatusAnswer)
{
    h.click("Button12");
    h.click("Button18"); // another command while stepping
    h.send();
    h.reply({15, 9, 0x01, 0, 0, 0, 0x23});
    EXPECT_EQ(h.send()[1], 12);
    h.reply({15, 12, 0x01, 0, 0, 0, 0});
    EXPECT_EQ(h.send()[1], 12);
}

TEST_F(PumpFixture, OtherBlocksChangeNothing)
{
    h.click("Button17");
    h.reply({0, 3, 0x00, 0x4B, 0, 1, 2});
    EXPECT_EQ(h.send(), sealed({143, 3, 0, 0, 0, 0, 0})) << "the request is not reset";
    EXPECT_EQ(h.text("Panel12"), "Насос включен");
}

TEST(TrendRing, FirstSampleAtTheRightAndWrapAfter200)
{
    TrendRing ring;
    ring.add(5);
    auto pts = ring.points();
    ASSERT_EQ(pts.size(), 200);
    EXPECT_EQ(pts.last(), QPointF(200, 5));
    EXPECT_EQ(pts.first(), QPointF(1, 0));
    EXPECT_EQ(std::count_if(pts.begin(), pts.end(), [](const QPointF &p) { return p.y() != 0; }),
              1);
    for (int i = 2; i <= 200; ++i)
        ring.add(i);
    EXPECT_EQ(ring.slot(200), 200);
    EXPECT_EQ(ring.points().first(), QPointF(1, 5));
    ring.add(201);
    EXPECT_EQ(ring.slot(1), 201) << "the 201st sample wraps to slot 1";
    pts = ring.points();
    EXPECT_EQ(pts.first(), QPointF(1, 2)) << "the redraw starts at slot 2";
    EXPECT_EQ(pts.last(), QPointF(200, 201));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(pts[i].x(), i + 1);
}

TEST(TrendRing, EachChartKeepsItsOwnSamples)
{
    Harness h;
    h.connect(10);
    h.select(page::Base);
    h.reply({0, 12, 0, 0, 0, 0xD2, 0x04});
    h.select(page::Pump);
    h.reply({15, 12, 1, 10, 0, 0, 0});
    EXPECT_EQ(newest(h, "Chart1"), 12);
    EXPECT_EQ(newest(h, "Chart2"), 5);
    h.select(page::Base);
    h.reply({0, 12, 0, 0, 0, 0xE8, 0x03});
    const auto pts = chart(h, "Chart1")->series()->points();
    EXPECT_EQ(pts[198].y(), 12) << "leaving the page keeps the ring";
    EXPECT_EQ(pts[199].y(), 10);
}

TEST(TrendChartView, FixedRangesTitlesAndLook)
{
    struct Case {
        int number;
        const char *series;
        const char *title; // "" = none
        double yMin, yMax;
    };
    // Mind the letters: "мB" ends in a Latin B on some titles, a Cyrillic В on others.
    const Case cases[] = {
        {1, "Series1", "Потребляемый ток, мА", 0, 150},
        {2, "Series2", "Ток катушки, мА", 0, 150},
        {3, "Series3", "Напряжение на средней точке сенсора, мB", -10, 2500},
        {4, "Series4", "Напряжение полупроводникового сенсора, мВ", -10, 3310},
        {5, "Series5", "Напряжение термокаталитического сенсора, мB", -10, 2510},
        {6, "Series6", "Напряжение полупроводникового сенсора, мВ", -10, 2510},
        {7, "LineSeries1", "Напряжение термокаталитического сенсора, мB", -10, 2510},
        {8, "LineSeries2", "Напряжение полупроводникового сенсора, мВ", -10, 2510},
        {9, "LineSeries3", "Сигнал детектора", -10, 15000},
        {10, "LineSeries4", "", -10, 2600},
        {11, "LineSeries5", "", -10, 2600},
        {12, "LineSeries6", "Сигнал детектора", -10, 2500},
        {13, "LineSeries7", "Сигнал детектора", -10, 15000},
        {14, "LineSeries8", "", -10, 2600},
        {15, "LineSeries9", "Сигнал детектора", -10, 15000},
        {16, "LineSeries10", "Напряжение сенсора, мB", -10, 3300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        TrendChart chart(c.number);
        EXPECT_EQ(chart.objectName(), QString("Chart%1").arg(c.number));
        EXPECT_EQ(chart.series()->objectName(), QString::fromLatin1(c.series));
        EXPECT_EQ(chart.title(), QString::fromUtf8(c.title));
        auto *y = static_cast<QValueAxis *>(chart.chart()->axes(Qt::Vertical).first());
        EXPECT_EQ(y->min(), c.yMin);
        EXPECT_EQ(y->max(), c.yMax);
        EXPECT_FALSE(chart.chart()->legend()->isVisible());
        EXPECT_EQ(chart.series()->color(), QColor(Qt::red));
        EXPECT_FALSE(chart.series()->pointsVisible());
        EXPECT_FALSE(chart.series()->pointLabelsVisible());
        EXPECT_EQ(chart.series()->points().size(), 200);
    }
}

TEST(TrendChartView, RedrawIsWellUnderAMillisecond)
{
    TrendChart c(3);
    c.resize(500, 250);
    c.show();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 500; ++i)
        c.addSample(i);
    const double perSample = double(t.nsecsElapsed()) / 500 / 1e6;
    EXPECT_LT(perSample, 1.0) << perSample << " ms per sample";
}

} // namespace
