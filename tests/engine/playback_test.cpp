// Playing through fmod.dll without a sound device (the silent output paces
// audio in real time). Every check waits for a condition with a generous
// deadline or looks at a state that cannot change by itself (paused,
// stopped); none depends on how fast the machine is.
#include "fmod.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

const std::string kDir = "fixtures\\engine\\";
constexpr DWORD kDeadlineMs = 20000;

FSOUND_STREAM *open(const std::string &name)
{
    return FSOUND_Stream_Open((kDir + name).c_str(), 0, 0, 0);
}

// Polls until `done` holds; false if the deadline passed first.
bool eventually(const std::function<bool()> &done, DWORD deadlineMs = kDeadlineMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > deadlineMs)
            return false;
        Sleep(5);
    }
    return true;
}

class EnginePlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    }
    void TearDown() override { FSOUND_Close(); }
};

TEST_F(EnginePlayback, TimeFollowsTheClockAndNeverRunsAhead)
{
    FSOUND_STREAM *stream = open("long.mp3");
    ASSERT_NE(stream, nullptr);
    DWORD started = GetTickCount();
    ASSERT_EQ(FSOUND_Stream_Play(0, stream), 0);
    EXPECT_TRUE(FSOUND_IsPlaying(0));
    int last = 0;
    ASSERT_TRUE(eventually([&] {
        int now = FSOUND_Stream_GetTime(stream);
        EXPECT_GE(now, last); // monotonic
        // What is heard cannot run ahead of the wall clock.
        EXPECT_LE(now, static_cast<int>(GetTickCount() - started) + 50);
        last = now;
        return now >= 1500;
    }));
    EXPECT_TRUE(FSOUND_IsPlaying(0));
}

TEST_F(EnginePlayback, PauseFreezesTimeAndResumeGoesOn)
{
    FSOUND_STREAM *stream = open("long.mp3");
    ASSERT_NE(stream, nullptr);
    FSOUND_Stream_Play(0, stream);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(stream) >= 300; }));
    ASSERT_TRUE(FSOUND_SetPaused(0, 1));
    EXPECT_TRUE(FSOUND_IsPlaying(0)); // a paused channel still counts as playing
    int frozen = FSOUND_Stream_GetTime(stream);
    Sleep(300);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), frozen);
    ASSERT_TRUE(FSOUND_SetPaused(0, 0));
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(stream) >= frozen + 200; }));
}

TEST_F(EnginePlayback, SeekLandsOnTheAskedTimeInEveryState)
{
    FSOUND_STREAM *stream = open("long.mp3");
    ASSERT_NE(stream, nullptr);

    // Stopped (never played): the time is kept and playing starts there.
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 20000));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 20000);
    FSOUND_Stream_Play(0, stream);
    int t = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(t, 20000);
    EXPECT_LT(t, 20000 + 1000);

    // Playing. (How close the sound lands is the decoder test's concern;
    // here the reported time must move there at once.)
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 40000));
    t = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(t, 40000);
    EXPECT_LT(t, 40000 + 1000);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(stream) >= 40200; }));

    // Paused: lands and stays.
    FSOUND_SetPaused(0, 1);
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 10000));
    Sleep(200);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 10000);
    FSOUND_SetPaused(0, 0);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(stream) > 10000; }));

    // Past the end is the end.
    FSOUND_StopSound(0);
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 999999));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), FSOUND_Stream_GetLengthMs(stream));
}

TEST_F(EnginePlayback, AStreamPlaysToItsEndThenTheChannelFallsIdle)
{
    FSOUND_STREAM *stream = open("short.mp3");
    ASSERT_NE(stream, nullptr);
    int length = FSOUND_Stream_GetLengthMs(stream);
    FSOUND_Stream_Play(0, stream);
    int lastWhilePlaying = 0;
    ASSERT_TRUE(eventually([&] {
        int now = FSOUND_Stream_GetTime(stream);
        if (!FSOUND_IsPlaying(0))
            return true;
        lastWhilePlaying = now;
        return false;
    }));
    // The last whole second is reached before the channel stops.
    EXPECT_EQ(lastWhilePlaying / 1000, length / 1000);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), length);
    // Playing it again starts from the beginning.
    FSOUND_Stream_Play(0, stream);
    EXPECT_TRUE(FSOUND_IsPlaying(0));
    EXPECT_LT(FSOUND_Stream_GetTime(stream), 500);
}

