// The system's shared audio stream (IAudioClient), fed from the output
// thread with no more than a few buffers ahead of what the device played.
//
// Why not only the wave output: under Wine the wave output keeps its stream
// full to the brim, and a sound server that takes audio a little later than
// Wine's own clock expects (as PulseAudio does while a stream starts, and
// now and then after) finds the stream over-full, and the oldest audio is
// dropped: frames of the song are never heard. Here the stream is made far
// larger than what is ever kept in it, so a late server only delays what it
// plays, and loses none of it. On Windows the same stream is what the wave
// output itself runs on.
#include "device_count.h"
#include "sink.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kelvoria {

namespace {

constexpr int kRate = 44100;
constexpr int kBytesPerFrame = 4;
constexpr REFERENCE_TIME kHundredNsPerSecond = 10000000;
// The stream's size: what a late server may owe before anything is lost.
constexpr REFERENCE_TIME kStreamSize = 2 * kHundredNsPerSecond;
// What is kept queued ahead of the device: as much as the wave output
// keeps, so the player answers a seek or a pause as quickly.
constexpr UINT32 kKeptFrames = AudioSink::kFramesPerBuffer * AudioSink::kBuffers;
// What the sound system may still play once the device says it has played
// everything: the device's latency, and under Wine, what a late server was
// given later than Wine's clock counted it played (up to a second, seen
// after a stream's start).
constexpr DWORD kPlayOutMs = 1800;
// Silence ahead of the first audio of a stream, which a sound server may
// drop as the stream starts.
constexpr int kPrimeFrames = 4096;

template <typename T> struct ComReleaser {
    void operator()(T *object) const
    {
        if (object)
            object->Release();
    }
};
template <typename T> using ComPtr = std::unique_ptr<T, ComReleaser<T>>;

template <typename T> ComPtr<T> adopt(T *object) { return ComPtr<T>(object); }

WAVEFORMATEX songFormat()
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kBytesPerFrame;
    format.nAvgBytesPerSec = kRate * kBytesPerFrame;
    return format;
}

class AudioClientSink final : public AudioSink {
public:
    ~AudioClientSink() override
    {
        if (client_ && started_)
            client_->Stop();
        clock_.reset();
        render_.reset();
        client_.reset();
        if (wakeEvent_)
            CloseHandle(wakeEvent_);
        if (comStarted_)
            CoUninitialize();
    }

    bool open()
    {
        // The sink lives on the output thread, which this apartment is for.
        HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        comStarted_ = SUCCEEDED(com);
        if (FAILED(com) && com != RPC_E_CHANGED_MODE)
            return false;
        wakeEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        return wakeEvent_ && openClient() && startServices();
    }

    bool canWrite() override
    {
        UINT32 padding = 0;
        if (!readPadding(padding))
            return false;
        return padding + kFramesPerBuffer <= std::min(kKeptFrames, streamFrames_);
    }

    void write(const int16_t *samples, int frames) override
    {
        queue(samples, frames);
        silenceWritten_ = 0;
    }

    uint64_t playedFrames() override
    {
        return count_.heard(count_.base() + streamPosition(), paused_);
    }

    uint64_t writtenFrames() const override { return count_.written(); }

    void setPaused(bool paused) override
    {
        if (paused == paused_)
            return;
        paused_ = paused;
        if (paused && started_) {
            client_->Stop(); // keeps what it holds, to play on from there
            started_ = false;
        } else if (!paused && count_.written() > count_.played()) {
            start();
        }
        count_.moved();
    }

    void flush() override
    {
        playedFrames();
        if (started_)
            client_->Stop();
        started_ = false;
        client_->Reset(); // drops what it holds; its position starts again at 0
        count_.flushed();
    }

    void wait(DWORD ms) override { WaitForSingleObject(wakeEvent_, ms); }

    void playOut(DWORD ms) override
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
            keepFlowing();
            wait(ms - (GetTickCount() - start));
        }
    }

    int primeFrames() const override { return kPrimeFrames; }

    // A started stream holds silence once its last audio is written: Wine
    // hands a server what its clock counted played only while the stream
    // holds more, so what a late server still owes is heard only when
    // something follows it.
    // No more of it than the play-out lasts: a device that takes audio
    // faster than it plays would otherwise be given silence without end.
    void keepFlowing() override
    {
        static const int16_t silence[kFramesPerBuffer * 2] = {};
        constexpr uint64_t kPlayOutFrames = uint64_t(kPlayOutMs) * kRate / 1000;
        while (started_ && !paused_ && silenceWritten_ < kPlayOutFrames && canWrite()) {
            queue(silence, kFramesPerBuffer);
            silenceWritten_ += kFramesPerBuffer;
        }
    }

    void wake() override { SetEvent(wakeEvent_); }

    bool healthy() override
    {
        return !failed_ && !count_.stalled(paused_);
    }

    DWORD playOutMs() const override { return kPlayOutMs; }

