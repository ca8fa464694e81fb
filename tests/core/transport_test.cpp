// The transport and its progress timer, driven tick by tick against the
// scripted engine, with real controls and a recording stand-in for the main
// window that routes commands back to the transport as the main window does.
#include "fake_fmod.h"
#include "song_list_record.h"
#include "globals.h"
#include "song_events.h"
#include "transport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> events; // what the stand-in main window was asked, in order
bool pausedAtSongDisplay;        // whether the engine was already paused when the song was last shown
char statusShown[300];
HWND hSlider, hStatus, hTags, hList;

LRESULT CALLBACK mainStandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        events.push_back("command " + std::to_string(LOWORD(wParam)));
        transportCommand(LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        events.push_back("seek");
        seekSong(static_cast<int>(SendMessageA(hSlider, TBM_GETPOS, 0, 0)));
        return 0;
    case MSG_SONG_HEARD:
        transportSongHeard();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// What the main window draws of the transport's announcements.
void drawAsTheMainWindowDoes(transportChange change, void *)
{
    switch (change) {
    case SONG_SHOWN:
        events.push_back("song display");
        pausedAtSongDisplay = fake_fmod::channelPaused();
        SendMessageA(hSlider, TBM_SETRANGE, 0, MAKELPARAM(0, playing.length));
        if (data.currentSong >= 0 && data.currentSong < NAME_SLOTS)
            SetWindowTextA(hTags, data.names[data.currentSong]);
        break;
    case PROGRESS_SHOWN:
        events.push_back("status line");
        snprintf(statusShown, sizeof(statusShown), "Playing... (%s) %d/%d", playing.progressText,
                 data.currentSong, data.songsNumber);
        SetWindowTextA(hStatus, statusShown);
        SendMessageA(hSlider, TBM_SETPOS, 1, playing.position);
        break;
    case STATUS_SHOWN:
        events.push_back("status");
        SetWindowTextA(hStatus, playing.statusText);
        break;
    }
}

// The engine's word that the song heard changed, posted on by the
// transport, as the main window's loop would dispatch it.
void dispatchPosted()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

std::string textOf(HWND window)
{
    char text[300] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

int count(const std::string &event)
{
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}

std::string pathOf(int song)
{
    return "C:\\Music\\song" + std::to_string(song) + ".mp3";
}

class Transport : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = mainStandInProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "KelvoriaTestMain";
        RegisterClassA(&windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "KelvoriaTestPlaylist";
        RegisterClassA(&windowClass);

        hwnd = CreateWindowA("KelvoriaTestMain", "Kelvoria", WS_OVERLAPPEDWINDOW, 0, 0, 600, 119, nullptr,
                             nullptr, instance, nullptr);
        hTags = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 20, hwnd, nullptr, instance, nullptr);
        hStatus = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 35, 300, 20, hwnd, nullptr, instance, nullptr);
        hSlider = CreateWindowA(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 60, 500, 30, hwnd, nullptr, instance,
                                nullptr);
        hPlaylistDialog = CreateWindowA("KelvoriaTestPlaylist", "Playlist", WS_OVERLAPPEDWINDOW, 0, 200, 300, 400,
                                        nullptr, nullptr, instance, nullptr);
        hList = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE, 0, 0, 280, 380, hPlaylistDialog,
                              reinterpret_cast<HMENU>(10), instance, nullptr);
        ASSERT_TRUE(hwnd && hTags && hStatus && hSlider && hPlaylistDialog && hList);
        transportAttach(hwnd);
        listenToTransport(drawAsTheMainWindowDoes, nullptr);
        listenToSongList(followAsThePlaylistWindowDoes, nullptr);
    }

    // The rows the playlist window would show and select.
    static void followAsThePlaylistWindowDoes(songListChange change, void *)
    {
        if (change == LIST_CLEARED)
            SendMessageA(hList, LB_RESETCONTENT, 0, 0);
        else if (change == CURRENT_SONG_CHANGED || change == SONG_HEARD_CHANGED)
            SendMessageA(hList, LB_SETCURSEL, songList.currentSong - 1, 0);
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(hPlaylistDialog);
        DestroyWindow(hwnd);
    }

    void SetUp() override
    {
        startFresh();
        // The timer's remembered second lives for the whole run; bring it to
        // 0, as at program start, by letting a song be heard at second 0.
        addSongs(1, 10000);
        songList.currentSong = 1;
        playSong();
        progressTick();
        if (transportPaused())
            togglePause();
        startFresh();
    }

    static void startFresh()
    {
        memset(&songList, 0, sizeof(songList));
        transportForget();
        fake_fmod::reset();
        transportAttach(hwnd);  // the engine forgot its callback
        SendMessageA(hList, LB_RESETCONTENT, 0, 0);
        SendMessageA(hSlider, TBM_SETRANGE, 0, MAKELPARAM(0, 0));
        SetWindowTextA(hStatus, "");
        SetWindowTextA(hTags, "");
        events.clear();
    }

    // Appends `count` songs that open, each `lengthMs` long, as the
    // playlist window would show them.
    static void addSongs(int count, int lengthMs)
    {
        for (int i = 0; i < count; ++i) {
            int slot = ++songList.songsNumber;
            snprintf(songList.paths[slot], PATH_SIZE, "%s", pathOf(slot).c_str());
            snprintf(songList.names[slot], NAME_SIZE, "song%d.mp3", slot);
            fake_fmod::addFile(pathOf(slot), lengthMs);
            SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(songList.names[slot]));
        }
    }

    static void clearList() { clearPlaylist(&songList); }

    // Lets playback run on for `ms`, ticking every 10 ms as the timer does.
    static void run(int ms)
    {
        for (int passed = 0; passed < ms; passed += 10) {
            fake_fmod::advance(10);
            dispatchPosted();
            progressTick();
        }
    }

    // Runs until the transport moves on from the current song, or `limitMs` passes.
    static int runUntilNext(int limitMs)
    {
        int before = count("command 5");
        int passed = 0;
        while (count("command 5") == before && passed < limitMs) {
            fake_fmod::advance(10);
            dispatchPosted();
            passed += 10;
            progressTick();
        }
        return passed;
    }

    static int selectedRow() { return static_cast<int>(SendMessageA(hList, LB_GETCURSEL, 0, 0)); }
    static int sliderPos() { return static_cast<int>(SendMessageA(hSlider, TBM_GETPOS, 0, 0)); }
    static int sliderMax() { return static_cast<int>(SendMessageA(hSlider, TBM_GETRANGEMAX, 0, 0)); }
};

