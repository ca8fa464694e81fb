// What the engine writes for the sound device, measured: each song's
// ReplayGain from wherever its kind keeps it, and the listener's volume on
// its decibel scale. The engine plays into a sink that keeps every sample
// and hears each buffer as it is written, so nothing depends on time.
// (FFmpeg's Opus decoder applies the header's output gain itself.)
#include "engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kelvoria;

namespace {

struct RecordingSink : AudioSink {
    explicit RecordingSink(std::vector<int16_t> &heard) : heard(heard) {}
    ~RecordingSink() override { CloseHandle(event); }
    bool canWrite() override { return true; }
    void write(const int16_t *samples, int frames) override { heard.insert(heard.end(), samples, samples + frames * 2); }
    uint64_t playedFrames() override { return heard.size() / 2; }
    uint64_t writtenFrames() const override { return heard.size() / 2; }
    void setPaused(bool) override {}
    void flush() override {}
    void wait(DWORD ms) override { WaitForSingleObject(event, ms); }
    void wake() override { SetEvent(event); }
    std::vector<int16_t> &heard;
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
};

// Everything the engine writes for the file, played to its end.
std::vector<int16_t> playThrough(const std::string &file, const ReplayGainSettings &settings, int volume = 100)
{
    av_log_set_level(AV_LOG_QUIET); // the fixtures' headers are not the test's concern
    std::vector<int16_t> heard;
    Engine engine([&heard] { return std::make_unique<RecordingSink>(heard); });
    engine.setReplayGain(settings);
    engine.setListenerVolume(volume);
    Stream stream{Source::open(("fixtures\\gain\\" + file).c_str())};
    if (!stream.source)
        return heard;
    engine.play(&stream);
    for (DWORD start = GetTickCount(); engine.isPlaying() && GetTickCount() - start < 60000;)
        Sleep(5);
    EXPECT_FALSE(engine.isPlaying()) << file << " did not end";
    engine.release(&stream);
    return heard;
}

// The RMS level of the left channel from 0.5 s to 1.5 s, in dB of full scale.
double levelDb(const std::vector<int16_t> &pcm)
{
    double sum = 0;
    for (size_t i = kOutputRate / 2; i < kOutputRate * 3 / 2 && i * 2 < pcm.size(); ++i)
        sum += double(pcm[i * 2]) * pcm[i * 2];
    return 10 * std::log10(sum / kOutputRate / (32768.0 * 32768.0) + 1e-30);
}

ReplayGainSettings settingsFor(ReplayGainMode mode, double tagged = 0, double untagged = 0, bool noClip = true)
{
    return ReplayGainSettings{mode, tagged, untagged, noClip};
}

TEST(Level, EachKindPlaysAtItsTaggedGainAndTheListenersVolume)
{
    using M = ReplayGainMode;
    struct Case {
        const char *file;
        const char *where; // the tags the file holds
        ReplayGainSettings settings;
        double expectedDb; // against the same file with ReplayGain off and at full volume
        int volume = 100;
    } cases[] = {
        {"id3.mp3", "ID3v2 TXXX: track -6, peak 0.5", settingsFor(M::Track), -6.0},
        {"ape.mp3", "APEv2: track -3.5, peak 0.5", settingsFor(M::Track), -3.5},
        {"id3.wav", "ID3 chunk: track -6, album -9", settingsFor(M::Album), -9.0},
        {"id3.wav", "ID3 chunk: track -6, album -9", settingsFor(M::Track, 2.0), -4.0},
        {"vorbis.ogg", "Vorbis comment: track -6", settingsFor(M::Track), -6.0},
        {"album-only.flac", "Vorbis comment: album -4", settingsFor(M::Track), -4.0},
        {"flac.ogg", "Vorbis comment in Ogg: track -6", settingsFor(M::Album), -6.0},
        {"r128.opus", "R128: track -11 (-6), album -6 (-1)", settingsFor(M::Track), -6.0},
        {"r128.opus", "R128: track -11 (-6), album -6 (-1)", settingsFor(M::Album), -1.0},
        {"freeform.m4a", "MP4 ----: track -6, peak 0.5", settingsFor(M::Track), -6.0},
        {"asf.wma", "ASF attribute: track -6", settingsFor(M::Track), -6.0},
        {"loud.flac", "Vorbis comment: track +9, peak 0.5", settingsFor(M::Track), 20 * std::log10(0.9995 / 0.5)},
        {"loud.flac", "Vorbis comment: track +9, peak 0.5", settingsFor(M::Track, -5.0, 0, false), 4.0},
        {"plain.flac", "none", settingsFor(M::Track, 6.0, -3.0), -3.0},
        {"id3.mp3", "ID3v2 TXXX: track -6, peak 0.5", settingsFor(M::Off, 6.0, 6.0), 0.0},
        {"plain.flac", "none, volume 50 %", settingsFor(M::Off), volumeDb(50), 50},
        {"id3.mp3", "ID3v2 TXXX: track -6, volume 10 %", settingsFor(M::Track), volumeDb(10) - 6.0, 10},
    };
    double worst = 0;
    for (const Case &c : cases) {
        double untouched = levelDb(playThrough(c.file, settingsFor(M::Off)));
        std::vector<int16_t> pcm = playThrough(c.file, c.settings, c.volume);
        double difference = levelDb(pcm) - untouched;
        EXPECT_NEAR(difference, c.expectedDb, 0.05) << c.file << " (" << c.where << ")";
        std::printf("%-16s %-38s %+7.3f dB (expected %+7.3f)\n", c.file, c.where, difference, c.expectedDb);
        auto [low, high] = std::minmax_element(pcm.begin(), pcm.end());
        EXPECT_TRUE((*low > -32767 && *high < 32767) || !c.settings.preventClipping) << c.file << " clipped";
        worst = std::max(worst, std::fabs(difference - c.expectedDb));
    }
    std::printf("largest difference from the expected level: %.4f dB\n", worst);
    // Muted: silence, and the song still plays to its end.
    std::vector<int16_t> muted = playThrough("plain.flac", {}, 0);
    EXPECT_GE(muted.size(), size_t(kOutputRate) * 4 - 2048);
    EXPECT_LT(levelDb(muted), -200);
}

TEST(Level, GainsBeyondTheLimitPlayAtItAndTheSongPlaysOn)
{
    using M = ReplayGainMode;
    struct Case {
        const char *file;
        const char *where;
        ReplayGainSettings settings;
        double expectedDb;
    } cases[] = {
        {"huge.flac", "+46 dB, no peak, +15 dB pre-amp", settingsFor(M::Track, 15.0), kMaxSongGainDb},
        {"huge.flac", "+46 dB, no peak", settingsFor(M::Album), kMaxSongGainDb},
        {"beyond.flac", "+90 dB (side data too): no plausible gain", settingsFor(M::Track, 0, 3.0), 3.0},
        {"sunk.flac", "-46 dB, -15 dB pre-amp", settingsFor(M::Track, -15.0), -kMaxSongGainDb},
    };
    for (const Case &c : cases) {
        double untouched = levelDb(playThrough(c.file, settingsFor(M::Off)));
        std::vector<int16_t> pcm = playThrough(c.file, c.settings);
        EXPECT_GE(pcm.size(), size_t(kOutputRate) * 4 - 2048) << c.file << " did not play whole";
        EXPECT_NEAR(levelDb(pcm) - untouched, c.expectedDb, 0.05) << c.file << " (" << c.where << ")";
    }
    EXPECT_DOUBLE_EQ(clampSongGain(1e9), std::pow(10.0, kMaxSongGainDb / 20));
    EXPECT_DOUBLE_EQ(clampSongGain(std::nan("")), 1.0);
}

} // namespace
