#include "PumpSim.h"

namespace zet::sim {

namespace {
constexpr double kCentre = 2048.0;          // position sensor at rest
constexpr double kStrokePerAmplitude = 5.5; // position-sensor half-span per amplitude unit
} // namespace

PumpSim::PumpSim(uint64_t seed) : SimBlock(block::Pump, seed) {}

void PumpSim::powerUp()
{
    m_running = true;
    m_setup = false;
    m_frequency = m_savedFrequency;
    m_amplitude = m_savedAmplitude;
}

void PumpSim::advance(int ms) { m_centreDrift.advance(ms, m_rng); }

uint8_t PumpSim::status() const
{
    return uint8_t((m_running ? kRunning : 0) | (m_defaults ? kDefaultSettings : 0) |
                   (m_setup ? kSetupMode : 0));
}

uint16_t PumpSim::coilCurrent()
{
    if (!m_running)
        return 0;
    // About 0.28 mA per amplitude unit, a little more away from resonance.
    const double detune = 1.0 + 0.004 * std::abs(m_frequency - kDefaultFrequency);
    const double mA = 0.28 * m_amplitude * detune + m_rng.noise(0.8);
    return toUnsigned(2.0 * mA);
}

std::optional<Frame> PumpSim::handle(const Frame &r)
{
    const uint8_t code = r[1];
    switch (code) {
    case cmd::pump::On:
        m_running = true;
        return versionReply(code, status(), coilCurrent(), uint8_t(m_amplitude), kVersion);
    case cmd::pump::Off:
        m_running = false;
        break;
    case cmd::pump::Setup:
        m_setup = true;
        break;
    case cmd::pump::Save:
        m_savedFrequency = m_frequency;
        m_savedAmplitude = m_amplitude;
        m_defaults = false;
        m_setup = false;
        break;
    case cmd::pump::FrequencyUp:
        m_frequency = std::min(m_frequency + 1, kMaxFrequency);
        break;
    case cmd::pump::FrequencyDown:
        m_frequency = std::max(m_frequency - 1, kMinFrequency);
        break;
    case cmd::pump::AmplitudeUp:
        m_amplitude = std::min(m_amplitude + 1, kMaxAmplitude);
        break;
    case cmd::pump::AmplitudeDown:
        m_amplitude = std::max(m_amplitude - 1, kMinAmplitude);
        break;
    case cmd::pump::ReadPosition: {
        const double half = m_running ? kStrokePerAmplitude * m_amplitude + m_rng.noise(6.0)
                                      : std::abs(m_rng.noise(3.0));
        const double centre = kCentre + m_centreDrift.value();
        return reply(code, status(), toUnsigned(centre + half), toUnsigned(centre - half));
    }
    default:
        break;
    }
    Frame f = reply(code, status(), coilCurrent(), 0);
    f[5] = uint8_t(m_amplitude);
    f[6] = uint8_t(m_frequency);
    seal(f.data());
    return f;
}

} // namespace zet::sim