// --- Empty list ---------------------------------------------------------

TEST_F(Transport, AnEmptyListOnlyWritesStoppedAtTicks)
{
    progressTick();
    EXPECT_EQ(everyTimer(hwnd, transportStream()), 2);
    EXPECT_STREQ(playing.statusText, "Stopped.");
    EXPECT_EQ(textOf(hStatus), ""); // written, not shown
    EXPECT_TRUE(events.empty());
}

TEST_F(Transport, CommandsOnAnEmptyListPlayNothing)
{
    playSong();
    nextSong();
    previousSong();
    togglePause(); // nothing plays: it asks for Play, which does nothing
    songList.shuffle = 1;
    nextSong();
    previousSong();
    EXPECT_EQ(fake_fmod::countCalls("Stream_Open("), 0);
    EXPECT_EQ(count("song display"), 0);
    EXPECT_EQ(songList.currentSong, 0);
    EXPECT_FALSE(transportPaused());
}

// --- Starting a song ----------------------------------------------------

TEST_F(Transport, SongsAddedToANewPlayerStartAtTheNextTickWithoutACommand)
{
    addSongs(3, 257500);
    fake_fmod::clearCalls();
    progressTick();
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"command 5", "command 4", "song display"}));
    EXPECT_EQ(fake_fmod::channelStream(), transportStream());
    EXPECT_EQ(playing.length, 257);
    EXPECT_EQ(playing.position, 0);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_EQ(sliderMax(), 257);
    EXPECT_EQ(textOf(hTags), "song1.mp3");
}

TEST_F(Transport, PlayReplacesTheStreamAndStartsItAtFullVolumeInOrder)
{
    addSongs(3, 4000);
    songList.currentSong = 2;
    playSong();
    FSOUND_STREAM *first = transportStream();
    songList.currentSong = 3;
    fake_fmod::clearCalls();
    playSong();
    // The song queued to follow is closed first; then the song before.
    std::vector<std::string> calls = fake_fmod::calls();
    ASSERT_GE(calls.size(), 6u);
    calls.erase(calls.begin());
    EXPECT_EQ(calls[0].rfind("Stream_Close(s", 0), 0u);
    EXPECT_EQ(calls[1], "Stream_Open(" + pathOf(3) + ",0,0,0)");
    EXPECT_EQ(calls[2].rfind("Stream_Play(0,s", 0), 0u);
    EXPECT_EQ(calls[3], "SetVolume(0,255)");
    EXPECT_EQ(calls[4].rfind("Stream_GetLengthMs(s", 0), 0u);
    EXPECT_NE(transportStream(), first);
    EXPECT_EQ(fake_fmod::openStreams(), 1); // the song before was closed
    EXPECT_EQ(fake_fmod::volume(), 255);
    EXPECT_EQ(selectedRow(), 2);
}

