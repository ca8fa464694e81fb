// Every codec FFmpeg opens, on any thread, is opened within the codec turn:
// the test is linked with avcodec_open2 wrapped, so the opens made inside
// FFmpeg (its stream probe) are seen as well as the engine's own. Files of
// every kind are opened and decoded on several threads at once, as the
// decoder thread and the tag readers do.
#include "codec_lock.h"
#include "source.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::atomic<int> opens{0}, unguarded{0};

} // namespace

extern "C" int __real_avcodec_open2(AVCodecContext *context, const AVCodec *codec, AVDictionary **options);

extern "C" int __wrap_avcodec_open2(AVCodecContext *context, const AVCodec *codec, AVDictionary **options)
{
    ++opens;
    if (!kelvoria::CodecOpenTurn::heldHere())
        ++unguarded;
    return __real_avcodec_open2(context, codec, options);
}

TEST(CodecTurn, EveryCodecOpenOnEveryThreadTakesTheTurn)
{
    const char *files[] = {"counter.wav", "counter.mp3", "counter.flac", "counter.ogg", "counter-alac.m4a",
                           "counter.m4a", "counter-flac.ogg", "counter.opus", "counter.wma", "counter.aac"};
    std::atomic<int> decoded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (const char *file : files) {
                auto source = kelvoria::Source::open((std::string("fixtures\\gapless\\") + file).c_str());
                std::vector<int16_t> pcm;
                if (source && source->seekTo(0) && source->decode(pcm) && !pcm.empty())
                    ++decoded;
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(decoded, 4 * static_cast<int>(std::size(files)));
    EXPECT_GE(opens, decoded + 4); // raw AAC is probed too: FFmpeg opens its decoder once more
    EXPECT_EQ(unguarded, 0);
}
