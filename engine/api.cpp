// The FSOUND calls of fmod.dll. Every call is serialised by one API lock
// (but for the reading of a file being opened),
// which the engine's own threads never take, and checks its stream handle
// against the streams it gave out, so that a stale or null handle, or a call
// before FSOUND_Init or after FSOUND_Close, gets a neutral answer.
#include "../core/fmod.h"

#include "engine.h"
#include "equalizer.h"
#include "figures.h"
#include "sink.h"
#include "source.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

using kelvoria::Engine;
using kelvoria::Source;
using kelvoria::Stream;

namespace {

struct Library {
    std::mutex lock;
    std::mutex openLock; // taken alone, never with `lock`
    int outputType = FSOUND_OUTPUT_DSOUND;
    std::unique_ptr<Engine> engine;
    // Kept here too, so that they may be set before the engine starts.
    int listenerVolume = kelvoria::kVolumeFull;
    kelvoria::ReplayGainSettings replayGain;
    kelvoria::EqualizerSettings equalizer;
    KELVORIA_HEARDCALLBACK heardCallback = nullptr;
    void *heardContext = nullptr;
    std::unordered_map<FSOUND_STREAM *, std::unique_ptr<Stream>> streams;

    Stream *find(FSOUND_STREAM *handle)
    {
        auto it = streams.find(handle);
        return it == streams.end() ? nullptr : it->second.get();
    }
};

// Never destroyed: at process exit the system ends the engine's threads
// before DLLs detach, and joining them then would hang.
Library &library()
{
    static Library *instance = new Library;
    return *instance;
}

signed char toBool(bool value)
{
    return value ? 1 : 0;
}

// The engine's listener for the program's callback; a handle is the
// address of its Stream.
Engine::HeardListener heardListenerFor(KELVORIA_HEARDCALLBACK callback, void *context)
{
    if (!callback)
        return nullptr;
    return [callback, context](Stream *stream, kelvoria::HeardChange change) {
        callback(reinterpret_cast<FSOUND_STREAM *>(stream),
                 change == kelvoria::HeardChange::Started ? KELVORIA_HEARD_STARTED : KELVORIA_HEARD_ENDED, context);
    };
}

} // namespace

uint64_t kelvoria::engineUnderruns()
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    return lib.engine ? lib.engine->underruns() : 0;
}

extern "C" {

signed char F_API FSOUND_SetOutput(int outputtype)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (lib.engine || outputtype < -1)
        return 0; // the output is chosen when the engine starts
    lib.outputType = outputtype;
    return 1;
}

signed char F_API FSOUND_SetDriver(int driver)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    // The default sound device is the only driver.
    return toBool(!lib.engine && driver == 0);
}

signed char F_API FSOUND_Init(int, int, unsigned int)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (lib.engine)
        return 0;
    av_log_set_level(AV_LOG_QUIET); // damaged files are expected; nothing to tell
    // The wave output when asked for by name; any other output is the
    // system's shared audio stream, or the wave output where there is none.
    Engine::SinkOpener openSink;
    if (lib.outputType == FSOUND_OUTPUT_WINMM)
        openSink = kelvoria::openWaveOutSink;
    else if (lib.outputType != FSOUND_OUTPUT_NOSOUND)
        openSink = kelvoria::openDeviceSink;
    lib.engine = std::make_unique<Engine>(openSink); // without a device it plays on in silence
    lib.engine->setListenerVolume(lib.listenerVolume);
    lib.engine->setReplayGain(lib.replayGain);
    lib.engine->setEqualizer(lib.equalizer);
    lib.engine->setHeardListener(heardListenerFor(lib.heardCallback, lib.heardContext));
    return 1;
}

// The engine is ended outside the API lock: its output thread may be in the
// program's callback, which may make a call that takes the lock.
void F_API FSOUND_Close(void)
{
    Library &lib = library();
    std::unique_ptr<Engine> engine;
    std::unordered_map<FSOUND_STREAM *, std::unique_ptr<Stream>> streams;
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        engine = std::move(lib.engine);
        streams.swap(lib.streams);
        lib.heardCallback = nullptr; // its context may end with the program's use of the engine
        lib.heardContext = nullptr;
    }
    engine.reset(); // stops the output and joins the threads, before the streams go
}

