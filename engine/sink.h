// Where decoded audio goes: the system's shared audio stream, the Windows
// wave output where that cannot be had, or, when no sound device can be
// opened, a silent sink that consumes audio in real time.
//
// A sink is driven by one thread, the engine's output thread; only wake()
// may be called from elsewhere.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace kelvoria {

class AudioSink {
public:
    static constexpr int kFramesPerBuffer = 1024; // 23 ms at 44.1 kHz
    static constexpr int kBuffers = 8;

    virtual ~AudioSink() = default;

    // True when a buffer of kFramesPerBuffer frames can be queued.
    virtual bool canWrite() = 0;
    // Queues `frames` interleaved stereo frames (at most kFramesPerBuffer).
    virtual void write(const int16_t *samples, int frames) = 0;
    // Frames heard since the sink was made; never goes back.
    virtual uint64_t playedFrames() = 0;
    // Frames queued so far (heard or not); never goes back.
    virtual uint64_t writtenFrames() const = 0;
    virtual void setPaused(bool paused) = 0;
    // Drops everything queued and not yet heard.
    virtual void flush() = 0;
    // Waits until a queued buffer was heard, wake() is called, or `ms` pass.
    virtual void wait(DWORD ms) = 0;
    virtual void wake() = 0;
    // False once the device has stopped taking audio for good.
    virtual bool healthy() { return true; }
    // Frames of silence the device may drop as it starts, to be written
    // before the first audio after it was opened or flushed.
    virtual int primeFrames() const { return 0; }
    // How long the sound system may still be playing what the device says
    // it played; closing the device sooner cuts that off.
    virtual DWORD playOutMs() const { return 0; }
    // Lets the sound system play out what it holds for `ms` before a close.
    virtual void playOut(DWORD ms) { Sleep(ms); }
    // Called while the end of a list plays out: a device that plays what
    // it holds only while more follows is given silence behind it.
    virtual void keepFlowing() {}
};

std::unique_ptr<AudioSink> openAudioClientSink();
std::unique_ptr<AudioSink> openWaveOutSink();
// The shared audio stream, else the wave output; null when neither opens.
std::unique_ptr<AudioSink> openDeviceSink();
std::unique_ptr<AudioSink> makeSilentSink();

} // namespace kelvoria
