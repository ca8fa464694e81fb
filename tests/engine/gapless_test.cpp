// Songs of every kind played one after another through the engine alone,
// into a sink that keeps every frame: each song gives exactly the frames its
// file holds, the next one's first frame follows the last one's with none
// lost, added or repeated, and the heard stream moves on song by song.
#include "engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using namespace kelvoria;

namespace {

const std::string kDir = "fixtures\\gapless\\";
constexpr int64_t kSongFrames = 77175;    // 1.75 s at 44.1 kHz
constexpr int64_t kEveryDecoded = -1;     // no gapless information: what the decoder gives

// Keeps what it is given; the test says when it has been heard.
class CaptureSink final : public AudioSink {
public:
    CaptureSink() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~CaptureSink() override { CloseHandle(event_); }
    bool canWrite() override { return written_ - played_ < uint64_t(kBuffers) * kFramesPerBuffer; }
    void write(const int16_t *samples, int frames) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.insert(frames_.end(), samples, samples + frames * 2);
        written_ += static_cast<uint64_t>(frames);
    }
    uint64_t playedFrames() override { return played_; }
    uint64_t writtenFrames() const override { return written_; }
    void setPaused(bool) override {}
    void flush() override {}
    void wait(DWORD ms) override { WaitForSingleObject(event_, ms); }
    void wake() override { SetEvent(event_); }

    // All that was written so far is heard (called by the test's thread).
    void hearAll() { hearUpTo(written_.load()); }
    // The first `frames` frames written are heard.
    void hearUpTo(uint64_t frames)
    {
        played_ = std::min(frames, written_.load());
        wake();
    }
    std::vector<int16_t> frames()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return frames_;
    }

private:
    HANDLE event_;
    std::mutex mutex_;
    std::vector<int16_t> frames_;
    std::atomic<uint64_t> written_{0}, played_{0};
};

// Polls until `done` holds; false after 30 s.
bool eventually(const std::function<bool()> &done)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(1))
        if (GetTickCount() - start > 30000)
            return false;
    return true;
}

int64_t decodedFrames(const std::string &file)
{
    auto source = Source::open((kDir + file).c_str());
    std::vector<int16_t> pcm;
    if (!source || !source->seekTo(0))
        return 0;
    while (source->decode(pcm)) {
    }
    return static_cast<int64_t>(pcm.size() / 2);
}

TEST(Gapless, EveryKindPlaysItsExactFramesAndTheNextFollowsWithNoGap)
{
    struct Song {
        const char *file;
        int64_t frames;
        bool counts; // lossless at 44.1 kHz: the left channel counts its frames
    } songs[] = {
        {"counter.wav", kSongFrames, true},      {"counter.mp3", kSongFrames, false},
        {"counter.flac", kSongFrames, true},     {"counter.ogg", kSongFrames, false},
        {"counter-alac.m4a", kSongFrames, true}, {"counter.m4a", kSongFrames, false},
        {"counter-flac.ogg", kSongFrames, true}, {"counter.opus", kSongFrames, false},
        {"counter48k.flac", kSongFrames, false}, {"counter.wma", kEveryDecoded, false},
        {"counter.aac", kEveryDecoded, false},   {"counter.wav", kSongFrames, true},
    };
    std::vector<std::unique_ptr<Stream>> streams;
    for (Song &song : songs) {
        streams.push_back(std::make_unique<Stream>());
        streams.back()->source = Source::open((kDir + song.file).c_str());
        ASSERT_NE(streams.back()->source, nullptr) << song.file;
        if (song.frames == kEveryDecoded)
            song.frames = decodedFrames(song.file);
    }
    CaptureSink *sink = nullptr;
    Engine engine([&sink] {
        auto made = std::make_unique<CaptureSink>();
        sink = made.get();
        return made;
    });
    engine.play(streams[0].get());
    ASSERT_TRUE(engine.queue(streams[1].get()));
    std::vector<Stream *> heard;
    size_t next = 2;
    DWORD start = GetTickCount();
    while (engine.isPlaying() && GetTickCount() - start < 120000) {
        Stream *now = engine.heardStream();
        if (heard.empty() || heard.back() != now)
            heard.push_back(now);
        EXPECT_LE(engine.timeMs(now), now->source->lengthMs());
        if (now == streams[next - 1].get() && next < streams.size()) {
            ASSERT_TRUE(engine.queue(streams[next++].get()));
        }
        if (sink)
            sink->hearAll();
        Sleep(1);
    }
    ASSERT_FALSE(engine.isPlaying());
    ASSERT_EQ(heard.size(), streams.size());
    for (size_t i = 0; i < heard.size(); ++i)
        EXPECT_EQ(heard[i], streams[i].get()) << "heard in turn: " << songs[i].file;

    std::vector<int16_t> pcm = sink->frames();
    size_t at = 0;
    for (const Song &song : songs) {
        for (int64_t i = 0; song.counts && i < song.frames && at + i < pcm.size() / 2; ++i) {
            if (pcm[(at + i) * 2] != i % 32768) {
                ADD_FAILURE() << song.file << ": frame " << i << " is " << pcm[(at + i) * 2];
                break;
            }
        }
        at += static_cast<size_t>(song.frames);
    }
    EXPECT_EQ(pcm.size() / 2, at) << "frames in all";
}

