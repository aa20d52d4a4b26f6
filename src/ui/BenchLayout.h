#pragma once
// Geometry of the multiplexer bench window: the 32 sockets of the bench picture,
// their channel codes and lamps, and where the picture, lamps and type group sit.
// Shared by the bench window (hit-testing clicks) and the program that draws
// stend1.bmp, so the drawn sockets and the click regions cannot drift apart.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

namespace zet::bench {

// The socket regions were laid out in outer-window coordinates under a standard
// frame: a 3-pixel border, and a 19-pixel title bar above the top border.
// client = outer - kFrameOffset.
inline constexpr QPoint kFrameOffset{3, 22};

inline constexpr QSize kClientSize{224, 353};
// Top-left corner of the bench picture on the window's client area.
inline constexpr QPoint kPictureOrigin{1, 10};
// "Тип датчика" group, client coordinates.
inline constexpr QRect kTypeGroup{8, 208, 161, 137};
// The picture covers the client width and stops short of the type group.
inline constexpr QSize kPictureSize{kClientSize.width() - 2 * kPictureOrigin.x(),
                                    kTypeGroup.top() - 3 - kPictureOrigin.y()};

inline constexpr int kRows = 4;
inline constexpr int kColumns = 8;
inline constexpr int kSockets = kRows * kColumns;
inline constexpr QSize kLampSize{9, 6};

namespace detail {
struct Span {
    int first, last; // inclusive
};
// Outer-window bounds of the socket columns and rows.
inline constexpr std::array<Span, kColumns> kColumnSpans{
    {{6, 29}, {34, 57}, {62, 84}, {89, 112}, {117, 139}, {144, 167}, {172, 196}, {201, 223}}};
inline constexpr std::array<Span, kRows> kRowSpans{{{34, 54}, {86, 110}, {134, 156}, {187, 209}}};
// Client position of the lamps' top-left corners.
inline constexpr std::array<int, kColumns> kLampX{10, 38, 65, 93, 121, 148, 176, 204};
inline constexpr std::array<int, kRows> kLampY{37, 58, 136, 158};

struct Cell {
    int channel; // code sent in request byte 2
    int lamp;    // N of PanelN
};
inline constexpr Cell kCells[kRows][kColumns] = {
    {{1, 1}, {2, 2}, {3, 4}, {4, 3}, {9, 5}, {10, 6}, {11, 7}, {12, 8}},
    {{5, 9}, {6, 10}, {7, 11}, {8, 12}, {13, 13}, {14, 14}, {15, 15}, {16, 16}},
    {{32, 17}, {31, 18}, {30, 19}, {29, 20}, {24, 21}, {23, 22}, {22, 23}, {21, 24}},
    {{28, 25}, {27, 26}, {26, 27}, {25, 28}, {20, 29}, {19, 30}, {18, 31}, {17, 32}},
};
} // namespace detail

constexpr QPoint toClient(QPoint outer) { return outer - kFrameOffset; }

struct Socket {
    int row;     // 0..3, top to bottom
    int column;  // 0..7, left to right
    int channel; // code sent in request byte 2
    int lamp;    // N of PanelN
    QRect outer; // click region in outer-window coordinates, edges inclusive

    constexpr QRect client() const { return outer.translated(-kFrameOffset); }
    constexpr QRect lampRect() const
    {
        return QRect(QPoint(detail::kLampX[size_t(column)], detail::kLampY[size_t(row)]),
                     kLampSize);
    }
    constexpr bool containsClient(QPoint p) const
    {
        const QRect r = client();
        return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
    }
};

// All sockets, row by row, each row left to right.
inline constexpr std::array<Socket, kSockets> kSocketTable = [] {
    std::array<Socket, kSockets> table{};
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column) {
            const auto &x = detail::kColumnSpans[size_t(column)];
            const auto &y = detail::kRowSpans[size_t(row)];
            const auto &cell = detail::kCells[row][column];
            table[size_t(row * kColumns + column)] = {
                row, column, cell.channel, cell.lamp,
                QRect(QPoint(x.first, y.first), QPoint(x.last, y.last))};
        }
    return table;
}();

// The socket at a row (0..3) and column (0..7) of the bench.
constexpr const Socket &gridSocket(int row, int column)
{
    return kSocketTable[size_t(row * kColumns + column)];
}

// The socket under a client-coordinate point, or nullptr between and outside sockets.
constexpr const Socket *socketAt(QPoint client)
{
    for (const Socket &s : kSocketTable)
        if (s.containsClient(client))
            return &s;
    return nullptr;
}

} // namespace zet::bench
