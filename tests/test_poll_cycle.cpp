// Transmit and receive ticks, identification, page entry and the command queue.
#include "Harness.h"
#include "pages/TrendChart.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

using namespace zet;
using namespace zet::test;

namespace {

struct TypeCase {
    int type;
    QString baseCaption;
    QString prefix;
    uint8_t firstAddress;
    std::map<int, QString> pages; // module pages besides base and pump
};

QStringList visibleTabs(Harness &h)
{
    QStringList out;
    for (int i = 1; i < 15; ++i)
        if (h.form->pageControl()->isTabVisible(i))
            out << QString("%1:%2").arg(i).arg(h.form->pageControl()->tabText(i));
    return out;
}

TEST(Identification, EveryKnownTypeShowsItsTabsCaptionsAndSerial)
{
    const TypeCase cases[] = {
        {1, "База ЗЕТ-71", "ЗЕТ71   № ", 128, {{3, "Блок ТКС"}}},
        {2, "База ЗЕТ-72", "ЗЕТ72   № ", 148, {{5, "Блок ТКС+ПГС"}}},
        {3, "База ЗЕТ-72", "ЗЕТ72   № ", 149, {{6, "Блок ТКС+ПГС водород"}}},
        {4, "База ЗЕТ-73", "ЗЕТ73   № ", 128, {{4, "Блок ПГС"}}},
        {5, "База ЗЕТ-71", "ЗЕТ71  № ", 128, {{7, "Оптика метан 100%"}}},
        {6, "База ЗЕТ-71", "ЗЕТ71  № ", 128, {{10, "Оптика метан 5%"}}},
        {7, "База ЗЕТ-74", "ЗЕТ-74   № ", 128, {{8, "Кислород"}}},
        {9, "База ЗЕТ-74", "ЗЕТ-74   № ", 128, {{9, "Угарный"}}},
        {10,
         "База ЗЕТ 75",
         "ЗЕТ 75  № ",
         128,
         {{7, "Оптика метан 100%"},
          {11, "Оптика CO2 2,5%"},
          {9, "Угарный"},
          {8, "Кислород"},
          {12, "Сероводород"},
          {13, "Оптика пропан 2%"},
          {4, "Блок ПГС (Утечка)"},
          {14, "Давление 20кПа"}}},
    };
    for (const TypeCase &c : cases) {
        SCOPED_TRACE(c.type);
        Harness h;
        h.connect(c.type, 12345);
        QStringList expected{"1:" + c.baseCaption, "2:Насос"};
        for (const auto &[index, caption] : c.pages)
            expected << QString("%1:%2").arg(index).arg(caption);
        std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
            return a.split(':')[0].toInt() < b.split(':')[0].toInt();
        });
        EXPECT_EQ(visibleTabs(h), expected);
        EXPECT_EQ(h.form->pageControl()->currentIndex(), 1);
        EXPECT_EQ(h.text("Panel2"), c.prefix + "12345");
        EXPECT_EQ(h.text("Label1"), "");
        EXPECT_EQ(h.form->session().deviceType, c.type);
        EXPECT_EQ(h.send(), sealed({c.firstAddress, 12, 0, 0, 0, 0, 0}));
    }
}

TEST(Identification, UnknownTypeEndsTheProgramWithItsMessage)
{
    for (int type : {0, 8, 11, 255}) {
        Harness h;
        h.connect(type);
        EXPECT_EQ(h.messages, QStringList{"Прибор неизвестен! Приложение будут закрыто!"}) << type;
        EXPECT_FALSE(h.form->timer1()->isActive());
        EXPECT_FALSE(h.form->timer2()->isActive());
        EXPECT_FALSE(h.form->timer3()->isActive());
        EXPECT_FALSE(h.form->isVisible());
        EXPECT_EQ(h.text("Panel1"), "Закрытие программы !!!") << "the exit path ran";
    }
}

TEST(Identification, SerialIsUnsignedAndTypeSurvivesReopen)
{
    Harness h;
    h.connect(4, 65535);
    EXPECT_EQ(h.text("Panel2"), "ЗЕТ73   № 65535");
    h.form->Button1Click();
    h.open();
    EXPECT_EQ(h.form->session().deviceType, 4);
    // A stray status reply before the new instrument answers goes nowhere: page 0 is active.
    h.reply({0, 12, 0, 0, 0, 0, 0});
    EXPECT_TRUE(h.messages.isEmpty());
}

