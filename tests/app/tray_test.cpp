// The tray: minimise, restore and quit with the shell call recorded, the
// callback's answers, and the real menu read while it is open.
#include "dialog_answer.h"
#include "playing_record.h"
#include "song_list_record.h"
#include "globals.h"
#include "main_window.h"
#include "player_windows.h"
#include "songlist.h"
#include "tray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct shellCall {
    DWORD what;
    NOTIFYICONDATAA icon;
};

std::vector<shellCall> shellCalls;

BOOL WINAPI recordShellCall(DWORD what, PNOTIFYICONDATAA icon)
{
    shellCalls.push_back({what, *icon});
    sentToMain().push_back(what == NIM_ADD ? "icon added" : "icon deleted");
    return TRUE;
}

HWND titleLabel() { return GetWindow(hwnd, GW_CHILD); }

class Tray : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }
    void SetUp() override
    {
        startFresh();
        shellCalls.clear();
        notifyShell = recordShellCall;
    }
    void TearDown() override
    {
        stopWatchingMainWindow();
        notifyShell = Shell_NotifyIconA;
        ShowWindow(hwnd, SW_SHOW);
    }
};

TEST_F(Tray, MinimiseHidesTheWindowAndAddsTheIcon)
{
    SetWindowTextA(titleLabel(), "the song");
    SendMessageA(hwnd, WM_COMMAND, CMD_MINIMISE_TO_TRAY, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ("the song", textOf(titleLabel())) << "hiding changes no label";
    ASSERT_EQ(1u, shellCalls.size());
    const NOTIFYICONDATAA &icon = shellCalls[0].icon;
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shellCalls[0].what);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), icon.cbSize);
    EXPECT_EQ(hwnd, icon.hWnd);
    EXPECT_EQ(0u, icon.uID);
    EXPECT_EQ(7u, icon.uFlags);
    EXPECT_EQ(static_cast<UINT>(MSG_TRAY_CALLBACK), icon.uCallbackMessage);
    EXPECT_TRUE(icon.hIcon != NULL);
    EXPECT_STREQ("Kelvoria", icon.szTip);
}

TEST_F(Tray, RestoreShowsTheWindowPutsTheSongBackAndDeletesTheIcon)
{
    addSongs(2, 10000);
    songList.currentSong = 2;
    announceTransport(SONG_SHOWN);
    SendMessageA(hwnd, WM_COMMAND, CMD_MINIMISE_TO_TRAY, 0);
    SendMessageA(hwnd, WM_COMMAND, CMD_RESTORE, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ("\\song2.mp3", textOf(titleLabel()));
    ASSERT_EQ(2u, shellCalls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shellCalls[1].what);
    EXPECT_EQ(hwnd, shellCalls[1].icon.hWnd);
    EXPECT_EQ(0u, shellCalls[1].icon.uID);
}

TEST_F(Tray, QuitDeletesTheIconBeforeClosingTheWindow)
{
    SendMessageA(hwnd, WM_COMMAND, CMD_MINIMISE_TO_TRAY, 0);
    ASSERT_EQ(1u, shellCalls.size());
    watchMainWindow();
    sentToMain().clear();
    // The watcher takes the command; run the quit itself as the window would.
    NOTIFYICONDATAA icon = shellCalls[0].icon;
    quitFromTray(hwnd, icon);
    EXPECT_EQ((std::vector<std::string>{"icon deleted", "close"}), sentToMain());
}

TEST_F(Tray, LeftClickOnTheIconRestoresAndOtherMouseMessagesDoNothing)
{
    watchMainWindow();
    SendMessageA(hwnd, MSG_TRAY_CALLBACK, 0, WM_LBUTTONUP);
    EXPECT_EQ((std::vector<std::string>{"command 19"}), sentToMain());
    sentToMain().clear();
    for (LPARAM other : {0, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        SendMessageA(hwnd, MSG_TRAY_CALLBACK, 0, other);
    }
    EXPECT_TRUE(sentToMain().empty());
    EXPECT_TRUE(shellCalls.empty());
}

TEST_F(Tray, RightClickOpensTheMenuWithItsExactItems)
{
    answerPopupMenu();
    SendMessageA(hwnd, MSG_TRAY_CALLBACK, 0, WM_RBUTTONUP);
    ASSERT_TRUE(answered());
    std::vector<menuItemSeen> expected = {
        {3, "Playlist" + std::string(10, ' ') + "{}"},
        {4, "Play" + std::string(14, ' ') + ">"},
        {6, "Previous" + std::string(6, ' ') + "<<"},
        {5, "Next" + std::string(12, ' ') + ">>"},
        {7, "Stop" + std::string(14, ' ') + "[]"},
        {0, ""},
        {CMD_VOLUME_UP, "Volume up"},
        {CMD_VOLUME_DOWN, "Volume down"},
        {0, ""},
        {CMD_SHOW_EQUALIZER, "Equalizer"},
        {CMD_DOUBLE_SIZE, "Double size"},
        {0, ""},
        {19, "Restore" + std::string(9, ' ') + "))"},
        {0, ""},
        {14, "Quit" + std::string(15, ' ') + "X"},
    };
    std::vector<menuItemSeen> seen = menuSeen();
    ASSERT_EQ(expected.size(), seen.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].id, seen[i].id);
        EXPECT_EQ(expected[i].text, seen[i].text);
    }
}

TEST_F(Tray, RestoreOrQuitWithoutAnIconAskOnlyForADeletion)
{
    SendMessageA(hwnd, WM_COMMAND, CMD_RESTORE, 0);
    ASSERT_EQ(1u, shellCalls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), shellCalls[0].what);
}

} // namespace
