#include "FaultInjector.h"

namespace zet::sim {

bool FaultInjector::fires(FaultRule &rule)
{
    bool hit = false;
    if (rule.once > 0) {
        --rule.once;
        hit = true;
    }
    if (rule.every > 0 && m_count % rule.every == 0)
        hit = true;
    // Draw every time so that one rule's setting does not shift another's sequence.
    if (m_rng.uniform() < rule.probability)
        hit = true;
    return hit;
}

FaultInjector::Outcome FaultInjector::apply(const Frame &reply)
{
    ++m_count;
    const bool drop = fires(m_plan.drop);
    const bool corrupt = fires(m_plan.corrupt);
    const bool lose = fires(m_plan.lose);
    const bool stray = fires(m_plan.stray);
    const bool late = fires(m_plan.late);

    Outcome out;
    if (drop)
        return out;
    out.bytes.assign(reply.begin(), reply.end());
    if (corrupt)
        out.bytes[7] ^= uint8_t(m_rng.range(1, 255));
    if (lose)
        out.bytes.erase(out.bytes.begin() + m_rng.range(0, int(out.bytes.size()) - 1));
    if (stray)
        out.bytes.insert(out.bytes.begin() + m_rng.range(0, int(out.bytes.size())),
                         uint8_t(m_rng.range(0, 255)));
    if (late)
        out.extraDelayMs = m_plan.lateMs;
    return out;
}

} // namespace zet::sim