TEST(Identification, RepeatedIdentificationReturnsToTheBasePage)
{
    Harness h;
    h.connect(1);
    h.select(page::Tks);
    h.reply({0, 9, 0, 0, 1, 0x39, 0x30});
    EXPECT_EQ(h.form->pageControl()->currentIndex(), 1);
    EXPECT_EQ(h.text("Panel2"), "ЗЕТ71   № 12345");
    EXPECT_EQ(h.request(), (Frame{128, 12, 0, 0, 0, 0, 0, h.request()[7]}));
}

TEST(ReceiveTick, FrameThatFailsItsCheckIsCopiedButNotDecoded)
{
    Harness h;
    h.connect(1);
    h.reply({0, 12, 0, 0, 0, 0xD2, 0x04});
    ASSERT_EQ(h.text("Panel10"), "12  мА");
    Frame bad = sealed({0, 12, 0x10, 0, 0, 0x98, 0x3A});
    bad[7] ^= 0xFF;
    h.driver.queueFrame(bad);
    h.form->Timer2Timer();
    EXPECT_FALSE(h.form->session().replyValid);
    EXPECT_EQ(h.form->session().reply, bad);
    EXPECT_EQ(h.text("Panel10"), "12  мА");
    EXPECT_EQ(h.text("Panel3"), "Контакт АКБ в норме");
}

TEST(ReceiveTick, SixteenWaitingBytesGiveTwoFramesOnTwoTicks)
{
    Harness h;
    h.connect(1);
    h.driver.queueReply(sealed({0, 12, 0, 0, 0, 0xE8, 0x03}));
    h.driver.queueReply(sealed({0, 12, 0, 0, 0, 0xD0, 0x07}));
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel10"), "10  мА");
    EXPECT_EQ(h.driver.rx.size(), 8u);
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel10"), "20  мА");
}

TEST(ReceiveTick, FewerThanEightBytesAreLeftWaiting)
{
    Harness h;
    h.connect(1);
    h.driver.queueBytes(QByteArray(5, '\0'));
    h.form->Timer2Timer();
    EXPECT_EQ(h.driver.rx.size(), 5u) << "the rest of the frame may still be on its way";
    EXPECT_FALSE(h.form->session().replyValid);
}

TEST(ReceiveTick, DriverErrorsInTicksShowNoMessage)
{
    Harness h;
    h.open();
    h.driver.failures["Write"] = 4;
    h.driver.failures["GetStatus"] = 4;
    h.form->Timer1Timer();
    h.form->Timer2Timer();
    EXPECT_TRUE(h.messages.isEmpty());
    EXPECT_TRUE(h.form->link().errorReports) << "reports are back on after the tick";
}

// A lost or a stray byte shifts the byte stream. Replies arrive whole, every 350 ms,
// and the receive tick runs every 100 ms, so the tool sees the odd count at least twice.
// Receive ticks while nothing more arrives, as between two replies.
void lineFallsQuiet(Harness &h)
{
    for (int i = 0; i < 3; ++i)
        h.form->Timer2Timer();
}

QByteArray bytesOf(const Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), 8);
}

TEST(Resync, StrayByteIsDroppedAndValuesReturnOnTheNextReply)
{
    Harness h;
    h.connect(1);
    h.driver.queueBytes(QByteArray(1, '\x55') + bytesOf(sealed({0, 12, 0, 0, 0, 0xE8, 0x03})));
    lineFallsQuiet(h);
    EXPECT_TRUE(h.driver.rx.empty());
    h.driver.queueReply(sealed({0, 12, 0, 0, 0, 0xD0, 0x07}));
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel10"), "20  мА");
}

TEST(Resync, LostByteIsRecoveredOnTheNextReply)
{
    Harness h;
    h.connect(1);
    h.reply({0, 12, 0, 0, 0, 0x10, 0x27});
    ASSERT_EQ(h.text("Panel10"), "100  мА");
    // Base unit replies start with 0: a frame shifted by one byte would pass its check,
    // so the shifted stream must never be read.
    h.driver.queueBytes(bytesOf(sealed({0, 12, 0, 0, 0, 0xE8, 0x03})).mid(1));
    lineFallsQuiet(h);
    h.driver.queueReply(sealed({0, 12, 0, 0, 0, 0xD0, 0x07}));
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel10"), "20  мА");
    EXPECT_EQ(h.request()[1], 12) << "no shifted frame was decoded as a command answer";
}

