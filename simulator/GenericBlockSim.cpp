#include "GenericBlockSim.h"

namespace zet::sim {

GenericBlockSim::GenericBlockSim(uint8_t number, uint64_t seed) : SimBlock(number, seed)
{
    m_first = m_rng.uniform(5.0, 40.0);
    m_second = m_rng.uniform(8000.0, 16000.0);
}

void GenericBlockSim::advance(int ms) { m_drift.advance(ms, m_rng); }

std::optional<Frame> GenericBlockSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    const double first = m_first + m_rng.noise(2.0);
    if (code == cmd::Identify)
        return versionReply(code, kOn, toWord(first), 0, kVersion);
    const double second = m_second + m_drift.value() * 10.0 + m_rng.noise(15.0);
    return reply(code, kOn, toWord(first), toUnsigned(second));
}

} // namespace zet::sim
