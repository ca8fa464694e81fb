#include "tray.h"

#include "globals.h"
#include "main_window.h"
#include "songlist.h"
#include "text.h"
#include "transport.h"
#include "window_scale.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

BOOL(WINAPI *notifyShell)(DWORD, PNOTIFYICONDATAA) = Shell_NotifyIconA;

namespace {

// The record in its first form (88 bytes on 32-bit Windows): the shell
// reads no further, so the tip must fit the 64 bytes of that form.
const DWORD TRAY_RECORD_SIZE = NOTIFYICONDATAA_V1_SIZE;
#ifndef _WIN64
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 64 == 88, "the 32-bit tray icon record is 88 bytes");
#endif
const int TRAY_TIP_SIZE = 64;

// "Song - Kelvoria" while a song is heard, the program's name alone before
// the first; cut between characters to the record's 64 bytes.
void writeTrayTip(char *tip)
{
    const char *name = "";
    if (data.currentSong >= 1 && data.currentSong <= data.songsNumber && data.currentSong < NAME_SLOTS)
        name = data.names[data.currentSong];
    while (*name == '\\')
        ++name;     // a name from a path alone starts with its backslash
    char text[NAME_SIZE + sizeof(TRAY_TIP) + 4];
    snprintf(text, sizeof(text), *name ? "%s - %s" : "%s%s", name, TRAY_TIP);
    copyText(tip, TRAY_TIP_SIZE, text);
}

// The icon group holds 16 to 256 pixels; the shell shows the small icon
// size of the system's DPI, and an image made at that size is not scaled.
HICON trayIconAtShellSize()
{
    HICON icon = static_cast<HICON>(LoadImageA(hInst, "icone", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    // Not shared, as the first is: removeTrayIcon destroys either.
    return icon ? icon : static_cast<HICON>(LoadImageA(hInst, "icone", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

void removeTrayIcon(NOTIFYICONDATAA &TrayIcon)
{
    notifyShell(NIM_DELETE, &TrayIcon);
    if (TrayIcon.hIcon)
        DestroyIcon(TrayIcon.hIcon);
    TrayIcon.hIcon = NULL;
}

void fillTrayIcon(HWND window, NOTIFYICONDATAA &TrayIcon)
{
    memset(&TrayIcon, 0, sizeof(TrayIcon));
    TrayIcon.cbSize = TRAY_RECORD_SIZE;
    TrayIcon.hWnd = window;
    TrayIcon.uID = 0;
    TrayIcon.hIcon = trayIconAtShellSize();
    TrayIcon.uCallbackMessage = MSG_TRAY_CALLBACK;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    writeTrayTip(TrayIcon.szTip);
}

// The menu reaches the window as WM_COMMAND with the chosen item's id once
// it has closed. The loaded copy is released afterwards: loading one per
// right click and keeping it would leak a menu at every opening.
void showTrayMenu(HWND window)
{
    POINT at;
    GetCursorPos(&at);
    HMENU menu = LoadMenuA(hInst, TRAY_MENU_NAME);
    HMENU popup = GetSubMenu(menu, 0);
    CheckMenuItem(popup, CMD_DOUBLE_SIZE, MF_BYCOMMAND | (doubleSizeChosen() ? MF_CHECKED : MF_UNCHECKED));
    SetForegroundWindow(window);
    TrackPopupMenuEx(popup, 0, at.x, at.y, window, NULL);
    DestroyMenu(menu);
}

} // namespace

void minimiseToTray(HWND window, NOTIFYICONDATAA &TrayIcon)
{
    ShowWindow(window, SW_HIDE);
    fillTrayIcon(window, TrayIcon);
    notifyShell(NIM_ADD, &TrayIcon);
}

void restoreFromTray(HWND window, NOTIFYICONDATAA &TrayIcon)
{
    ShowWindow(window, SW_SHOW);
    removeTrayIcon(TrayIcon);
    TrayIcon.cbSize = 0;    // no icon now: nothing to keep up to date
}

void refreshTrayTip(NOTIFYICONDATAA &TrayIcon)
{
    if (TrayIcon.cbSize == 0)
        return;
    writeTrayTip(TrayIcon.szTip);
    TrayIcon.uFlags = NIF_TIP;
    notifyShell(NIM_MODIFY, &TrayIcon);
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}

void quitFromTray(HWND window, NOTIFYICONDATAA &TrayIcon)
{
    removeTrayIcon(TrayIcon);
    SendMessageA(window, WM_CLOSE, 0, 0);
}

void answerTrayCallback(HWND window, LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONUP)
        SendMessageA(window, WM_COMMAND, CMD_RESTORE, 0);
    else if (mouseMessage == WM_RBUTTONUP)
        showTrayMenu(window);
}