TEST(Resync, ReplyStillArrivingIsNotDropped)
{
    Harness h;
    h.connect(1);
    const QByteArray frame = bytesOf(sealed({0, 12, 0, 0, 0, 0xE8, 0x03}));
    h.driver.queueBytes(frame.left(3));
    h.form->Timer2Timer();
    h.driver.queueBytes(frame.mid(3));
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel10"), "10  мА");
}

TEST(Resync, CorruptFrameDropsWhatIsWaiting)
{
    Harness h;
    h.connect(1);
    Frame bad = sealed({0, 12, 0, 0, 0, 0xE8, 0x03});
    bad[7] ^= 1;
    h.driver.queueFrame(bad);
    h.driver.queueReply(sealed({0, 12, 0, 0, 0, 0xD0, 0x07}));
    h.form->Timer2Timer();
    EXPECT_TRUE(h.driver.rx.empty());
    h.driver.queueReply(sealed({0, 12, 0, 0, 0, 0xB8, 0x0B}));
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel10"), "30  мА");
}

TEST(Resync, CountSeenOnTheLastConnectionDoesNotDropTheFirstReply)
{
    Harness h;
    h.connect(1);
    h.driver.queueBytes(QByteArray(5, '\x11'));
    h.form->Timer2Timer();
    h.form->Button1Click();
    h.open();
    const QByteArray frame = bytesOf(sealed({0, 9, 0, 0, 4, 0x39, 0x30}));
    h.driver.queueBytes(frame.left(5)); // the identification reply, still arriving
    h.form->Timer2Timer();
    h.driver.queueBytes(frame.mid(5));
    h.form->Timer2Timer();
    EXPECT_EQ(h.text("Panel2"), "ЗЕТ73   № 12345");
}

TEST(StrayFrames, ValidNonIdentificationReplyBeforeIdentificationIsIgnored)
{
    Harness h;
    h.open();
    h.reply({3, 12, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(h.messages.isEmpty());
    EXPECT_TRUE(h.form->isVisible() || !h.form->testAttribute(Qt::WA_WState_ExplicitShowHide));
    EXPECT_TRUE(h.form->session().deviceOpen);
    EXPECT_EQ(h.text("Label1"), "Поиск прибора ...");
    EXPECT_EQ(h.send(), sealed({0x80, 9, 0, 0, 0, 0, 0})) << "still asking for identification";
    h.reply({0, 9, 0, 0, 1, 1, 0});
    EXPECT_EQ(h.form->session().deviceType, 1);
}

// Whatever the line delivers (valid frames from any block with any code, broken
// frames, loose bytes), with nobody clicking the tool sends only its polling and
// start-up codes, to the block of the page on show, and stays connected.
TEST(LineInput, RepliesNeverMakeTheToolSendAnUnaskedCommand)
{
    struct Case {
        int type;
        int page;
        uint8_t address;
        std::set<int> codes; // status request, start-up queue, idle alternation
    };
    const Case cases[] = {
        {1, page::Base, 128, {12}},
        {1, page::Pump, 143, {9, 12}},
        {1, page::Tks, 131, {9, 2, 3, 4, 12}},
        {2, page::TksPgs, 148, {9, 2, 3, 4, 12, 21}},
        {3, page::TksPgsH2, 149, {9, 2, 3, 4, 12, 21}},
        {4, page::Pgs, 136, {9, 12}},
        {10, page::Pressure, 145, {3, 2, 12}},
        {10, page::OpticCo2, 141, {5, 2, 13, 3, 4, 12, 96}},
        {10, page::Oxygen, 150, {9, 2, 3, 4, 13, 12, 1}},
        {6, page::OpticMethane5, 140, {12}},
    };
    std::mt19937 random(7);
    auto byte = [&] { return uint8_t(random() & 0xFF); };
    const uint8_t blocks[] = {0, 3, 8, 11, 12, 13, 15, 17, 20, 21, 22, 23, 24, 28, 99};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.page);
        Harness h;
        h.connect(c.type);
        h.select(c.page);
        const uint8_t before = h.request()[0];
        std::vector<Frame> sent;
        for (int i = 0; i < 3000; ++i) {
            switch (random() % 4) {
            case 0:
                sent.push_back(h.send());
                break;
            case 1: { // a valid frame, half of them from the page's block; identification aside
                uint8_t block =
                    random() % 2 ? uint8_t(c.address & 0x7F) : blocks[random() % std::size(blocks)];
                uint8_t code = random() % 8 ? byte() % 32 : byte();
                if (block == 0 && code == 9)
                    code = 12;
                h.reply({block, code, byte(), byte(), byte(), byte(), byte()});
                break;
            }
            case 2: { // a frame that fails its check
                Frame f =
                    sealed({blocks[random() % std::size(blocks)], 12, byte(), byte(), 0, 0, 0});
                f[7] ^= 0x5A;
                h.driver.queueFrame(f);
                h.form->Timer2Timer();
                break;
            }
            default: // loose bytes
                for (uint32_t n = random() % 12; n > 0; --n)
                    h.driver.rx.push_back(byte());
                h.form->Timer2Timer();
                break;
            }
        }
        ASSERT_TRUE(h.form->session().deviceOpen);
        EXPECT_TRUE(h.messages.isEmpty()) << h.messages.join("; ").toStdString();
        // Until the first reply is decoded on the methane 5% page, its frames still go
        // to the block addressed before; once addressed, the page keeps its block.
        bool addressed = false;
        for (const Frame &f : sent) {
            EXPECT_TRUE(c.codes.count(f[1])) << "code " << int(f[1]);
            addressed = addressed || f[0] == c.address;
            EXPECT_EQ(f[0], addressed ? c.address : before);
            EXPECT_EQ(f[7], checkByte(f));
        }
        EXPECT_TRUE(addressed);
    }
}

