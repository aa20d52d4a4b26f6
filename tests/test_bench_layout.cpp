// Bench window geometry: clicks to sockets, and the drawn bench picture against the
// click regions it has to match.
#include "ui/BenchLayout.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

using namespace zet::bench;

namespace {

struct Click {
    QPoint outer; // cursor relative to the window's outer corner
    int channel;  // 0: no socket
    int lamp;
};

class BenchClick : public ::testing::TestWithParam<Click> {};

TEST_P(BenchClick, SelectsTheSocketUnderTheCursor)
{
    const Click c = GetParam();
    const Socket *hit = socketAt(toClient(c.outer));
    if (c.channel == 0) {
        EXPECT_EQ(hit, nullptr);
        return;
    }
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->channel, c.channel);
    EXPECT_EQ(hit->lamp, c.lamp);
}

INSTANTIATE_TEST_SUITE_P(Examples, BenchClick,
                         ::testing::Values(Click{{20, 40}, 1, 1}, Click{{100, 200}, 25, 28},
                                           Click{{210, 140}, 21, 24},
                                           Click{{31, 40}, 0, 0},  // between columns 1 and 2
                                           Click{{20, 70}, 0, 0},  // between rows 1 and 2
                                           Click{{2, 40}, 0, 0})); // left of the bench

TEST(BenchLayout, RegionEdgesAreInclusiveAndTheSocketsDoNotTouch)
{
    for (const Socket &s : kSocketTable) {
        SCOPED_TRACE(s.channel);
        const QRect r = s.outer;
        for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            EXPECT_EQ(socketAt(toClient(corner)), &s);
        for (QPoint outside : {QPoint(r.left() - 1, r.top()), QPoint(r.right() + 1, r.bottom()),
                               QPoint(r.left(), r.top() - 1), QPoint(r.right(), r.bottom() + 1)})
            EXPECT_EQ(socketAt(toClient(outside)), nullptr);
    }
}

TEST(BenchLayout, ThirtyTwoChannelsAndLampsEachLampInItsSocketsColumn)
{
    QSet<int> channels, lamps;
    for (const Socket &s : kSocketTable) {
        channels << s.channel;
        lamps << s.lamp;
        EXPECT_TRUE(s.channel >= 1 && s.channel <= 32 && s.lamp >= 1 && s.lamp <= 32);
        EXPECT_GE(s.lampRect().left(), s.client().left()) << s.channel;
        EXPECT_LE(s.lampRect().right(), s.client().right()) << s.channel;
        EXPECT_EQ(socketAt(s.lampRect().center()), nullptr) << "lamp over socket " << s.channel;
    }
    EXPECT_EQ(channels.size(), kSockets);
    EXPECT_EQ(lamps.size(), kSockets);
}

TEST(BenchPicture, SocketsAreDrawnExactlyOverTheirRegions)
{
    const QImage img(QStringLiteral("stend1.bmp"));
    ASSERT_FALSE(img.isNull()) << "tests run in the build directory, beside the drawn pictures";
    ASSERT_EQ(img.size(), kPictureSize);
    ASSERT_LE(QRect(kPictureOrigin, kPictureSize).bottom(), kTypeGroup.top() - 1)
        << "the picture leaves the type group free";
    auto at = [&](QPoint client) { return img.pixelColor(client - kPictureOrigin); };
    const QColor housing = at(kSocketTable[0].client().center());
    ASSERT_LT(housing.lightness(), 80) << "sockets are dark on the board";
    for (const Socket &s : kSocketTable) {
        SCOPED_TRACE(s.channel);
        const QRect r = s.client();
        const int cx = r.center().x(), cy = r.center().y();
        // Centre and the middle of each edge are socket; one pixel further out is not.
        const QPoint inside[] = {
            {cx, cy}, {r.left(), cy}, {r.right(), cy}, {cx, r.top()}, {cx, r.bottom()}};
        const QPoint outside[] = {{r.left() - 1, cy},
                                  {r.right() + 1, cy},
                                  {cx, r.top() - 1},
                                  {cx, r.bottom() + 1},
                                  s.lampRect().center()};
        for (QPoint p : inside)
            EXPECT_EQ(at(p), housing) << p.x() << "," << p.y();
        for (QPoint p : outside)
            EXPECT_NE(at(p), housing) << p.x() << "," << p.y();
    }
    // Between the socket rows.
    for (int row = 0; row + 1 < kRows; ++row) {
        const int y =
            (gridSocket(row, 0).client().bottom() + gridSocket(row + 1, 0).client().top()) / 2;
        for (int column = 0; column < kColumns; ++column)
            EXPECT_NE(at({gridSocket(row, column).client().center().x(), y}), housing)
                << row << "/" << column;
    }
}

} // namespace