// --- The progress timer -------------------------------------------------

TEST_F(Transport, TheDisplayIsRefreshedOncePerWholeSecond)
{
    addSongs(1, 257000);
    progressTick(); // starts song 1
    events.clear();
    run(990);
    EXPECT_EQ(count("status line"), 0); // still second 0
    run(10);
    EXPECT_EQ(count("status line"), 1);
    EXPECT_STREQ(playing.progressText, "0' 1 / 4' 17");
    EXPECT_EQ(sliderPos(), 1);
    run(124000);
    EXPECT_EQ(count("status line"), 125);
    EXPECT_EQ(playing.position, 125);
    EXPECT_STREQ(playing.progressText, "2' 5 / 4' 17");
    EXPECT_EQ(textOf(hStatus), "Playing... (2' 5 / 4' 17) 1/1");
    EXPECT_EQ(sliderPos(), 125);
    EXPECT_EQ(count("seek"), 0); // the tick's moves of the bar never seek
}

TEST_F(Transport, ProgressIsMinutesAndSecondsWithoutPadding)
{
    addSongs(1, 600000);
    progressTick();
    run(65000);
    EXPECT_STREQ(playing.progressText, "1' 5 / 10' 0");
}

TEST_F(Transport, EveryTimerReportsUnchangedNewAndStoppedSeconds)
{
    addSongs(1, 10000);
    songList.currentSong = 1;
    playSong();
    EXPECT_EQ(everyTimer(hwnd, transportStream()), 0);
    fake_fmod::advance(1000);
    dispatchPosted();
    EXPECT_EQ(everyTimer(hwnd, transportStream()), 1);
    EXPECT_EQ(everyTimer(hwnd, transportStream()), 0);
    stopSong();
    EXPECT_EQ(everyTimer(hwnd, transportStream()), 2);
    EXPECT_STREQ(playing.statusText, "Stopped.");
    EXPECT_EQ(playing.position, 1); // kept while not playing
}

// --- The end of a song --------------------------------------------------

// The song that follows is queued in the engine while the one before
// plays; the windows follow when its first sample is heard, never earlier,
// and nothing is stopped or started in between.
TEST_F(Transport, ASongIsHeardToItsEndAndTheOneTheRulesNameFollowsWithNoGap)
{
    struct Case {
        const char *what;
        int songs, from, shuffle;
        bool restart;
        int broken, follows; // song that fails to open; 0 when the list ends
    } cases[] = {
        {"the next song", 3, 1, 0, false, 0, 2},
        {"end of the list", 2, 2, 0, false, 0, 0},
        {"restart", 2, 2, 0, true, 0, 1},
        {"shuffle", 1, 1, 1, false, 0, 1},
        {"a broken next song", 3, 1, 0, false, 2, 3},
    };
    for (const Case &c : cases) {
        startFresh();
        addSongs(c.songs, 7500);
        fake_fmod::failOpen(pathOf(c.broken));
        songList.shuffle = c.shuffle;
        songList.restart = c.restart;
        songList.currentSong = c.from;
        playSong();
        run(7490);
        EXPECT_EQ(songList.currentSong, c.from) << c.what;
        EXPECT_EQ(textOf(hTags), songList.names[c.from]) << c.what;
        run(10);
        EXPECT_EQ(count("command 5"), c.follows ? 0 : 1) << c.what;
        EXPECT_EQ(fake_fmod::countCalls("Stream_Play("), 1) << c.what;
        EXPECT_EQ(fake_fmod::channelPlaying(), c.follows != 0) << c.what;
        if (!c.follows) {
            EXPECT_EQ(textOf(hStatus), "Stopped.") << c.what;
            continue;
        }
        EXPECT_EQ(songList.currentSong, c.follows) << c.what;
        EXPECT_EQ(textOf(hTags), songList.names[c.follows]) << c.what;
        EXPECT_EQ(selectedRow(), c.follows - 1) << c.what;
        EXPECT_EQ(sliderMax(), 7) << c.what;
        EXPECT_NE(textOf(hStatus).find("(0' 0 / 0' 7) " + std::to_string(c.follows) + "/"), std::string::npos)
            << c.what;
    }
}

