// The scripted engine double; see fake_fmod.h for what it promises.
#include "fake_fmod.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace {

// The real engine serialises every call with one lock, and the player reads
// tags on a thread of its own: the double serialises its calls the same way.
std::recursive_mutex &apiLock()
{
    static std::recursive_mutex lock;
    return lock;
}
#define SERIALISED std::lock_guard<std::recursive_mutex> serialised(apiLock())

struct Field {
    std::string name;
    std::string value;
    int length;
};

struct File {
    int lengthMs = 0;
    bool countFails = false;
    std::vector<Field> fields;
};

struct Stream {
    int id;
    std::string path;
    int lengthMs;
    int timeMs = 0;
    bool open = true;
    bool countFails;
    std::vector<Field> fields;
};

struct Engine {
    std::map<std::string, File> files;
    std::set<std::string> failing;
    std::map<FSOUND_STREAM *, std::unique_ptr<Stream>> streams;
    int nextId = 1;
    Stream *channel = nullptr;
    Stream *queued = nullptr; // follows the channel's stream with no gap
    Stream *heard = nullptr;  // whose time was heard last
    bool paused = false;
    int volume = -1;
    KELVORIA_HEARDCALLBACK heardCallback = nullptr;
    void *heardContext = nullptr;
    std::vector<std::string> log;
    std::vector<short> heardSamples; // interleaved stereo, the newest last
};

// A change of the heard stream that advance() announces once it has let go
// of the lock, as the real engine calls back holding none.
struct HeardChange {
    FSOUND_STREAM *stream;
    int event;
};

Engine &engine()
{
    static Engine instance;
    return instance;
}

// Closed streams are kept (marked closed) so that no handle is given out twice.
Stream *anyStream(FSOUND_STREAM *handle)
{
    auto it = engine().streams.find(handle);
    return it == engine().streams.end() ? nullptr : it->second.get();
}

Stream *find(FSOUND_STREAM *handle)
{
    Stream *stream = anyStream(handle);
    return stream && stream->open ? stream : nullptr;
}

std::string nameOf(FSOUND_STREAM *handle)
{
    if (!handle)
        return "0";
    Stream *stream = anyStream(handle);
    return stream ? "s" + std::to_string(stream->id) : "unknown";
}

void record(const std::string &call)
{
    engine().log.push_back(call);
}

void stopChannel()
{
    engine().channel = nullptr;
    engine().queued = nullptr;
    engine().paused = false;
}

// The queued stream takes the channel's place, from its own time (from 0
// once it had reached its end).
void moveOnToQueued()
{
    Engine &e = engine();
    Stream *next = e.queued;
    e.queued = nullptr;
    if (next->timeMs >= next->lengthMs)
        next->timeMs = 0;
    e.channel = next;
    e.heard = next;
}

} // namespace

