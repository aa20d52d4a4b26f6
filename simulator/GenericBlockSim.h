#pragma once
// Stand-in for the optical and electrochemical blocks (11, 12, 13, 22, 23, 24, 28):
// it answers every request with the same code, reports itself switched on, gives
// its firmware version to code 9 and two slowly drifting values otherwise.

#include "SimBlock.h"

namespace zet::sim {

class GenericBlockSim : public SimBlock {
public:
    static constexpr uint8_t kOn = 0x01;
    static constexpr uint8_t kVersion = 0x10;

    GenericBlockSim(uint8_t number, uint64_t seed);

    std::optional<Frame> handle(const Frame &request) override;
    void advance(int ms) override;

private:
    double m_first;
    double m_second;
    Drift m_drift{20.0, 1.0};
};

} // namespace zet::sim
