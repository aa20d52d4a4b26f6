#include "GasWander.h"

namespace zet::sim {

GasWander::GasWander(uint64_t seed) : rng_(seed) { enter(Phase::Quiet); }

void GasWander::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    enter(Phase::Quiet);
}

void GasWander::setAlarmLevels(double first, double second, double top)
{
    first_ = first;
    second_ = second;
    top_ = top;
}

void GasWander::enter(Phase phase)
{
    phase_ = phase;
    elapsedMs_ = 0;
    switch (phase) {
    case Phase::Quiet:
        durationMs_ = rng_.range(15000, 40000);
        break;
    case Phase::Rising:
        peak_ = pickPeak();
        durationMs_ = rng_.range(6000, 12000);
        break;
    case Phase::Holding:
        durationMs_ = rng_.range(4000, 10000);
        break;
    case Phase::Falling:
        durationMs_ = rng_.range(10000, 20000);
        break;
    }
}

double GasWander::pickPeak()
{
    const double r = rng_.uniform();
    if (r < 0.35)
        return 0.6 * first_;
    if (r < 0.65)
        return rng_.uniform(1.2 * first_, std::max(1.25 * first_, 0.95 * second_));
    if (r < 0.9)
        return rng_.uniform(1.1 * second_, std::max(1.15 * second_, 0.9 * top_));
    return 1.15 * top_;
}

void GasWander::advance(int ms)
{
    if (!enabled_ || ms <= 0)
        return;
    elapsedMs_ += ms;
    while (elapsedMs_ >= durationMs_) {
        const int rest = elapsedMs_ - durationMs_;
        switch (phase_) {
        case Phase::Quiet:
            enter(Phase::Rising);
            break;
        case Phase::Rising:
            enter(Phase::Holding);
            break;
        case Phase::Holding:
            enter(Phase::Falling);
            break;
        case Phase::Falling:
            enter(Phase::Quiet);
            break;
        }
        elapsedMs_ = rest;
    }
}

double GasWander::excess() const
{
    if (!enabled_)
        return 0.0;
    const double t = durationMs_ > 0 ? double(elapsedMs_) / durationMs_ : 1.0;
    switch (phase_) {
    case Phase::Quiet:
        return 0.0;
    case Phase::Rising:
        return peak_ * t;
    case Phase::Holding:
        return peak_;
    case Phase::Falling:
        return peak_ * (1.0 - t);
    }
    return 0.0;
}

} // namespace zet::sim
