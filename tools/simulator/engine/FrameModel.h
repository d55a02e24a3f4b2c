// Timing of full-speed USB interrupt transfers: at most one 64-byte report per 1 ms frame in each
// direction, and an answer no earlier than the frame after the data it acknowledges (plus the
// device's processing time). Fed with the exchange as it happens, it gives the shortest time the
// exchange could have taken with a host that reacts at once, so a client's own overhead can be
// measured against that physical limit.
#pragma once

#include <cstdint>

namespace sim {

class FrameModel {
public:
    // A host report; it cannot leave before the frame after the last answer the host has seen.
    uint64_t HostReport();
    // An answer to the host report of frame `acknowledged`, ready `processingMs` after it.
    uint64_t DeviceAnswer(uint64_t acknowledged, uint32_t processingMs);
    // The host has received the answer of frame `frame`.
    void AnswerSeen(uint64_t frame);
    // Frames (milliseconds) the exchange occupies so far.
    uint64_t MinimumMs() const { return used_; }

private:
    bool anyOut_ = false, anyIn_ = false, anySeen_ = false;
    uint64_t lastOut_ = 0, lastIn_ = 0, lastSeen_ = 0, used_ = 0;
};

} // namespace sim
