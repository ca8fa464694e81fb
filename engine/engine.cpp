#include "engine.h"

#include <algorithm>
#include <cstring>
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

int64_t framesAt(int64_t ms)
{
    return ms * kOutputRate / 1000;
}

// Rounded up, so that the frame of a whole millisecond reads back as it.
int64_t msAt(int64_t frames)
{
    return (frames * 1000 + kOutputRate - 1) / kOutputRate;
}

// Appends `run` to `runs`, lengthening the last run when it continues it
// (in the stream, and on the sink for runs on the sink).
void appendRun(std::deque<FrameRun> &runs, const FrameRun &run, bool onSink)
{
    if (run.frames == 0)
        return;
    if (!runs.empty()) {
        FrameRun &last = runs.back();
        if (last.stream == run.stream && last.songFrame + static_cast<int64_t>(last.frames) == run.songFrame &&
            (!onSink || last.sinkFrame + last.frames == run.sinkFrame)) {
            last.frames += run.frames;
            return;
        }
    }
    runs.push_back(run);
}
} // namespace

Engine::Engine(SinkOpener openSink) : openSink_(std::move(openSink)), ring_(kRingFrames)
{
    outputWake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
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
    if (outputWake_)
        CloseHandle(outputWake_);
}

int Stream::lengthMs() const
{
    int64_t fromStart = std::max<int64_t>(source->lengthMs() - firstFrame * 1000 / kOutputRate, 0);
    return static_cast<int>(endFrame < 0 ? fromStart : std::min(fromStart, msAt(endFrame - firstFrame)));
}

bool Stream::continues(const Stream &before) const
{
    return before.endFrame >= 0 && firstFrame == before.endFrame && _stricmp(file.c_str(), before.file.c_str()) == 0;
}

bool Engine::setStretch(Stream *stream, int64_t first, int64_t end)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_ && (stream == current_ || stream == queued_ || stream == decoding_))
        return false;
    stream->firstFrame = first;
    stream->endFrame = end;
    stream->positionMs = 0;
    return true;
}

bool Engine::setOwnGain(Stream *stream, const ReplayGainTags &gain)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_ && (stream == current_ || stream == queued_ || stream == decoding_))
        return false;
    stream->ownGain = gain;
    return true;
}

double Engine::songGainOf(const Stream &stream, const Source &source) const
{
    return replayGainFactor(withOwnGain(stream.ownGain, source.replayGain()), replayGain_);
}

void Engine::restartAt(int64_t ms)
{
    restartAtFrame(framesAt(ms));
}

void Engine::restartAtFrame(int64_t frame)
{
    ++generation_;
    ++decodeEpoch_;
    decoding_ = current_;
    decodeFromFrame_ = frame;
    restartDecoder_ = current_ != nullptr;
    decodedToEnd_ = false;
    ring_.clear();
    ringRuns_.clear();
    heard_ = current_;
    heardFrame_ = frame;
    decoderWake_.notify_one();
    wakeOutput();
}

void Engine::wakeOutput()
{
    if (sink_)
        sink_->wake();
    else if (outputWake_)
        SetEvent(outputWake_); // the output waits on this while it holds no device
}

int Engine::heardMs()
{
    // Frozen the moment the pause was asked for, while the stream heard then
    // is still the one heard: a device may yet play out the next stream's
    // first frames, which are heard at their own time.
    if (paused_ && heard_ == pausedStream_)
        return pausedMs_;
    int length = current_ ? current_->lengthMs() : 0;
    if (heard_ != current_)
        return 0;
    return static_cast<int>(std::min<int64_t>(msAt(heardFrame_), length));
}

void Engine::play(Stream *stream)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_)
        stopLocked();
    heardChanges_.clear(); // what the engine did before this play is no longer news
    int length = stream->lengthMs();
    if (stream->positionMs >= length)
        stream->positionMs = 0; // a stream heard to its end starts again
    current_ = stream;
    queued_ = nullptr;
    active_ = true;
    paused_ = false;
    restartAt(stream->positionMs);
}

bool Engine::queue(Stream *next)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_ || next == current_)
        return false;
    if (next == queued_)
        return true; // already on its way: what is decoded of it stays
    dropQueued();
    if (next) {
        if (next->positionMs >= next->lengthMs())
            next->positionMs = 0;
        queued_ = next;
        decoderWake_.notify_one(); // the playing stream may be decoded to its end already
    }
    return true;
}