// An opener of the engine's sink that tells where the capture is.
Engine::SinkOpener capturingInto(std::atomic<CaptureSink *> &sink)
{
    return [&sink] {
        auto made = std::make_unique<CaptureSink>();
        sink = made.get();
        return made;
    };
}

// `count` streams of `file`, each the stretch from bounds[i] to bounds[i + 1]
// (the last to the file's end), as a cue sheet's tracks are.
bool openStretches(Stream *tracks, int count, const char *file, const int64_t *bounds)
{
    for (int i = 0; i < count; ++i) {
        tracks[i].source = Source::open((kDir + file).c_str());
        tracks[i].file = kDir + file;
        tracks[i].firstFrame = bounds[i];
        tracks[i].endFrame = i < count - 1 ? bounds[i + 1] : -1;
        if (!tracks[i].source)
            return false;
    }
    return true;
}

// An album kept as one lossless file, played as twelve stretches of it (as
// a cue sheet's tracks): every frame is heard once, in order, across every
// boundary, and a track chosen directly starts on its first frame.
TEST(Gapless, TracksOfOneFilePlayEveryFrameOnceAndEachStartsOnItsFirstFrame)
{
    constexpr int kTracks = 12;
    int64_t bounds[kTracks + 1];
    for (int i = 0; i < kTracks; ++i)
        bounds[i] = (i * 10 + i % 3) * kFramesPerCdFrame;
    bounds[kTracks] = kSongFrames;
    for (const char *file : {"counter.wav", "counter.flac", "counter.wv"}) {
        SCOPED_TRACE(file);
        Stream tracks[kTracks];
        ASSERT_TRUE(openStretches(tracks, kTracks, file, bounds));
        EXPECT_EQ(tracks[1].lengthMs(), 147); // 11 CD frames, 6,468 output frames, rounded up
        std::atomic<CaptureSink *> sink{nullptr};
        Engine engine(capturingInto(sink));
        engine.play(&tracks[0]);
        ASSERT_TRUE(engine.queue(&tracks[1]));
        std::vector<Stream *> heard;
        uint64_t heardTo = 0;
        for (DWORD start = GetTickCount(); engine.isPlaying() && GetTickCount() - start < 20000; Sleep(1)) {
            Stream *now = engine.heardStream();
            if (heard.empty() || heard.back() != now)
                heard.push_back(now);
            int playing = static_cast<int>(now - tracks);
            if (now && playing >= 0 && playing + 1 < kTracks)
                engine.queue(&tracks[playing + 1]);
            // The device hears less at a time than any track holds, so that
            // each track is queued while the one before it is heard.
            if (CaptureSink *capture = sink) {
                heardTo = std::min<uint64_t>(capture->writtenFrames(), heardTo + 1024);
                capture->hearUpTo(heardTo);
            }
        }
        ASSERT_EQ(heard.size(), size_t(kTracks));
        for (int i = 0; i < kTracks; ++i)
            EXPECT_EQ(heard[i], &tracks[i]);
        std::vector<int16_t> pcm = sink.load()->frames();
        ASSERT_EQ(pcm.size() / 2, size_t(kSongFrames));
        for (int64_t i = 0; i < kSongFrames; ++i)
            if (pcm[i * 2] != i % 32768) {
                ADD_FAILURE() << "frame " << i << " is " << pcm[i * 2];
                break;
            }

        for (int i : {1, 6, kTracks - 1}) { // each chosen directly, on a device of its own
            std::atomic<CaptureSink *> own{nullptr};
            Engine fresh(capturingInto(own));
            fresh.play(&tracks[i]);
            ASSERT_TRUE(eventually([&] { return own && own.load()->writtenFrames() > 0; }));
            EXPECT_EQ(own.load()->frames()[0], bounds[i] % 32768) << "track " << i + 1;
        }
    }
}

