// The main window on the scripted engine: what its creation makes, the
// display requests and their exact texts, the commands, the tick and the
// seek. Ticks are sent by the test, never waited for.
#include "queued_tick.h"
#include "song_list_record.h"
#include "playing_record.h"
#include "fake_fmod.h"
#include "globals.h"
#include "main_window.h"
#include "player_windows.h"
#include "playlist_file.h"
#include "songlist.h"
#include "text.h"
#include "transport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct childSeen {
    std::string className;
    std::string text;
    LONG style;
    RECT place;     // in the main window's client coordinates
    int id;
};

BOOL CALLBACK collectChild(HWND child, LPARAM into)
{
    childSeen seen;
    char name[64] = "";
    GetClassNameA(child, name, sizeof(name));
    seen.className = name;
    seen.text = textOf(child);
    seen.style = GetWindowLongA(child, GWL_STYLE);
    GetWindowRect(child, &seen.place);
    MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT *>(&seen.place), 2);
    seen.id = GetDlgCtrlID(child);
    reinterpret_cast<std::vector<childSeen> *>(into)->push_back(seen);
    return TRUE;
}

std::vector<childSeen> children()
{
    std::vector<childSeen> found;
    EnumChildWindows(hwnd, collectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND titleLabel() { return GetWindow(hwnd, GW_CHILD); }
HWND statusLabel() { return GetWindow(titleLabel(), GW_HWNDNEXT); }
HWND positionBar() { return GetDlgItem(hwnd, SLIDER_ID); }
HWND playlistRows() { return GetDlgItem(hPlaylistDialog, 10); }

typedef std::vector<std::string> texts;

std::string spaces(int n) { return std::string(n, ' '); }

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }
    void SetUp() override { startFresh(); }
    void TearDown() override { stopWatchingMainWindow(); }
};

// ---- Creation ------------------------------------------------------------

TEST_F(MainWindow, IsABorderlessPopupAtItsPlaceAndSize)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    EXPECT_STREQ("Kelvoria_v1.0", name);
    EXPECT_EQ("Kelvoria_v1.0", textOf(hwnd));
    EXPECT_EQ(static_cast<LONG>(0x80000800), GetWindowLongA(hwnd, GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS));
    RECT place;
    GetWindowRect(hwnd, &place);
    EXPECT_EQ(404, place.left);
    EXPECT_EQ(618, place.top);
    EXPECT_EQ(600, place.right - place.left);
    EXPECT_EQ(119, place.bottom - place.top);
}

TEST_F(MainWindow, CreatesTheTwoLabelsAndThePositionBarInOrder)
{
    std::vector<childSeen> seen = children();
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ("Static", seen[0].className);
    EXPECT_EQ("Static", seen[1].className);
    EXPECT_STREQ("msctls_trackbar32", seen[2].className.c_str());
    const LONG styles[3] = {0x50000080, 0x50000080, 0x50000010};
    const RECT places[3] = {{35, 40, 35 + 344, 40 + 38}, {35, 75, 35 + 339, 75 + 17}, {22, 4, 22 + 410, 4 + 35}};
    const int ids[3] = {0, 0, 25};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(styles[i], seen[i].style);
        EXPECT_EQ(places[i].left, seen[i].place.left);
        EXPECT_EQ(places[i].top, seen[i].place.top);
        EXPECT_EQ(places[i].right, seen[i].place.right);
        EXPECT_EQ(places[i].bottom, seen[i].place.bottom);
        EXPECT_EQ(ids[i], seen[i].id);
    }
}

TEST_F(MainWindow, ToolWindowsStartHiddenAndOwnedByIt)
{
    EXPECT_FALSE(IsWindowVisible(hPlaylistDialog));
    EXPECT_FALSE(IsWindowVisible(hSettingsDialog));
    EXPECT_EQ(hwnd, GetWindow(hPlaylistDialog, GW_OWNER));
    EXPECT_EQ(hwnd, GetWindow(hSettingsDialog, GW_OWNER));
}

TEST_F(MainWindow, LabelsStartAsCreationLeftThem)
{
    EXPECT_EQ("Currently Idle", labelsAtCreation().status);
    EXPECT_EQ("", labelsAtCreation().title);
}

// ---- Display requests -----------------------------------------------------

