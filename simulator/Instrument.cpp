#include "Instrument.h"
#include "GenericBlockSim.h"
#include "PgsSim.h"
#include "PressureSim.h"
#include "ThermoBlockSim.h"

namespace zet::sim {

namespace {
constexpr int kMaxStepMs = 60000;

uint64_t blockSeed(uint32_t seed, int block)
{
    return (uint64_t(seed) << 8 | uint64_t(block)) * 0x2545F4914F6CDD1Dull + 1;
}
} // namespace

std::vector<int> Instrument::blocksOfType(int deviceType)
{
    switch (deviceType) {
    case 1:
        return {3};
    case 2:
        return {20};
    case 3:
        return {21};
    case 4:
        return {8};
    case 5:
        return {11};
    case 6:
        return {12};
    case 7:
        return {22};
    case 9:
        return {23};
    case 10:
        return {11, 13, 23, 22, 24, 28, 8, 17};
    default:
        return {};
    }
}

Instrument::Instrument(int deviceType, uint16_t serialNumber, uint32_t seed)
    : m_deviceType(deviceType), m_serial(serialNumber)
{
    auto base = std::make_unique<BaseUnitSim>(deviceType, serialNumber, blockSeed(seed, 0));
    auto pump = std::make_unique<PumpSim>(blockSeed(seed, 15));
    m_base = base.get();
    m_pump = pump.get();
    m_blocks.push_back(std::move(base));
    m_blocks.push_back(std::move(pump));
    for (int number : blocksOfType(deviceType)) {
        const uint64_t s = blockSeed(seed, number);
        const auto n = uint8_t(number);
        switch (number) {
        case 3:
        case 20:
        case 21:
            m_blocks.push_back(std::make_unique<ThermoBlockSim>(n, s));
            break;
        case 8:
            m_blocks.push_back(std::make_unique<PgsSim>(s));
            break;
        case 17:
            m_blocks.push_back(std::make_unique<PressureSim>(s));
            break;
        default:
            m_blocks.push_back(std::make_unique<GenericBlockSim>(n, s));
            break;
        }
    }
}

Instrument::~Instrument() = default;

SimBlock *Instrument::block(int number) const
{
    for (const auto &b : m_blocks)
        if (b->number() == number)
            return b.get();
    return nullptr;
}

ThermoBlockSim *Instrument::thermo(int number) const
{
    return dynamic_cast<ThermoBlockSim *>(block(number));
}

PgsSim *Instrument::pgs() const { return dynamic_cast<PgsSim *>(block(8)); }

PressureSim *Instrument::pressure() const { return dynamic_cast<PressureSim *>(block(17)); }

std::optional<Frame> Instrument::handle(const Frame &request)
{
    if (m_poweredOff || !checkOk(request) || (request[0] & kBaseAddress) == 0)
        return std::nullopt;
    SimBlock *b = block(request[0] & 0x7F);
    if (!b)
        return std::nullopt;
    auto answer = b->handle(request);
    if (b == m_base && request[1] == BaseUnitSim::kSwitchOff)
        m_poweredOff = true;
    return answer;
}

void Instrument::advance(int64_t ms)
{
    while (ms > 0) {
        const int step = int(std::min<int64_t>(ms, kMaxStepMs));
        for (const auto &b : m_blocks)
            b->advance(step);
        ms -= step;
    }
}

void Instrument::powerUp()
{
    m_poweredOff = false;
    for (const auto &b : m_blocks)
        b->powerUp();
}

void Instrument::setWander(bool on)
{
    m_wander = on;
    for (const auto &b : m_blocks)
        b->setWander(on);
}

bool Instrument::setLevel(int number, double level)
{
    SimBlock *b = block(number);
    return b && b->setLevel(level);
}

} // namespace zet::sim
