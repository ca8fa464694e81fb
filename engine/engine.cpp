#include "engine.h"

#include <algorithm>
#include <vector>

namespace kelvoria {

namespace {
constexpr size_t kRingFrames = kOutputRate * 2;  // two seconds decoded ahead
constexpr size_t kRefillFrames = kOutputRate / 2; // decode again when half a second is free
constexpr size_t kMinFreeToDecode = 8192;         // room for a large packet
// While playing, the sink wakes the output as it wants audio; this only
// bounds how long a device that stopped signalling goes unnoticed.
constexpr DWORD kPlayingWaitMs = 100;
constexpr DWORD kIdleWaitMs = INFINITE;
} // namespace

Engine::Engine(SinkOpener openSink) : openSink_(std::move(openSink)), ring_(kRingFrames)
{
    decoder_ = std::thread(&Engine::decoderLoop, this);
    output_ = std::thread(&Engine::outputLoop, this);
}

Engine::~Engine()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        wakeOutput();
    }
    decoderWake_.notify_all();
    decoder_.join();
    output_.join();
}

void Engine::restartAt(int64_t ms)
{
    ++generation_;
    startMs_ = ms;
    decodeDone_ = false;
    ring_.clear();
    decoderWake_.notify_one();
    wakeOutput();
}

void Engine::wakeOutput()
{
    if (sink_)
        sink_->wake(); // before the output has its sink it has not waited yet
}

int Engine::heardMs()
{
    if (paused_)
        return pausedMs_; // frozen the moment the pause was asked for
    if (outputGeneration_ != generation_)
        return static_cast<int>(startMs_);
    int64_t ms = startMs_ + static_cast<int64_t>(heardFrames_ * 1000 / kOutputRate);
    return static_cast<int>(std::min<int64_t>(ms, source_ ? source_->lengthMs() : ms));
}

void Engine::play(Stream *stream)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_)
        stopLocked();
    int length = stream->source->lengthMs();
    if (stream->positionMs >= length)
        stream->positionMs = 0; // a stream heard to its end starts again
    current_ = stream;
    source_ = stream->source;
    active_ = true;
    paused_ = false;
    restartAt(stream->positionMs);
}

void Engine::stopLocked()
{
    if (!active_)
        return;
    current_->positionMs = heardMs();
    current_ = nullptr;
    source_.reset();
    active_ = false;
    paused_ = false;
    restartAt(0); // the output drops what it holds
}

void Engine::stop()
{
    std::lock_guard<std::mutex> lock(mutex_);
    stopLocked();
}

void Engine::release(Stream *stream)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (current_ == stream)
        stopLocked();
}

bool Engine::setPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_)
        return false;
    if (paused && !paused_)
        pausedMs_ = heardMs();
    paused_ = paused;
    wakeOutput();
    return true;
}

bool Engine::isPlaying()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return active_;
}

void Engine::setVolume(int volume)
{
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = std::clamp(volume, 0, 255);
    aimOutputGain();
}

void Engine::setListenerVolume(int percent)
{
    std::lock_guard<std::mutex> lock(mutex_);
    listenerVolume_ = std::clamp(percent, kVolumeSilent, kVolumeFull);
    aimOutputGain();
}

void Engine::aimOutputGain()
{
    double gain = volume_ / 255.0 * volumeGain(listenerVolume_);
    if (!active_) {
        outputGain_.jumpTo(gain); // no waveform to step in
        return;
    }
    outputGain_.setTarget(gain);
    wakeOutput(); // the next buffer the device has room for carries it
}

void Engine::setReplayGain(const ReplayGainSettings &settings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replayGain_ = settings;
}

int Engine::timeMs(Stream *stream)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stream == current_ && active_ ? heardMs() : stream->positionMs;
}

void Engine::setTime(Stream *stream, int ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ms = std::clamp(ms, 0, stream->source->lengthMs());
    if (stream == current_ && active_) {
        restartAt(ms);
        pausedMs_ = ms;
    }
    else
        stream->positionMs = ms;
}

uint64_t Engine::framesWrittenSinceStart()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return outputGeneration_ == generation_ ? generationWritten_ : 0;
}

uint64_t Engine::underruns()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return underruns_.count();
}

bool Engine::decoderHasWork() const
{
    if (!source_)
        return false;
    if (decoderGeneration_ != generation_)
        return true;
    return !decodeDone_ && ring_.freeFrames() >= kRefillFrames;
}

void Engine::decoderLoop()
{
    std::vector<int16_t> decoded;
    for (;;) {
        std::shared_ptr<Source> source;
        uint64_t generation;
        bool seek;
        int64_t startMs;
        double songGain;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            decoderWake_.wait(lock, [this] { return quit_ || decoderHasWork(); });
            if (quit_)
                return;
            source = source_;
            generation = generation_;
            seek = decoderGeneration_ != generation_;
            decoderGeneration_ = generation_;
            startMs = startMs_;
            songGain = replayGainFactor(source->replayGain(), replayGain_);
        }
        if (seek)
            source->setGain(songGain);
        if (seek && !source->seekTo(startMs)) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (generation == generation_)
                decodeDone_ = true; // nothing this file holds can be decoded
            wakeOutput();
            continue;
        }
        fill(*source, generation, decoded);
    }
}

