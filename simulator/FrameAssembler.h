#pragma once
// Cuts the incoming byte stream into 8-byte requests. A pause on the line ends a
// partial frame, so one lost or extra byte does not shift every later frame.

#include "connection/Frame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zet::sim {

class FrameAssembler {
public:
    explicit FrameAssembler(int64_t gapMs = 20) : gapMs_(gapMs) {}

    std::vector<Frame> feed(const uint8_t *data, size_t size, int64_t nowMs)
    {
        std::vector<Frame> frames;
        if (size == 0)
            return frames;
        if (fill_ > 0 && nowMs - lastByteMs_ > gapMs_)
            fill_ = 0;
        lastByteMs_ = nowMs;
        for (size_t i = 0; i < size; ++i) {
            partial_[size_t(fill_++)] = data[i];
            if (fill_ == kFrameSize) {
                frames.push_back(partial_);
                fill_ = 0;
            }
        }
        return frames;
    }
    void clear() { fill_ = 0; }
    int pending() const { return fill_; }

private:
    int64_t gapMs_;
    int64_t lastByteMs_ = 0;
    Frame partial_{};
    int fill_ = 0;
};

} // namespace zet::sim
