#include "GasWander.h"

namespace zet::sim {

GasWander::GasWander(uint64_t seed) : m_rng(seed) { enter(Phase::Quiet); }

void GasWander::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    enter(Phase::Quiet);
}

void GasWander::setAlarmLevels(double first, double second, double top)
{
    m_first = first;
    m_second = second;
    m_top = top;
}

void GasWander::enter(Phase phase)
{
    m_phase = phase;
    m_elapsedMs = 0;
    switch (phase) {
    case Phase::Quiet:
        m_durationMs = m_rng.range(15000, 40000);
        break;
    case Phase::Rising:
        m_peak = pickPeak();
        m_durationMs = m_rng.range(6000, 12000);
        break;
    case Phase::Holding:
        m_durationMs = m_rng.range(4000, 10000);
        break;
    case Phase::Falling:
        m_durationMs = m_rng.range(10000, 20000);
        break;
    }
}

double GasWander::pickPeak()
{
    const double r = m_rng.uniform();
    if (r < 0.35)
        return 0.6 * m_first;
    if (r < 0.65)
        return m_rng.uniform(1.2 * m_first, std::max(1.25 * m_first, 0.95 * m_second));
    if (r < 0.9)
        return m_rng.uniform(1.1 * m_second, std::max(1.15 * m_second, 0.9 * m_top));
    return 1.15 * m_top;
}

void GasWander::advance(int ms)
{
    if (!m_enabled || ms <= 0)
        return;
    m_elapsedMs += ms;
    while (m_elapsedMs >= m_durationMs) {
        const int rest = m_elapsedMs - m_durationMs;
        switch (m_phase) {
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
        m_elapsedMs = rest;
    }
}

double GasWander::excess() const
{
    if (!m_enabled)
        return 0.0;
    const double t = m_durationMs > 0 ? double(m_elapsedMs) / m_durationMs : 1.0;
    switch (m_phase) {
    case Phase::Quiet:
        return 0.0;
    case Phase::Rising:
        return m_peak * t;
    case Phase::Holding:
        return m_peak;
    case Phase::Falling:
        return m_peak * (1.0 - t);
    }
    return 0.0;
}

} // namespace zet::sim