TEST(TransmitTick, QueueFeedsOneCodePerTickThenLastCodeRepeats)
{
    Harness h;
    h.connect(10);
    h.select(page::Pressure);
    EXPECT_EQ(h.send()[0], 145);
    EXPECT_EQ(h.driver.lastFrame()[1], 3);
    EXPECT_EQ(h.send()[1], 2);
    EXPECT_EQ(h.send()[1], 2) << "the frame keeps its last code until the block answers";
}

TEST(PageEntry, PropaneLoadsSixCodes)
{
    Harness h;
    h.connect(10);
    h.select(page::OpticPropane);
    QList<int> codes;
    for (int i = 0; i < 6; ++i) {
        const Frame f = h.send();
        EXPECT_EQ(f[0], 156);
        codes << f[1];
    }
    EXPECT_EQ(codes, (QList<int>{5, 2, 13, 3, 4, 9}));
}

TEST(PageEntry, NewLoadReplacesWhatIsLeftFromItsFirstSlot)
{
    Harness h;
    h.connect(10);
    h.select(page::OpticPropane);
    h.send();
    h.select(page::Pgs);
    EXPECT_EQ(h.send(), sealed({136, 9, 0, 0, 0, 0, 0}));
    EXPECT_EQ(h.form->session().queue.count, 0);
}

TEST(PageEntry, DeviceListPageChangesNothing)
{
    Harness h;
    h.connect(10);
    h.select(page::OpticPropane);
    const Frame before = h.request();
    h.select(page::DeviceList);
    EXPECT_EQ(h.request(), before);
    EXPECT_EQ(h.form->session().queue.count, 6);
}

TEST(PageEntry, AddressOnlyParametersKept)
{
    Harness h;
    h.connect(10);
    h.form->link().request()[3] = 0x77;
    h.select(page::Pump);
    const Frame f = h.send();
    EXPECT_EQ(f[0], 143);
    EXPECT_EQ(f[1], 9);
    EXPECT_EQ(f[3], 0x77) << "parameters are left from before";
}