namespace fake_fmod {

void reset()
{
    SERIALISED;
    Engine &e = engine();
    e.files.clear();
    e.failing.clear();
    // Streams of earlier scripts stay known, closed, so that a handle kept
    // by the code under test never names a new stream.
    for (auto &entry : e.streams)
        entry.second->open = false;
    e.channel = nullptr;
    e.queued = nullptr;
    e.heard = nullptr;
    e.paused = false;
    e.volume = -1;
    e.heardCallback = nullptr;
    e.heardContext = nullptr;
    e.heardSamples.clear();
    e.log.clear();
}

void setHeardSamples(const std::vector<short> &stereo)
{
    SERIALISED;
    engine().heardSamples = stereo;
}

void addFile(const std::string &path, int lengthMs)
{
    SERIALISED;
    engine().files[path].lengthMs = lengthMs;
}

void failOpen(const std::string &path)
{
    SERIALISED;
    engine().failing.insert(path);
}

void addTag(const std::string &path, const std::string &name, const std::string &value, int length)
{
    SERIALISED;
    engine().files[path].fields.push_back({name, value, length == fake_fmod::WHOLE_VALUE ? static_cast<int>(value.size()) : length});
}

void failTagCount(const std::string &path)
{
    SERIALISED;
    engine().files[path].countFails = true;
}

FSOUND_STREAM *handleOf(const Stream *stream);

// Moves the channel on by `ms`, noting each change of the heard stream.
void moveOn(int ms, std::vector<HeardChange> &changes)
{
    while (engine().channel && !engine().paused) {
        Stream *stream = engine().channel;
        int step = std::min(ms, stream->lengthMs - stream->timeMs);
        stream->timeMs += step;
        ms -= step;
        if (stream->timeMs < stream->lengthMs)
            return;
        if (!engine().queued) {
            stopChannel();
            changes.push_back({handleOf(stream), KELVORIA_HEARD_ENDED});
            return;
        }
        moveOnToQueued();
        changes.push_back({handleOf(engine().channel), KELVORIA_HEARD_STARTED});
        if (ms == 0)
            return;
    }
}

void advance(int ms)
{
    std::vector<HeardChange> changes;
    KELVORIA_HEARDCALLBACK callback;
    void *context;
    {
        SERIALISED;
        moveOn(ms, changes);
        callback = engine().heardCallback;
        context = engine().heardContext;
    }
    for (const HeardChange &change : changes)
        if (callback)
            callback(change.stream, change.event, context);
}

KELVORIA_HEARDCALLBACK heardCallback()
{
    SERIALISED;
    return engine().heardCallback;
}

void *heardContext()
{
    SERIALISED;
    return engine().heardContext;
}

bool channelPlaying() { return engine().channel != nullptr; }
bool channelPaused() { return engine().paused; }
int volume() { return engine().volume; }
int openStreams()
{
    SERIALISED;
    return static_cast<int>(std::count_if(engine().streams.begin(), engine().streams.end(),
                                          [](const auto &entry) { return entry.second->open; }));
}

FSOUND_STREAM *handleOf(const Stream *stream)
{
    SERIALISED;
    for (auto &entry : engine().streams)
        if (stream && entry.second.get() == stream)
            return entry.first;
    return nullptr;
}

FSOUND_STREAM *channelStream()
{
    SERIALISED;
    return handleOf(engine().channel);
}

FSOUND_STREAM *queuedStream()
{
    SERIALISED;
    return handleOf(engine().queued);
}

int streamTime(FSOUND_STREAM *handle)
{
    SERIALISED;
    Stream *stream = find(handle);
    return stream ? stream->timeMs : 0;
}

const std::vector<std::string> &calls() { return engine().log; }
void clearCalls() { engine().log.clear(); }

int countCalls(const std::string &prefix)
{
    SERIALISED;
    return static_cast<int>(std::count_if(engine().log.begin(), engine().log.end(),
                                          [&](const std::string &call) { return call.rfind(prefix, 0) == 0; }));
}

} // namespace fake_fmod

extern "C" {

signed char F_API FSOUND_Init(int mixrate, int channels, unsigned int flags)
{
    SERIALISED;
    record("Init(" + std::to_string(mixrate) + "," + std::to_string(channels) + "," + std::to_string(flags) + ")");
    return 1;
}

signed char F_API FSOUND_SetOutput(int outputtype)
{
    SERIALISED;
    record("SetOutput(" + std::to_string(outputtype) + ")");
    return 1;
}

signed char F_API FSOUND_SetDriver(int driver)
{
    SERIALISED;
    record("SetDriver(" + std::to_string(driver) + ")");
    return 1;
}

void F_API FSOUND_Close(void)
{
    SERIALISED;
    record("Close()");
    stopChannel();
    for (auto &entry : engine().streams)
        entry.second->open = false;
}

FSOUND_STREAM *F_API FSOUND_Stream_Open(const char *name, unsigned int mode, int offset, int length)
{
    SERIALISED;
    std::string path = name ? name : "";
    Engine &e = engine();
    FSOUND_STREAM *handle = nullptr;
    auto file = e.files.find(path);
    if (name && file != e.files.end() && !e.failing.count(path)) {
        auto stream = std::make_unique<Stream>();
        stream->id = e.nextId++;
        stream->path = path;
        stream->lengthMs = file->second.lengthMs;
        stream->countFails = file->second.countFails;
        stream->fields = file->second.fields;
        // Any unique address serves as the opaque handle.
        handle = reinterpret_cast<FSOUND_STREAM *>(stream.get());
        e.streams.emplace(handle, std::move(stream));
    }
    record("Stream_Open(" + path + "," + std::to_string(mode) + "," + std::to_string(offset) + "," +
           std::to_string(length) + ")");
    return handle;
}

signed char F_API FSOUND_Stream_Close(FSOUND_STREAM *handle)
{
    SERIALISED;
    record("Stream_Close(" + nameOf(handle) + ")");
    Stream *stream = find(handle);
    if (!stream)
        return 0;
    if (engine().channel == stream)
        stopChannel();
    if (engine().queued == stream)
        engine().queued = nullptr;
    if (engine().heard == stream)
        engine().heard = nullptr;
    stream->open = false;
    return 1;
}

int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM *handle)
{
    SERIALISED;
    record("Stream_Play(" + std::to_string(channel) + "," + nameOf(handle) + ")");
    Stream *stream = find(handle);
    if (!stream || channel != 0)
        return -1;
    if (stream->timeMs >= stream->lengthMs)
        stream->timeMs = 0;
    engine().channel = stream;
    engine().queued = nullptr;
    engine().heard = stream;
    engine().paused = false;
    if (stream->lengthMs <= 0)
        stopChannel(); // nothing to hear: ends at once
    return 0;
}