// A cue sheet's track gain goes with its track, also when the track is
// decoded on from the one before it in the same file: the first track
// plays as it is, the second at half its level from its first frame.
TEST(Gapless, ATrackDecodedOnFromTheOneBeforeTakesItsOwnGain)
{
    const int64_t boundary = 40 * kFramesPerCdFrame;
    const int64_t bounds[] = {0, boundary, kSongFrames};
    Stream tracks[2];
    ASSERT_TRUE(openStretches(tracks, 2, "counter.wav", bounds));
    tracks[1].ownGain.trackGainDb = 20 * std::log10(0.5);
    std::atomic<CaptureSink *> sink{nullptr};
    Engine engine(capturingInto(sink));
    ReplayGainSettings settings;
    settings.mode = ReplayGainMode::Track;
    engine.setReplayGain(settings);
    engine.play(&tracks[0]);
    ASSERT_TRUE(engine.queue(&tracks[1]));
    for (DWORD start = GetTickCount(); engine.isPlaying() && GetTickCount() - start < 20000; Sleep(1))
        if (CaptureSink *capture = sink)
            capture->hearAll();
    std::vector<int16_t> pcm = sink.load()->frames();
    ASSERT_EQ(pcm.size() / 2, size_t(kSongFrames));
    for (int64_t i = 0; i < kSongFrames; ++i) {
        int expected = i < boundary ? int(i % 32768) : int(std::lround((i % 32768) * 0.5));
        if (std::abs(pcm[i * 2] - expected) > 1) {
            ADD_FAILURE() << "frame " << i << " is " << pcm[i * 2] << ", not " << expected;
            break;
        }
    }
}

// What is shown as heard is what the device played last, not what was
// decoded ahead of it: the frames before the one it says it played.
TEST(Gapless, TheSamplesHeardAreThoseBeforeTheDevicesPlace)
{
    Stream song;
    song.source = Source::open((kDir + "counter.wav").c_str());
    ASSERT_NE(song.source, nullptr);
    std::atomic<CaptureSink *> sink{nullptr};
    Engine engine(capturingInto(sink));
    int16_t heard[1024 * 2];
    EXPECT_EQ(engine.heardSamples(heard, 1024), 0u) << "nothing plays";
    engine.play(&song);
    // The device takes 8,192 frames ahead of what it has played.
    ASSERT_TRUE(eventually([&] { return sink && sink.load()->writtenFrames() >= 8192; }));
    sink.load()->hearUpTo(5000);
    std::vector<int16_t> written = sink.load()->frames();
    ASSERT_TRUE(eventually([&] { return engine.heardSamples(heard, 1024) == 1024 && heard[2046] == written[9998]; }));
    EXPECT_TRUE(std::equal(heard, heard + 2048, written.begin() + (5000 - 1024) * 2));
}

// Paused in the last moments of a song, the device still plays out what it
// held: the next song's first frames. That song is then the one heard, at
// its own time, not at the time the pause froze.
TEST(Gapless, PausedAsASongEndsTheNextSongHeardIsShownAtItsOwnTime)
{
    Stream first, second;
    first.source = Source::open((kDir + "counter.wav").c_str());
    second.source = Source::open((kDir + "counter.flac").c_str());
    ASSERT_TRUE(first.source && second.source);
    std::atomic<CaptureSink *> sink{nullptr};
    Engine engine(capturingInto(sink));
    engine.play(&first);
    ASSERT_TRUE(engine.queue(&second));
    constexpr uint64_t kTenMs = 441, kFiftyMs = 2205;
    ASSERT_TRUE(eventually([&] {
        CaptureSink *now = sink;
        if (now)
            now->hearUpTo(kSongFrames - kTenMs);
        return now && now->writtenFrames() >= kSongFrames + kFiftyMs && engine.timeMs(&first) >= 1740;
    }));
    ASSERT_TRUE(engine.setPaused(true));
    EXPECT_EQ(engine.heardStream(), &first);
    sink.load()->hearUpTo(kSongFrames + kFiftyMs);
    ASSERT_TRUE(eventually([&] { return engine.heardStream() == &second; }));
    EXPECT_EQ(engine.timeMs(&second), 50);
    EXPECT_EQ(engine.timeMs(&first), first.source->lengthMs());
}

