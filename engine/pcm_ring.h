// A fixed ring of interleaved stereo 16-bit frames between the decoder
// thread and the output thread. Not locked itself: the engine's mutex
// guards it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kelvoria {

class PcmRing {
public:
    explicit PcmRing(size_t capacityFrames) : samples_(capacityFrames * 2), capacity_(capacityFrames) {}

    size_t size() const { return size_; }
    size_t freeFrames() const { return capacity_ - size_; }
    size_t capacity() const { return capacity_; }
    void clear() { read_ = size_ = 0; }
    // Forgets the `count` frames pushed last (at most all it holds).
    void dropNewest(size_t count) { size_ -= std::min(count, size_); }

    // Copies in as many of `frames` as fit; returns how many did.
    size_t push(const int16_t *frames, size_t count)
    {
        count = std::min(count, freeFrames());
        size_t write = (read_ + size_) % capacity_;
        size_t first = std::min(count, capacity_ - write);
        std::memcpy(&samples_[write * 2], frames, first * 4);
        std::memcpy(&samples_[0], frames + first * 2, (count - first) * 4);
        size_ += count;
        return count;
    }

    // Copies out up to `count` frames; returns how many it did.
    size_t pop(int16_t *frames, size_t count)
    {
        count = std::min(count, size_);
        size_t first = std::min(count, capacity_ - read_);
        std::memcpy(frames, &samples_[read_ * 2], first * 4);
        std::memcpy(frames + first * 2, &samples_[0], (count - first) * 4);
        read_ = (read_ + count) % capacity_;
        size_ -= count;
        return count;
    }

private:
    std::vector<int16_t> samples_;
    size_t capacity_;
    size_t read_ = 0;
    size_t size_ = 0;
};

} // namespace kelvoria