// Songs added, edited or cleared, or a switch changed, choose the song that
// follows again.
TEST_F(Transport, TheQueuedSongFollowsTheListAndTheSwitches)
{
    addSongs(2, 60000);
    songList.currentSong = 1;
    playSong();
    progressTick();
    FSOUND_STREAM *second = fake_fmod::queuedStream();
    ASSERT_NE(second, nullptr);
    snprintf(songList.paths[2], PATH_SIZE, "%s", pathOf(3).c_str()); // song 2 is another file now
    fake_fmod::addFile(pathOf(3), 60000);
    announceSongList(LIST_EDITED);
    progressTick();
    EXPECT_NE(fake_fmod::queuedStream(), second);
    EXPECT_EQ(fake_fmod::countCalls("Stream_Open(" + pathOf(3)), 1);

    songList.currentSong = 2;
    playSong();
    progressTick();
    EXPECT_EQ(fake_fmod::queuedStream(), nullptr); // the last song
    setSwitches(false, true);
    EXPECT_NE(fake_fmod::queuedStream(), nullptr);
    EXPECT_EQ(fake_fmod::countCalls("Stream_Open(" + pathOf(1)), 2); // song 1 follows the last
    addSongs(1, 60000);
    announceSongList(SONGS_ADDED);
    progressTick();
    run(60000);
    EXPECT_EQ(songList.currentSong, 3); // the song appended follows instead
}

// No tick while songs ran out (the thread was busy for longer than a song):
// the next tick follows what was heard; a song stopped in its middle between
// two ticks stays stopped.
TEST_F(Transport, SongsHeardWhileTheThreadWasBusyAreFollowedAtTheNextTick)
{
    addSongs(3, 3000);
    progressTick();
    fake_fmod::advance(5000);
    dispatchPosted();
    ASSERT_TRUE(fake_fmod::channelPlaying());
    progressTick();
    EXPECT_EQ(songList.currentSong, 2);
    fake_fmod::advance(7000); // song 3 was queued at that tick, and is heard to its end too
    dispatchPosted();
    ASSERT_FALSE(fake_fmod::channelPlaying());
    progressTick();
    EXPECT_EQ(songList.currentSong, 3);
    addSongs(1, 3000);
    progressTick();
    EXPECT_EQ(songList.currentSong, 4);

    fake_fmod::advance(1000);
    dispatchPosted();
    stopSong();
    run(1000);
    EXPECT_EQ(songList.currentSong, 4);
    EXPECT_FALSE(fake_fmod::channelPlaying());
}

TEST_F(Transport, ASongShorterThanTwoSecondsIsHeardWhole)
{
    addSongs(1, 1500);
    addSongs(1, 1999);
    addSongs(1, 5000);
    progressTick();
    run(1490);
    EXPECT_EQ(songList.currentSong, 1);
    run(10);
    EXPECT_EQ(songList.currentSong, 2);
    run(1990);
    EXPECT_EQ(songList.currentSong, 2);
    run(10);
    EXPECT_EQ(songList.currentSong, 3);
}

TEST_F(Transport, AFileThatFailsToOpenIsPassedOverAtTheNextTick)
{
    addSongs(3, 5000);
    fake_fmod::failOpen(pathOf(2));
    songList.currentSong = 1;
    playSong();
    nextSong();
    EXPECT_EQ(songList.currentSong, 2);
    EXPECT_EQ(transportStream(), nullptr); // stored unchecked
    EXPECT_EQ(fake_fmod::countCalls("Stream_Play(0,0)"), 1);
    EXPECT_EQ(playing.length, 0);
    progressTick();
    EXPECT_EQ(songList.currentSong, 3);
    EXPECT_TRUE(fake_fmod::channelPlaying());
}