// Opening reads the file's headers (and the end of some), which on a slow
// disk or a network share takes a while: the API lock is not held meanwhile,
// so that a tag reader opening files on one thread never holds up the calls
// the player makes at every tick on another. Opens still take turns among
// themselves: FFmpeg, built without threads, initialises its codecs' tables
// unguarded.
FSOUND_STREAM *F_API FSOUND_Stream_Open(const char *name, unsigned int, int, int)
{
    Library &lib = library();
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        if (!lib.engine)
            return nullptr;
    }
    std::shared_ptr<Source> source;
    {
        std::lock_guard<std::mutex> opening(lib.openLock);
        source = Source::open(name);
    }
    if (!source)
        return nullptr;
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine)
        return nullptr; // closed while the file was read
    auto stream = std::make_unique<Stream>();
    stream->source = std::move(source);
    stream->file = name;
    auto *handle = reinterpret_cast<FSOUND_STREAM *>(stream.get());
    lib.streams.emplace(handle, std::move(stream));
    return handle;
}

signed char F_API FSOUND_Stream_Close(FSOUND_STREAM *handle)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (!stream)
        return 0;
    lib.engine->release(stream);
    lib.streams.erase(handle);
    return 1;
}

int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM *handle)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (!stream || (channel != 0 && channel != -1))
        return -1;
    lib.engine->play(stream);
    return 0;
}

int F_API FSOUND_Stream_GetLengthMs(FSOUND_STREAM *handle)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    return stream ? stream->lengthMs() : 0;
}

int F_API FSOUND_Stream_GetTime(FSOUND_STREAM *handle)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    return stream ? lib.engine->timeMs(stream) : 0;
}

signed char F_API FSOUND_Stream_SetTime(FSOUND_STREAM *handle, int ms)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (!stream)
        return 0;
    lib.engine->setTime(stream, ms);
    return 1;
}

signed char F_API FSOUND_Stream_GetNumTagFields(FSOUND_STREAM *handle, int *num)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (num)
        *num = stream ? static_cast<int>(stream->source->tags().size()) : 0;
    return toBool(stream && num);
}

signed char F_API FSOUND_Stream_GetTagField(FSOUND_STREAM *handle, int num, int *type, char **name, void **value,
                                            int *length)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    const kelvoria::TagField *field = nullptr;
    if (stream && num >= 0 && static_cast<size_t>(num) < stream->source->tags().size())
        field = &stream->source->tags()[static_cast<size_t>(num)];
    // The texts belong to the stream and live until it is closed.
    if (type)
        *type = field ? field->type : 0;
    if (name)
        *name = field ? const_cast<char *>(field->name.c_str()) : nullptr;
    if (value)
        *value = field ? const_cast<char *>(field->value.c_str()) : nullptr;
    if (length)
        *length = field ? static_cast<int>(field->value.size()) : 0;
    return toBool(field != nullptr);
}

signed char F_API FSOUND_SetVolume(int channel, int vol)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine || channel != 0)
        return 0;
    lib.engine->setVolume(vol);
    return 1;
}

signed char F_API FSOUND_SetPaused(int channel, signed char paused)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine || channel != 0)
        return 0;
    return toBool(lib.engine->setPaused(paused != 0));
}

signed char F_API FSOUND_StopSound(int channel)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine || channel != 0)
        return 0;
    lib.engine->stop();
    return 1;
}

signed char F_API FSOUND_IsPlaying(int channel)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine || channel != 0)
        return 0;
    return toBool(lib.engine->isPlaying());
}

signed char F_API Kelvoria_Stream_Queue(FSOUND_STREAM *handle)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (!lib.engine || (handle && !stream))
        return 0;
    return toBool(lib.engine->queue(stream));
}

signed char F_API Kelvoria_Stream_SetStretch(FSOUND_STREAM *handle, int firstCdFrame, int endCdFrame)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (!stream || firstCdFrame < 0 || (endCdFrame >= 0 && endCdFrame <= firstCdFrame))
        return 0;
    return toBool(lib.engine->setStretch(stream, int64_t(firstCdFrame) * kelvoria::kFramesPerCdFrame,
                                         endCdFrame < 0 ? -1 : int64_t(endCdFrame) * kelvoria::kFramesPerCdFrame));
}