private:
    void queue(const int16_t *samples, int frames)
    {
        frames = std::clamp(frames, 0, static_cast<int>(kFramesPerBuffer));
        BYTE *data = nullptr;
        if (frames == 0)
            return;
        if (FAILED(render_->GetBuffer(static_cast<UINT32>(frames), &data))) {
            failed_ = true;
            return;
        }
        std::memcpy(data, samples, static_cast<size_t>(frames) * kBytesPerFrame);
        if (FAILED(render_->ReleaseBuffer(static_cast<UINT32>(frames), 0))) {
            failed_ = true;
            return;
        }
        count_.wrote(static_cast<uint64_t>(frames));
        // Started once it holds audio: a stream started empty runs dry at once.
        if (!paused_ && !started_)
            start();
    }

    bool openClient()
    {
        IMMDeviceEnumerator *enumerator = nullptr;
        if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                    __uuidof(IMMDeviceEnumerator), reinterpret_cast<void **>(&enumerator))))
            return false;
        auto devices = adopt(enumerator);
        IMMDevice *found = nullptr;
        if (FAILED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &found)))
            return false;
        auto device = adopt(found);
        IAudioClient *client = nullptr;
        if (FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void **>(&client))))
            return false;
        client_ = adopt(client);
        return initialize();
    }

    // Songs are 44.1 kHz stereo 16-bit; a system whose mixer runs another
    // format converts them when asked to.
    bool initialize()
    {
        WAVEFORMATEX format = songFormat();
        const DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_NOPERSIST;
        HRESULT result = client_->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kStreamSize, 0, &format, nullptr);
        if (result == AUDCLNT_E_UNSUPPORTED_FORMAT)
            result = client_->Initialize(AUDCLNT_SHAREMODE_SHARED,
                                         flags | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                                             AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY,
                                         kStreamSize, 0, &format, nullptr);
        return SUCCEEDED(result) && SUCCEEDED(client_->GetBufferSize(&streamFrames_)) &&
               streamFrames_ >= static_cast<UINT32>(kFramesPerBuffer);
    }

    // The stream signals the same event as wake() each time it has played
    // a period.
    bool startServices()
    {
        IAudioRenderClient *render = nullptr;
        IAudioClock *clock = nullptr;
        if (FAILED(client_->SetEventHandle(wakeEvent_)) ||
            FAILED(client_->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void **>(&render))))
            return false;
        render_ = adopt(render);
        if (FAILED(client_->GetService(__uuidof(IAudioClock), reinterpret_cast<void **>(&clock))))
            return false;
        clock_ = adopt(clock);
        return SUCCEEDED(clock_->GetFrequency(&clockFrequency_)) && clockFrequency_ > 0;
    }

    void start()
    {
        if (FAILED(client_->Start()))
            failed_ = true;
        else
            started_ = true;
    }

    bool readPadding(UINT32 &padding)
    {
        HRESULT result = client_->GetCurrentPadding(&padding);
        if (FAILED(result))
            failed_ = true; // the device went away
        return SUCCEEDED(result);
    }

    // Frames played since the last reset, by the device's clock; what the
    // stream no longer holds when the clock cannot tell.
    uint64_t streamPosition()
    {
        UINT64 position = 0;
        if (SUCCEEDED(clock_->GetPosition(&position, nullptr)))
            return position / clockFrequency_ * kRate + position % clockFrequency_ * kRate / clockFrequency_;
        UINT32 padding = 0;
        uint64_t queued = count_.written() - count_.base();
        return readPadding(padding) ? queued - std::min<uint64_t>(padding, queued) : count_.played() - count_.base();
    }

    bool comStarted_ = false;
    HANDLE wakeEvent_ = nullptr;
    ComPtr<IAudioClient> client_;
    ComPtr<IAudioRenderClient> render_;
    ComPtr<IAudioClock> clock_;
    UINT64 clockFrequency_ = 0;
    UINT32 streamFrames_ = 0;
    DeviceCount count_;
    uint64_t silenceWritten_ = 0; // by keepFlowing() since the last audio
    bool started_ = false;
    bool paused_ = false;
    bool failed_ = false;
};

} // namespace

std::unique_ptr<AudioSink> openAudioClientSink()
{
    auto sink = std::make_unique<AudioClientSink>();
    if (!sink->open())
        return nullptr;
    return sink;
}

std::unique_ptr<AudioSink> openDeviceSink()
{
    if (auto sink = openAudioClientSink())
        return sink;
    return openWaveOutSink();
}

} // namespace kelvoria
