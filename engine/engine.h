// The playing side of the engine: channel 0, a decoder thread that fills a
// ring of PCM ahead of the output, and an output thread that feeds the sink.
//
// Songs follow one another with no gap: a stream queued behind the playing
// one is decoded into the same ring as soon as the playing one is decoded to
// its end, and the sink stays open. Every run of frames in the ring and on
// the sink knows the stream it belongs to, so the output knows which stream
// is heard and where, to the frame: the queued stream becomes channel 0's
// stream when its first frame is heard, and the channel falls idle when the
// last frame of the last stream has been heard. Both changes are announced
// to the heard listener, from the output thread, with no lock held.
//
// The sound device is open only while it is needed: the output opens it
// when a stream is to be heard, and closes it once the channel has been
// idle for kReleaseIdleMs (after a stop, or after the last stream was heard
// to its end; then no sooner than the device's play-out time, during which
// it is kept flowing so that what the sound system holds is heard) or
// paused for kReleasePausedMs. A pause that outlasts the device is resumed
// from the frame heard on a device opened anew.
//
// Lock discipline: one mutex, mutex_, guards every field below it in the
// class, the ring and each Stream's position. It is held only for
// bookkeeping and copies into or out of the ring, never while decoding,
// reading a file or calling the sound device. The one exception is
// AudioSink::wake(), which only sets an event. Each thread keeps what only
// it touches (the decoder its Source calls, the output thread the sink)
// outside the lock.
#pragma once

#include "equalizer.h"
#include "gain.h"
#include "heard_history.h"
#include "pcm_ring.h"
#include "replay_gain.h"
#include "sink.h"
#include "source.h"
#include "underrun_count.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvoria {

// What the application's handle stands for. The source is shared with the
// decoder thread while it plays, so closing never waits for a decode.
//
// A stream plays the whole of its file, or a stretch of it (an album's
// track): its times and length count from the stretch's start. A stretch
// queued behind the one that ends where it begins, in the same file, is
// decoded on from the same decoder, with no seek.
// A CD frame, 1/75 s, is 588 output frames.
constexpr int64_t kFramesPerCdFrame = kOutputRate / 75;

struct Stream {
    std::shared_ptr<Source> source;
    std::string file{};     // the path it was opened with
    int64_t firstFrame = 0; // the stretch, in output frames from the file's start
    int64_t endFrame = -1;  // its end (not heard), or -1: the file's end
    int positionMs = 0;     // where playing starts or resumes; guarded by the engine
    ReplayGainTags ownGain{}; // gains given for this stream (a cue sheet's), before its file's

    int lengthMs() const;
    // Frames of the stretch, or -1 when it runs to the file's end.
    int64_t frameCount() const { return endFrame < 0 ? -1 : endFrame - firstFrame; }
    // True when this stretch begins where `before`'s ends, in the same file.
    bool continues(const Stream &before) const;
};

// A change of the heard stream that the engine made by itself.
enum class HeardChange { Started = 1, Ended = 2 };

// Consecutive frames of one stream, in the ring or queued on the sink.
struct FrameRun {
    Stream *stream;
    int64_t songFrame;      // the stream's frame the run begins with, counted from its start
    uint64_t frames;
    uint64_t sinkFrame = 0; // on the sink: the sink's written-frame count where the run begins
};

class Engine {
public:
    // The output thread opens its sink with `openSink` as it starts; when
    // that gives none, it plays on a silent sink.
    using SinkOpener = std::function<std::unique_ptr<AudioSink>()>;
    // Called on the output thread, without the engine's lock: Started with
    // the queued stream as its first frame is heard, Ended with the last
    // stream as its last frame is heard and nothing follows.
    using HeardListener = std::function<void(Stream *, HeardChange)>;
    static constexpr DWORD kReleaseIdleMs = 1000;
    static constexpr DWORD kReleasePausedMs = 10000;
    explicit Engine(SinkOpener openSink);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    void play(Stream *stream);
    // Puts `next` behind the playing stream, in place of any queued before
    // (null only drops it). False when nothing plays or `next` plays now.
    bool queue(Stream *next);
    void stop();
    // Forgets the stream if it plays or is queued; called before its handle
    // is freed.
    void release(Stream *stream);
    // Makes `stream` play the stretch [first, end) of its file, in output
    // frames (end -1: to the file's end), from the stretch's start. False
    // while it plays or is queued.
    bool setStretch(Stream *stream, int64_t first, int64_t end);
    // Gains that take the place of the file's own where given. False while
    // the stream plays or is queued.
    bool setOwnGain(Stream *stream, const ReplayGainTags &gain);
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
    // The equalizer; heard from the next buffer the device takes.
    void setEqualizer(const EqualizerSettings &settings);
    // The `frames` frames (at most HeardHistory::kFrames) heard last, before
    // the volumes, into `out`; 0 while the channel holds nothing.
    size_t heardSamples(int16_t *out, size_t frames);
    int timeMs(Stream *stream);
    void setTime(Stream *stream, int ms);
    // The stream whose frames were heard last: the playing one, or after
    // the channel ran out, the one heard to its end. Null before any play,
    // after a stop, and once that stream is released.
    Stream *heardStream();
    // Replaces the listener (an empty one hears nothing).
    void setHeardListener(HeardListener listener);
    // For tests: whether the output holds a sound device now.
    bool outputOpen();

