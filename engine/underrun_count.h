// Counts under-runs: the times the output wanted a buffer for the sound
// device in the middle of a song and the decoder had no whole buffer ready.
// A stretch of such wants is one under-run, however often the output asks
// during it. Waiting for the first buffer of a song or of a seek is not one
// (nothing of it has been heard, so nothing stutters), and neither is the
// short last buffer of a song.
#pragma once

#include <cstdint>

namespace kelvoria {

class UnderrunCount {
public:
    // `heard`: audio of this start or seek has already gone out; `ready`: a
    // whole buffer is decoded; `finished`: the decoder has delivered the
    // song's last frame.
    void bufferWanted(bool heard, bool ready, bool finished)
    {
        bool starved = heard && !ready && !finished;
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
