// Songs of every kind played one after another through the engine alone,
// into a sink that keeps every frame: each song gives exactly the frames its
// file holds, the next one's first frame follows the last one's with none
// lost, added or repeated, and the heard stream moves on song by song.
#include "engine.h"

#include <gtest/gtest.h>

#include <atomic>
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
    void hearAll()
    {
        played_ = written_.load();
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

} // namespace
