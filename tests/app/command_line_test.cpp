// Argument texts as Explorer, a shortcut or a user types them, carried out
// on the player's own windows and the scripted engine: the list each
// leaves, and whether a new song started. Files are real, in a folder of
// the test's own, which is also the current folder for relative paths.
#include "fake_fmod.h"
#include "song_list_record.h"
#include "globals.h"
#include "messages.h"
#include "music_names.h"
#include "dialog_answer.h"
#include "player_windows.h"
#include "hand_over_queue.h"
#include "single_instance.h"
#include "songlist.h"
#include "startup.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> texts;

void makeFile(const std::string &path, const std::string &bytes = "")
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    fputs(bytes.c_str(), file);
    fclose(file);
}

texts listed()
{
    texts shown;
    for (int slot = 1; slot <= songList.songsNumber; ++slot)
        shown.push_back(std::string(songList.paths[slot]) + " as " + songList.names[slot]);
    return shown;
}

// The selection timer's work alone: a message loop would also run the
// frame ticks, and the transport would move past songs that do not open.
void carryOutWhenDue()
{
    DWORD start = GetTickCount();
    while (handOversWaiting() && GetTickCount() - start < 30000) {
        carryOutDueSelections(hwnd);
        Sleep(10);
    }
    EXPECT_FALSE(handOversWaiting());
}

struct argumentCase {
    std::string text;
    texts list;         // afterwards, "path as name"
    bool newSongPlays;  // the first song of the new list was started
};

TEST(CommandLine, PathsReplaceOrAppendAndAnythingElseChangesNothing)
{
    makePlayerWindows();
    char temp[MAX_PATH] = "", before[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    const std::string here = std::string(temp) + "kelvoria-arguments";
    CreateDirectoryA(here.c_str(), NULL);
    CreateDirectoryA((here + "\\tree").c_str(), NULL);
    makeMusicNames(here + "\\tree");
    makeFile(here + "\\a b.mp3");
    makeFile(here + "\\list.m3u", "tree\\b.Flac\r\n#comment\r\na b.mp3\r\n");
    GetCurrentDirectoryA(sizeof(before), before);
    SetCurrentDirectoryA(here.c_str());

    const texts playing = {"C:\\Music\\song1.mp3 as \\song1.mp3", "C:\\Music\\song2.mp3 as \\song2.mp3"};
    texts tree;
    for (const std::string &name : takenMusicNames())
        tree.push_back(here + "\\tree\\" + name + " as " + name);
    const std::string ab = here + "\\a b.mp3 as \\a b.mp3";
    const argumentCase cases[] = {
        {"\"a b.mp3\"", {ab}, true},
        {"\"" + here + "\\a b.mp3\"", {ab}, true},
        {"/add \"a b.mp3\"", {playing[0], playing[1], ab}, false},
        {"tree", tree, true},
        {"list.m3u", {here + "\\tree\\b.Flac as \\b.Flac", ab}, true},
        {"tree\\notes.txt nothing.mp3 tree\\album.mp3", playing, false},
        {"/add", playing, false},
        {"/startup", playing, false},
        {"/startup \"a b.mp3\"", {ab}, true},
        {"/STARTUP", playing, false},
        {"", playing, false},
    };
    for (const argumentCase &c : cases) {
        SCOPED_TRACE(c.text);
        startFresh();
        addSongs(2, 60000);
        SendMessageA(hwnd, WM_COMMAND, CMD_NEXT, 0);     // song 1 plays
        fake_fmod::clearCalls();
        honourCommandLine(c.text.c_str());
        carryOutWhenDue();
        leaveSession();     // each case a player of its own
        EXPECT_EQ(c.list, listed());
        EXPECT_EQ(c.newSongPlays ? 1 : 0, fake_fmod::countCalls("Stream_Play("));
        EXPECT_EQ(1, songList.currentSong);
    }
    SetCurrentDirectoryA(before);
}

// A running player whose thread has stopped answering: the later start
// waits a few seconds, says so, and starts no second player.
DWORD WINAPI hangingPlayer(LPVOID ready)
{
    HWND window = CreateWindowA("STATIC", "hung", 0, 0, 0, 10, 10, NULL, NULL, GetModuleHandleA(NULL), NULL);
    publishMainWindow(window);
    SetEvent(ready);
    Sleep(8000);    // no message is taken meanwhile
    DestroyWindow(window);
    return 0;
}

TEST(SecondStart, APlayerThatDoesNotAnswerIsToldOfAndNoSecondOneStarts)
{
    makePlayerWindows();
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, hangingPlayer, ready, 0, NULL);
    WaitForSingleObject(ready, INFINITE);
    answerMessageBoxes({IDOK});
    DWORD started = GetTickCount();
    EXPECT_EQ(0, handOverTo("C:\\Music\\a.mp3"));
    EXPECT_GE(GetTickCount() - started, 3000u) << "it was given a few seconds";
    ASSERT_TRUE(messageBoxesAnswered());
    EXPECT_EQ("Kelvoria", lastMessageBox().caption);
    EXPECT_EQ("warning", lastMessageBox().icon);
    forgetAnswers();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(ready);
    leaveSession();
}

} // namespace
