#pragma once
// Up to six command codes that the transmit tick puts into the request one per tick.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>

namespace zet {

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
    bool empty() const { return count == 0; }
};

} // namespace zet
