// Consumes audio at the pace of a real device, so that a machine without
// sound still hears time pass: songs advance and end as they would.
#include "sink.h"

#include <algorithm>

namespace kelvoria {

namespace {

class SilentSink final : public AudioSink {
public:
    SilentSink()
    {
        QueryPerformanceFrequency(&frequency_);
        wakeEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        clockStart_ = now();
    }
    ~SilentSink() override
    {
        if (wakeEvent_)
            CloseHandle(wakeEvent_);
    }

    bool canWrite() override { return written_ - playedFrames() < uint64_t(kBuffers) * kFramesPerBuffer; }

    void write(const int16_t *, int frames) override
    {
        advance();
        if (written_ == heard_)
            clockStart_ = now(); // the device was idle: the clock starts now
        written_ += static_cast<uint64_t>(frames);
    }

    uint64_t playedFrames() override
    {
        advance();
        return heard_;
    }
    uint64_t writtenFrames() const override { return written_; }

    void setPaused(bool paused) override
    {
        advance();
        if (paused_ && !paused)
            clockStart_ = now();
        paused_ = paused;
    }

    void flush() override
    {
        advance();
        written_ = heard_;
    }

    void wait(DWORD ms) override
    {
        DWORD timeout = ms;
        if (!paused_ && written_ > heard_) {
            // Nothing is heard, so nothing needs topping up buffer by buffer:
            // wake when half of a full queue is left (then the last buffers
            // one by one). A timed wait costs a round trip to the wineserver
            // under Wine; this makes a quarter as many while playing.
            uint64_t queued = written_ - heard_;
            uint64_t half = uint64_t(kBuffers) * kFramesPerBuffer / 2;
            uint64_t frames = queued > half ? queued - half : std::min<uint64_t>(queued, kFramesPerBuffer);
            timeout = std::min<DWORD>(ms, static_cast<DWORD>(frames * 1000 / 44100 + 1));
        }
        if (wakeEvent_)
            WaitForSingleObject(wakeEvent_, timeout);
        else
            Sleep(timeout);
    }

    void wake() override
    {
        if (wakeEvent_)
            SetEvent(wakeEvent_);
    }

private:
    int64_t now() const
    {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        return counter.QuadPart;
    }

    // Moves heard_ on by the real time that passed since clockStart_.
    void advance()
    {
        if (paused_ || heard_ >= written_) {
            clockStart_ = now();
            return;
        }
        int64_t current = now();
        uint64_t elapsed = static_cast<uint64_t>((current - clockStart_) * 44100 / frequency_.QuadPart);
        if (elapsed == 0)
            return;
        uint64_t heard = std::min(written_, heard_ + elapsed);
        // Keep the remainder of a partly elapsed frame in the clock.
        clockStart_ += static_cast<int64_t>((heard - heard_) * frequency_.QuadPart / 44100);
        if (heard == written_)
            clockStart_ = current;
        heard_ = heard;
    }

    LARGE_INTEGER frequency_{};
    HANDLE wakeEvent_ = nullptr;
    int64_t clockStart_ = 0;
    uint64_t written_ = 0;
    uint64_t heard_ = 0;
    bool paused_ = false;
};

} // namespace

std::unique_ptr<AudioSink> makeSilentSink()
{
    return std::make_unique<SilentSink>();
}

} // namespace kelvoria