TEST_F(Transport, WhenEveryFileFailsWithRestartOnOneSongIsTriedPerTick)
{
    addSongs(3, 5000);
    for (int song = 1; song <= 3; ++song)
        fake_fmod::failOpen(pathOf(song));
    songList.restart = true;
    std::vector<int> tried;
    for (int tick = 0; tick < 7; ++tick) {
        progressTick();
        tried.push_back(songList.currentSong);
    }
    EXPECT_EQ(tried, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
}

// --- The end of the list ------------------------------------------------

TEST_F(Transport, AtTheLastSongWithoutShuffleOrRestartTheSongPlaysToItsEnd)
{
    addSongs(2, 5000);
    songList.currentSong = 2;
    playSong();
    events.clear();
    nextSong();
    EXPECT_TRUE(events.empty());
    run(4990);
    EXPECT_EQ(playing.position, 4);
    EXPECT_TRUE(fake_fmod::channelPlaying()); // the last second still sounds
    run(10);
    EXPECT_FALSE(fake_fmod::channelPlaying());
    EXPECT_EQ(songList.currentSong, 2);
    EXPECT_EQ(count("song display"), 0);
    EXPECT_EQ(textOf(hStatus), "Stopped."); // shown once the song has ended
    EXPECT_EQ(textOf(hTags), "song2.mp3");
}

TEST_F(Transport, AtTheEndOfTheListAnAppendedSongStartsAtTheNextTick)
{
    addSongs(2, 3000);
    progressTick();
    run(8000);
    ASSERT_EQ(songList.currentSong, 2);
    ASSERT_FALSE(fake_fmod::channelPlaying());
    addSongs(1, 3000);
    progressTick();
    EXPECT_EQ(songList.currentSong, 3);
    EXPECT_TRUE(fake_fmod::channelPlaying());
}

TEST_F(Transport, RestartPlaysSongOneAfterTheLast)
{
    addSongs(2, 3000);
    progressTick();
    run(8000);
    ASSERT_EQ(songList.currentSong, 2);
    songList.restart = true; // switched on at the end of the list
    progressTick();
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_TRUE(fake_fmod::channelPlaying());
    songList.currentSong = 2;
    nextSong();
    EXPECT_EQ(songList.currentSong, 1);
}

TEST_F(Transport, PreviousStepsBackButNeverPastSongOne)
{
    addSongs(3, 5000);
    songList.currentSong = 3;
    previousSong();
    EXPECT_EQ(songList.currentSong, 2);
    previousSong();
    EXPECT_EQ(songList.currentSong, 1);
    events.clear();
    previousSong();
    songList.restart = true;
    previousSong();
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_TRUE(events.empty());
}

// --- Shuffle ------------------------------------------------------------

TEST_F(Transport, ShuffleChoosesAnySongOfTheListWithRepeats)
{
    addSongs(7, 5000);
    songList.shuffle = 1;
    songList.currentSong = 7;
    srand(12345);
    std::set<int> seen;
    bool repeated = false;
    for (int i = 0; i < 400; ++i) {
        int before = songList.currentSong;
        if (i % 2)
            nextSong();
        else
            previousSong();
        ASSERT_GE(songList.currentSong, 1);
        ASSERT_LE(songList.currentSong, 7);
        repeated = repeated || songList.currentSong == before;
        seen.insert(songList.currentSong);
    }
    EXPECT_EQ(seen.size(), 7u);
    EXPECT_TRUE(repeated);
    EXPECT_EQ(count("command 4"), 400);
}

TEST_F(Transport, ShuffleNeverEndsAndIgnoresRestart)
{
    addSongs(1, 3000);
    songList.shuffle = 1;
    progressTick();
    FSOUND_STREAM *first = transportStream();
    run(3000);
    EXPECT_EQ(songList.currentSong, 1); // the only song, again, from its beginning
    EXPECT_NE(transportStream(), first);
    EXPECT_EQ(playing.position, 0);
    songList.shuffle = 2; // any value but 1 is off
    songList.currentSong = 1;
    nextSong();
    EXPECT_EQ(songList.currentSong, 1);
}

// --- Stop ---------------------------------------------------------------

TEST_F(Transport, StopInTheMiddleStaysStoppedAndTheToggleStartsTheSongAgain)
{
    addSongs(2, 60000);
    progressTick();
    run(20000);
    events.clear();
    stopSong();
    EXPECT_EQ(events, (std::vector<std::string>{"status", "song display"}));
    EXPECT_STREQ(playing.statusText, "Stopped.");
    EXPECT_EQ(textOf(hStatus), "Stopped.");
    EXPECT_EQ(textOf(hTags), "song1.mp3");
    EXPECT_FALSE(fake_fmod::channelPlaying());
    EXPECT_EQ(fake_fmod::openStreams(), 1); // the stream stays open
    run(5000);
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_EQ(playing.position, 20);
    EXPECT_EQ(count("command 5"), 0);

    togglePause();
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_EQ(playing.position, 0);
    EXPECT_TRUE(fake_fmod::channelPlaying());
    EXPECT_EQ(fake_fmod::streamTime(transportStream()), 0);
}

TEST_F(Transport, AStopBetweenTwoTicksKeepsThePositionLastPolled)
{
    addSongs(2, 10000);
    progressTick();
    run(8990);
    fake_fmod::advance(15); // into the last second, before the tick sees it
    dispatchPosted();
    stopSong();
    run(1000);
    EXPECT_EQ(playing.position, 8);
    EXPECT_EQ(songList.currentSong, 1);
}

TEST_F(Transport, StoppedInTheLastSecondTheNextTickMovesOnOnceItCan)
{
    addSongs(1, 10000);
    progressTick();
    run(9000); // Next at 9 s does nothing: the last song, no restart
    ASSERT_EQ(playing.position, 9);
    stopSong();
    songList.restart = true;
    progressTick();
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_EQ(playing.position, 0);
    EXPECT_TRUE(fake_fmod::channelPlaying());
}

// --- The play/pause toggle ----------------------------------------------

TEST_F(Transport, PauseShowsPausedAndFreezesTheTicks)
{
    addSongs(2, 60000);
    progressTick();
    run(3500);
    events.clear();
    fake_fmod::clearCalls();
    togglePause();
    EXPECT_TRUE(transportPaused());
    EXPECT_EQ(events, (std::vector<std::string>{"status", "song display"}));
    EXPECT_FALSE(pausedAtSongDisplay); // the engine is paused after the display requests
    EXPECT_EQ(fake_fmod::calls(), (std::vector<std::string>{"IsPlaying(0)", "SetPaused(0,1)"}));
    EXPECT_STREQ(playing.statusText, "Paused.");
    EXPECT_EQ(textOf(hStatus), "Paused.");
    EXPECT_EQ(textOf(hTags), "song1.mp3");

    events.clear();
    run(5000);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(playing.position, 3);
    EXPECT_EQ(textOf(hStatus), "Paused.");
}

TEST_F(Transport, ResumingShowsNothingUntilTheNextWholeSecond)
{
    addSongs(1, 60000);
    progressTick();
    run(3500);
    togglePause();
    events.clear();
    fake_fmod::clearCalls();
    togglePause();
    EXPECT_FALSE(transportPaused());
    EXPECT_EQ(fake_fmod::calls(), (std::vector<std::string>{"SetPaused(0,0)"}));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(textOf(hStatus), "Paused.");
    run(490);
    EXPECT_EQ(textOf(hStatus), "Paused.");
    run(10);
    EXPECT_EQ(textOf(hStatus), "Playing... (0' 4 / 1' 0) 1/1");
}

// A song started after a pause plays, and is kept as playing: one toggle
// pauses it. (Next, Play and a row double-clicked all start songs.)
TEST_F(Transport, ASongStartedAfterAPauseIsPlayingNotPaused)
{
    for (void (*start)() : {nextSong, playSong, +[] { playSongAt(3); }}) {
        startFresh();
        addSongs(3, 60000);
        progressTick();
        run(2000);
        togglePause();
        start();
        EXPECT_TRUE(fake_fmod::channelPlaying());
        EXPECT_FALSE(fake_fmod::channelPaused()); // the new song plays
        EXPECT_FALSE(transportPaused());
        EXPECT_EQ(transportPlace().state, PLAY_PLAYING);
        togglePause(); // and now pauses
        EXPECT_TRUE(transportPaused());
        EXPECT_TRUE(fake_fmod::channelPaused());
    }
}

TEST_F(Transport, PausedThenStoppedTheTogglePlaysAgain)
{
    addSongs(2, 60000);
    progressTick();
    run(2000);
    togglePause();
    stopSong();
    EXPECT_FALSE(transportPaused());
    EXPECT_EQ(transportPlace().state, PLAY_STOPPED);
    events.clear();
    togglePause(); // stopped: Play
    EXPECT_EQ(count("command 4"), 1);
    EXPECT_TRUE(fake_fmod::channelPlaying() && !fake_fmod::channelPaused());
}

TEST_F(Transport, PausedInTheLastSecondTheRestIsHeardOnResuming)
{
    addSongs(2, 10000);
    progressTick();
    run(8990);
    fake_fmod::advance(15); // into the last second, before the tick sees it
    dispatchPosted();
    togglePause();
    run(3000);
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_TRUE(fake_fmod::channelPaused());
    togglePause();
    run(990);
    EXPECT_EQ(songList.currentSong, 1);
    run(10);
    EXPECT_EQ(songList.currentSong, 2);
}

// --- Seeking ------------------------------------------------------------

TEST_F(Transport, MovingTheBarSetsThePositionAndTheEngineTime)
{
    addSongs(2, 300000);
    progressTick();
    run(1000);
    SetFocus(hSlider);
    SendMessageA(hSlider, TBM_SETPOS, 1, 100);
    SendMessageA(hSlider, WM_KEYDOWN, VK_RIGHT, 0); // as the user moves it: it notifies
    ASSERT_GE(count("seek"), 1);
    EXPECT_EQ(playing.position, 101);
    EXPECT_EQ(fake_fmod::streamTime(transportStream()), 101000);
    EXPECT_EQ(fake_fmod::countCalls("Stream_SetTime("), count("seek"));
    run(1000);
    EXPECT_EQ(playing.position, 102);
}

TEST_F(Transport, SeekingWhileStoppedIsHandedToTheEngineAndIntoTheLastSecondMovesOn)
{
    addSongs(2, 300000);
    progressTick();
    stopSong();
    SendMessageA(hSlider, TBM_SETPOS, 1, 299);
    seekSong(static_cast<int>(SendMessageA(hSlider, TBM_GETPOS, 0, 0)));
    EXPECT_EQ(playing.position, 299);
    EXPECT_EQ(fake_fmod::streamTime(transportStream()), 299000);
    progressTick();
    EXPECT_EQ(songList.currentSong, 2);
}

TEST_F(Transport, ASeekIntoTheLastSecondPlaysIt)
{
    addSongs(2, 300000);
    progressTick();
    run(1000);
    SendMessageA(hSlider, TBM_SETPOS, 1, 299);
    seekSong(static_cast<int>(SendMessageA(hSlider, TBM_GETPOS, 0, 0)));
    run(990);
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_EQ(playing.position, 299);
    run(10);
    EXPECT_EQ(songList.currentSong, 2);
}

// --- A list cleared and refilled under a running transport ---------------

TEST_F(Transport, ClearingStopsTheSongAndKeepsTheStreamAndTheSongNumber)
{
    addSongs(3, 60000);
    progressTick();
    run(5000);
    FSOUND_STREAM *stream = transportStream();
    clearList();
    EXPECT_EQ(textOf(hStatus), "Stopped.") << "shown at the clearing";
    EXPECT_FALSE(fake_fmod::channelPlaying());
    EXPECT_EQ(transportStream(), stream);
    EXPECT_EQ(songList.currentSong, 1);
    events.clear();
    run(1000);
    EXPECT_TRUE(events.empty()); // empty: no Next
    EXPECT_STREQ(playing.statusText, "Stopped.");
}

TEST_F(Transport, AListThatRanOutAndIsRefilledGoesOnAfterTheOldSongNumber)
{
    addSongs(3, 3000);
    progressTick();
    run(12000);
    ASSERT_EQ(songList.currentSong, 3);
    clearList();
    addSongs(10, 3000);
    progressTick();
    EXPECT_EQ(songList.currentSong, 4);
    EXPECT_EQ(selectedRow(), 3);
    EXPECT_TRUE(fake_fmod::channelPlaying());
}

TEST_F(Transport, AListThatRanOutAndIsRefilledWithFewerSongsPlaysNothing)
{
    addSongs(3, 3000);
    progressTick();
    run(12000);
    clearList();
    addSongs(2, 3000);
    run(1000);
    EXPECT_EQ(songList.currentSong, 3);
    EXPECT_FALSE(fake_fmod::channelPlaying());
    songList.restart = true;
    progressTick();
    EXPECT_EQ(songList.currentSong, 1);
    EXPECT_TRUE(fake_fmod::channelPlaying());
}

TEST_F(Transport, AListClearedMidSongAndRefilledStaysStopped)
{
    addSongs(3, 60000);
    progressTick();
    run(5000);
    clearList();
    addSongs(5, 60000);
    run(1000);
    EXPECT_FALSE(fake_fmod::channelPlaying());
    EXPECT_EQ(songList.currentSong, 1);
    togglePause();
    EXPECT_TRUE(fake_fmod::channelPlaying());
    EXPECT_EQ(songList.currentSong, 1);
}

// A slot past the count may still hold a path the list does not show (an
// uncounted line of a playlist file): Play opens the empty slot 0 instead.
TEST_F(Transport, PlayPastTheEndOfAShrunkListOpensTheEmptySlotAndNextEndsThere)
{
    addSongs(5, 60000);
    songList.currentSong = 5;
    playSong();
    clearList();
    addSongs(2, 60000);
    snprintf(songList.paths[5], PATH_SIZE, "%s", pathOf(5).c_str());
    fake_fmod::clearCalls();
    playSong();
    EXPECT_EQ(fake_fmod::calls()[1], "Stream_Open(,0,0,0)");
    EXPECT_EQ(transportStream(), nullptr);
    run(100);
    EXPECT_EQ(songList.currentSong, 5); // never raised past the end
    songList.currentSong = MAX_SONGS + 50; // a number from outside the table
    fake_fmod::clearCalls();
    playSong();
    EXPECT_EQ(fake_fmod::calls()[1], "Stream_Open(,0,0,0)");
}

} // namespace