TEST(PageEntry, TableOfAddressesAndQueues)
{
    struct Case {
        int page;
        uint8_t address;
        QList<int> codes;
    };
    const Case cases[] = {
        {page::Pump, 143, {9}},
        {page::Pgs, 136, {9}},
        {page::OpticMethane100, 139, {5, 2, 13, 3, 4}},
        {page::OpticCo2, 141, {5, 2, 13, 3, 4}},
        {page::Pressure, 145, {3, 2}},
    };
    for (const Case &c : cases) {
        Harness h;
        h.connect(10);
        h.select(c.page);
        QList<int> codes;
        for (int i = 0; i < c.codes.size(); ++i) {
            const Frame f = h.send();
            EXPECT_EQ(f[0], c.address) << c.page;
            codes << f[1];
        }
        EXPECT_EQ(codes, c.codes) << c.page;
        EXPECT_EQ(h.form->session().queue.count, 0);
    }
}

TEST(PageEntry, Methane5TabClickLeavesAddressUntilFirstReply)
{
    Harness h;
    h.connect(6);
    h.select(page::Pump);
    h.send();
    h.select(page::OpticMethane5);
    EXPECT_EQ(h.send()[0], 143);
    h.reply({12, 12, 0, 0, 0, 0, 0});
    EXPECT_EQ(h.send()[0], 140);
    EXPECT_EQ(h.form->timer1()->interval(), 800);
}

