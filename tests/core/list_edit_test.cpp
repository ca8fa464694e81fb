// Songs taken out of the list and moved in it, the playing one among them,
// against the scripted engine: the order left, the current song, and the
// song heard once the one that played has run out.
#include "fake_fmod.h"
#include "song_list_record.h"
#include "list_edit.h"
#include "song_events.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

enum editKind { REMOVE, UP, DOWN, TO };
struct edit { editKind kind; std::vector<int> slots; int before; };    // `before`: TO only

// The names left in order, the current song, and the song that starts once
// the playing one ran out ("" none, "any" one of the list: shuffle).
struct editCase {
    const char *what; int songs, playing; bool restart, shuffle; std::vector<edit> edits;
    const char *order; int current; const char *heardNext;
};

const editCase cases[] = {
    {"a song moved up above the playing one", 5, 2, false, false, {{UP, {3}, 0}}, "1 3 2 4 5", 3, "4"},
    {"the playing song moved up", 5, 3, false, false, {{UP, {3}, 0}}, "1 3 2 4 5", 2, "2"},
    {"a block moved down past the playing song", 5, 4, false, false, {{DOWN, {2, 3}, 0}}, "1 4 2 3 5", 2, "2"},
    {"the top song stays, the other moves up", 5, 1, false, false, {{UP, {1, 3}, 0}}, "1 3 2 4 5", 1, "3"},
    {"the bottom song stays, the other moves down", 5, 5, false, false, {{DOWN, {2, 5}, 0}}, "1 3 2 4 5", 5, ""},
    {"two songs moved to the second row", 5, 1, false, false, {{TO, {4, 5}, 2}}, "1 4 5 2 3", 1, "4"},
    {"the playing song moved to the end", 5, 2, false, false, {{TO, {2}, 6}}, "1 3 4 5 2", 5, ""},
    {"a song before the playing one taken out", 5, 4, false, false, {{REMOVE, {2}, 0}}, "1 3 4 5", 3, "5"},
    {"the playing song taken out", 5, 3, false, false, {{REMOVE, {3}, 0}}, "1 2 4 5", 2, "4"},
    {"the playing first song taken out", 5, 1, false, false, {{REMOVE, {1}, 0}}, "2 3 4 5", 0, "2"},
    {"the playing song and its follower taken out", 5, 2, false, false, {{REMOVE, {2, 3}, 0}}, "1 4 5", 1, "4"},
    {"the playing last song taken out", 5, 5, false, false, {{REMOVE, {5}, 0}}, "1 2 3 4", 4, ""},
    {"the playing last song taken out, restart on", 5, 5, true, false, {{REMOVE, {5}, 0}}, "1 2 3 4", 4, "1"},
    {"everything taken out while a song plays", 3, 2, true, false, {{REMOVE, {1, 2, 3}, 0}}, "", 0, ""},
    {"the playing song taken out, shuffle on", 5, 3, false, true, {{REMOVE, {3}, 0}}, "1 2 4 5", 2, "any"},
    {"the follower of a taken-out song moved to the top", 5, 3, false, false,
     {{REMOVE, {3}, 0}, {TO, {3}, 1}}, "4 1 2 5", 0, "4"},
    {"the song before the follower taken out too", 5, 3, false, false,
     {{REMOVE, {3}, 0}, {REMOVE, {2}, 0}}, "1 4 5", 1, "4"},
    {"an edit before any song played", 4, 0, false, false, {{REMOVE, {1}, 0}, {UP, {3}, 0}}, "2 4 3", 0, "2"},
};

LRESULT CALLBACK routeCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        transportCommand(LOWORD(wParam));
        return 0;
    }
    if (message == MSG_SONG_HEARD) {
        transportSongHeard();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string orderOfNames()
{
    std::string order;
    for (int slot = 1; slot <= songList.songsNumber; ++slot)
        order += (order.empty() ? "" : " ") + std::string(songList.names[slot]);
    return order;
}

// Runs on until another song is heard, for at most the songs' length, as
// the main window's loop would: ticks, and the engine's word dispatched.
std::string songHeardNext()
{
    FSOUND_STREAM *before = fake_fmod::channelStream();
    MSG message;
    for (int ms = 0; ms < 12000 && fake_fmod::channelStream() == before; ms += 10) {
        fake_fmod::advance(10);
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        progressTick();
    }
    FSOUND_STREAM *after = fake_fmod::channelStream();
    return after && after != before ? std::string(data.names[data.currentSong]) : std::string();
}

void carryOut(const edit &step)
{
    static bool chosen[NAME_SLOTS];
    memset(chosen, 0, sizeof(chosen));
    std::vector<std::string> names;
    for (int slot : step.slots) {
        chosen[slot] = true;
        names.push_back(songList.names[slot]);
    }
    if (step.kind == REMOVE) {
        removeSongs(&songList, chosen);
        return;
    }
    EXPECT_TRUE(step.kind == UP ? moveSongsUp(&songList, chosen) : step.kind == DOWN ? moveSongsDown(&songList, chosen)
                                : moveSongsTo(&songList, chosen, step.before));
    std::vector<std::string> stillChosen;
    for (int slot = 1; slot <= songList.songsNumber; ++slot)
        if (chosen[slot])
            stillChosen.push_back(songList.names[slot]);
    EXPECT_EQ(stillChosen, names) << "the chosen flags follow the songs";
}

TEST(ListEdit, TheOrderTheCurrentSongAndTheSongHeardNext)
{
    HWND main = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(routeCommands));
    for (const editCase &row : cases) {
        SCOPED_TRACE(row.what);
        memset(&songList, 0, sizeof(songList));
        announceSongList(LIST_CLEARED);     // nothing of the row before is followed
        transportForget();
        fake_fmod::reset();
        transportAttach(main);
        for (int slot = 1; slot <= row.songs; ++slot) {
            snprintf(songList.paths[slot], PATH_SIZE, "C:\\s%d.mp3", slot);
            snprintf(songList.names[slot], NAME_SIZE, "%d", slot);
            fake_fmod::addFile(songList.paths[slot], 10000);
        }
        songList.songsNumber = row.songs;
        songList.restart = row.restart;
        songList.shuffle = row.shuffle ? 1 : 0;
        if (row.playing) {
            songList.currentSong = row.playing;
            playSong();
            fake_fmod::advance(1000);
            progressTick();
        }
        FSOUND_STREAM *heard = fake_fmod::channelStream();
        for (const edit &step : row.edits)
            carryOut(step);
        EXPECT_EQ(orderOfNames(), row.order);
        EXPECT_EQ(songList.currentSong, row.current);
        EXPECT_STREQ(songList.paths[songList.songsNumber + 1], "") << "a slot past the list holds no path";
        EXPECT_EQ(fake_fmod::channelStream(), heard) << "the song heard plays on";
        std::string next = songHeardNext();
        if (std::string(row.heardNext) == "any")
            EXPECT_NE(orderOfNames().find(next), std::string::npos) << next;
        else
            EXPECT_EQ(next, row.heardNext);
    }
    DestroyWindow(main);
}

} // namespace