// --- The place the last run left off at ---------------------------------

TEST_F(Transport, AHeldPlaceWaitsForPlayAndGoesOnFromThere)
{
    const struct {
        void (*first)();
        int song, fromMs;
    } cases[] = {{[] {}, 2, 59500}, {[] { seekBy(-5000); }, 2, 54500}, {stopSong, 2, 0},
                 {[] { songList.currentSong = 1; }, 1, 0}}; // played on, moved, let go of twice
    for (const auto &c : cases) {
        startFresh();
        addSongs(2, 60000);
        comeBackTo(2, 59500, PLAY_PAUSED);
        run(3000); // held in its last second: nothing moves on by itself
        EXPECT_TRUE(textOf(hStatus) == "Paused." && !fake_fmod::channelPlaying() && count("command 5") == 0);
        c.first();
        togglePause();
        EXPECT_EQ(songList.currentSong, c.song);
        EXPECT_EQ(fake_fmod::streamTime(transportStream()), c.fromMs);
        EXPECT_EQ(transportPlace().state, PLAY_PLAYING);
    }
}

// --- Album tracks ---------------------------------------------------------

// Calls to the engine named `call` whose arguments after the stream end with `rest`.
int callsOf(const std::string &call, const std::string &rest)
{
    int found = 0;
    for (const std::string &logged : fake_fmod::calls())
        found += logged.compare(0, call.size(), call) == 0 && logged.size() >= rest.size() &&
                 logged.compare(logged.size() - rest.size(), rest.size(), rest) == 0;
    return found;
}