TEST_F(MainWindow, SongDisplaySetsTheBarRangeAndTheCurrentName)
{
    addSongs(3, 10000);
    songList.currentSong = 2;
    nowPlaying.length = 257;
    announceTransport(SONG_SHOWN);
    EXPECT_EQ(0, SendMessageA(positionBar(), TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(257, SendMessageA(positionBar(), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ("\\song2.mp3", textOf(titleLabel()));
}

TEST_F(MainWindow, SongDisplayCutsTheLengthToSixteenBits)
{
    nowPlaying.length = 70000;
    announceTransport(SONG_SHOWN);
    EXPECT_EQ(70000 & 0xFFFF, SendMessageA(positionBar(), TBM_GETRANGEMAX, 0, 0));
}

TEST_F(MainWindow, SongDisplayBeforeAnySongLeavesTheTitleEmpty)
{
    addSongs(2, 10000);
    SetWindowTextA(titleLabel(), "something");
    announceTransport(SONG_SHOWN);
    EXPECT_EQ("", textOf(titleLabel()));
}

// The line as the label shows it: "n" and the degree sign in the process
// code page, and the run of blanks before them as long as the label's width
// allows, from 28 down to 2, measured in the label's own font.
TEST_F(MainWindow, StatusLineKeepsItsFormatAndFitsTheLabelWhole)
{
    HDC dc = GetDC(statusLabel());
    SelectObject(dc, GetStockObject(SYSTEM_FONT));  // no font is set on the label
    ASSERT_EQ(0, SendMessageA(statusLabel(), WM_GETFONT, 0, 0));
    RECT client;
    GetClientRect(statusLabel(), &client);
    auto fits = [dc, &client](const std::string &text) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx <= client.right;
    };
    const struct { const char *progress; int song, songs; } lines[] = {
        {"2' 5 / 4' 17", 3, 7}, {"0' 4 / 0' 9", 1, 4}, {"99' 59 / 99' 59", 1999, 1999}};
    for (const auto &line : lines) {
        songList.currentSong = line.song;
        songList.songsNumber = line.songs;
        snprintf(nowPlaying.progressText, sizeof(nowPlaying.progressText), "%s", line.progress);
        announceTransport(PROGRESS_SHOWN);
        std::string head = "Playing...  (" + std::string(line.progress) + ")";
        std::string tail = "n" + std::string(degreeSign()) + " " + std::to_string(line.song) + " / " +
                           std::to_string(line.songs);
        std::string shown = textOf(statusLabel());
        EXPECT_EQ(shown, statusLineText());
        size_t blanks = shown.size() - head.size() - tail.size();
        EXPECT_EQ(head + spaces(blanks) + tail, shown);
        EXPECT_TRUE(blanks >= 2 && fits(shown)) << shown;
        EXPECT_TRUE(blanks == 28 || !fits(head + spaces(blanks + 1) + tail)) << "no blank given away for nothing";
    }
    ReleaseDC(statusLabel(), dc);
}

// The label after each way the music stops, shown at the tick that sees it;
// ticks that change nothing write no label.
TEST_F(MainWindow, TheStatusLabelTellsWhenTheMusicStops)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    std::string listFile = std::string(temp) + "kelvoria-status-test.m3P";
    FILE *file = fopen(listFile.c_str(), "wb");
    ASSERT_TRUE(file);
    fputs("1\r\nC:\\Music\\song1.mp3\r\n", file);
    fclose(file);
    static std::string openedList;
    openedList = listFile;
    const struct { const char *way; void (*act)(); const char *shown; } cases[] = {
        {"the last song ends", [] { fake_fmod::advance(60000); }, "Stopped."},
        {"Clear", [] { SendMessageA(hPlaylistDialog, WM_COMMAND, 15, 0); }, "Stopped."},
        {"a playlist opened over the list",
         [] { openPlaylist(&songList, openedList.c_str(), hPlaylistDialog); }, "Stopped."},
        {"Stop", [] { SendMessageA(hwnd, WM_COMMAND, CMD_STOP, 0); }, "Stopped."},
        {"Pause", [] { SendMessageA(hwnd, WM_COMMAND, CMD_TOGGLE, 0); }, "Paused."},
        {"nothing, at the idle start", [] {}, "Currently Idle"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.way);
        startFresh();
        SetWindowTextA(statusLabel(), "Currently Idle");
        if (strcmp(c.shown, "Currently Idle") != 0) {
            addSongs(1, 60000);
            tickThroughQueue(hwnd);     // song 1 starts
            for (int second = 0; second < 2 && textOf(statusLabel()).compare(0, 10, "Playing..."); ++second) {
                fake_fmod::advance(1000);   // a new whole second (the last one shown may be this one)
                tickThroughQueue(hwnd);
            }
            ASSERT_EQ("Playing...", textOf(statusLabel()).substr(0, 10));
        }
        c.act();
        tickThroughQueue(hwnd);
        EXPECT_EQ(c.shown, textOf(statusLabel()));
        SetWindowTextA(statusLabel(), "untouched");
        for (int tick = 0; tick < 3; ++tick)
            tickThroughQueue(hwnd);
        EXPECT_EQ("untouched", textOf(statusLabel()));
    }
    DeleteFileA(listFile.c_str());
}

TEST_F(MainWindow, StatusLineOfTheLongestNumbersStaysInsideItsField)
{
    songList.currentSong = -2147483647;
    songList.songsNumber = -2147483647;
    snprintf(nowPlaying.progressText, sizeof(nowPlaying.progressText), "%s", std::string(24, '9').c_str());
    announceTransport(PROGRESS_SHOWN);
    EXPECT_LT(strlen(statusLineText()), sizeof(playing.statusText));
}

// The player's messages are its own (WM_APP and on): a status told shows in
// the status line, and showing or hiding the window leaves the labels alone.
TEST_F(MainWindow, AStatusToldShowsInTheStatusLineAndAShowOrHideChangesNoLabel)
{
    SetWindowTextA(titleLabel(), "the song");
    snprintf(nowPlaying.statusText, sizeof(nowPlaying.statusText), "Paused.");
    announceTransport(STATUS_SHOWN);
    EXPECT_EQ("Paused.", textOf(statusLabel()));
    ShowWindow(hwnd, SW_HIDE);
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_EQ("the song", textOf(titleLabel()));
    EXPECT_EQ("Paused.", textOf(statusLabel()));
    static_assert(MSG_TRAY_CALLBACK >= WM_APP && MSG_SONG_HEARD >= WM_APP && MSG_HAND_OVER >= WM_APP,
                  "the player's messages are in the programs' range");
}

// ---- Commands -------------------------------------------------------------

TEST_F(MainWindow, ShowPlaylistOnlyWhileItIsNotShown)
{
    SendMessageA(hwnd, WM_COMMAND, CMD_SHOW_PLAYLIST, 0);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(IsWindowVisible(hPlaylistDialog));

    // Shown already (as `loaded` says): a second command does not show it again.
    ShowWindow(hPlaylistDialog, SW_HIDE);
    SendMessageA(hwnd, WM_COMMAND, CMD_SHOW_PLAYLIST, 0);
    EXPECT_FALSE(IsWindowVisible(hPlaylistDialog));

    // The playlist window hides itself: the command shows it again.
    SendMessageA(hPlaylistDialog, WM_COMMAND, 14, 0);
    EXPECT_FALSE(loaded);
    SendMessageA(hwnd, WM_COMMAND, CMD_SHOW_PLAYLIST, 0);
    EXPECT_TRUE(IsWindowVisible(hPlaylistDialog));
}

TEST_F(MainWindow, ShowSettingsEveryTime)
{
    for (int i = 0; i < 2; ++i) {
        ShowWindow(hSettingsDialog, SW_HIDE);
        SendMessageA(hwnd, WM_COMMAND, CMD_SHOW_SETTINGS, 0);
        EXPECT_TRUE(IsWindowVisible(hSettingsDialog));
    }
}

TEST_F(MainWindow, TransportCommandsReachTheEngine)
{
    addSongs(3, 10000);
    SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);     // the list shows the songs
    SendMessageA(hwnd, WM_COMMAND, CMD_NEXT, 0);
    EXPECT_EQ(1, songList.currentSong);
    EXPECT_EQ(1, fake_fmod::countCalls("Stream_Open(C:\\Music\\song1.mp3"));
    EXPECT_EQ("\\song1.mp3", textOf(titleLabel()));
    EXPECT_EQ(0, SendMessageA(playlistRows(), LB_GETCURSEL, 0, 0));

    SendMessageA(hwnd, WM_COMMAND, CMD_NEXT, 0);
    SendMessageA(hwnd, WM_COMMAND, CMD_PREVIOUS, 0);
    EXPECT_EQ(1, songList.currentSong);
    EXPECT_EQ(2, fake_fmod::countCalls("Stream_Open(C:\\Music\\song1.mp3"));

    SendMessageA(hwnd, WM_COMMAND, CMD_TOGGLE, 0);
    EXPECT_TRUE(fake_fmod::channelPaused());
    EXPECT_EQ("Paused.", textOf(statusLabel()));
    SendMessageA(hwnd, WM_COMMAND, CMD_TOGGLE, 0);
    EXPECT_FALSE(fake_fmod::channelPaused());

    SendMessageA(hwnd, WM_COMMAND, CMD_STOP, 0);
    EXPECT_FALSE(fake_fmod::channelPlaying());
    EXPECT_EQ("Stopped.", textOf(statusLabel()));
    EXPECT_EQ("\\song1.mp3", textOf(titleLabel()));

    SendMessageA(hwnd, WM_COMMAND, CMD_PLAY, 0);
    EXPECT_TRUE(fake_fmod::channelPlaying());
    EXPECT_EQ(3, fake_fmod::countCalls("Stream_Open(C:\\Music\\song1.mp3"));
}

// The media keys, as global hot keys and as application commands, the
// latter also while a tool window has the focus.
TEST_F(MainWindow, MediaKeysSendTheTransportCommands)
{
    const LPARAM next = MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_MEDIA_NEXTTRACK);
    const struct { HWND to; UINT message; WPARAM wParam; LPARAM lParam; texts sent; } keys[] = {
        {hwnd, WM_HOTKEY, 1, 0, {"command 31"}}, {hwnd, WM_HOTKEY, 2, 0, {"command 7"}},
        {hwnd, WM_HOTKEY, 3, 0, {"command 5"}}, {hwnd, WM_HOTKEY, 4, 0, {"command 6"}},
        {hwnd, WM_HOTKEY, 5, 0, {}},
        {hwnd, WM_APPCOMMAND, 0, next, {"command 5"}},
        {hPlaylistDialog, WM_APPCOMMAND, 0, MAKELPARAM(0, APPCOMMAND_MEDIA_PLAY_PAUSE), {"command 31"}},
        {hSettingsDialog, WM_APPCOMMAND, 0, MAKELPARAM(0, APPCOMMAND_MEDIA_STOP), {"command 7"}},
        {hwnd, WM_APPCOMMAND, 0, MAKELPARAM(0, APPCOMMAND_VOLUME_UP), {}},
    };
    watchMainWindow();
    for (const auto &key : keys) {
        sentToMain().clear();
        SendMessageA(key.to, key.message, key.wParam, key.lParam);
        EXPECT_EQ(key.sent, sentToMain()) << key.message << " " << key.wParam << " " << key.lParam;
    }
}