    // For measurements: frames handed to the sink since the last start or
    // seek took effect in the output.
    uint64_t framesWrittenSinceStart();
    // For measurements: under-runs since the engine started (see
    // underrun_count.h).
    uint64_t underruns();

private:
    void decoderLoop();
    void outputLoop();
    bool takeDecodeJob(Stream *&stream, int64_t &fromFrame, uint64_t &epoch); // needs mutex_
    void fill(Source &source, Stream *stream, uint64_t epoch, int64_t &songFrame, std::vector<int16_t> &decoded);
    // Hands `frames` decoded frames of `stream` to the ring, waiting for room;
    // false when the channel moved on meanwhile.
    bool pushFrames(Stream *stream, uint64_t epoch, const int16_t *pcm, size_t frames, int64_t songFrame, bool last);
    // Under the lock, at the end of a stretch: true when the queued stream
    // goes on from it in the same file, and is now the one decoded.
    bool decodeOnInto(Stream *&stream, int64_t &songFrame);
    double songGainOf(const Stream &stream, const Source &source) const; // needs mutex_
    void restartAt(int64_t ms);       // needs mutex_
    void restartAtFrame(int64_t frame); // needs mutex_
    void dropQueued();                // needs mutex_
    void forgetRunsOf(Stream *stream); // needs mutex_
    void wakeOutput();                // needs mutex_
    int heardMs();                    // needs mutex_
    void stopLocked();                // needs mutex_
    bool decodeDone() const;          // needs mutex_
    void aimOutputGain();             // needs mutex_
    bool decoderHasWork() const;      // needs mutex_
    void followHeard(uint64_t played); // needs mutex_
    void finishChannel();             // needs mutex_
    void replaceDeadSink();           // output thread
    AudioSink *openOutput();          // output thread
    void releaseOutput();             // output thread
    bool outputIdleFor(bool playing, bool paused, DWORD &waitMs); // output thread
    void primeOutput(AudioSink &sink, std::vector<int16_t> &buffer); // output thread
    void waitOutput(AudioSink *sink, DWORD ms); // output thread
    void announceHeardChanges();      // output thread, without mutex_
    // Output thread, takes mutex_. `sinkAt` is the sink's written-frame
    // count, where these frames will begin.
    size_t takeFrames(int16_t *out, bool deviceDry, uint64_t sinkAt, bool &ended);

    SinkOpener openSink_;
    std::unique_ptr<AudioSink> sink_; // set and replaced only under mutex_, by the output thread
    HANDLE outputWake_ = nullptr;     // wakes the output while it holds no sink
    DWORD quietSince_ = 0;            // output thread: since when the sink has had nothing to play
    bool quiet_ = false;
    int primeLeft_ = 0;               // output thread: silence still to go before audio on a new or emptied sink
    DWORD playOutUntil_ = 0;          // output thread: the end of a list still plays out until then (0: none)

    std::mutex mutex_;
    std::condition_variable decoderWake_;
    bool quit_ = false;
    PcmRing ring_;
    std::deque<FrameRun> ringRuns_; // what the ring holds, oldest first
    std::deque<FrameRun> sinkRuns_; // what the sink holds and has not all been heard, oldest first

    // Channel 0: the stream heard now, and the one that follows it.
    Stream *current_ = nullptr;
    Stream *queued_ = nullptr;
    bool active_ = false; // playing or paused
    bool paused_ = false;
    int pausedMs_ = 0; // the time heard while paused
    Stream *pausedStream_ = nullptr; // the stream heard when it was frozen
    int volume_ = 255;
    int listenerVolume_ = kVolumeFull;
    GainRamp outputGain_; // the two volumes together; applied by the output thread
    Equalizer equalizer_{kOutputRate}; // applied by the output thread, before the volumes
    HeardHistory history_;             // what the device was given, after the equalizer
    uint64_t sinkPlayed_ = 0;          // the device's frames played, as last polled
    ReplayGainSettings replayGain_;

    // The stream whose frames were heard last, and up to which of its frames.
    Stream *heard_ = nullptr;
    int64_t heardFrame_ = 0;

    // The decoder works through current_ and then queued_.
    Stream *decoding_ = nullptr;
    std::shared_ptr<Source> decodingSource_; // what decodes decoding_: its own, or the stretch's before it
    bool decodedToEnd_ = false;     // the decoder has delivered decoding_'s last frame
    int64_t decodeFromFrame_ = 0;   // where decoding_ starts after a restart
    bool restartDecoder_ = false;   // decoding_ starts again at decodeFromMs_
    uint64_t decodeEpoch_ = 0;      // moves whenever what the decoder is doing is void
    uint64_t decoderEpoch_ = 0;     // the epoch the decoder has taken up

    // Each start or seek begins a new generation; the output drops older audio.
    uint64_t generation_ = 0;
    uint64_t outputGeneration_ = 0;  // the generation the sink plays
    uint64_t generationWritten_ = 0;
    UnderrunCount underruns_;

    HeardListener heardListener_;
    std::vector<std::pair<Stream *, HeardChange>> heardChanges_; // to announce, oldest first

    std::thread decoder_;
    std::thread output_;
};

} // namespace kelvoria
