// The Windows wave output: a ring of kBuffers prepared headers, completion
// signalled through an event that also serves wake().
#include "device_count.h"
#include "sink.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace kelvoria {

namespace {

constexpr int kBytesPerFrame = 4;
// How long a close waits for the system's own threads of the device to end;
// they take a few milliseconds.
constexpr DWORD kServiceEndMs = 1000;
// What a sound server still holds once the wave output has played its last
// buffer: a stream's buffer of a few periods, 100 ms under Wine here.
constexpr DWORD kPlayOutMs = 300;
// Silence ahead of the first audio of a stream: Wine's PulseAudio driver
// runs its own clock while the server starts the stream, and drops the
// oldest audio it could not send; 0.74 s of silence is dropped instead.
constexpr int kPrimeFrames = 32768;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct ThreadHandle {
    DWORD id;
    std::unique_ptr<void, HandleCloser> handle;
};

// Threads of this process, but the calling one, that own message-only
// windows.
std::set<DWORD> messageWindowThreads()
{
    std::set<DWORD> threads;
    HWND window = nullptr;
    while ((window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr) {
        DWORD process = 0;
        DWORD thread = GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && thread != GetCurrentThreadId())
            threads.insert(thread);
    }
    return threads;
}

// The system may serve the device from a thread of its own, made by the
// open with its message-only window (Wine's winmm does), that tears itself
// down once the last device is closed: its window, COM, its own library.
// A process that ends while that thread is still at it can die at exit, so
// a close waits for it to end. Another thread of the program that made a
// message-only window meanwhile is among them too.
std::vector<ThreadHandle> threadsMadeBy(const std::set<DWORD> &before)
{
    std::vector<ThreadHandle> made;
    for (DWORD thread : messageWindowThreads())
        if (!before.count(thread))
            if (HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, thread))
                made.push_back({thread, std::unique_ptr<void, HandleCloser>(handle)});
    return made;
}

class WaveOutSink final : public AudioSink {
public:
    ~WaveOutSink() override
    {
        if (wave_) {
            waveOutReset(wave_);
            for (Buffer &buffer : buffers_)
                if (buffer.header.dwFlags & WHDR_PREPARED)
                    waveOutUnprepareHeader(wave_, &buffer.header, sizeof(WAVEHDR));
            waveOutClose(wave_);
            awaitServiceThreads();
        }
        if (event_)
            CloseHandle(event_);
    }

    bool open()
    {
        event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!event_)
            return false;
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = 44100;
        format.wBitsPerSample = 16;
        format.nBlockAlign = kBytesPerFrame;
        format.nAvgBytesPerSec = 44100 * kBytesPerFrame;
        std::set<DWORD> before = messageWindowThreads();
        if (waveOutOpen(&wave_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
            wave_ = nullptr;
            return false;
        }
        serviceThreads_ = threadsMadeBy(before);
        for (Buffer &buffer : buffers_) {
            buffer.samples.assign(static_cast<size_t>(kFramesPerBuffer) * 2, 0);
            buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.samples.data());
            buffer.header.dwBufferLength = kFramesPerBuffer * kBytesPerFrame;
            if (waveOutPrepareHeader(wave_, &buffer.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
                return false;
            buffer.header.dwFlags |= WHDR_DONE; // free to fill
        }
        rawAtReset_ = rawPosition();
        return true;
    }

    bool canWrite() override { return (buffers_[next_].header.dwFlags & WHDR_DONE) != 0; }

    void write(const int16_t *samples, int frames) override
    {
        Buffer &buffer = buffers_[next_];
        frames = std::clamp(frames, 0, static_cast<int>(kFramesPerBuffer));
        std::memcpy(buffer.samples.data(), samples, static_cast<size_t>(frames) * kBytesPerFrame);
        buffer.header.dwBufferLength = static_cast<DWORD>(frames) * kBytesPerFrame;
        buffer.header.dwFlags &= ~WHDR_DONE;
        if (waveOutWrite(wave_, &buffer.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            buffer.header.dwFlags |= WHDR_DONE;
            failed_ = true;
            return;
        }
        count_.wrote(static_cast<uint64_t>(frames));
        next_ = (next_ + 1) % kBuffers;
    }

    uint64_t playedFrames() override
    {
        uint32_t raw = rawPosition();
        uint64_t played = count_.base() + static_cast<uint32_t>(raw - rawAtReset_); // the device counts in 32 bits
        if (allDone())
            played = count_.written(); // everything queued has been heard
        return count_.heard(played, paused_);
    }

    uint64_t writtenFrames() const override { return count_.written(); }

    void setPaused(bool paused) override
    {
        if (paused == paused_)
            return;
        paused_ = paused;
        if (paused)
            waveOutPause(wave_);
        else
            waveOutRestart(wave_);
        count_.moved();
    }

    void flush() override
    {
        playedFrames();
        waveOutReset(wave_); // returns every queued buffer, marked done
        if (paused_)
            waveOutPause(wave_);
        for (Buffer &buffer : buffers_)
            buffer.header.dwFlags |= WHDR_DONE;
        count_.flushed();
        rawAtReset_ = rawPosition();
    }

    void wait(DWORD ms) override { WaitForSingleObject(event_, ms); }
    void wake() override { SetEvent(event_); }

    DWORD playOutMs() const override { return kPlayOutMs; }

    int primeFrames() const override { return kPrimeFrames; }

    bool healthy() override
    {
        return !failed_ && !count_.stalled(paused_);
    }

private:
    struct Buffer {
        WAVEHDR header{};
        std::vector<int16_t> samples;
    };

    uint32_t rawPosition()
    {
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        if (waveOutGetPosition(wave_, &time, sizeof(time)) != MMSYSERR_NOERROR)
            return rawAtReset_;
        if (time.wType == TIME_SAMPLES)
            return time.u.sample;
        if (time.wType == TIME_BYTES)
            return time.u.cb / kBytesPerFrame;
        return rawAtReset_;
    }

    // The first of them to end is the device's; one of the program's own
    // lives on, and another device may keep the system's busy: the wait is
    // bounded.
    void awaitServiceThreads()
    {
        std::vector<HANDLE> waited;
        for (const ThreadHandle &thread : serviceThreads_)
            if (thread.id != GetCurrentThreadId())
                waited.push_back(thread.handle.get());
        if (!waited.empty())
            WaitForMultipleObjects(static_cast<DWORD>(waited.size()), waited.data(), FALSE, kServiceEndMs);
    }

    bool allDone() const
    {
        return std::all_of(buffers_.begin(), buffers_.end(),
                           [](const Buffer &buffer) { return (buffer.header.dwFlags & WHDR_DONE) != 0; });
    }

    HWAVEOUT wave_ = nullptr;
    HANDLE event_ = nullptr;
    std::vector<ThreadHandle> serviceThreads_;
    std::array<Buffer, kBuffers> buffers_;
    int next_ = 0;
    DeviceCount count_;
    uint32_t rawAtReset_ = 0; // device position right after the last flush
    bool paused_ = false;
    bool failed_ = false;
};

} // namespace

std::unique_ptr<AudioSink> openWaveOutSink()
{
    auto sink = std::make_unique<WaveOutSink>();
    if (!sink->open())
        return nullptr;
    return sink;
}

} // namespace kelvoria