TEST_F(MainWindow, UnknownCommandsDoNothing)
{
    addSongs(1, 10000);
    for (int id : {0, 1, 2, 10, 12, 15, 20, 30, 32, 99}) {
        EXPECT_EQ(0, SendMessageA(hwnd, WM_COMMAND, id, 0));
    }
    EXPECT_TRUE(fake_fmod::calls().empty());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsWindowVisible(hPlaylistDialog));
    EXPECT_FALSE(IsWindowVisible(hSettingsDialog));
}

// ---- Tick and seek ----------------------------------------------------------

TEST_F(MainWindow, FirstTickAfterSongsArriveStartsSongOne)
{
    tickThroughQueue(hwnd);
    EXPECT_EQ(0, fake_fmod::countCalls("Stream_Open("));
    addSongs(2, 10000);
    tickThroughQueue(hwnd);
    EXPECT_EQ(1, songList.currentSong);
    EXPECT_TRUE(fake_fmod::channelPlaying());
}

TEST_F(MainWindow, TickOfANewSecondRefreshesTheStatusLineAndTheBar)
{
    addSongs(2, 200000);
    tickThroughQueue(hwnd);     // starts song 1
    fake_fmod::advance(65500);
    tickThroughQueue(hwnd);
    std::string shown = textOf(statusLabel());
    EXPECT_EQ("Playing...  (1' 5 / 3' 20) ", shown.substr(0, 27));
    EXPECT_EQ("n" + std::string(degreeSign()) + " 1 / 2", shown.substr(shown.size() - 7 - strlen(degreeSign())));
    EXPECT_EQ(65, SendMessageA(positionBar(), TBM_GETPOS, 0, 0));
}

TEST_F(MainWindow, MovingTheBarSeeks)
{
    addSongs(1, 200000);
    tickThroughQueue(hwnd);
    SendMessageA(positionBar(), TBM_SETPOS, TRUE, 30);
    SendMessageA(hwnd, WM_HSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(positionBar()));
    EXPECT_EQ(30, playing.position);
    EXPECT_EQ(30000, fake_fmod::streamTime(fake_fmod::channelStream()));
}

} // namespace