TEST_F(EnginePlayback, StopSilencesTheChannelAndFreezesTime)
{
    FSOUND_STREAM *stream = open("long.mp3");
    ASSERT_NE(stream, nullptr);
    FSOUND_Stream_Play(0, stream);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(stream) >= 200; }));
    ASSERT_TRUE(FSOUND_StopSound(0));
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    int frozen = FSOUND_Stream_GetTime(stream);
    Sleep(200);
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), frozen);
    EXPECT_FALSE(FSOUND_SetPaused(0, 1)); // nothing to pause
}

TEST_F(EnginePlayback, PlayReplacesWhatChannelZeroPlayed)
{
    FSOUND_STREAM *first = open("long.mp3");
    FSOUND_STREAM *second = open("tagged.ogg");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    FSOUND_Stream_Play(0, first);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(first) >= 200; }));
    FSOUND_Stream_Play(0, second);
    int firstFrozen = FSOUND_Stream_GetTime(first);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(second) >= 200; }));
    EXPECT_EQ(FSOUND_Stream_GetTime(first), firstFrozen);
    // Closing the one that no longer plays leaves the channel alone.
    FSOUND_Stream_Close(first);
    EXPECT_TRUE(FSOUND_IsPlaying(0));
}

TEST_F(EnginePlayback, ClosingThePlayingStreamStopsTheChannel)
{
    FSOUND_STREAM *stream = open("long.mp3");
    ASSERT_NE(stream, nullptr);
    FSOUND_Stream_Play(0, stream);
    ASSERT_TRUE(FSOUND_Stream_Close(stream));
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
}

TEST_F(EnginePlayback, EveryFormatPlaysToItsEnd)
{
    for (const char *file : {"tagged.ogg", "tagged.wma", "mono8.wav", "adpcm_ms.wav", "adpcm_ima.wav", "vbr.mp3",
                             "tagged.flac", "flac.ogg", "tagged.m4a", "alac.m4a", "tagged.opus", "plain.aac"}) {
        FSOUND_STREAM *stream = open(file);
        ASSERT_NE(stream, nullptr) << file;
        // Start a second before the end so the test stays short.
        FSOUND_Stream_SetTime(stream, FSOUND_Stream_GetLengthMs(stream) - 1000);
        FSOUND_Stream_Play(0, stream);
        EXPECT_TRUE(eventually([] { return !FSOUND_IsPlaying(0); })) << file;
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), FSOUND_Stream_GetLengthMs(stream)) << file;
        FSOUND_Stream_Close(stream);
    }
}

TEST_F(EnginePlayback, DamagedStreamsEndWithoutHanging)
{
    for (const char *file : {"garbage.mp3", "garbage.ogg", "noisy.mp3", "truncated.mp3", "truncated.ogg",
                             "truncated.wma", "truncated.wav", "truncated.flac", "truncated.m4a", "truncated.opus",
                             "truncated.aac"}) {
        FSOUND_STREAM *stream = open(file);
        if (!stream)
            continue;
        FSOUND_Stream_Play(0, stream);
        EXPECT_TRUE(eventually([] { return !FSOUND_IsPlaying(0); })) << file;
        FSOUND_Stream_Close(stream);
    }
}

// What the heard callback was told, with the stream heard at the time.
struct HeardLog {
    std::mutex mutex;
    std::vector<std::string> events;
    DWORD testThread = GetCurrentThreadId();
    std::vector<FSOUND_STREAM *> streams;

    std::string name(FSOUND_STREAM *stream)
    {
        for (size_t i = 0; i < streams.size(); ++i)
            if (streams[i] == stream)
                return "s" + std::to_string(i + 1);
        return stream ? "unknown" : "0";
    }
    std::vector<std::string> taken(size_t count)
    {
        eventually([&] {
            std::lock_guard<std::mutex> lock(mutex);
            return events.size() >= count;
        });
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string> all;
        all.swap(events);
        return all;
    }
};

void F_CALLBACKAPI noteHeard(FSOUND_STREAM *stream, int event, void *context)
{
    auto *log = static_cast<HeardLog *>(context);
    FSOUND_STREAM *heard = Kelvoria_GetHeardStream(); // the engine holds no lock meanwhile
    std::lock_guard<std::mutex> lock(log->mutex);
    log->events.push_back((event == KELVORIA_HEARD_STARTED ? "started " : event == KELVORIA_HEARD_ENDED ? "ended " : "?") +
                          log->name(stream) + ", heard " + log->name(heard) +
                          (GetCurrentThreadId() == log->testThread ? " on the caller's thread" : ""));
}

