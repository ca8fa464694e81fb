// The engine's inside: what the decoder hands the output (pitch, length,
// the exact place after a seek), tag names and text conversion, the ring.
#include "pcm_ring.h"
#include "process_memory.h"
#include "source.h"
#include "tags.h"
#include "underrun_count.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kelvoria;

namespace {

const std::string kDir = "fixtures\\engine\\";

std::unique_ptr<Source> openSource(const std::string &name)
{
    return Source::open((kDir + name).c_str());
}

// Frequency of the left channel over `frames` frames from `first`, from the
// time between its first and last rising zero crossings once the tone is
// heard: a raw AAC stream begins with its encoder's priming, near-silent
// noise that crosses zero at random.
double frequencyOf(const std::vector<int16_t> &pcm, size_t first, size_t frames)
{
    double firstCrossing = -1, lastCrossing = -1;
    int cycles = -1;
    size_t end = std::min(first + frames, pcm.size() / 2);
    while (first < end && std::abs(pcm[first * 2]) < 1000)
        ++first;
    for (size_t i = first + 1; i < end; ++i) {
        double a = pcm[(i - 1) * 2], b = pcm[i * 2];
        if (a < 0 && b >= 0) {
            double at = static_cast<double>(i - 1) + (-a) / (b - a);
            if (firstCrossing < 0)
                firstCrossing = at;
            lastCrossing = at;
            ++cycles;
        }
    }
    if (cycles <= 0)
        return 0;
    return cycles / ((lastCrossing - firstCrossing) / kOutputRate);
}

std::vector<int16_t> decodeAll(Source &source)
{
    std::vector<int16_t> pcm;
    EXPECT_TRUE(source.seekTo(0));
    while (source.decode(pcm)) {
    }
    return pcm;
}

std::vector<int16_t> decodeFrom(Source &source, int ms, size_t frames)
{
    std::vector<int16_t> pcm;
    EXPECT_TRUE(source.seekTo(ms));
    while (pcm.size() < frames * 2 && source.decode(pcm)) {
    }
    return pcm;
}

TEST(Decoder, EveryFormatDecodesToItsPitchAndLength)
{
    struct Case {
        const char *file;
        double hz;
    } cases[] = {
        {"tagged.mp3", 440}, {"vbr.mp3", 880},     {"tagged.ogg", 660},    {"tagged.wma", 550},
        {"tagged.wav", 330}, {"mono8.wav", 330},   {"adpcm_ms.wav", 330},  {"adpcm_ima.wav", 330},
        {"tagged.flac", 770}, {"plain.flac", 770}, {"flac.ogg", 770},      {"tagged.m4a", 1000},
        {"plain.m4a", 1000}, {"alac.m4a", 1000},   {"tagged.opus", 1200},  {"plain.opus", 1200},
        {"ambisonic.opus", 1200}, {"id3v2.aac", 1300}, {"ape.aac", 1300}, {"tagged.wv", 1400},
    };
    for (const Case &c : cases) {
        auto source = openSource(c.file);
        ASSERT_NE(source, nullptr) << c.file;
        std::vector<int16_t> pcm = decodeAll(*source);
        double decodedMs = pcm.size() / 2 * 1000.0 / kOutputRate;
        EXPECT_NEAR(decodedMs, source->lengthMs(), 60) << c.file;
        EXPECT_NEAR(frequencyOf(pcm, kOutputRate, kOutputRate), c.hz, c.hz * 0.01) << c.file;
        // Both channels carry the tone (mono is spread to both).
        EXPECT_EQ(pcm[kOutputRate * 2 + 200], pcm[kOutputRate * 2 + 201]) << c.file;
    }
}

TEST(Decoder, SeekingLandsWhereAskedInEveryFormat)
{
    // The sweep rises 100 Hz per second from 200 Hz: its pitch over the
    // first 100 ms after a seek tells where the seek landed.
    for (const char *file : {"sweep.mp3", "sweep.ogg", "sweep.wma", "sweep.wav", "sweep.flac", "sweep-flac.ogg",
                             "sweep.m4a", "sweep-alac.m4a", "sweep.opus", "sweep.aac"}) {
        auto source = openSource(file);
        ASSERT_NE(source, nullptr) << file;
        for (int target : {2000, 5000, 8000, 1000, 0, 6500}) {
            std::vector<int16_t> pcm = decodeFrom(*source, target, kOutputRate / 10);
            double hz = frequencyOf(pcm, 0, kOutputRate / 10);
            double landedMs = ((hz - 200) / 100 - 0.05) * 1000;
            EXPECT_NEAR(landedMs, target, 100) << file << " seeking to " << target;
        }
    }
}

TEST(Decoder, DecodingEndsAndStaysEnded)
{
    auto source = openSource("short.mp3");
    ASSERT_NE(source, nullptr);
    decodeAll(*source);
    std::vector<int16_t> more;
    EXPECT_FALSE(source->decode(more));
    EXPECT_TRUE(more.empty());
    // A seek after the end decodes again.
    EXPECT_FALSE(decodeFrom(*source, 500, 1000).empty());
}

TEST(Decoder, RatesFrom1kHzTo384kHzAreResampledAndAbsurdOnesSkipped)
{
    // 4,096 frames at the edges of the range; 1 MB at 1 Hz and 128 MHz,
    // which a damaged header claims and no resampler should be asked for.
    struct Case {
        const char *file;
        double frames; // expected at 44.1 kHz
    } cases[] = {
        {"rate-1khz.wav", 4096 * 44.1},
        {"rate-384khz.wav", 4096 * 44100.0 / 384000},
        {"rate-1hz.wav", 0},
        {"rate-128mhz.wav", 0},
    };
    for (const Case &c : cases) {
        auto source = openSource(c.file);
        ASSERT_NE(source, nullptr) << c.file;
        std::vector<int16_t> pcm = decodeAll(*source);
        EXPECT_NEAR(pcm.size() / 2.0, c.frames, c.frames * 0.02 + 32) << c.file;
    }
}

TEST(Decoder, TheFFmpegBuildHoldsWhatEveryKindNeeds)
{
    // What scripts/build-ffmpeg.sh enables for mp3, wav, wma, ogg, flac,
    // m4a, opus and aac. WMA Lossless is checked only here: no encoder can
    // make a file of it.
    for (const char *demuxer : {"mp3", "wav", "asf", "ogg", "flac", "mov", "aac"})
        EXPECT_NE(av_find_input_format(demuxer), nullptr) << demuxer;
    for (AVCodecID codec : {AV_CODEC_ID_MP3, AV_CODEC_ID_PCM_S16LE, AV_CODEC_ID_ADPCM_MS, AV_CODEC_ID_WMAV2,
                            AV_CODEC_ID_WMAPRO, AV_CODEC_ID_WMALOSSLESS, AV_CODEC_ID_VORBIS, AV_CODEC_ID_FLAC,
                            AV_CODEC_ID_AAC, AV_CODEC_ID_ALAC, AV_CODEC_ID_OPUS})
        EXPECT_NE(avcodec_find_decoder(codec), nullptr) << avcodec_get_name(codec);
    for (AVCodecID codec : {AV_CODEC_ID_MP3, AV_CODEC_ID_VORBIS, AV_CODEC_ID_FLAC, AV_CODEC_ID_OPUS, AV_CODEC_ID_AAC}) {
        AVCodecParserContext *parser = av_parser_init(codec);
        EXPECT_NE(parser, nullptr) << "parser for " << avcodec_get_name(codec);
        av_parser_close(parser);
    }
}

TEST(ChannelLayouts, ACustomOrderIsReleasedByItsHolder)
{
    // 64 channels in an order of their own carry a map of 1.5 to 2 KB;
    // 20,000 copies that kept theirs would hold tens of megabytes.
    AVChannelLayout custom{AV_CHANNEL_ORDER_CUSTOM, 64, {}, nullptr};
    custom.u.map = static_cast<AVChannelCustom *>(av_calloc(64, sizeof(AVChannelCustom)));
    ASSERT_NE(custom.u.map, nullptr);
    size_t before = privateBytes();
    for (int i = 0; i < 10000; ++i) {
        ChannelLayout layout;
        ASSERT_TRUE(layout.copyFrom(custom) && layout.copyFrom(custom)); // the second replaces the first
    }
    size_t grown = privateBytes() > before ? privateBytes() - before : 0;
    EXPECT_LT(grown, 1u << 20) << "grew by " << grown << " bytes";
    av_channel_layout_uninit(&custom);
}

TEST(Tags, NamesAreNormalisedAndTechnicalFieldsDropped)
{
    EXPECT_EQ(normaliseTagName("title"), "TITLE");
    EXPECT_EQ(normaliseTagName("Artist"), "ARTIST");
    EXPECT_EQ(normaliseTagName("author"), "ARTIST");
    EXPECT_EQ(normaliseTagName("WM/AlbumTitle"), "ALBUM");
    EXPECT_EQ(normaliseTagName("WM/Mood"), "MOOD");
    EXPECT_EQ(normaliseTagName("album_artist"), "ALBUM_ARTIST");
    for (const char *technical : {"encoder", "ENCODED_BY", "vendor", "iTunSMPB", "replaygain_track_gain",
                                  "WMFSDKVersion", "IsVBR", "TLEN", "duration", "creation_time", ""})
        EXPECT_EQ(normaliseTagName(technical), "") << technical;
    EXPECT_EQ(normaliseTagName("bad\x01name"), "");
    EXPECT_EQ(normaliseTagName(nullptr), "");
}

TEST(Tags, TextIsConvertedToTheAnsiCodePage)
{
    EXPECT_EQ(utf8ToAnsi("Caf\xC3\xA9"), "Caf\xE9");
    EXPECT_EQ(utf8ToAnsi("\xE2\x82\xAC 5"), "\x80 5"); // the euro sign is 0x80 in code page 1252
    EXPECT_EQ(utf8ToAnsi("\xC5\x81\xC3\xB3\xC5\xBA"), "?\xF3?"); // Polish letters outside it
    EXPECT_EQ(utf8ToAnsi("\xE6\x97\xA5"), "?");
    EXPECT_EQ(utf8ToAnsi("Caf\xE9"), "Caf\xE9"); // not UTF-8: kept as it is
    EXPECT_EQ(utf8ToAnsi(""), "");
    EXPECT_EQ(utf8ToAnsi(nullptr), "");
}

TEST(Ring, FramesComeOutInOrderAcrossTheWrap)
{
    PcmRing ring(5);
    int16_t in[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    int16_t out[10] = {};
    EXPECT_EQ(ring.push(in, 4), 4u);
    EXPECT_EQ(ring.pop(out, 3), 3u);
    EXPECT_EQ(ring.push(in, 4), 4u); // wraps
    EXPECT_EQ(ring.freeFrames(), 0u);
    EXPECT_EQ(ring.push(in, 1), 0u); // full
    EXPECT_EQ(ring.pop(out, 10), 5u);
    int16_t expected[10] = {7, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;
    EXPECT_EQ(ring.size(), 0u);
}

// Each row is what the output found at each free device buffer, in order:
// s = audio of this start or seek has gone out, d = the device has played
// all it was given, r = a whole buffer ready, f = the song decoded to its end
// ('-' where false).
TEST(Underruns, ADryDeviceMidSongCountsOncePerStretchAndNothingElseCounts)
{
    struct Case {
        const char *what;
        std::vector<const char *> wants;
        uint64_t expected;
    } cases[] = {
        {"a song heard whole, always ready", {"-dr-", "s-r-", "sdr-", "s-r-"}, 0},
        {"the wait for a start or seek's first buffer", {"-d--", "-d--", "-dr-", "s-r-", "-d--", "-dr-"}, 0},
        {"the ring short while the device still plays", {"s-r-", "s---", "s---", "s-r-"}, 0},
        {"the short last buffer of a song", {"s-r-", "sd-f", "sd-f"}, 0},
        {"one dry stretch, asked about three times", {"s-r-", "s---", "sd--", "sd--", "sd--", "sdr-"}, 1},
        {"two stretches", {"s-r-", "sd--", "sdr-", "sd--", "s-r-"}, 2},
        {"a stretch ended by a seek, then dry again", {"s-r-", "sd--", "-d--", "-dr-", "sd--"}, 2},
    };
    for (const Case &c : cases) {
        UnderrunCount count;
        for (const char *want : c.wants)
            count.bufferWanted(want[0] == 's', want[1] == 'd', want[2] == 'r', want[3] == 'f');
        EXPECT_EQ(count.count(), c.expected) << c.what;
    }
}

} // namespace
