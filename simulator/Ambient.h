#pragma once
// Temperature around a block: a set point with a little drift and, while the demo
// wanders, a slow swing of a few degrees. Blocks that watch how fast it changes
// read the rate, smoothed over about half a minute.

#include "Rng.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace zet::sim {

class Ambient {
public:
    explicit Ambient(double celsius = 23.0) : set_(celsius), last_(celsius) {}

    // A new set point takes effect at once; the rate sees the jump on the next advance.
    void set(double celsius) { set_ = celsius; }
    void setSwing(bool on) { swing_ = on; }

    void advance(int ms, Rng &rng)
    {
        if (ms <= 0)
            return;
        drift_.advance(ms, rng);
        phaseMs_ = (phaseMs_ + ms) % kSwingPeriodMs;
        const double now = trend();
        const double perMinute = (now - last_) * 60000.0 / ms;
        rate_ += std::min(1.0, ms / 30000.0) * (perMinute - rate_);
        last_ = now;
    }

    double celsius() const { return trend() + drift_.value(); }
    // Degrees per minute, signed.
    double ratePerMinute() const { return rate_; }

private:
    // Set point and swing; the drift is too small and too quick to count as a change.
    double trend() const
    {
        const double swing =
            swing_ ? kSwing * std::sin(2.0 * std::numbers::pi * phaseMs_ / kSwingPeriodMs) : 0.0;
        return set_ + swing;
    }

    static constexpr int64_t kSwingPeriodMs = 20 * 60000;
    static constexpr double kSwing = 3.0; // at most about 0.9 degrees a minute

    double set_;
    double last_;
    double rate_ = 0.0;
    bool swing_ = false;
    int64_t phaseMs_ = 0;
    Drift drift_{0.5, 0.01};
};

} // namespace zet::sim
