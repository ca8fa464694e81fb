// The last frames handed to the device, by the device's own frame count,
// so that what is heard now can be shown (bars of its frequencies, a scope): the frames
// before the one the device says it has played, not those decoded ahead.
// Belongs to the engine's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvoria {

class HeardHistory {
public:
    static constexpr size_t kFrames = 16384; // 0.37 s at 44.1 kHz

    // `frames` interleaved stereo frames written at the device's frame
    // `sinkFrame`. Frames the device got from elsewhere (its priming
    // silence) count as silence; a count that goes back (a new device)
    // starts the history afresh.
    void wrote(uint64_t sinkFrame, const int16_t *pcm, size_t frames);
    // The `frames` frames (at most kFrames) before the device's frame
    // `upTo`, into `out`; those not kept are silence. Returns how many.
    size_t before(uint64_t upTo, int16_t *out, size_t frames) const;
    void clear();

private:
    void put(uint64_t frame, int16_t left, int16_t right);

    std::vector<int16_t> ring_ = std::vector<int16_t>(kFrames * 2);
    uint64_t end_ = 0; // the device's frame after the last one kept
};

} // namespace kelvoria
