// The player's keys, one table, looked up in order: the keys of one window
// before the keys of all.
#include "keyboard.h"

#include "globals.h"
#include "messages.h"
#include "settings_window.h"
#include "equalizer_window.h"
#include "focus_mark.h"
#include "window_areas.h"

namespace {

enum keyModifiers { PLAIN = 0, CTRL = 1, ALT = 2 };
enum keyPlace { IN_PLAYLIST, IN_SETTINGS, IN_EQUALIZER, IN_ANY };
enum keyTarget { TO_MAIN, TO_PLAYLIST, TO_SETTINGS, TO_EQUALIZER };
// Where the keyboard goes after the command: a tool window hidden gives it
// back to the main window, the playlist shown takes it.
enum keyFocus { KEEP_FOCUS, FOCUS_MAIN, FOCUS_PLAYLIST, FOCUS_EQUALIZER };

struct playerKey {
    UINT key;
    int modifiers;
    keyPlace where;
    keyTarget to;
    WPARAM command;
    keyFocus then;
};

const playerKey playerKeys[] = {
    {VK_RETURN, PLAIN, IN_PLAYLIST, TO_PLAYLIST, PLAYLIST_CMD_PLAY_SELECTED, KEEP_FOCUS},
    {VK_DELETE, PLAIN, IN_PLAYLIST, TO_PLAYLIST, PLAYLIST_CMD_REMOVE, KEEP_FOCUS},
    {VK_UP, ALT, IN_PLAYLIST, TO_PLAYLIST, PLAYLIST_CMD_MOVE_UP, KEEP_FOCUS},
    {VK_DOWN, ALT, IN_PLAYLIST, TO_PLAYLIST, PLAYLIST_CMD_MOVE_DOWN, KEEP_FOCUS},
    {'A', CTRL, IN_PLAYLIST, TO_PLAYLIST, PLAYLIST_CMD_SELECT_ALL, KEEP_FOCUS},
    {VK_ESCAPE, PLAIN, IN_PLAYLIST, TO_PLAYLIST, PLAYLIST_CMD_HIDE, FOCUS_MAIN},
    {VK_ESCAPE, PLAIN, IN_SETTINGS, TO_SETTINGS, SETTINGS_CLOSE, FOCUS_MAIN},
    {VK_ESCAPE, PLAIN, IN_EQUALIZER, TO_EQUALIZER, EQUALIZER_CMD_HIDE, FOCUS_MAIN},
    {'Z', PLAIN, IN_ANY, TO_MAIN, CMD_PREVIOUS, KEEP_FOCUS},
    {'X', PLAIN, IN_ANY, TO_MAIN, CMD_PLAY, KEEP_FOCUS},
    {'C', PLAIN, IN_ANY, TO_MAIN, CMD_PAUSE, KEEP_FOCUS},
    {'V', PLAIN, IN_ANY, TO_MAIN, CMD_STOP, KEEP_FOCUS},
    {'B', PLAIN, IN_ANY, TO_MAIN, CMD_NEXT, KEEP_FOCUS},
    {VK_SPACE, PLAIN, IN_ANY, TO_MAIN, CMD_TOGGLE, KEEP_FOCUS},
    {VK_LEFT, PLAIN, IN_ANY, TO_MAIN, CMD_SEEK_BACK, KEEP_FOCUS},
    {VK_RIGHT, PLAIN, IN_ANY, TO_MAIN, CMD_SEEK_FORWARD, KEEP_FOCUS},
    {VK_UP, PLAIN, IN_ANY, TO_MAIN, CMD_VOLUME_UP, KEEP_FOCUS},
    {VK_DOWN, PLAIN, IN_ANY, TO_MAIN, CMD_VOLUME_DOWN, KEEP_FOCUS},
    {'O', CTRL, IN_ANY, TO_MAIN, CMD_OPEN_FILES, KEEP_FOCUS},
    {'L', CTRL, IN_ANY, TO_PLAYLIST, PLAYLIST_CMD_OPEN, KEEP_FOCUS},
    {'S', CTRL, IN_ANY, TO_PLAYLIST, PLAYLIST_CMD_SAVE, KEEP_FOCUS},
    {'P', CTRL, IN_ANY, TO_MAIN, CMD_SHOW_PLAYLIST, FOCUS_PLAYLIST},
    {'G', PLAIN, IN_ANY, TO_MAIN, CMD_SHOW_EQUALIZER, FOCUS_EQUALIZER},
    {'D', CTRL, IN_ANY, TO_MAIN, CMD_DOUBLE_SIZE, KEEP_FOCUS},
};

int modifiersHeld()
{
    return (GetKeyState(VK_CONTROL) < 0 ? CTRL : 0) | (GetKeyState(VK_MENU) < 0 ? ALT : 0) |
           (GetKeyState(VK_SHIFT) < 0 ? 4 : 0);
}

bool isIn(keyPlace where, HWND root)
{
    switch (where) {
    case IN_PLAYLIST: return root == hPlaylistDialog;
    case IN_SETTINGS: return root == hSettingsDialog;
    case IN_EQUALIZER: return root == hEqualizerDialog;
    default: return true;
    }
}

// Left and Right seek from the playlist's list, which moves by Up and Down
// alone; every other control that takes arrows uses them all (a drop-down
// list changes its choice, an edit field moves its caret).
bool keepsSideArrows(HWND root)
{
    return root != hPlaylistDialog;
}

// A control of a tool window that uses the key itself keeps it: the list its
// letters, Space, Up and Down; a drop-down list, an edit field or a list box
// of the settings or search window its letters, Space and the four arrows,
// and Enter and Escape while its list is dropped (it asks for them then); a
// button or check box its Space.
bool controlKeepsKey(const MSG &message, HWND root, int modifiers)
{
    HWND focus = GetFocus();
    if (modifiers != PLAIN || root == hwnd || !focus || focus == root)
        return false;
    LRESULT wants = SendMessageA(focus, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
    if (wants & DLGC_WANTALLKEYS)
        return true;
    UINT key = static_cast<UINT>(message.wParam);
    if (key == VK_UP || key == VK_DOWN)
        return wants & DLGC_WANTARROWS;
    if (key == VK_LEFT || key == VK_RIGHT)
        return (wants & DLGC_WANTARROWS) && keepsSideArrows(root);
    if (key == VK_SPACE && (wants & (DLGC_BUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        return true;
    return (key == VK_SPACE || (key >= 'A' && key <= 'Z')) && (wants & DLGC_WANTCHARS);
}

HWND targetOf(keyTarget to)
{
    switch (to) {
    case TO_PLAYLIST: return hPlaylistDialog;
    case TO_SETTINGS: return hSettingsDialog;
    case TO_EQUALIZER: return hEqualizerDialog;
    default: return hwnd;
    }
}

void focusWindow(HWND window, HWND control)
{
    if (!IsWindowVisible(window))
        return;
    SetForegroundWindow(window);
    SetFocus(control ? control : window);
}

void carryOut(const playerKey &key)
{
    SendMessageA(targetOf(key.to), WM_COMMAND, key.command, 0);
    if (key.then == FOCUS_PLAYLIST)
        focusWindow(hPlaylistDialog, GetDlgItem(hPlaylistDialog, PLAYLIST_LIST_ID));
    else if (key.then == FOCUS_EQUALIZER)
        focusWindow(hEqualizerDialog, GetDlgItem(hEqualizerDialog, EQUALIZER_FIRST_BAND + 5));
    else if (key.then == FOCUS_MAIN)
        focusWindow(hwnd, NULL);
}

// Keys inside modal loops (the search window): the same keys as the
// player's own loop.
LRESULT CALLBACK filterDialogMessages(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_DIALOGBOX && usePlayerKey(*reinterpret_cast<MSG *>(lParam)))
        return 1;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

bool passToDialog(MSG &message, HWND dialog)
{
    if (!dialog || (message.hwnd != dialog && !IsChild(dialog, message.hwnd)))
        return false;
    return IsDialogMessageA(dialog, &message) != FALSE;
}

} // namespace

bool usePlayerKey(const MSG &message)
{
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return false;
    HWND root = describedWindowOf(message.hwnd);
    if (!root)
        return false;
    if (useAreaKey(message))
        return true;
    int modifiers = modifiersHeld();
    for (const playerKey &key : playerKeys) {
        if (key.key != message.wParam || key.modifiers != modifiers || !isIn(key.where, root))
            continue;
        if (controlKeepsKey(message, root, modifiers))
            return false;
        carryOut(key);
        return true;
    }
    return false;
}

bool takeKeyboardMessage(MSG &message)
{
    static HHOOK modalKeys = SetWindowsHookExA(WH_MSGFILTER, filterDialogMessages, NULL, GetCurrentThreadId());
    (void)modalKeys;
    return usePlayerKey(message) || passToDialog(message, hPlaylistDialog) ||
           passToDialog(message, hSettingsDialog) || passToDialog(message, hEqualizerDialog);
}
