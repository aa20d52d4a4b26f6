#pragma once
// Line faults between the simulated instrument and the tool: replies dropped,
// check bytes spoilt, stray bytes added, bytes lost, replies late. Each fault
// fires by probability, on every N-th reply, or once for the next replies.

#include "Rng.h"
#include "connection/Frame.h"

#include <cstdint>
#include <vector>

namespace zet::sim {

struct FaultRule {
    double probability = 0.0; // chance per reply
    int every = 0;            // every N-th reply (counted from 1); 0 = never
    int once = 0;             // the next this many replies
};

struct FaultPlan {
    FaultRule drop;    // the reply never arrives
    FaultRule corrupt; // the check byte is wrong
    FaultRule stray;   // one extra byte appears in the reply
    FaultRule lose;    // one byte of the reply goes missing
    FaultRule late;    // the reply arrives lateMs later than usual
    int lateMs = 500;
};

class FaultInjector {
public:
    explicit FaultInjector(uint64_t seed) : rng_(seed) {}

    FaultPlan &plan() { return plan_; }
    void setPlan(const FaultPlan &plan) { plan_ = plan; }

    struct Outcome {
        std::vector<uint8_t> bytes; // empty: nothing goes on the line
        int extraDelayMs = 0;
    };
    // What one reply turns into on its way to the tool.
    Outcome apply(const Frame &reply);

private:
    bool fires(FaultRule &rule);

    Rng rng_;
    FaultPlan plan_;
    int64_t count_ = 0;
};

} // namespace zet::sim
