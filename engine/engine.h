// The playing side of the engine: channel 0, a decoder thread that fills a
// ring of PCM ahead of the output, and an output thread that feeds the sink.
//
// Lock discipline: one mutex, mutex_, guards every field below it in the
// class, the ring and each Stream's position. It is held only for
// bookkeeping and copies into or out of the ring, never while decoding,
// reading a file or calling the sound device. The one exception is
// AudioSink::wake(), which only sets an event. Each thread keeps what only
// it touches (the decoder its Source calls, the output thread the sink)
// outside the lock.
#pragma once

#include "gain.h"
#include "pcm_ring.h"
#include "replay_gain.h"
#include "sink.h"
#include "source.h"
#include "underrun_count.h"

#include <condition_variable>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvoria {

// What the application's handle stands for. The source is shared with the
// decoder thread while it plays, so closing never waits for a decode.
struct Stream {
    std::shared_ptr<Source> source;
    int positionMs = 0; // where playing starts or resumes; guarded by the engine
};

class Engine {
public:
    // The output thread opens its sink with `openSink` as it starts; when
    // that gives none, it plays on a silent sink.
    using SinkOpener = std::function<std::unique_ptr<AudioSink>()>;
    explicit Engine(SinkOpener openSink);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    void play(Stream *stream);
    void stop();
    // Forgets the stream if it plays; called before its handle is freed.
    void release(Stream *stream);
    bool setPaused(bool paused);
    bool isPlaying();
    // The channel's volume, 0 to 255 on a straight scale of the samples.
    void setVolume(int volume);
    // The listener's volume, 0 to 100 % on a decibel scale (gain.h): a stage
    // of its own after the channel's volume, which the player sets to full
    // at every song's start.
    void setListenerVolume(int percent);
    // How songs are evened out; each song takes them as it starts or seeks.
    void setReplayGain(const ReplayGainSettings &settings);
    int timeMs(Stream *stream);
    void setTime(Stream *stream, int ms);

    // For measurements: frames handed to the sink since the last start or
    // seek took effect in the output.
    uint64_t framesWrittenSinceStart();
    // For measurements: under-runs since the engine started (see
    // underrun_count.h).
    uint64_t underruns();

private:
    void decoderLoop();
    void outputLoop();
    void fill(Source &source, uint64_t generation, std::vector<int16_t> &decoded);
    void restartAt(int64_t ms);       // needs mutex_
    void wakeOutput();                // needs mutex_
    int heardMs();                    // needs mutex_
    void stopLocked();                // needs mutex_
    void aimOutputGain();             // needs mutex_
    bool decoderHasWork() const;      // needs mutex_
    void replaceDeadSink();           // output thread
    size_t takeFrames(int16_t *out, bool deviceDry, bool &ended); // output thread, takes mutex_

    SinkOpener openSink_;
    std::unique_ptr<AudioSink> sink_; // set and replaced only under mutex_, by the output thread

    std::mutex mutex_;
    std::condition_variable decoderWake_;
    bool quit_ = false;
    PcmRing ring_;

    // Channel 0.
    Stream *current_ = nullptr;
    std::shared_ptr<Source> source_;
    bool active_ = false; // playing or paused
    bool paused_ = false;
    int pausedMs_ = 0; // the time heard while paused
    int volume_ = 255;
    int listenerVolume_ = kVolumeFull;
    GainRamp outputGain_; // the two volumes together; applied by the output thread
    ReplayGainSettings replayGain_;
    // Each start or seek begins a new generation; older audio is dropped.
    uint64_t generation_ = 0;
    int64_t startMs_ = 0;
    uint64_t decoderGeneration_ = 0; // the generation the decoder has sought to
    bool decodeDone_ = false;        // the decoder has delivered the last frame
    uint64_t outputGeneration_ = 0;  // the generation the sink plays
    uint64_t heardFrames_ = 0;       // frames heard of the output generation
    uint64_t generationWritten_ = 0;
    UnderrunCount underruns_;

    std::thread decoder_;
    std::thread output_;
};

} // namespace kelvoria
