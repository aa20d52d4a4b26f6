#include "FaultInjector.h"

namespace zet::sim {

bool FaultInjector::fires(FaultRule &rule)
{
    bool hit = false;
    if (rule.once > 0) {
        --rule.once;
        hit = true;
    }
    if (rule.every > 0 && count_ % rule.every == 0)
        hit = true;
    // Draw every time so that one rule's setting does not shift another's sequence.
    if (rng_.uniform() < rule.probability)
        hit = true;
    return hit;
}

FaultInjector::Outcome FaultInjector::apply(const Frame &reply)
{
    ++count_;
    const bool drop = fires(plan_.drop);
    const bool corrupt = fires(plan_.corrupt);
    const bool lose = fires(plan_.lose);
    const bool stray = fires(plan_.stray);
    const bool late = fires(plan_.late);

    Outcome out;
    if (drop)
        return out;
    out.bytes.assign(reply.begin(), reply.end());
    if (corrupt)
        out.bytes[7] ^= uint8_t(rng_.range(1, 255));
    if (lose)
        out.bytes.erase(out.bytes.begin() + rng_.range(0, int(out.bytes.size()) - 1));
    if (stray)
        out.bytes.insert(out.bytes.begin() + rng_.range(0, int(out.bytes.size())),
                         uint8_t(rng_.range(0, 255)));
    if (late)
        out.extraDelayMs = plan_.lateMs;
    return out;
}

} // namespace zet::sim