void Engine::fill(Source &source, uint64_t generation, std::vector<int16_t> &decoded)
{
    // Decode until the ring is nearly full, the stream ends, or the channel
    // moves on; each packet is handed over as soon as it is out.
    for (;;) {
        decoded.clear();
        bool more = source.decode(decoded);
        size_t frames = decoded.size() / 2;
        size_t pushed = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (quit_ || generation != generation_)
                return;
            // The output waits for a whole buffer: wake it only when this
            // packet may complete the one it is waiting for.
            bool outputStarved = ring_.size() < AudioSink::kFramesPerBuffer;
            pushed += ring_.push(decoded.data() + pushed * 2, frames - pushed);
            if (outputStarved || !more)
                wakeOutput();
            if (pushed == frames)
                break;
            decoderWake_.wait(lock, [&] {
                return quit_ || generation != generation_ || ring_.freeFrames() >= kRefillFrames;
            });
        }
        if (!more) {
            decodeDone_ = true;
            return;
        }
        if (ring_.freeFrames() < kMinFreeToDecode)
            return; // full enough: wait for the output to drain some
    }
}

size_t Engine::takeFrames(int16_t *out, bool deviceDry, bool &ended)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ended = false;
    if (!active_ || paused_ || outputGeneration_ != generation_)
        return 0;
    bool ready = ring_.size() >= AudioSink::kFramesPerBuffer;
    underruns_.bufferWanted(generationWritten_ > 0, deviceDry, ready, decodeDone_);
    if (!ready && !decodeDone_)
        return 0; // wait for a whole buffer, unless this is the last of the song
    size_t frames = ring_.pop(out, AudioSink::kFramesPerBuffer);
    outputGain_.apply(out, frames);
    if (ring_.freeFrames() >= kRefillFrames)
        decoderWake_.notify_one();
    ended = frames == 0 && decodeDone_;
    return frames;
}

void Engine::replaceDeadSink()
{
    std::unique_ptr<AudioSink> dead;
    std::unique_ptr<AudioSink> silent = makeSilentSink();
    std::lock_guard<std::mutex> lock(mutex_);
    dead = std::move(sink_); // closed after the lock is released
    // Carry on from what was heard: a new sink starts a new generation.
    int64_t at = active_ ? heardMs() : 0;
    sink_ = std::move(silent);
    outputGeneration_ = 0;
    if (active_)
        restartAt(at);
    else
        ++generation_;
}

void Engine::outputLoop()
{
    std::vector<int16_t> buffer(static_cast<size_t>(AudioSink::kFramesPerBuffer) * 2);
    // Opening the sound device takes a while (tens of milliseconds under
    // Wine): it is done here, so that starting the engine costs the
    // program's start-up nothing.
    std::unique_ptr<AudioSink> opened = openSink_ ? openSink_() : nullptr;
    if (!opened)
        opened = makeSilentSink(); // no device: play on in silence
    AudioSink *sink = opened.get();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sink_ = std::move(opened);
    }
    uint64_t heardAtFlush = 0;
    for (;;) {
        bool newGeneration, pause, playing;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (quit_)
                return;
            newGeneration = outputGeneration_ != generation_;
            pause = paused_;
            playing = active_;
        }
        if (newGeneration) {
            sink->flush();
            heardAtFlush = sink->playedFrames();
            std::lock_guard<std::mutex> lock(mutex_);
            outputGeneration_ = generation_;
            heardFrames_ = 0;
            generationWritten_ = 0;
        }
        sink->setPaused(pause);

        bool ended = false;
        while (sink->canWrite()) {
            bool dry = sink->playedFrames() >= sink->writtenFrames();
            size_t frames = takeFrames(buffer.data(), dry, ended);
            if (!frames)
                break;
            sink->write(buffer.data(), static_cast<int>(frames));
            std::lock_guard<std::mutex> lock(mutex_);
            generationWritten_ += frames;
        }

        uint64_t played = sink->playedFrames();
        bool drained = played >= sink->writtenFrames();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (outputGeneration_ == generation_) {
                heardFrames_ = played - heardAtFlush;
                if (ended && drained && active_) {
                    // Heard to its end: the channel falls idle.
                    current_->positionMs = source_->lengthMs();
                    current_ = nullptr;
                    source_.reset();
                    active_ = false;
                    paused_ = false;
                    playing = false;
                }
            }
        }
        if (playing && !pause && !sink->healthy()) {
            replaceDeadSink();
            sink = sink_.get();
            continue;
        }
        sink->wait(playing && !pause ? kPlayingWaitMs : kIdleWaitMs);
    }
}

} // namespace kelvoria
