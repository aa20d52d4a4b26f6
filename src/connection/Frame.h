#pragma once
// 8-byte request/reply frames: layout helpers, the XOR check byte and the module
// address table. No I/O here.

#include "connection/Protocol.h"

#include <array>
#include <cstdint>

namespace zet {

constexpr int kFrameSize = 8;
using Frame = std::array<uint8_t, kFrameSize>;

// XOR of bytes 0..6.
inline uint8_t checkByte(const uint8_t *f)
{
    uint8_t x = 0;
    for (int i = 0; i < 7; ++i)
        x ^= f[i];
    return x;
}
inline uint8_t checkByte(const Frame &f) { return checkByte(f.data()); }
inline void seal(uint8_t *f) { f[7] = checkByte(f); }
inline bool checkOk(const uint8_t *f) { return checkByte(f) == f[7]; }
inline bool checkOk(const Frame &f) { return checkOk(f.data()); }

// Little-endian 16-bit value starting at byte i.
inline uint16_t u16(const uint8_t *f, int i) { return uint16_t(f[i] | (f[i + 1] << 8)); }
inline int16_t s16(const uint8_t *f, int i) { return int16_t(u16(f, i)); }
inline uint16_t u16(const Frame &f, int i) { return u16(f.data(), i); }
inline int16_t s16(const Frame &f, int i) { return s16(f.data(), i); }
inline void putU16(uint8_t *f, int i, uint16_t v)
{
    f[i] = uint8_t(v & 0xFF);
    f[i + 1] = uint8_t(v >> 8);
}

// Writes address, code and parameters 2..6 (never the check byte).
inline void setRequest(uint8_t *f, uint8_t address, uint8_t code, uint8_t p2 = 0, uint8_t p3 = 0,
                       uint8_t p4 = 0, uint8_t p5 = 0, uint8_t p6 = 0)
{
    f[0] = address;
    f[1] = code;
    f[2] = p2;
    f[3] = p3;
    f[4] = p4;
    f[5] = p5;
    f[6] = p6;
}

constexpr uint8_t kBaseAddress = 0x80;
constexpr uint8_t moduleAddress(uint8_t block) { return uint8_t(0x80 | block); }

} // namespace zet
