#include "FrameModel.h"

#include <algorithm>

namespace sim {

uint64_t FrameModel::HostReport()
{
    uint64_t frame = 0;
    if (anyOut_)
        frame = lastOut_ + 1;
    if (anySeen_)
        frame = std::max(frame, lastSeen_ + 1);
    anyOut_ = true;
    lastOut_ = frame;
    used_ = std::max(used_, frame + 1);
    return frame;
}

uint64_t FrameModel::DeviceAnswer(uint64_t acknowledged, uint32_t processingMs)
{
    uint64_t frame = acknowledged + 1 + processingMs;
    if (anyIn_)
        frame = std::max(frame, lastIn_ + 1);
    anyIn_ = true;
    lastIn_ = frame;
    used_ = std::max(used_, frame + 1);
    return frame;
}

void FrameModel::AnswerSeen(uint64_t frame)
{
    if (!anySeen_ || frame > lastSeen_)
        lastSeen_ = frame;
    anySeen_ = true;
}

} // namespace sim