// Three tracks of one 9 s image, as a cue sheet lists them: each opens the
// image limited to its stretch with the sheet's gains, plays its own length,
// and the next is queued behind it; a place kept inside a track comes back
// within that track.
TEST_F(Transport, TracksOfAnImagePlayTheirStretchesInOrder)
{
    startFresh();
    const char *tracks[] = {"C:\\m\\disc.flac|0-225|disc.cue|-300 - - -", "C:\\m\\disc.flac|225-450|disc.cue|-",
                            "C:\\m\\disc.flac|450-|disc.cue|-"};
    fake_fmod::addFile("C:\\m\\disc.flac", 9000);
    for (const char *track : tracks) {
        int slot = ++songList.songsNumber;
        snprintf(songList.paths[slot], PATH_SIZE, "%s", track);
        snprintf(songList.names[slot], NAME_SIZE, "Band - Track %d", slot);
    }
    playSongAt(1);
    EXPECT_EQ(fake_fmod::countCalls("Stream_Open(C:\\m\\disc.flac,"), 2) << "the first and the one queued behind";
    EXPECT_EQ(callsOf("Kelvoria_Stream_SetStretch(", ",0,225)"), 1);
    EXPECT_EQ(callsOf("Kelvoria_Stream_SetGainTags(", ",-300,-,-,-)"), 1);
    EXPECT_EQ(callsOf("Kelvoria_Stream_SetStretch(", ",225,450)"), 1);
    EXPECT_EQ(playing.length, 3);
    run(3000);
    EXPECT_EQ(songList.currentSong, 2);
    EXPECT_EQ(textOf(hTags), "Band - Track 2");
    run(3000);
    EXPECT_EQ(songList.currentSong, 3);
    EXPECT_EQ(callsOf("Kelvoria_Stream_SetStretch(", ",450,-1)"), 1);

    startFresh();
    fake_fmod::addFile("C:\\m\\disc.flac", 9000);
    for (const char *track : tracks) {
        int slot = ++songList.songsNumber;
        snprintf(songList.paths[slot], PATH_SIZE, "%s", track);
    }
    comeBackTo(2, 1500, PLAY_PLAYING);
    EXPECT_EQ(fake_fmod::streamTime(transportStream()), 1500);
    EXPECT_EQ(callsOf("Kelvoria_Stream_SetStretch(", ",225,450)"), 1);
    EXPECT_EQ(playing.length, 3);
}
