// Who gets a key pressed on a control of a tool window: the control that
// uses it, or the player. Extra edit and list box controls stand for the
// kinds the settings and search windows may hold.
#include "globals.h"
#include "keyboard.h"
#include "messages.h"
#include "player_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum controlKind { DROP_DOWN, DROPPED, CHECK_BOX, PUSH_BUTTON, EDIT_FIELD, LIST_BOX, PLAYLIST_LIST };

const char *const kindNames[] = {"drop-down list", "dropped list", "check box", "push button", "edit field",
                                 "list box", "playlist's list"};

struct keyCase {
    controlKind kind;
    WPARAM key;
    bool toPlayer;
};

HWND addControl(const char *className, DWORD style)
{
    HWND control = CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 60, 40,
                                   hSettingsDialog, NULL, hInst, NULL);
    SendMessageA(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    SendMessageA(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
    return control;
}

HWND controlOf(controlKind kind, HWND edit, HWND list)
{
    switch (kind) {
    case DROP_DOWN:
    case DROPPED: return GetDlgItem(hSettingsDialog, 34);     // ReplayGain's choice
    case CHECK_BOX: return GetDlgItem(hSettingsDialog, 26);   // Shuffle
    case PUSH_BUTTON: return GetDlgItem(hSettingsDialog, 1);  // Apply changes
    case EDIT_FIELD: return edit;
    case LIST_BOX: return list;
    default: return GetDlgItem(hPlaylistDialog, PLAYLIST_LIST_ID);
    }
}

TEST(ControlKeys, EachControlKeepsTheKeysItUsesAndThePlayerGetsTheRest)
{
    makePlayerWindows();
    startFresh();
    HWND edit = addControl("EDIT", ES_AUTOHSCROLL);
    HWND list = addControl("LISTBOX", LBS_NOTIFY);
    const keyCase cases[] = {
        {DROP_DOWN, VK_LEFT, false},  {DROP_DOWN, VK_RIGHT, false},   {DROP_DOWN, VK_UP, false},
        {DROP_DOWN, VK_DOWN, false},  {DROP_DOWN, 'X', false},        {DROPPED, VK_ESCAPE, false},
        {DROPPED, VK_RETURN, false},  {CHECK_BOX, VK_SPACE, false},   {CHECK_BOX, VK_LEFT, true},
        {CHECK_BOX, 'B', true},       {PUSH_BUTTON, VK_SPACE, false}, {PUSH_BUTTON, VK_RIGHT, true},
        {EDIT_FIELD, VK_LEFT, false}, {EDIT_FIELD, VK_RIGHT, false},  {EDIT_FIELD, VK_SPACE, false},
        {EDIT_FIELD, 'Z', false},     {EDIT_FIELD, VK_DOWN, false},   {LIST_BOX, VK_RIGHT, false},
        {LIST_BOX, VK_UP, false},     {LIST_BOX, 'C', false},         {PLAYLIST_LIST, VK_UP, false},
        {PLAYLIST_LIST, VK_LEFT, true}, {PLAYLIST_LIST, VK_RIGHT, true},
    };
    for (const keyCase &c : cases) {
        HWND window = c.kind == PLAYLIST_LIST ? hPlaylistDialog : hSettingsDialog;
        ShowWindow(window, SW_SHOW);
        HWND control = controlOf(c.kind, edit, list);
        SetFocus(control);
        if (c.kind == DROPPED)
            SendMessageA(control, CB_SHOWDROPDOWN, TRUE, 0);
        watchMainWindow();
        sentToMain().clear();
        MSG message = {};
        message.hwnd = control;
        message.message = WM_KEYDOWN;
        message.wParam = c.key;
        bool toPlayer = usePlayerKey(message);
        stopWatchingMainWindow();
        if (c.kind == DROPPED)
            SendMessageA(control, CB_SHOWDROPDOWN, FALSE, 0);
        std::string row = std::string(kindNames[c.kind]) + ", key " + std::to_string(c.key);
        EXPECT_EQ(GetFocus(), control) << row;
        EXPECT_EQ(toPlayer, c.toPlayer) << row;
        EXPECT_EQ(sentToMain().empty(), !c.toPlayer) << row;
    }
    DestroyWindow(edit);
    DestroyWindow(list);
    startFresh();
}

} // namespace