void Engine::forgetRunsOf(Stream *stream)
{
    auto of = [stream](const FrameRun &run) { return run.stream == stream; };
    sinkRuns_.erase(std::remove_if(sinkRuns_.begin(), sinkRuns_.end(), of), sinkRuns_.end());
    if (heard_ == stream)
        heard_ = nullptr;
}

// What the decoder has made of the queued stream goes; what reached the
// sink cannot be taken back alone, so then the playing stream starts again
// where it is heard.
void Engine::dropQueued()
{
    Stream *dropped = queued_;
    if (!dropped)
        return;
    queued_ = nullptr;
    if (decoding_ != dropped)
        return;
    bool onSink = std::any_of(sinkRuns_.begin(), sinkRuns_.end(),
                              [dropped](const FrameRun &run) { return run.stream == dropped; });
    if (onSink) {
        restartAt(heardMs());
        forgetRunsOf(dropped);
        return;
    }
    while (!ringRuns_.empty() && ringRuns_.back().stream == dropped) {
        ring_.dropNewest(ringRuns_.back().frames);
        ringRuns_.pop_back();
    }
    ++decodeEpoch_; // a decode of it under way is void
    decoding_ = current_;
    decodedToEnd_ = true;
    decoderWake_.notify_one();
}

void Engine::stopLocked()
{
    heardChanges_.clear(); // the program's own stop is not announced, nor what it overtook
    if (!active_)
        return;
    current_->positionMs = heardMs();
    current_ = nullptr;
    queued_ = nullptr;
    active_ = false;
    paused_ = false;
    decodingSource_.reset(); // no file stays open for a channel that plays nothing
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
    if (stream == queued_)
        dropQueued();
    if (stream == current_)
        stopLocked();
    forgetRunsOf(stream);
    auto of = [stream](const std::pair<Stream *, HeardChange> &change) { return change.first == stream; };
    heardChanges_.erase(std::remove_if(heardChanges_.begin(), heardChanges_.end(), of), heardChanges_.end());
}

bool Engine::setPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_)
        return false;
    if (paused && !paused_) {
        pausedMs_ = heardMs();
        pausedStream_ = heard_;
    }
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

void Engine::setEqualizer(const EqualizerSettings &settings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    equalizer_.set(settings);
    if (active_)
        wakeOutput(); // as the volume: the next buffer the device has room for carries it
}

size_t Engine::heardSamples(int16_t *out, size_t frames)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_ || !current_)
        return 0;
    return history_.before(sinkPlayed_, out, frames);
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
    ms = std::clamp(ms, 0, stream->lengthMs());
    if (stream == current_ && active_) {
        restartAt(ms); // what is queued follows from there
        pausedMs_ = ms;
        pausedStream_ = current_;
    }
    else
        stream->positionMs = ms;
}

Stream *Engine::heardStream()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return heard_;
}

void Engine::setHeardListener(HeardListener listener)
{
    std::lock_guard<std::mutex> lock(mutex_);
    heardListener_ = std::move(listener);
}

bool Engine::outputOpen()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sink_ != nullptr;
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

// Nothing more will come: the decoder is through the playing stream and
// nothing is queued behind it (or through the queued one too).
bool Engine::decodeDone() const
{
    return decodedToEnd_ && (!queued_ || decoding_ == queued_);
}

bool Engine::decoderHasWork() const
{
    if (!decoding_)
        return false;
    if (decoderEpoch_ != decodeEpoch_)
        return true;
    if (!decodedToEnd_)
        return ring_.freeFrames() >= kRefillFrames;
    return queued_ && decoding_ != queued_;
}

// Under the lock: what the decoder does next. False when there is nothing
// new to take up (it carries on with the stream it has).
bool Engine::takeDecodeJob(Stream *&stream, int64_t &fromFrame, uint64_t &epoch)
{
    bool reposition = false;
    if (decoderEpoch_ != decodeEpoch_) {
        decoderEpoch_ = decodeEpoch_;
        if (restartDecoder_) {
            restartDecoder_ = false;
            reposition = true;
            fromFrame = decodeFromFrame_;
        }
    }
    if (!reposition && decodedToEnd_ && queued_ && decoding_ != queued_) {
        // The playing stream is decoded to its end: its follower comes next, in the same ring.
        decoding_ = queued_;
        decodedToEnd_ = false;
        reposition = true;
        fromFrame = framesAt(queued_->positionMs);
    }
    stream = decoding_;
    epoch = decodeEpoch_;
    return reposition;
}

