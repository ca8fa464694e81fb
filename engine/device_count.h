// What a sound-device sink counts: the frames it was given and the frames
// heard, across flushes (a device's own count starts again at each), and
// when the device last played anything, to tell a device that has stopped
// taking audio for good.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace kelvoria {

class DeviceCount {
public:
    // A device that holds queued audio without playing any of it for this
    // long is taken to be gone (unplugged, or a server that stopped).
    static constexpr DWORD kStallLimitMs = 2000;

    uint64_t written() const { return written_; }
    uint64_t played() const { return played_; }
    // Frames heard before the last flush: where the device's own count starts.
    uint64_t base() const { return base_; }

    void wrote(uint64_t frames)
    {
        if (written_ <= played_)
            lastProgress_ = GetTickCount(); // a dry device has not stalled
        written_ += frames;
    }

    // The device says `heard` frames (counted from the start) were heard:
    // the count never goes back, nor past what it was given.
    uint64_t heard(uint64_t heard, bool paused)
    {
        heard = std::min(std::max(heard, played_), written_);
        if (heard != played_ || paused || written_ == heard)
            lastProgress_ = GetTickCount();
        played_ = heard;
        return played_;
    }

    // Everything not heard was dropped.
    void flushed()
    {
        base_ = played_;
        written_ = played_;
    }

    // A pause or a resume is progress of its own.
    void moved() { lastProgress_ = GetTickCount(); }

    bool stalled(bool paused) const
    {
        return !paused && written_ != played_ && GetTickCount() - lastProgress_ >= kStallLimitMs;
    }

private:
    uint64_t written_ = 0;
    uint64_t played_ = 0;
    uint64_t base_ = 0;
    DWORD lastProgress_ = 0;
};

} // namespace kelvoria
