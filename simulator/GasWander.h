#pragma once
// A gas cloud that now and then drifts past the sensor: after a quiet spell the
// level rises to a peak, holds and falls back. Peaks are picked around the block's
// alarm levels so that an engineer watching the demo sees thresholds crossed.

#include "Rng.h"

namespace zet::sim {

class GasWander {
public:
    explicit GasWander(uint64_t seed);

    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    // Levels in the unit of the level itself (hundredths of a percent, of a kPa...).
    void setAlarmLevels(double first, double second, double top);
    void advance(int ms);
    // Level added on top of the background level at this moment.
    double excess() const;

private:
    enum class Phase { Quiet, Rising, Holding, Falling };
    void enter(Phase phase);
    double pickPeak();

    Rng rng_;
    bool enabled_ = false;
    Phase phase_ = Phase::Quiet;
    int elapsedMs_ = 0;
    int durationMs_ = 0;
    double peak_ = 0.0;
    double first_ = 50.0;
    double second_ = 100.0;
    double top_ = 500.0;
};

} // namespace zet::sim