int F_API FSOUND_Stream_GetLengthMs(FSOUND_STREAM *handle)
{
    SERIALISED;
    record("Stream_GetLengthMs(" + nameOf(handle) + ")");
    Stream *stream = find(handle);
    return stream ? stream->lengthMs : 0;
}

int F_API FSOUND_Stream_GetTime(FSOUND_STREAM *handle)
{
    SERIALISED;
    record("Stream_GetTime(" + nameOf(handle) + ")");
    Stream *stream = find(handle);
    return stream ? stream->timeMs : 0;
}

signed char F_API FSOUND_Stream_SetTime(FSOUND_STREAM *handle, int ms)
{
    SERIALISED;
    record("Stream_SetTime(" + nameOf(handle) + "," + std::to_string(ms) + ")");
    Stream *stream = find(handle);
    if (!stream)
        return 0;
    stream->timeMs = std::clamp(ms, 0, std::max(stream->lengthMs, 0));
    return 1;
}

signed char F_API FSOUND_Stream_GetNumTagFields(FSOUND_STREAM *handle, int *num)
{
    SERIALISED;
    record("Stream_GetNumTagFields(" + nameOf(handle) + ")");
    Stream *stream = find(handle);
    if (num)
        *num = stream ? static_cast<int>(stream->fields.size()) : 0;
    return stream && num && !stream->countFails ? 1 : 0;
}

signed char F_API FSOUND_Stream_GetTagField(FSOUND_STREAM *handle, int num, int *type, char **name, void **value,
                                            int *length)
{
    SERIALISED;
    record("Stream_GetTagField(" + nameOf(handle) + "," + std::to_string(num) + ")");
    Stream *stream = find(handle);
    Field *field = nullptr;
    if (stream && num >= 0 && num < static_cast<int>(stream->fields.size()))
        field = &stream->fields[static_cast<size_t>(num)];
    if (type)
        *type = 0;
    if (name)
        *name = field ? const_cast<char *>(field->name.c_str()) : nullptr;
    if (value)
        *value = field ? const_cast<char *>(field->value.data()) : nullptr;
    if (length)
        *length = field ? field->length : 0;
    return field ? 1 : 0;
}

signed char F_API FSOUND_SetVolume(int channel, int vol)
{
    SERIALISED;
    record("SetVolume(" + std::to_string(channel) + "," + std::to_string(vol) + ")");
    if (channel != 0)
        return 0;
    engine().volume = vol;
    return 1;
}

signed char F_API FSOUND_SetPaused(int channel, signed char paused)
{
    SERIALISED;
    record("SetPaused(" + std::to_string(channel) + "," + std::to_string(paused) + ")");
    if (channel != 0 || !engine().channel)
        return 0;
    engine().paused = paused != 0;
    return 1;
}

signed char F_API FSOUND_StopSound(int channel)
{
    SERIALISED;
    record("StopSound(" + std::to_string(channel) + ")");
    if (channel != 0)
        return 0;
    stopChannel();
    engine().heard = nullptr;
    return 1;
}

