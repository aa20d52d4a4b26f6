#pragma once
// The instrument's protocol by name: command codes of each kind of block, block
// numbers, which blocks an instrument type carries, and the line settings. Pages,
// page table, journal and simulator all speak it; no other file numbers a code.

#include "connection/PageIndex.h"
#include "link/LineSettings.h"

#include <cstdint>

namespace zet {

namespace cmd {
// Every block answers it with its state; the tool's own poll.
constexpr uint8_t Status = 12;
// The base unit's identification.
constexpr uint8_t Identify = 9;

namespace base {
constexpr uint8_t TestMode = 6; // with test outputs: byte 3 LED, byte 4 sound
constexpr uint8_t WorkMode = 7;
constexpr uint8_t SwitchOff = 8;
constexpr uint8_t Identify = cmd::Identify;
constexpr uint8_t Clock = 211;
} // namespace base

namespace pump {
constexpr uint8_t AmplitudeUp = 1;
constexpr uint8_t FrequencyUp = 3;
constexpr uint8_t FrequencyDown = 4;
constexpr uint8_t Setup = 6;
constexpr uint8_t Save = 7;
constexpr uint8_t Off = 8;
constexpr uint8_t On = 9;
constexpr uint8_t AmplitudeDown = 13;
constexpr uint8_t ReadPosition = 14;
} // namespace pump

// Thermocatalytic, semiconductor, pressure and electrochemical blocks; the optical
// blocks share the switching, set-up, save and set codes.
namespace sensor {
constexpr uint8_t SelectGas = 1;
constexpr uint8_t ReadVoltages = 2;
constexpr uint8_t ReadCalibration = 3;
constexpr uint8_t ReadThresholds = 4;
constexpr uint8_t AdjustZero = 5;
constexpr uint8_t Setup = 6;
constexpr uint8_t Save = 7;
constexpr uint8_t Off = 8;
constexpr uint8_t On = 9;
constexpr uint8_t SetFirst = 10;
constexpr uint8_t SetSecond = 11;
constexpr uint8_t TakeGasVoltage = 14;
constexpr uint8_t TakeAirVoltage = 15;
constexpr uint8_t Reset = 16;
// The semiconductor half of a combined thermocatalytic block.
constexpr uint8_t PgsOn = 18;
constexpr uint8_t PgsOff = 20;
constexpr uint8_t PgsStatus = 21;
} // namespace sensor

namespace optical {
constexpr uint8_t ReadGasVoltage = 1;
constexpr uint8_t ReadGasVoltage2 = 2;
constexpr uint8_t ReadFirst = 3;
constexpr uint8_t ReadThresholds = 4;
constexpr uint8_t ReadZeroVoltage = 5;
constexpr uint8_t Setup = sensor::Setup;
constexpr uint8_t Save = sensor::Save;
constexpr uint8_t Off = sensor::Off;
constexpr uint8_t On = sensor::On;
constexpr uint8_t SetFirst = sensor::SetFirst;
constexpr uint8_t SetSecond = sensor::SetSecond;
constexpr uint8_t ReadConcentration = 13;
constexpr uint8_t CalibrateGas = 14;
constexpr uint8_t CalibrateZero = 15;
constexpr uint8_t Diagnostics = 96;
constexpr uint8_t Temperature = 97;
} // namespace optical

namespace electro {
constexpr uint8_t Measure = 1;
constexpr uint8_t SetFourth = 8;
constexpr uint8_t Version = 9; // its reply carries the LMP91000 registers too
constexpr uint8_t ReadFourth = 13;
constexpr uint8_t ReadFrontEnd = 32;
constexpr uint8_t WriteFrontEnd = 33;
} // namespace electro
} // namespace cmd

} // namespace zet