// Whatever the page just left had put into the request or the queue never reaches the
// base unit: entering its page starts from the status request.
TEST(PageEntry, BasePageStartsFromTheStatusRequest)
{
    struct Case {
        const char *what;
        int type;
        std::function<void(Harness &)> leave; // leaves something behind for another block
        Frame lateAnswer;                     // the other block's answer, after the switch
    };
    const Case cases[] = {
        {"pump switched off, answer still to come", 1,
         [](Harness &h) {
             h.select(page::Pump);
             h.send();
             h.reply({15, 9, 1, 0, 0, 0, 0x11});
             h.click("Button19");
             EXPECT_EQ(h.send(), sealed({143, 8, 0, 0, 0, 0, 0}));
         },
         sealed({15, 8, 0, 0, 0, 0, 0})},
        {"sensor switch-off not yet sent", 1,
         [](Harness &h) {
             h.select(page::Tks);
             h.click("Button15");
         },
         sealed({3, 12, 1, 0, 0, 0, 0})},
        {"start-up queue half sent", 10,
         [](Harness &h) {
             h.select(page::OpticPropane);
             h.send();
             h.send();
         },
         sealed({28, 2, 1, 0, 0, 0, 0})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.connect(c.type);
        c.leave(h);
        h.select(page::Base);
        EXPECT_EQ(h.send(), sealed({128, 12, 0, 0, 0, 0, 0}));
        EXPECT_EQ(h.form->session().queue.count, 0);
        h.driver.queueFrame(c.lateAnswer);
        h.form->Timer2Timer();
        EXPECT_TRUE(h.form->session().deviceOpen) << "no switch-off went out, none is completed";
        EXPECT_EQ(h.send(), sealed({128, 12, 0, 0, 0, 0, 0}));
    }
}

TEST(PageEntry, BaseCommandsCarryNoParametersOfTheLastPage)
{
    Harness h;
    h.connect(1);
    h.select(page::Tks);
    h.find<QLineEdit>("MaskEdit1")->setText("250");
    h.find<QLineEdit>("MaskEdit2")->setText("50");
    h.click("Button27");
    ASSERT_EQ(h.request()[3], 250);
    h.select(page::Base);
    h.click("Button3"); // test mode sends what the frame holds: the LED byte must not be 250
    EXPECT_EQ(h.send(), sealed({128, 6, 0, 0, 0, 0, 0}));
}

TEST(PageEntry, ProgramChangesDoNotRunTheEntry)
{
    Harness h;
    h.connect(2);
    // Identification made page 1 active without a click: the base unit's entry would
    // have addressed 128.
    EXPECT_EQ(h.send(), sealed({148, 12, 0, 0, 0, 0, 0}));
    h.select(page::TksPgs);
    h.select(page::Pump);
    h.form->Button1Click(); // the refresh makes page 0 active
    EXPECT_EQ(h.form->session().queue.count, 1) << "the pump's queue was not touched";
}

TEST(Identification, RepeatedIdentificationDropsCodesQueuedForAnotherBlock)
{
    Harness h;
    h.connect(10);
    h.select(page::Oxygen);
    h.send();
    h.reply({0, 9, 0, 0, 10, 1, 0});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(h.send(), sealed({128, 12, 0, 0, 0, 0, 0})) << "tick " << i;
}

// A page entered without its address still holds the command meant for the block
// addressed before; the first reply re-addresses the request but must not pass that
// command on to the new block.
TEST(PageEntry, CommandForThePreviousBlockIsNotPassedOn)
{
    Harness h;
    h.connect(6);
    h.select(page::Pump);
    h.send();
    h.reply({15, 9, 1, 0, 0, 0, 0x11});
    h.click("Button19"); // pump off
    h.select(page::OpticMethane5);
    EXPECT_EQ(h.send(), sealed({143, 8, 0, 0, 0, 0, 0})) << "the pump still gets its command";
    h.reply({15, 8, 0, 0, 0, 0, 0});
    EXPECT_EQ(h.send(), sealed({140, 12, 0, 0, 0, 0, 0}));
}

TEST(PageEntry, PeriodFollowsThePageFamily)
{
    Harness h;
    h.connect(10);
    h.select(page::OpticCo2);
    h.reply({13, 12, 1, 0, 0, 0, 0});
    EXPECT_EQ(h.form->timer1()->interval(), 800);
    h.select(page::Pump);
    h.reply({3, 12, 1, 0, 0, 0, 0});
    EXPECT_EQ(h.form->timer1()->interval(), 350) << "set on every reply, whichever block sent it";
}

TEST(PageEntry, ElectrochemicalPagesLoadThePictureFirst)
{
    Harness h;
    h.connect(10);
    ASSERT_TRUE(QFileInfo::exists("LMP91000.bmp")) << "tests run beside the drawn pictures";
    h.select(page::Oxygen);
    EXPECT_TRUE(h.messages.isEmpty());
    QList<int> codes;
    for (int i = 0; i < 5; ++i) {
        const Frame f = h.send();
        EXPECT_EQ(f[0], 150);
        codes << f[1];
    }
    EXPECT_EQ(codes, (QList<int>{9, 2, 3, 4, 13}));
}

TEST(PageEntry, MissingPictureIsReportedAndTheEntryStops)
{
    Harness h;
    h.connect(10);
    h.select(page::Pump);
    h.send();
    h.selectWithoutPictures(page::HydrogenSulphide);
    EXPECT_EQ(h.messages.size(), 1);
    EXPECT_TRUE(h.messages.value(0).contains("LMP91000.bmp"));
    EXPECT_EQ(h.send()[0], 143) << "address left to the decoder";
    h.reply({24, 12, 0, 0, 0, 0, 0});
    EXPECT_EQ(h.send()[0], 152);
}

TEST(PageEntry, MissingPictureLeavesNoPumpCommandForTheSensor)
{
    Harness h;
    h.connect(10);
    h.select(page::Pump);
    h.send();
    h.reply({15, 9, 1, 0, 0, 0, 0x11});
    h.click("Button20"); // pump set-up mode
    h.selectWithoutPictures(page::HydrogenSulphide);
    EXPECT_EQ(h.send(), sealed({143, 6, 0, 0, 0, 0, 0}));
    h.reply({15, 6, 0x80, 0, 0, 0, 0});
    EXPECT_EQ(h.send(), sealed({152, 12, 0, 0, 0, 0, 0}));
}

TEST(PageEntry, FocusMovingIntoAnOpticalMethanePageQueuesIdentification)
{
    Harness h;
    h.connect(6);
    h.form->show();
    h.select(page::Pump);
    h.send();
    h.select(page::OpticMethane5);
    EXPECT_EQ(h.form->session().queue.count, 0) << "the tab click alone loads nothing";
    auto *inside = new QPushButton(h.form->page(page::OpticMethane5));
    inside->setFocusPolicy(Qt::StrongFocus);
    inside->show();
    h.form->activateWindow();
    inside->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    if (QApplication::focusWidget() != inside)
        GTEST_SKIP() << "no focus handling on this platform";
    EXPECT_EQ(h.send(), sealed({140, 9, 0, 0, 0, 0, 0}));
    auto *second = new QPushButton(h.form->page(page::OpticMethane5));
    second->show();
    second->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(h.form->session().queue.count, 0) << "moving within the page is not an entry";
}

} // namespace
