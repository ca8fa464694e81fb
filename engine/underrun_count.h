// Counts under-runs: the times the sound device ran dry in the middle of a
// song, having played all it was given, and the decoder had no whole buffer
// ready for it. A stretch of such wants is one under-run, however often the
// output asks during it. Waiting for the first buffer of a song or of a seek
// is not one (nothing of it has been heard, so nothing stutters), nor is the
// short last buffer of a song, nor a moment when the ring runs short while
// the device still has audio queued.
#pragma once

#include <cstdint>

namespace kelvoria {

class UnderrunCount {
public:
    // `started`: audio of this start or seek has already gone out; `dry`:
    // the device has played all it was given; `ready`: a whole buffer is
    // decoded; `finished`: the decoder has delivered the song's last frame.
    void bufferWanted(bool started, bool dry, bool ready, bool finished)
    {
        bool starved = started && dry && !ready && !finished;
        if (starved && !starved_)
            ++count_;
        starved_ = starved;
    }

    uint64_t count() const { return count_; }

private:
    uint64_t count_ = 0;
    bool starved_ = false;
};

} // namespace kelvoria