signed char F_API FSOUND_IsPlaying(int channel)
{
    SERIALISED;
    record("IsPlaying(" + std::to_string(channel) + ")");
    return channel == 0 && engine().channel ? 1 : 0;
}

signed char F_API Kelvoria_Stream_Queue(FSOUND_STREAM *handle)
{
    SERIALISED;
    record("Kelvoria_Stream_Queue(" + nameOf(handle) + ")");
    Stream *stream = find(handle);
    Engine &e = engine();
    if (!e.channel || (handle && !stream) || stream == e.channel)
        return 0;
    e.queued = stream;
    return 1;
}

signed char F_API Kelvoria_Stream_SetStretch(FSOUND_STREAM *handle, int firstCdFrame, int endCdFrame)
{
    SERIALISED;
    record("Kelvoria_Stream_SetStretch(" + nameOf(handle) + "," + std::to_string(firstCdFrame) + "," +
           std::to_string(endCdFrame) + ")");
    Stream *stream = find(handle);
    Engine &e = engine();
    if (!stream || stream == e.channel || stream == e.queued || firstCdFrame < 0 ||
        (endCdFrame >= 0 && endCdFrame <= firstCdFrame))
        return 0;
    int fileMs = e.files[stream->path].lengthMs;
    int endMs = endCdFrame < 0 ? fileMs : std::min(fileMs, endCdFrame * 1000 / 75);
    stream->lengthMs = std::max(endMs - firstCdFrame * 1000 / 75, 0);
    stream->timeMs = 0;
    return 1;
}

signed char F_API Kelvoria_Stream_SetGainTags(FSOUND_STREAM *handle, int trackGain, int trackPeak, int albumGain,
                                              int albumPeak)
{
    SERIALISED;
    auto value = [](int v) { return v == KELVORIA_GAIN_NONE ? std::string("-") : std::to_string(v); };
    record("Kelvoria_Stream_SetGainTags(" + nameOf(handle) + "," + value(trackGain) + "," + value(trackPeak) + "," +
           value(albumGain) + "," + value(albumPeak) + ")");
    return find(handle) ? 1 : 0;
}

FSOUND_STREAM *F_API Kelvoria_GetHeardStream(void)
{
    SERIALISED;
    record("Kelvoria_GetHeardStream()");
    return fake_fmod::handleOf(engine().heard);
}

signed char F_API Kelvoria_SetHeardCallback(KELVORIA_HEARDCALLBACK callback, void *context)
{
    SERIALISED;
    record("Kelvoria_SetHeardCallback()");
    engine().heardCallback = callback;
    engine().heardContext = context;
    return 1;
}

signed char F_API Kelvoria_SetVolume(int percent)
{
    SERIALISED;
    record("Kelvoria_SetVolume(" + std::to_string(percent) + ")");
    return 1;
}

signed char F_API Kelvoria_SetEqualizer(signed char on, int preamp, const int *bands)
{
    SERIALISED;
    std::string values;
    for (int band = 0; band < 10; ++band)
        values += "," + std::to_string(bands ? bands[band] : 0);
    record("Kelvoria_SetEqualizer(" + std::to_string(on) + "," + std::to_string(preamp) + values + ")");
    return 1;
}

int F_API Kelvoria_GetHeardSamples(short *samples, int frames)
{
    SERIALISED;
    record("Kelvoria_GetHeardSamples()");
    const std::vector<short> &heard = engine().heardSamples;
    int kept = static_cast<int>(heard.size() / 2);
    if (!engine().channel || !samples || frames <= 0)
        return 0;
    int given = std::min(frames, kept);
    std::copy(heard.end() - given * 2, heard.end(), samples);
    return given;
}

int F_API Kelvoria_GetEqualizerAutoPreamp(const int *)
{
    SERIALISED;
    record("Kelvoria_GetEqualizerAutoPreamp()");
    return 0;
}

signed char F_API Kelvoria_SetReplayGain(int mode, int taggedPreamp, int untaggedPreamp, signed char preventClipping)
{
    SERIALISED;
    record("Kelvoria_SetReplayGain(" + std::to_string(mode) + "," + std::to_string(taggedPreamp) + "," +
           std::to_string(untaggedPreamp) + "," + std::to_string(preventClipping) + ")");
    return 1;
}

} // extern "C"
