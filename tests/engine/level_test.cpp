// What the engine writes for the sound device, measured: each song's
// ReplayGain from wherever its kind keeps it, the listener's volume on its
// decibel scale, and the ramp between two volumes. The engine plays into a
// sink that keeps every sample and hears each buffer the moment it is
// written, so a song runs as fast as it decodes and nothing depends on time.
#include "engine.h"
#include "gain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace kelvoria;

namespace {

const std::string kDir = "fixtures\\gain\\";
constexpr DWORD kDeadlineMs = 60000;

class RecordingSink : public AudioSink {
public:
    explicit RecordingSink(std::shared_ptr<std::vector<int16_t>> heard)
        : heard_(std::move(heard)), event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~RecordingSink() override { CloseHandle(event_); }
    bool canWrite() override { return true; }
    void write(const int16_t *samples, int frames) override
    {
        heard_->insert(heard_->end(), samples, samples + frames * 2);
        written_ += frames;
    }
    uint64_t playedFrames() override { return written_; }
    uint64_t writtenFrames() const override { return written_; }
    void setPaused(bool) override {}
    void flush() override {}
    void wait(DWORD ms) override { WaitForSingleObject(event_, ms); }
    void wake() override { SetEvent(event_); }

private:
    std::shared_ptr<std::vector<int16_t>> heard_;
    HANDLE event_;
    uint64_t written_ = 0;
};

// Everything the engine writes for `file`, played to its end.
std::vector<int16_t> playThrough(const std::string &file, const ReplayGainSettings &settings, int volume = 100)
{
    av_log_set_level(AV_LOG_QUIET); // the fixtures' headers are not the test's concern
    auto heard = std::make_shared<std::vector<int16_t>>();
    {
        Engine engine([heard] { return std::make_unique<RecordingSink>(heard); });
        engine.setReplayGain(settings);
        engine.setListenerVolume(volume);
        Stream stream;
        stream.source = Source::open((kDir + file).c_str());
        if (!stream.source)
            return {};
        engine.play(&stream);
        DWORD start = GetTickCount();
        while (engine.isPlaying() && GetTickCount() - start < kDeadlineMs)
            Sleep(5);
        EXPECT_FALSE(engine.isPlaying()) << file << " did not end";
        engine.release(&stream);
    }
    return *heard;
}

// The level of the left channel from half a second to a second and a half,
// in dB of full scale (RMS).
double levelDb(const std::vector<int16_t> &pcm)
{
    size_t from = kOutputRate / 2, to = kOutputRate * 3 / 2;
    if (pcm.size() < to * 2)
        return -999;
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += double(pcm[i * 2]) * pcm[i * 2];
    return 10 * std::log10(sum / (to - from) / (32768.0 * 32768.0));
}

int peakOf(const std::vector<int16_t> &pcm)
{
    int peak = 0;
    for (int16_t sample : pcm)
        peak = std::max(peak, std::abs(int(sample)));
    return peak;
}

ReplayGainSettings settingsFor(ReplayGainMode mode, double tagged = 0, double untagged = 0, bool noClip = true)
{
    ReplayGainSettings settings;
    settings.mode = mode;
    settings.taggedPreampDb = tagged;
    settings.untaggedPreampDb = untagged;
    settings.preventClipping = noClip;
    return settings;
}

TEST(Level, EachKindPlaysAtItsTaggedGain)
{
    using M = ReplayGainMode;
    struct Case {
        const char *file;
        const char *where; // the tags the file holds
        ReplayGainSettings settings;
        double expectedDb; // against the same file with ReplayGain off
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
    };
    double worst = 0;
    for (const Case &c : cases) {
        double untouched = levelDb(playThrough(c.file, settingsFor(ReplayGainMode::Off)));
        std::vector<int16_t> pcm = playThrough(c.file, c.settings);
        double difference = levelDb(pcm) - untouched;
        EXPECT_NEAR(difference, c.expectedDb, 0.05) << c.file << " (" << c.where << ")";
        std::printf("%-16s %-38s %+7.3f dB (expected %+7.3f)\n", c.file, c.where, difference, c.expectedDb);
        if (c.settings.preventClipping) {
            EXPECT_LT(peakOf(pcm), 32767) << c.file << " reached full scale";
        }
        worst = std::max(worst, std::fabs(difference - c.expectedDb));
    }
    std::printf("largest difference from the expected level: %.4f dB\n", worst);
}

// The header's output gain is the decoder's, applied whatever the mode.
TEST(Level, OpusHeaderGainAlwaysApplies)
{
    double plain = levelDb(playThrough("plain.opus", settingsFor(ReplayGainMode::Off)));
    double lowered = levelDb(playThrough("header-gain.opus", settingsFor(ReplayGainMode::Off)));
    EXPECT_NEAR(lowered - plain, -6.0, 0.05);
}

TEST(Level, TheListenersVolumeFollowsItsDecibelScale)
{
    double full = levelDb(playThrough("plain.flac", settingsFor(ReplayGainMode::Off)));
    for (int percent : {75, 50, 10}) {
        std::vector<int16_t> pcm = playThrough("plain.flac", settingsFor(ReplayGainMode::Off), percent);
        EXPECT_NEAR(levelDb(pcm) - full, volumeDb(percent), 0.05) << percent << " %";
    }
    // Muted: silence, and the song still runs to its end.
    std::vector<int16_t> muted = playThrough("plain.flac", settingsFor(ReplayGainMode::Off), 0);
    EXPECT_GE(muted.size(), size_t(kOutputRate) * 2 * 2 - 2048);
    EXPECT_EQ(peakOf(muted), 0);
}

// A jump from full scale to silence and back spreads over the ramp, in even
// steps: no sample moves by more than one step's share.
TEST(Level, AVolumeChangeRampsWithoutAStep)
{
    GainRamp ramp;
    std::vector<int16_t> block(2 * GainRamp::kRampFrames * 2, 32767);
    ramp.setTarget(0.0);
    ramp.apply(block.data(), block.size() / 2);
    int largestStep = 0;
    for (size_t i = 2; i < block.size(); i += 2)
        largestStep = std::max(largestStep, std::abs(block[i] - block[i - 2]));
    EXPECT_LE(largestStep, 32767 / GainRamp::kRampFrames + 1);
    EXPECT_EQ(block[(GainRamp::kRampFrames - 1) * 2], 0);
    EXPECT_EQ(block.back(), 0);
}

} // namespace
