#pragma once
// Small deterministic random source for the simulated instrument: the same seed
// gives the same noise on every platform, so reliability tests can be replayed.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zet::sim {

class Rng {
public:
    explicit Rng(uint64_t seed = 1) : state_(seed) {}

    uint64_t next()
    {
        // splitmix64
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [lo, hi].
    int range(int lo, int hi)
    {
        if (hi <= lo)
            return lo;
        return lo + int(next() % uint64_t(hi - lo + 1));
    }
    bool chance(double p) { return p > 0.0 && uniform() < p; }
    // Bell-shaped noise within [-amplitude, amplitude].
    double noise(double amplitude)
    {
        const double s = uniform() + uniform() + uniform() + uniform() - 2.0;
        return amplitude * s / 2.0;
    }

private:
    uint64_t state_;
};

// Slow random walk pulled back towards zero: sensor drift, temperature effects.
class Drift {
public:
    Drift(double limit, double stepPerSecond) : limit_(limit), step_(stepPerSecond) {}

    void advance(int ms, Rng &rng)
    {
        if (ms <= 0)
            return;
        const double seconds = ms / 1000.0;
        value_ += rng.noise(step_ * std::sqrt(seconds) * 2.0);
        value_ -= value_ * std::min(1.0, 0.01 * seconds); // mean reversion
        value_ = std::clamp(value_, -limit_, limit_);
    }
    double value() const { return value_; }

private:
    double limit_;
    double step_;
    double value_ = 0.0;
};

} // namespace zet::sim