TEST_F(EnginePlayback, TheHeardCallbackTellsWhenAQueuedStreamStartsAndWhenTheLastEnds)
{
    HeardLog log;
    ASSERT_TRUE(Kelvoria_SetHeardCallback(noteHeard, &log));
    // What the program does itself is not told: play, play another, stop, close.
    log.streams = {open("long.mp3"), open("tagged.ogg")};
    FSOUND_Stream_Play(0, log.streams[0]);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(log.streams[0]) >= 100; }));
    FSOUND_Stream_Play(0, log.streams[1]);
    ASSERT_TRUE(eventually([&] { return FSOUND_Stream_GetTime(log.streams[1]) >= 100; }));
    FSOUND_StopSound(0);
    FSOUND_Stream_Close(log.streams[1]);
    struct Case {
        const char *first, *second;
        std::vector<std::string> told;
    } cases[] = {
        {"short.mp3", "short.mp3", {"started s2, heard s2", "ended s2, heard s2"}},
        {"short.mp3", "truncated.flac", {"started s2, heard s2", "ended s2, heard s2"}}, // fails before its end
        {"truncated.flac", nullptr, {"ended s1, heard s1"}},
    };
    for (const Case &c : cases) {
        log.streams = {open(c.first), c.second ? open(c.second) : nullptr};
        ASSERT_NE(log.streams[0], nullptr) << c.first;
        FSOUND_Stream_Play(0, log.streams[0]);
        if (c.second) {
            ASSERT_TRUE(Kelvoria_Stream_Queue(log.streams[1])) << c.second;
        }
        EXPECT_EQ(log.taken(c.told.size()), c.told) << c.first << ", then " << (c.second ? c.second : "nothing");
        EXPECT_TRUE(eventually([] { return !FSOUND_IsPlaying(0); }));
    }
    // Without a callback nothing is called.
    ASSERT_TRUE(Kelvoria_SetHeardCallback(nullptr, &log));
    log.streams = {open("short.mp3")};
    FSOUND_Stream_Play(0, log.streams[0]);
    ASSERT_TRUE(eventually([] { return !FSOUND_IsPlaying(0); }));
    ASSERT_TRUE(Kelvoria_SetHeardCallback(noteHeard, &log));
    log.streams = {open("truncated.flac")};
    FSOUND_Stream_Play(0, log.streams[0]);
    EXPECT_EQ(log.taken(1), std::vector<std::string>{"ended s1, heard s1"});
    Kelvoria_SetHeardCallback(nullptr, nullptr); // before the log goes
}

TEST_F(EnginePlayback, AHeaderClaimingAnImpossibleSampleRatePlaysNothingAndHoldsNothingUp)
{
    // A rate of 128 MHz once kept the decoder building a resampler for
    // minutes, and FSOUND_Close waited for it; 1 Hz made hundreds of
    // megabytes of audio from each packet. Such a stream ends at once.
    for (const char *file : {"rate-128mhz.wav", "rate-1hz.wav"}) {
        FSOUND_STREAM *stream = open(file);
        ASSERT_NE(stream, nullptr) << file;
        FSOUND_Stream_Play(0, stream);
        // The bound is generous: the file is read in a few milliseconds.
        EXPECT_TRUE(eventually([] { return !FSOUND_IsPlaying(0); }, 5000)) << file;
        EXPECT_TRUE(FSOUND_Stream_Close(stream)) << file;
    }
    // As the player last did it: played, closed straight away, engine closed.
    FSOUND_STREAM *stream = open("rate-128mhz.wav");
    FSOUND_Stream_Play(0, stream);
    FSOUND_Stream_Close(stream);
    DWORD start = GetTickCount();
    FSOUND_Close();
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(EnginePlayback, ChannelCallsAnswerNeutrallyWithoutAStreamOrAfterClose)
{
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    EXPECT_FALSE(FSOUND_SetPaused(0, 0));
    EXPECT_TRUE(FSOUND_StopSound(0));
    EXPECT_TRUE(FSOUND_SetVolume(0, 255));
    EXPECT_FALSE(FSOUND_SetVolume(3, 255));
    EXPECT_FALSE(FSOUND_Init(44100, 32, 0)); // already started
    FSOUND_STREAM *stream = open("long.mp3");
    FSOUND_Stream_Play(0, stream);
    FSOUND_Close(); // while playing
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
    EXPECT_FALSE(FSOUND_Stream_Close(stream));
    EXPECT_EQ(open("long.mp3"), nullptr);
    EXPECT_FALSE(FSOUND_StopSound(0));
    FSOUND_Close(); // twice is harmless
    // And the engine starts again afterwards.
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
}

} // namespace
