#include "Instrument.h"
#include "ElectroBlockSim.h"
#include "OpticalBlockSim.h"
#include "PgsSim.h"
#include "PressureSim.h"
#include "ThermoBlockSim.h"

#include "connection/DeviceTypes.h"
#include "connection/Protocol.h"

#include <algorithm>

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
    std::vector<int> blocks;
    if (const auto info = deviceTypeInfo(deviceType))
        for (const ShownPage &p : info->pages)
            blocks.push_back(blockOfPage(p.index));
    return blocks;
}

Instrument::Instrument(int deviceType, uint16_t serialNumber, uint32_t seed)
    : carriedType_(0), serial_(serialNumber), seed_(seed)
{
    auto base =
        std::make_unique<BaseUnitSim>(deviceType, serialNumber, blockSeed(seed, block::Base));
    auto pump = std::make_unique<PumpSim>(blockSeed(seed, block::Pump));
    base_ = base.get();
    pump_ = pump.get();
    blocks_.push_back(std::move(base));
    blocks_.push_back(std::move(pump));
    carry(deviceType);
}

std::unique_ptr<SimBlock> Instrument::makeBlock(int number) const
{
    const uint64_t s = blockSeed(seed_, number);
    if (const OpticalModel *m = OpticalBlockSim::model(number)) {
        auto b = std::make_unique<OpticalBlockSim>(*m, s);
        b->setLinkErrors(linkErrors_, linkErrorCode_);
        return b;
    }
    if (const ElectroModel *m = ElectroBlockSim::model(number))
        return std::make_unique<ElectroBlockSim>(*m, s);
    switch (number) {
    case block::Pgs:
        return std::make_unique<PgsSim>(s);
    case block::Pressure:
        return std::make_unique<PressureSim>(s);
    default: // the thermocatalytic blocks
        return std::make_unique<ThermoBlockSim>(uint8_t(number), s);
    }
}

void Instrument::carry(int deviceType)
{
    const std::vector<int> wanted = blocksOfType(deviceType);
    const auto keep = [&](const std::unique_ptr<SimBlock> &b) {
        return b.get() == base_ || b.get() == pump_ ||
               std::find(wanted.begin(), wanted.end(), b->number()) != wanted.end();
    };
    std::erase_if(blocks_, [&](const std::unique_ptr<SimBlock> &b) { return !keep(b); });
    for (int number : wanted) {
        if (block(number))
            continue;
        blocks_.push_back(makeBlock(number));
        blocks_.back()->setWander(wander_);
    }
    carriedType_ = deviceType;
}

Instrument::~Instrument() = default;

SimBlock *Instrument::block(int number) const
{
    for (const auto &b : blocks_)
        if (b->number() == number)
            return b.get();
    return nullptr;
}

ThermoBlockSim *Instrument::thermo(int number) const
{
    return dynamic_cast<ThermoBlockSim *>(block(number));
}

PgsSim *Instrument::pgs() const { return dynamic_cast<PgsSim *>(block(block::Pgs)); }

PressureSim *Instrument::pressure() const
{
    return dynamic_cast<PressureSim *>(block(block::Pressure));
}

OpticalBlockSim *Instrument::optical(int number) const
{
    return dynamic_cast<OpticalBlockSim *>(block(number));
}

ElectroBlockSim *Instrument::electro(int number) const
{
    return dynamic_cast<ElectroBlockSim *>(block(number));
}

std::optional<Frame> Instrument::handle(const Frame &request)
{
    if (poweredOff_ || !checkOk(request) || (request[0] & kBaseAddress) == 0)
        return std::nullopt;
    SimBlock *b = block(request[0] & 0x7F);
    if (!b)
        return std::nullopt;
    const bool sensorBlock = b != base_ && b != pump_;
    if (sensorBlock && base_->socketEmpty())
        return std::nullopt;
    auto answer = b->handle(request);
    if (b == base_ && request[1] == cmd::base::SwitchOff)
        poweredOff_ = true;
    if (b == base_ && base_->identifiedType() != carriedType_)
        carry(base_->identifiedType());
    return answer;
}

void Instrument::advance(int64_t ms)
{
    while (ms > 0) {
        const int step = int(std::min<int64_t>(ms, kMaxStepMs));
        for (const auto &b : blocks_)
            b->advance(step);
        ms -= step;
    }
}

void Instrument::powerUp()
{
    poweredOff_ = false;
    for (const auto &b : blocks_)
        b->powerUp();
}

void Instrument::setWander(bool on)
{
    wander_ = on;
    for (const auto &b : blocks_)
        b->setWander(on);
}

void Instrument::setOpticalLinkErrors(double probability, uint8_t code)
{
    linkErrors_ = probability;
    linkErrorCode_ = code;
    for (const auto &b : blocks_)
        if (auto *o = dynamic_cast<OpticalBlockSim *>(b.get()))
            o->setLinkErrors(probability, code);
}

bool Instrument::setLevel(int number, double level)
{
    SimBlock *b = block(number);
    return b && b->setLevel(level);
}

} // namespace zet::sim
