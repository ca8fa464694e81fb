// What the player keeps and shows after sequences of actions, on its own
// windows and the scripted engine: the state each owner holds must be the
// one the listener heard.
#include "fake_fmod.h"
#include "globals.h"
#include "intake.h"
#include "kept_list.h"
#include "kept_place.h"
#include "list_edit.h"
#include "player_windows.h"
#include "playlist_formats.h"
#include "song_list_record.h"
#include "stored_settings.h"
#include "transport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

namespace {

// The engine's word that the song heard changed, as the loop dispatches it.
void runFor(int ms)
{
    MSG message;
    for (int passed = 0; passed < ms; passed += 10) {
        fake_fmod::advance(10);
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        progressTick();
    }
}

void command(int id)
{
    SendMessageA(hwnd, WM_COMMAND, id, 0);
}

void removeSong(int slot)
{
    static bool chosen[NAME_SLOTS];
    memset(chosen, 0, sizeof(chosen));
    chosen[slot] = true;
    removeSongs(chosen);
}

std::string firstOpened()
{
    for (const std::string &call : fake_fmod::calls())
        if (call.rfind("Stream_Open(", 0) == 0)
            return call;
    return "";
}

class PlayerState : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }
    void SetUp() override
    {
        startFresh();
        addSongs(4, 60000);
    }
};

// Each row: what is done, then the place the transport would keep.
TEST_F(PlayerState, ThePlaceKeptIsWhatWasHeard)
{
    const struct {
        const char *what;
        std::function<void()> actions;
        int song, minMs, maxMs;
        playState state;
    } cases[] = {
        {"paused, then Next: the new song plays", [] { playSongAt(1); runFor(2000); command(CMD_TOGGLE); command(CMD_NEXT); },
         2, 0, 0, PLAY_PLAYING},
        {"paused, then a row played", [] { playSongAt(1); runFor(2000); command(CMD_TOGGLE); playSongAt(3); },
         3, 0, 0, PLAY_PLAYING},
        {"paused", [] { playSongAt(2); runFor(3000); command(CMD_TOGGLE); }, 2, 2900, 3000, PLAY_PAUSED},
        {"the playing song taken out: its follower, from its start", [] { playSongAt(2); runFor(3000); removeSong(2); },
         2, 0, 0, PLAY_PLAYING},
        {"the taken-out song played out: its follower as heard",
         [] { playSongAt(2); runFor(3000); removeSong(2); runFor(58000); }, 2, 900, 1100, PLAY_PLAYING},
        {"the last song taken out while it plays: nothing follows", [] { playSongAt(4); runFor(1000); removeSong(4); },
         0, 0, 0, PLAY_PLAYING},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        startFresh();
        addSongs(4, 60000);
        c.actions();
        heardPlace place = transportPlace();
        EXPECT_EQ(place.song, c.song);
        EXPECT_GE(place.ms, c.minMs);
        EXPECT_LE(place.ms, c.maxMs);
        EXPECT_EQ(place.state, c.state);
    }
}

TEST_F(PlayerState, PlayAfterTheCurrentSongWasTakenOutWhileStoppedStartsItsFollower)
{
    playSongAt(2);
    runFor(1000);
    command(CMD_STOP);
    removeSong(2);
    fake_fmod::clearCalls();
    command(CMD_PLAY);
    EXPECT_EQ(firstOpened(), "Stream_Open(C:\\Music\\song3.mp3,0,0,0)");
    EXPECT_EQ(data.currentSong, 2);
    EXPECT_STREQ(data.paths[2], "C:\\Music\\song3.mp3");
}

TEST_F(PlayerState, ReplayGainByOrderFollowsTheSwitchesARestoredListBrings)
{
    HKEY key;   // as start-up prepares it
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kelvoria\\Settings", 0, NULL, 0, KEY_WRITE, NULL, &key,
                              NULL),
              ERROR_SUCCESS);
    RegCloseKey(key);
    storeReplayGain(replayGainChoice{REPLAYGAIN_BY_ORDER, 0, 0, true});
    followSwitchesWithReplayGain();
    fake_fmod::clearCalls();
    restoreSongList({"C:\\Music\\song1.mp3"}, {"\\song1.mp3"}, true, false);
    EXPECT_EQ(fake_fmod::countCalls("Kelvoria_SetReplayGain(1,"), 1) << "shuffled: track gain";
    setSwitches(false, false);
    EXPECT_EQ(fake_fmod::countCalls("Kelvoria_SetReplayGain(2,"), 1) << "in order: album gain";
    storeReplayGain(replayGainChoice{REPLAYGAIN_OFF, 0, 0, true});
}

// A kept list another program holds is neither set aside nor written over
// by the empty list of a start that could not read it; once it is free it
// comes back.
TEST_F(PlayerState, AKeptListThatCannotBeReadIsKeptAndTriedAgain)
{
    char path[MAX_PATH];
    ASSERT_TRUE(keptListPath(path, sizeof(path)));
    keptPlace place = {2, 1500, KEPT_PAUSED, 0, false};
    std::string kept = keptListText(&data, place);
    ASSERT_TRUE(writeFileWhole(path, kept));
    startFresh();
    HANDLE held = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    comeBackToKeptPlace();
    EXPECT_EQ(data.songsNumber, 0);
    EXPECT_STREQ(playing.statusText, "The kept list cannot be read now; it is tried again.");
    EXPECT_FALSE(keepPlace()) << "an empty list is not written over it";
    CloseHandle(held);
    std::string bytes;
    ASSERT_TRUE(readFileBytes(path, bytes));
    EXPECT_EQ(bytes, kept);
    EXPECT_EQ(GetFileAttributesA((std::string(path) + ".damaged").c_str()), INVALID_FILE_ATTRIBUTES);

    comeBackToKeptPlace();  // what the tick's retry does
    EXPECT_EQ(data.songsNumber, 4);
    EXPECT_EQ(transportPlace().song, 2);
    EXPECT_EQ(transportPlace().ms, 1500);
    DeleteFileA(path);
}

} // namespace