void Engine::decoderLoop()
{
    std::vector<int16_t> decoded;
    int64_t songFrame = 0; // the frame of `stream` that the next decoded one is
    for (;;) {
        std::shared_ptr<Source> source;
        Stream *stream;
        uint64_t epoch;
        int64_t fromFrame = 0;
        bool reposition;
        double songGain = 1.0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            decoderWake_.wait(lock, [this] { return quit_ || decoderHasWork(); });
            if (quit_)
                return;
            reposition = takeDecodeJob(stream, fromFrame, epoch);
            if (!stream || (!reposition && decodedToEnd_))
                continue;
            if (reposition || !decodingSource_)
                decodingSource_ = stream->source;
            source = decodingSource_;
            songGain = songGainOf(*stream, *source);
        }
        if (reposition) {
            source->setGain(songGain); // each song at its own level from its first frame
            songFrame = fromFrame;
            if (!source->seekToFrame(stream->firstFrame + fromFrame)) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (epoch == decodeEpoch_)
                    decodedToEnd_ = true; // nothing this file holds can be decoded
                wakeOutput();
                continue;
            }
        }
        fill(*source, stream, epoch, songFrame, decoded);
    }
}

void Engine::fill(Source &source, Stream *stream, uint64_t epoch, int64_t &songFrame, std::vector<int16_t> &decoded)
{
    // Decode until the ring is nearly full, the stream ends, or the channel
    // moves on; each packet is handed over as soon as it is out. A packet
    // that crosses the end of a stretch is cut there; what follows goes to
    // the queued stream when it goes on from there in the same file.
    decoded.clear();
    size_t used = 0; // frames of `decoded` handed over
    bool more = true;
    double rescaleBy = 1.0; // of a track decoded on from the one before
    for (;;) {
        if (used == decoded.size() / 2) {
            decoded.clear();
            used = 0;
            more = source.decode(decoded);
        }
        size_t frames = decoded.size() / 2 - used;
        int64_t count = stream->frameCount();
        bool stretchEnds = count >= 0 && songFrame + static_cast<int64_t>(frames) >= count;
        if (stretchEnds)
            frames = static_cast<size_t>(std::max<int64_t>(count - songFrame, 0));
        bool last = stretchEnds || (!more && used + frames == decoded.size() / 2);
        if (rescaleBy != 1.0)
            scaleSamples(decoded.data() + used * 2, frames * 2, rescaleBy);
        if (!pushFrames(stream, epoch, decoded.data() + used * 2, frames, songFrame, last))
            return;
        used += frames;
        songFrame += static_cast<int64_t>(frames);
        if (last) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (quit_ || epoch != decodeEpoch_)
                return;
            if (stretchEnds && decodeOnInto(stream, songFrame)) {
                // The decoder keeps the gain it was opened with; a track
                // with a gain of its own is brought to it here.
                rescaleBy = songGainOf(*stream, source) / source.gain();
                continue;
            }
            decodedToEnd_ = true;
            decodingSource_.reset(); // the decoder's next stream, if any, starts with a seek in its own
            wakeOutput();
            return;
        }
        if (used == decoded.size() / 2 && ring_.freeFrames() < kMinFreeToDecode)
            return; // full enough: wait for the output to drain some
    }
}

bool Engine::pushFrames(Stream *stream, uint64_t epoch, const int16_t *pcm, size_t frames, int64_t songFrame, bool last)
{
    size_t pushed = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    if (frames == 0 && !quit_ && epoch == decodeEpoch_) {
        if (last)
            wakeOutput();
        return true;
    }
    for (;;) {
        if (quit_ || epoch != decodeEpoch_)
            return false;
        // The output waits for a whole buffer: wake it only when this
        // packet may complete the one it is waiting for.
        bool outputStarved = ring_.size() < AudioSink::kFramesPerBuffer;
        size_t took = ring_.push(pcm + pushed * 2, frames - pushed);
        appendRun(ringRuns_, {stream, songFrame + static_cast<int64_t>(pushed), took}, false);
        pushed += took;
        if (outputStarved || last)
            wakeOutput();
        if (pushed == frames)
            return true;
        decoderWake_.wait(lock, [&] { return quit_ || epoch != decodeEpoch_ || ring_.freeFrames() >= kRefillFrames; });
    }
}