// What devices that come and go heard between them, and how many are open.
struct Devices {
    std::mutex mutex;
    std::vector<int16_t> heard;
    int opened = 0, open = 0;
    // The devices play what they are given at once, up to this many samples in all.
    std::atomic<size_t> limit{SIZE_MAX};
};

// Hears what it holds whenever the test lets it; what it held unheard as it
// is closed is lost, as on a real device.
class DeviceSink final : public AudioSink {
public:
    explicit DeviceSink(Devices &devices) : devices_(devices), event_(CreateEventA(nullptr, FALSE, FALSE, nullptr))
    {
        std::lock_guard<std::mutex> lock(devices_.mutex);
        ++devices_.opened;
        ++devices_.open;
    }
    ~DeviceSink() override
    {
        std::lock_guard<std::mutex> lock(devices_.mutex);
        --devices_.open;
        CloseHandle(event_);
    }
    bool canWrite() override { return held_.size() < size_t(kBuffers) * kFramesPerBuffer * 2; }
    void write(const int16_t *samples, int frames) override
    {
        held_.insert(held_.end(), samples, samples + frames * 2);
        written_ += static_cast<uint64_t>(frames);
    }
    uint64_t playedFrames() override
    {
        std::lock_guard<std::mutex> lock(devices_.mutex);
        size_t room = devices_.limit - std::min(devices_.limit.load(), devices_.heard.size());
        auto end = held_.begin() + static_cast<ptrdiff_t>(std::min(room, held_.size()) / 2 * 2);
        devices_.heard.insert(devices_.heard.end(), held_.begin(), end);
        held_.erase(held_.begin(), end);
        return written_ - held_.size() / 2;
    }
    uint64_t writtenFrames() const override { return written_; }
    void setPaused(bool) override {}
    void flush() override { held_.clear(); }
    void wait(DWORD ms) override { WaitForSingleObject(event_, std::min<DWORD>(ms, 1)); }
    void wake() override { SetEvent(event_); }

private:
    Devices &devices_;
    HANDLE event_;
    std::vector<int16_t> held_;
    uint64_t written_ = 0;
};

TEST(Gapless, TheDeviceIsLetGoWhenIdleAndWhatFollowsLosesNothing)
{
    Devices devices;
    auto open = [&devices] { return devices.open; };
    Engine engine([&devices] { return std::make_unique<DeviceSink>(devices); });
    Stream first{Source::open((kDir + "counter.wav").c_str())}, second{Source::open((kDir + "counter.flac").c_str())};
    ASSERT_TRUE(first.source && second.source);
    EXPECT_FALSE(engine.outputOpen()); // nothing to hear yet
    // Stopped: the device goes.
    engine.play(&first);
    ASSERT_TRUE(eventually([&] { return engine.timeMs(&first) > 0; }));
    engine.stop();
    ASSERT_TRUE(eventually([&] { return open() == 0; }));
    {
        std::lock_guard<std::mutex> lock(devices.mutex);
        devices.heard.clear();
    }
    // Played to the end of the list, each song from its start, with a
    // pause longer than the device is kept for in the middle of the second.
    engine.setTime(&first, 0);
    engine.play(&first);
    ASSERT_TRUE(eventually([&] { return !engine.isPlaying(); }));
    ASSERT_TRUE(eventually([&] { return open() == 0; }));
    devices.limit = size_t(kSongFrames + 30000) * 2; // the second song is heard to 0.68 s, then paused
    engine.play(&second);
    ASSERT_TRUE(eventually([&] { return engine.timeMs(&second) >= 680; }));
    ASSERT_TRUE(engine.setPaused(true));
    ASSERT_TRUE(eventually([&] { return open() == 0; }));
    devices.limit = SIZE_MAX;
    ASSERT_TRUE(engine.setPaused(false));
    ASSERT_TRUE(eventually([&] { return !engine.isPlaying(); }));
    EXPECT_EQ(devices.opened, 4);

    std::lock_guard<std::mutex> lock(devices.mutex);
    ASSERT_EQ(devices.heard.size(), size_t(kSongFrames) * 4) << "frames heard";
    for (size_t i = 0; i < devices.heard.size() / 2; ++i)
        if (devices.heard[i * 2] != static_cast<int16_t>(i % kSongFrames % 32768)) {
            ADD_FAILURE() << "frame " << i << " is " << devices.heard[i * 2];
            break;
        }
}

} // namespace
