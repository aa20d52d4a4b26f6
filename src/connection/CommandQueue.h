#pragma once
// Up to six command codes that the transmit tick puts into the request one per tick.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace zet {

// A fixed list of up to six codes, for tables: an entry queue, an idle queue.
struct CodeList {
    std::array<uint8_t, 6> codes{};
    uint8_t size = 0;

    constexpr CodeList() = default;
    constexpr CodeList(std::initializer_list<uint8_t> list)
    {
        for (uint8_t c : list)
            if (size < codes.size())
                codes[size++] = c;
    }
    constexpr bool empty() const { return size == 0; }
    std::span<const uint8_t> span() const { return {codes.data(), size}; }
    bool contains(uint8_t code) const
    {
        return std::find(codes.begin(), codes.begin() + size, code) != codes.begin() + size;
    }
};

struct CommandQueue {
    static constexpr int kSlots = 6;
    std::array<uint8_t, kSlots> codeSlots{};
    uint8_t position = 0;
    uint8_t count = 0;

    // Replaces what is left of an earlier load; codeSlots beyond the new count keep
    // their old codes but are never sent.
    void load(const uint8_t *codes, size_t n)
    {
        n = std::min<size_t>(n, kSlots);
        std::copy_n(codes, n, codeSlots.begin());
        position = 0;
        count = uint8_t(n);
    }
    void load(std::initializer_list<uint8_t> codes) { load(codes.begin(), codes.size()); }
    template <typename C> void load(const C &codes) { load(codes.data(), codes.size()); }
    // Next code to send, if any.
    bool take(uint8_t &code)
    {
        if (count == 0 || position >= kSlots)
            return false;
        code = codeSlots[position++];
        --count;
        return true;
    }
    void clear() { count = 0; }
    // Whether `code` is the next code the transmit tick will send.
    bool nextIs(uint8_t code) const
    {
        return count != 0 && position < kSlots && codeSlots[position] == code;
    }
    bool empty() const { return count == 0; }
};

} // namespace zet
