#include "playlist_window.h"

#include "frame.h"
#include "globals.h"
#include "songlist.h"

namespace {

// The list control at its place in the client area, shown at once.
HWND createSongList(HWND window)
{
    HWND list = CreateWindowExA(0, "LISTBOX", "", 0x40300001, 19, 21, 315, 223, window,
                                reinterpret_cast<HMENU>(PLAYLIST_LIST_ID), hInst, NULL);
    ShowWindow(list, SW_SHOW);
    return list;
}

// Row r shows slot r + 1; the last row ends selected (none for an empty list).
void rebuildSongList(HWND list)
{
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int last = data.songsNumber < MAX_SONGS ? data.songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data.names[slot]));
    SendMessageA(list, LB_SETCURSEL, data.songsNumber - 1, 0);
}

void hidePlaylistWindow(HWND window)
{
    loaded = false;
    ShowWindow(window, SW_HIDE);
}

} // namespace

INT_PTR CALLBACK PlaylistProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static HBITMAP PhBmp;
    static bool PhBmpLoaded;
    static HRGN Pregion;
    static bool PregionMade;
    static HWND hPlaylist;
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;
    (void)lParam;

    loadSkinOnce(PhBmp, PhBmpLoaded, playlistWindow.skinFile);
    buildOutlineOnce(Pregion, PregionMade, PhBmp, playlistWindow.transparent);

    switch (message) {
    case WM_INITDIALOG:
        giveOutline(window, Pregion);
        hPlaylist = createSongList(window);
        startFrameTimer(window);
        paceFrameTimer(window, IsWindowVisible(window));
        return TRUE;
    case WM_SHOWWINDOW:
        paceFrameTimer(window, static_cast<BOOL>(wParam));
        return FALSE;
    case WM_PAINT:
        paintSkin(window, PhBmp);
        return TRUE;
    case WM_CLOSE:
        rebuildSongList(hPlaylist);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == PLAYLIST_CMD_HIDE)
            hidePlaylistWindow(window);
        else if (LOWORD(wParam) == PLAYLIST_CMD_CLEAR)
            clearPlaylist(&data, hPlaylist);
        return TRUE;
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        return TRUE;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, playlistWindow);
        return TRUE;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        return TRUE;
    }
    return FALSE;
}