bool Engine::decodeOnInto(Stream *&stream, int64_t &songFrame)
{
    if (!queued_ || queued_ == stream || decoding_ != stream || queued_->positionMs != 0 || !queued_->continues(*stream))
        return false;
    decoding_ = queued_;
    stream = queued_;
    songFrame = 0;
    return true;
}

size_t Engine::takeFrames(int16_t *out, bool deviceDry, uint64_t sinkAt, bool &ended)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ended = false;
    if (!active_ || paused_ || outputGeneration_ != generation_)
        return 0;
    bool done = decodeDone();
    bool ready = ring_.size() >= AudioSink::kFramesPerBuffer;
    underruns_.bufferWanted(generationWritten_ > 0, deviceDry, ready, done);
    if (!ready && !done)
        return 0; // wait for a whole buffer, unless this is the last of the song
    size_t frames = ring_.pop(out, AudioSink::kFramesPerBuffer);
    // The runs the frames came from go to the sink with them.
    uint64_t left = frames, at = 0;
    while (left > 0 && !ringRuns_.empty()) {
        FrameRun &run = ringRuns_.front();
        uint64_t part = std::min(left, run.frames);
        appendRun(sinkRuns_, {run.stream, run.songFrame, part, sinkAt + at}, true);
        run.songFrame += static_cast<int64_t>(part);
        run.frames -= part;
        if (run.frames == 0)
            ringRuns_.pop_front();
        at += part;
        left -= part;
    }
    equalizer_.apply(out, frames);
    history_.wrote(sinkAt, out, frames);
    outputGain_.apply(out, frames);
    if (ring_.freeFrames() >= kRefillFrames)
        decoderWake_.notify_one();
    ended = frames == 0 && done;
    return frames;
}

// The sink has played `played` frames: the runs they reach are heard. The
// first frame heard of the queued stream makes it channel 0's stream.
void Engine::followHeard(uint64_t played)
{
    sinkPlayed_ = played;
    while (!sinkRuns_.empty()) {
        const FrameRun &run = sinkRuns_.front();
        if (played <= run.sinkFrame)
            break; // not a frame of it heard yet
        if (run.stream != heard_ && run.stream == queued_) {
            current_->positionMs = current_->lengthMs(); // heard to its end
            current_ = queued_;
            queued_ = nullptr;
            heardChanges_.emplace_back(current_, HeardChange::Started);
        }
        heard_ = run.stream;
        uint64_t heardOfRun = std::min(played - run.sinkFrame, run.frames);
        heardFrame_ = run.songFrame + static_cast<int64_t>(heardOfRun);
        if (heardOfRun < run.frames)
            break;
        sinkRuns_.pop_front();
    }
}

// Heard to its end, with nothing to follow: the channel falls idle.
void Engine::finishChannel()
{
    heardChanges_.emplace_back(current_, HeardChange::Ended);
    current_->positionMs = current_->lengthMs();
    current_ = nullptr;
    queued_ = nullptr;
    decoding_ = nullptr;
    active_ = false;
    paused_ = false;
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

// Opening the sound device takes a while (tens of milliseconds under Wine):
// it is done here, on the output thread, when there is something to hear.
AudioSink *Engine::openOutput()
{
    std::unique_ptr<AudioSink> opened = openSink_ ? openSink_() : nullptr;
    if (!opened)
        opened = makeSilentSink(); // no device: play on in silence
    AudioSink *sink = opened.get();
    std::lock_guard<std::mutex> lock(mutex_);
    sink_ = std::move(opened);
    primeLeft_ = sink->primeFrames();
    return sink;
}

// The device goes; what it held and had not played goes with it, so a
// paused channel starts again from the frame heard when it plays on.
void Engine::releaseOutput()
{
    std::unique_ptr<AudioSink> closing;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing = std::move(sink_);
        sinkRuns_.clear();
        if (active_ && !quit_)
            restartAtFrame(heard_ == current_ ? heardFrame_ : framesAt(pausedMs_));
    }
    closing.reset(); // waits (bounded) for the system's thread of the device, with no lock held
    quiet_ = false;
}

