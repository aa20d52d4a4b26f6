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
    explicit FrameAssembler(int64_t gapMs = 20) : m_gapMs(gapMs) {}

    std::vector<Frame> feed(const uint8_t *data, size_t size, int64_t nowMs)
    {
        std::vector<Frame> frames;
        if (size == 0)
            return frames;
        if (m_fill > 0 && nowMs - m_lastByteMs > m_gapMs)
            m_fill = 0;
        m_lastByteMs = nowMs;
        for (size_t i = 0; i < size; ++i) {
            m_partial[size_t(m_fill++)] = data[i];
            if (m_fill == kFrameSize) {
                frames.push_back(m_partial);
                m_fill = 0;
            }
        }
        return frames;
    }
    void clear() { m_fill = 0; }
    int pending() const { return m_fill; }

private:
    int64_t m_gapMs;
    int64_t m_lastByteMs = 0;
    Frame m_partial{};
    int m_fill = 0;
};

} // namespace zet::sim
