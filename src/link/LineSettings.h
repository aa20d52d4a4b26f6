#pragma once
// The instrument's serial line: 250000 baud, 8 data bits, 2 stop bits, no parity.

#include "link/FtDriver.h"

#include <cstdint>

namespace zet::line {

constexpr uint32_t kBaudRate = 250000;
constexpr uint8_t kWordLength = ft::BITS_8;
constexpr uint8_t kStopBits = ft::STOP_BITS_2;
constexpr uint8_t kParity = ft::PARITY_NONE;

} // namespace zet::line