// True once the sink has had nothing to play for long enough to let it go;
// else shortens `waitMs` to the moment it will have.
bool Engine::outputIdleFor(bool playing, bool paused, DWORD &waitMs)
{
    if (playing && !paused) {
        quiet_ = false;
        return false;
    }
    DWORD now = GetTickCount();
    if (!quiet_) {
        quiet_ = true;
        quietSince_ = now;
    }
    DWORD limit = playing ? kReleasePausedMs : kReleaseIdleMs;
    DWORD playingOut = playOutUntil_ ? playOutUntil_ - now : 0;
    if (playingOut <= sink_->playOutMs()) // what the list ended with is still heard
        limit = std::max(limit, now - quietSince_ + playingOut);
    DWORD spent = now - quietSince_;
    if (spent >= limit)
        return true;
    waitMs = std::min(waitMs, limit - spent);
    return false;
}

// A device just opened or emptied may drop the first audio it is given
// while its stream starts (a sound server's clock runs on meanwhile): the
// silence it asks for goes first, and no frame of a song is in it.
void Engine::primeOutput(AudioSink &sink, std::vector<int16_t> &buffer)
{
    std::fill(buffer.begin(), buffer.end(), int16_t(0));
    while (primeLeft_ > 0 && sink.canWrite()) {
        int frames = std::min(primeLeft_, AudioSink::kFramesPerBuffer);
        sink.write(buffer.data(), frames);
        primeLeft_ -= frames;
    }
}

void Engine::waitOutput(AudioSink *sink, DWORD ms)
{
    if (sink)
        sink->wait(ms);
    else
        WaitForSingleObject(outputWake_, ms);
}

void Engine::announceHeardChanges()
{
    HeardListener listener;
    std::vector<std::pair<Stream *, HeardChange>> changes;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (heardChanges_.empty())
            return;
        changes.swap(heardChanges_);
        listener = heardListener_;
    }
    for (const auto &change : changes)
        if (listener)
            listener(change.first, change.second);
}

void Engine::outputLoop()
{
    std::vector<int16_t> buffer(static_cast<size_t>(AudioSink::kFramesPerBuffer) * 2);
    for (;;) {
        bool newGeneration, pause, playing;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (quit_)
                break;
            newGeneration = outputGeneration_ != generation_;
            pause = paused_;
            playing = active_;
        }
        AudioSink *sink = sink_.get(); // only this thread changes sink_
        if (!sink && playing && !pause)
            sink = openOutput();
        if (newGeneration) {
            if (sink) {
                sink->flush();
                primeLeft_ = sink->primeFrames();
            }
            std::lock_guard<std::mutex> lock(mutex_);
            outputGeneration_ = generation_;
            sinkRuns_.clear();
            generationWritten_ = 0;
            playOutUntil_ = 0;
        }
        if (!sink) {
            waitOutput(nullptr, kIdleWaitMs);
            continue;
        }
        sink->setPaused(pause);

        bool ended = false;
        if (primeLeft_ > 0 && playing && !pause)
            primeOutput(*sink, buffer);
        while (primeLeft_ == 0 && sink->canWrite()) {
            bool dry = sink->playedFrames() >= sink->writtenFrames();
            size_t frames = takeFrames(buffer.data(), dry, sink->writtenFrames(), ended);
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
                followHeard(played);
                // A stream queued since the last frame was taken plays on.
                if (ended && drained && active_ && decodeDone() && ring_.size() == 0) {
                    finishChannel();
                    playing = false;
                    playOutUntil_ = (GetTickCount() + sink->playOutMs()) | 1;
                }
            }
        }
        announceHeardChanges();
        if (playing && !pause && !sink->healthy()) {
            replaceDeadSink();
            continue;
        }
        DWORD waitMs = playing && !pause ? kPlayingWaitMs : kIdleWaitMs;
        if (outputIdleFor(playing, pause, waitMs)) {
            releaseOutput();
            continue;
        }
        if (!playing && playOutUntil_)
            sink->keepFlowing(); // what the list ended with is heard meanwhile
        waitOutput(sink, waitMs);
    }
    // At the engine's end: what the device still plays of a list's end is heard.
    DWORD left = playOutUntil_ - GetTickCount();
    if (sink_ && playOutUntil_ && left <= sink_->playOutMs())
        sink_->playOut(left);
    releaseOutput();
}

} // namespace kelvoria