namespace {

// A gain beyond +-60 dB or a peak that is not above 0 is damaged: none.
std::optional<double> givenGain(int hundredths)
{
    if (hundredths == KELVORIA_GAIN_NONE || hundredths < -6000 || hundredths > 6000)
        return std::nullopt;
    return hundredths / 100.0;
}

std::optional<double> givenPeak(int millionths)
{
    if (millionths == KELVORIA_GAIN_NONE || millionths <= 0)
        return std::nullopt;
    return millionths / 1e6;
}

} // namespace

signed char F_API Kelvoria_Stream_SetGainTags(FSOUND_STREAM *handle, int trackGain, int trackPeak, int albumGain,
                                              int albumPeak)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    Stream *stream = lib.find(handle);
    if (!stream)
        return 0;
    kelvoria::ReplayGainTags gain;
    gain.trackGainDb = givenGain(trackGain);
    gain.trackPeak = givenPeak(trackPeak);
    gain.albumGainDb = givenGain(albumGain);
    gain.albumPeak = givenPeak(albumPeak);
    return toBool(lib.engine->setOwnGain(stream, gain));
}

FSOUND_STREAM *F_API Kelvoria_GetHeardStream(void)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine)
        return nullptr;
    // A handle is the address of its Stream; a released stream is never heard.
    return reinterpret_cast<FSOUND_STREAM *>(lib.engine->heardStream());
}

signed char F_API Kelvoria_SetHeardCallback(KELVORIA_HEARDCALLBACK callback, void *context)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    lib.heardCallback = callback;
    lib.heardContext = context;
    if (lib.engine)
        lib.engine->setHeardListener(heardListenerFor(callback, context));
    return 1;
}

signed char F_API Kelvoria_SetVolume(int percent)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    lib.listenerVolume = std::clamp(percent, kelvoria::kVolumeSilent, kelvoria::kVolumeFull);
    if (lib.engine)
        lib.engine->setListenerVolume(lib.listenerVolume);
    return 1;
}

namespace {

std::array<double, kelvoria::kEqualizerBands> bandsOf(const int *hundredths)
{
    std::array<double, kelvoria::kEqualizerBands> bands{};
    for (int band = 0; hundredths && band < kelvoria::kEqualizerBands; ++band)
        bands[band] = hundredths[band] / 100.0;
    return bands;
}

} // namespace

signed char F_API Kelvoria_SetEqualizer(signed char on, int preamp, const int *bands)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    lib.equalizer.on = on != 0;
    lib.equalizer.preampDb = preamp / 100.0;
    lib.equalizer.bandsDb = bandsOf(bands);
    if (lib.engine)
        lib.engine->setEqualizer(lib.equalizer);
    return 1;
}

int F_API Kelvoria_GetEqualizerAutoPreamp(const int *bands)
{
    return static_cast<int>(std::lround(kelvoria::autoPreampDb(bandsOf(bands), kelvoria::kOutputRate) * 100));
}

int F_API Kelvoria_GetHeardSamples(short *samples, int frames)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.engine || !samples || frames <= 0)
        return 0;
    return static_cast<int>(lib.engine->heardSamples(samples, static_cast<size_t>(frames)));
}

signed char F_API Kelvoria_SetReplayGain(int mode, int taggedPreamp, int untaggedPreamp, signed char preventClipping)
{
    using kelvoria::ReplayGainMode;
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (mode < KELVORIA_REPLAYGAIN_OFF || mode > KELVORIA_REPLAYGAIN_ALBUM)
        return 0;
    constexpr int kPreampLimit = static_cast<int>(kelvoria::kMaxPreampDb * 100);
    kelvoria::ReplayGainSettings settings;
    settings.mode = mode == KELVORIA_REPLAYGAIN_TRACK   ? ReplayGainMode::Track
                    : mode == KELVORIA_REPLAYGAIN_ALBUM ? ReplayGainMode::Album
                                                        : ReplayGainMode::Off;
    settings.taggedPreampDb = std::clamp(taggedPreamp, -kPreampLimit, kPreampLimit) / 100.0;
    settings.untaggedPreampDb = std::clamp(untaggedPreamp, -kPreampLimit, kPreampLimit) / 100.0;
    settings.preventClipping = preventClipping != 0;
    lib.replayGain = settings;
    if (lib.engine)
        lib.engine->setReplayGain(settings);
    return 1;
}

} // extern "C"
