// The real serial path end to end: the window opens a pseudo-terminal through the
// serial-port driver, and the test plays the instrument on the master side.
#include "Harness.h"
#include "link/SerialPortDriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace zet;
using namespace zet::test;

namespace {

struct Pty {
    int master = -1;
    int slave = -1;
    QString path;
    Pty()
    {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    QByteArray readUntil(int bytes, int timeoutMs)
    {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (got.size() < bytes && t.elapsed() < timeoutMs) {
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            else
                QTest::qWait(5);
        }
        return got;
    }
    void write(const QByteArray &b)
    {
        ASSERT_EQ(::write(master, b.constData(), size_t(b.size())), b.size());
    }
};

QByteArray bytes(const Frame &f) { return QByteArray(reinterpret_cast<const char *>(f.data()), 8); }

struct PtyFixture : ::testing::Test {
    Pty pty;
    std::unique_ptr<SerialPortDriver> driver;
    Harness capture; // for its platform (messages, sleeps)
    std::unique_ptr<TForm1> form;

    void SetUp() override
    {
        ASSERT_FALSE(pty.path.isEmpty());
        driver = std::make_unique<SerialPortDriver>(QStringList{pty.path}, false);
        form = std::make_unique<TForm1>(*driver, capture.platform());
        auto *list = form->findChild<QTreeWidget *>("ListView1");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        list->setCurrentItem(list->topLevelItem(0));
    }
    QString text(const char *name) { return findControl<QLabel>(*form, name)->text(); }
    // Runs the event loop until the condition holds or the time is up.
    bool waitFor(const std::function<bool()> &cond, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!cond() && t.elapsed() < timeoutMs)
            QTest::qWait(10);
        return cond();
    }
};

TEST_F(PtyFixture, IdentificationRequestReachesTheLineWithinOneTransmitPeriod)
{
    QElapsedTimer t;
    t.start();
    form->ListView1DblClick();
    EXPECT_TRUE(capture.messages.isEmpty()) << capture.messages.join("\n").toStdString();
    const QByteArray got = pty.readUntil(8, 600);
    EXPECT_EQ(got.left(8).toHex(' '), QByteArray("80 09 00 00 00 00 00 89"));
    EXPECT_LE(t.elapsed(), 350 + 150);
}

TEST_F(PtyFixture, InstrumentIsIdentifiedAndValuesRecoverAfterAStrayByte)
{
    form->ListView1DblClick();
    ASSERT_EQ(pty.readUntil(8, 600).size(), 8);
    pty.write(bytes(sealed({0, 9, 0, 0, 1, 0x39, 0x30})));
    ASSERT_TRUE(waitFor([&] { return text("Panel2") == "ЗЕТ71   № 12345"; }, 1000));

    pty.write(QByteArray(1, '\x42') + bytes(sealed({0, 12, 0, 0, 0, 0xE8, 0x03})));
    QTest::qWait(400); // the odd count is seen twice and dropped
    pty.write(bytes(sealed({0, 12, 0, 0, 0, 0xD0, 0x07})));
    EXPECT_TRUE(waitFor([&] { return text("Panel10") == "20  мА"; }, 700));
}

TEST_F(PtyFixture, ValuesRecoverAfterALostByte)
{
    form->ListView1DblClick();
    ASSERT_EQ(pty.readUntil(8, 600).size(), 8);
    pty.write(bytes(sealed({0, 9, 0, 0, 1, 0x39, 0x30})));
    ASSERT_TRUE(waitFor([&] { return form->session().deviceType == 1; }, 1000));
    pty.write(bytes(sealed({0, 12, 0, 0, 0, 0xE8, 0x03})).mid(1));
    QTest::qWait(400);
    pty.write(bytes(sealed({0, 12, 0, 0, 0, 0xD0, 0x07})));
    EXPECT_TRUE(waitFor([&] { return text("Panel10") == "20  мА"; }, 700));
    EXPECT_EQ(form->link().request()[1], 12);
}

// The converter vanishes while it is polled (the other end hangs up): the window
// closes the connection as a removal would, says so, shows at most one message, and
// opens the port again once an instrument is back behind it.
TEST(PtyHotUnplug, ConnectionClosesOnceAndReopensWhenTheInstrumentIsBack)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("zet-port");
    auto first = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(first->path, link));
    SerialPortDriver driver(QStringList{link}, false);
    Harness capture;
    TForm1 form(driver, capture.platform());
    auto *list = form.findChild<QTreeWidget *>("ListView1");
    list->setCurrentItem(list->topLevelItem(0));
    form.ListView1DblClick();
    ASSERT_TRUE(form.session().deviceOpen);
    ASSERT_EQ(first->readUntil(8, 600).size(), 8);

    ::close(first->master);
    first->master = -1;
    QElapsedTimer t;
    t.start();
    while (form.session().deviceOpen && t.elapsed() < 2000)
        QTest::qWait(10);
    EXPECT_FALSE(form.session().deviceOpen);
    EXPECT_LE(capture.messages.size(), 1) << capture.messages.join("\n").toStdString();
    EXPECT_EQ(form.findChild<QLabel *>("Label1")->text(), "Связь с преобразователем потеряна");
    EXPECT_EQ(form.findChild<QLabel *>("Panel1")->text(), "Список обновлен!");
    EXPECT_FALSE(form.timer1()->isActive());

    Pty second; // the instrument is back, on a new line behind the same name
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(second.path, link));
    list->setCurrentItem(list->topLevelItem(0));
    form.ListView1DblClick();
    ASSERT_TRUE(form.session().deviceOpen);
    ASSERT_EQ(second.readUntil(8, 600).left(2).toHex(), QByteArray("8009"));
    second.write(bytes(sealed({0, 9, 0, 0, 1, 0x39, 0x30})));
    t.restart();
    while (form.session().deviceType != 1 && t.elapsed() < 1000)
        QTest::qWait(10);
    EXPECT_EQ(form.session().deviceType, 1);
    EXPECT_LE(capture.messages.size(), 1);
}

} // namespace
