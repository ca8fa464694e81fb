#include "heard_history.h"

#include <algorithm>

namespace kelvoria {

void HeardHistory::put(uint64_t frame, int16_t left, int16_t right)
{
    size_t at = static_cast<size_t>(frame % kFrames) * 2;
    ring_[at] = left;
    ring_[at + 1] = right;
}

void HeardHistory::wrote(uint64_t sinkFrame, const int16_t *pcm, size_t frames)
{
    if (sinkFrame < end_)
        clear();
    if (sinkFrame > end_ + kFrames)
        end_ = sinkFrame - kFrames;
    for (; end_ < sinkFrame; ++end_)
        put(end_, 0, 0);
    size_t skipped = frames > kFrames ? frames - kFrames : 0;
    end_ += skipped;
    for (size_t frame = skipped; frame < frames; ++frame, ++end_)
        put(end_, pcm[frame * 2], pcm[frame * 2 + 1]);
}

size_t HeardHistory::before(uint64_t upTo, int16_t *out, size_t frames) const
{
    frames = std::min(frames, kFrames);
    uint64_t first = upTo >= frames ? upTo - frames : 0;
    size_t copied = 0;
    for (uint64_t frame = first; frame < upTo; ++frame, ++copied) {
        bool kept = frame < end_ && end_ - frame <= kFrames;
        size_t at = static_cast<size_t>(frame % kFrames) * 2;
        out[copied * 2] = kept ? ring_[at] : 0;
        out[copied * 2 + 1] = kept ? ring_[at + 1] : 0;
    }
    return copied;
}

void HeardHistory::clear()
{
    std::fill(ring_.begin(), ring_.end(), int16_t(0));
    end_ = 0;
}

} // namespace kelvoria
