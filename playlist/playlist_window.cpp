#include "playlist_window.h"

#include "frame.h"
#include "window_scale.h"
#include "globals.h"
#include "intake.h"
#include "list_edit.h"
#include "music_kinds.h"
#include "playlist_file.h"
#include "playlist_formats.h"
#include "search_window.h"
#include "song_events.h"
#include "songlist.h"
#include "transport.h"
#include "accessible_areas.h"
#include "window_areas.h"

#include <commdlg.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

// One area of the skin, in window coordinates, bounds included. The hand
// shows from hoverLeft on, which for the open area is one pixel right of
// where a press already counts.
struct playlistArea {
    int left, right, hoverLeft, top, bottom;
    WPARAM command;
};

// Tested in this order; they do not overlap.
const playlistArea playlistAreas[] = {
    {324, 344, 324, 9, 16, PLAYLIST_CMD_HIDE},
    {12, 116, 13, 241, 253, PLAYLIST_CMD_OPEN},
    {123, 228, 123, 241, 253, PLAYLIST_CMD_SAVE},
    {233, 339, 233, 241, 253, PLAYLIST_CMD_CLEAR},
    {39, 88, 39, 261, 273, PLAYLIST_CMD_SEARCH},
};

// The areas for the keyboard and screen readers, in reading order, with
// the list between the close area and the buttons below it.
const windowArea accessibleAreas[] = {
    {"Close", 324, 344, 9, 16, WM_COMMAND, PLAYLIST_CMD_HIDE, 0},
    {"Songs", 0, 0, 0, 0, 0, 0, PLAYLIST_LIST_ID},
    {"Open playlist", 12, 116, 241, 253, WM_COMMAND, PLAYLIST_CMD_OPEN, 0},
    {"Save playlist", 123, 228, 241, 253, WM_COMMAND, PLAYLIST_CMD_SAVE, 0},
    {"Clear list", 233, 339, 241, 253, WM_COMMAND, PLAYLIST_CMD_CLEAR, 0},
    {"Search for music", 39, 88, 261, 273, WM_COMMAND, PLAYLIST_CMD_SEARCH, 0},
};

// The list's right-click menu.
struct menuItem {
    const char *text;
    WPARAM command;
};
const menuItem listMenu[] = {
    {"Play", PLAYLIST_CMD_PLAY_SELECTED},
    {"Remove", PLAYLIST_CMD_REMOVE},
    {"Move up", PLAYLIST_CMD_MOVE_UP},
    {"Move down", PLAYLIST_CMD_MOVE_DOWN},
};

// The player's own kind first; the literals' own NULs end the lists.
const char OPEN_FILTER[] =
    "Mp3 Playlist\0*.m3P\0Playlists of other players\0*.m3u;*.m3u8;*.pls;*.cue\0Cue sheet\0*.cue\0";
const char SAVE_FILTER[] = "Mp3 Playlist\0*.m3P\0M3U8 playlist\0*.m3u8\0";
// The extension of each of the save dialog's filters, by its index.
const char *const SAVE_EXTENSIONS[] = {".m3P", ".m3u8"};
const size_t LONGEST_EXTENSION = 5;
const DWORD SAVE_FLAGS = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;     // 0x0804
const DWORD OPEN_FLAGS = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;       // 0x1800

// The chosen name, and room after it for the extension saving appends.
typedef char playlistName[PLAYLIST_NAME_CAPACITY + LONGEST_EXTENSION];

// Several rows can be chosen (Shift and Ctrl with a click or the arrows);
// Tab reaches the list; its text, never shown, is the name screen readers
// give it.
const DWORD SONG_LIST_STYLE = 0x40300001 | LBS_EXTENDEDSEL | WS_TABSTOP;

// One row alone selected and holding the caret; none for -1.
void selectOnlyRow(HWND list, int row)
{
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    if (row < 0)
        return;
    SendMessageA(list, LB_SETSEL, TRUE, row);
    SendMessageA(list, LB_SETCARETINDEX, row, FALSE);
}

int rowCount(HWND list)
{
    int rows = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    return rows < 0 ? 0 : rows;
}

// The chosen rows as flags by slot (row r is slot r + 1); false for none.
bool chosenSongs(HWND list, bool chosen[NAME_SLOTS])
{
    memset(chosen, 0, NAME_SLOTS * sizeof(bool));
    bool any = false;
    int rows = rowCount(list);
    for (int row = 0; row < rows && row + 1 < NAME_SLOTS; ++row)
        if (SendMessageA(list, LB_GETSEL, row, 0) > 0)
            any = chosen[row + 1] = true;
    return any;
}

void selectChosen(HWND list, const bool chosen[NAME_SLOTS])
{
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    int first = -1;
    for (int slot = 1; slot <= data.songsNumber && slot < NAME_SLOTS; ++slot) {
        if (!chosen[slot])
            continue;
        SendMessageA(list, LB_SETSEL, TRUE, slot - 1);
        if (first < 0)
            first = slot - 1;
    }
    if (first >= 0)
        SendMessageA(list, LB_SETCARETINDEX, first, FALSE);
}

void removeChosenSongs(HWND list)
{
    static bool chosen[NAME_SLOTS];
    if (!chosenSongs(list, chosen))
        return;
    int firstRow = 0;
    while (!chosen[firstRow + 1])
        ++firstRow;
    removeSongs(chosen);
    // The row that took the first removed one's place, for the next Delete.
    selectOnlyRow(list, firstRow < data.songsNumber ? firstRow : data.songsNumber - 1);
}

void moveChosenSongs(HWND list, WPARAM command, int before)
{
    static bool chosen[NAME_SLOTS];
    if (!chosenSongs(list, chosen))
        return;
    bool moved = command == PLAYLIST_CMD_MOVE_UP ? moveSongsUp(chosen)
               : command == PLAYLIST_CMD_MOVE_DOWN ? moveSongsDown(chosen)
               : moveSongsTo(chosen, before);
    if (moved)
        selectChosen(list, chosen);
}

// The list's own procedure, which the window subclasses to drag rows: a
// plain press on a row, moved onto another row and released there, moves
// the selected rows there. The list's own dragging, which would select the
// rows passed over, does not run meanwhile.
WNDPROC listOwnProc;

int rowAt(HWND list, LPARAM point)
{
    LRESULT found = SendMessageA(list, LB_ITEMFROMPOINT, 0, point);
    if (HIWORD(found))
        return -1;  // outside the rows
    return LOWORD(found);
}

LRESULT CALLBACK SongListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    static int pressedRow = -1;
    static bool dragging;
    switch (message) {
    case WM_LBUTTONDOWN:
        pressedRow = (wParam & (MK_SHIFT | MK_CONTROL)) ? -1 : rowAt(list, lParam);
        dragging = false;
        break;
    case WM_MOUSEMOVE:
        if (pressedRow < 0 || !(wParam & MK_LBUTTON))
            break;
        if (rowAt(list, lParam) != pressedRow)
            dragging = true;
        if (dragging) {
            showDragCursor();
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (dragging) {
            int row = rowAt(list, lParam);
            CallWindowProcA(listOwnProc, list, message, wParam, lParam);
            if (row >= 0 && row != pressedRow)
                moveChosenSongs(list, 0, row > pressedRow ? row + 2 : row + 1);
            pressedRow = -1;
            dragging = false;
            return 0;
        }
        pressedRow = -1;
        break;
    }
    return CallWindowProcA(listOwnProc, list, message, wParam, lParam);
}

// The list control at its place in the client area, shown at once.
HWND createSongList(HWND window)
{
    HWND list = CreateWindowExA(0, "LISTBOX", "Songs", SONG_LIST_STYLE, 19, 21, 315, 223, window,
                                reinterpret_cast<HMENU>(PLAYLIST_LIST_ID), hInst, NULL);
    listOwnProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SongListProc)));
    ShowWindow(list, SW_SHOW);
    return list;
}

// Row r shows slot r + 1; the last row ends selected (none for an empty list).
// A shown list would redraw itself and its scroll bars at every row added:
// 1,999 rows took about 14 s under Wine that way. So it is drawn once, at
// the end.
void rebuildSongList(HWND list)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int last = data.songsNumber < MAX_SONGS ? data.songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data.names[slot]));
    selectOnlyRow(list, data.songsNumber - 1);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

// The rows selected, and the caret, put back as they were after rows were
// written again.
struct rowSelection {
    std::vector<int> selected;
    int caret, top;
};

rowSelection selectionOf(HWND list)
{
    rowSelection kept;
    int count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    kept.selected.resize(count > 0 ? count : 0);
    if (count > 0)
        SendMessageA(list, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(kept.selected.data()));
    kept.caret = static_cast<int>(SendMessageA(list, LB_GETCARETINDEX, 0, 0));
    kept.top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    return kept;
}

void putBack(HWND list, const rowSelection &kept)
{
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int row : kept.selected)
        SendMessageA(list, LB_SETSEL, TRUE, row);
    if (kept.caret >= 0)
        SendMessageA(list, LB_SETCARETINDEX, kept.caret, FALSE);
    SendMessageA(list, LB_SETTOPINDEX, kept.top, 0);
}

// Tags read in the background rename songs a few at a time: only the rows
// whose names changed are written again, the selection kept, so a long
// list is not rebuilt a few times a second while its tags are read.
void renameChangedRows(HWND list)
{
    int rows = rowCount(list);
    int last = data.songsNumber < MAX_SONGS ? data.songsNumber : MAX_SONGS;
    if (rows != last) {
        rebuildSongList(list);
        return;
    }
    static char shown[NAME_SIZE];
    rowSelection kept;
    bool changed = false;
    for (int row = 0; row < rows; ++row) {
        const char *name = data.names[row + 1];
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
        if (length >= 0 && length < NAME_SIZE) {
            SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(shown));
            if (strcmp(shown, name) == 0)
                continue;
        }
        if (!changed) {
            kept = selectionOf(list);
            SendMessageA(list, WM_SETREDRAW, FALSE, 0);
            changed = true;
        }
        SendMessageA(list, LB_DELETESTRING, row, 0);
        SendMessageA(list, LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(name));
    }
    if (!changed)
        return;
    putBack(list, kept);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
}

void selectCurrentSong(HWND list)
{
    selectOnlyRow(list, data.currentSong <= rowCount(list) ? data.currentSong - 1 : -1);
}

// The rows follow the song list: songs added or edited rebuild them, a
// cleared list empties them, and the playing row is selected.
void followSongList(songListChange change, void *context)
{
    HWND list = static_cast<HWND>(context);
    switch (change) {
    case SONGS_ADDED:
    case LIST_EDITED:
        rebuildSongList(list);
        break;
    case NAMES_CHANGED:
        renameChangedRows(list);
        break;
    case LIST_CLEARED:
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        break;
    case SWITCHES_CHANGED:
        break;
    case CURRENT_SONG_CHANGED:
    case SONG_HEARD_CHANGED:
        selectCurrentSong(list);
        break;
    }
}

// Only the background is coloured: the text keeps the default colour.
INT_PTR colourSongList(HDC listDc, HWND control, HWND hPlaylist, HBRUSH ListBrush)
{
    if (control != hPlaylist)
        return FALSE;
    SetBkColor(listDc, PLAYLIST_LIST_COLOUR);
    return reinterpret_cast<INT_PTR>(ListBrush);
}

void hidePlaylistWindow(HWND window)
{
    loaded = false;
    ShowWindow(window, SW_HIDE);
}

// Both file dialogs: the ".m3P" filter first, no default extension, no
// initial folder, no title of their own.
void prepareFileDialog(OPENFILENAMEA &dialog, HWND owner, char *name, const char *filter, DWORD flags)
{
    memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = PLAYLIST_NAME_CAPACITY;
    dialog.Flags = flags;
}

// The name as chosen, or with the chosen filter's extension when it does
// not already end with it in any case: typing mylist or choosing mylist.m3P
// both write mylist.m3P. False when the extension does not fit the buffer.
bool giveExtension(char *name, size_t size, const char *extension)
{
    size_t used = strlen(name);
    size_t added = strlen(extension);
    if (hasExtension(name, extension))
        return true;
    if (used + added >= size)
        return false;
    memcpy(name + used, extension, added + 1);
    return true;
}

// The dialog asked before replacing the name it was given; a name that
// became another by its extension is asked about here, with the dialog's
// own question, so that no playlist is replaced without a word.
bool mayReplace(HWND window, const char *name)
{
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;    // nothing to replace; a folder fails the save itself
    const char *lastBackslash = strrchr(name, '\\');
    char question[PLAYLIST_NAME_CAPACITY + 64];
    snprintf(question, sizeof(question), "%s already exists.\nDo you want to replace it?",
             lastBackslash ? lastBackslash + 1 : name);
    return MessageBoxA(window, question, "Confirm Save As", MB_YESNO | MB_ICONWARNING) == IDYES;
}

void savePlaylistAs(HWND window)
{
    if (data.songsNumber == 0) {
        MessageBoxA(NULL, "No songs loaded.", "Nothing to save", MB_ICONWARNING);
        return;
    }
    playlistName name = "";
    OPENFILENAMEA dialog;
    prepareFileDialog(dialog, window, name, SAVE_FILTER, SAVE_FLAGS);
    if (GetSaveFileNameA(&dialog) != 1)
        return;
    size_t chosenLength = strlen(name);
    const char *extension = SAVE_EXTENSIONS[dialog.nFilterIndex == 2 ? 1 : 0];
    if (!giveExtension(name, sizeof(name), extension)) {
        MessageBoxA(NULL, "Failed to save", "Failure", MB_ICONWARNING);
        return;
    }
    if (strlen(name) != chosenLength && !mayReplace(window, name))
        return;
    if (savePlaylist(&data, name) == 0)
        MessageBoxA(NULL, name, "Playlist successfully saved in :", MB_ICONINFORMATION);
    else
        MessageBoxA(NULL, "Failed to save", "Failure", MB_ICONWARNING);
}

// A file that cannot be read is passed over in silence: the list is shown
// again as it stands.
void openPlaylistFrom(HWND window)
{
    playlistName name = "";
    OPENFILENAMEA dialog;
    prepareFileDialog(dialog, window, name, OPEN_FILTER, OPEN_FLAGS);
    if (GetOpenFileNameA(&dialog) != 1)
        return;
    intakePaths({name}, FROM_OPEN_DIALOG, INTAKE_REPLACE);
}

void openSearchWindow()
{
    DialogBoxParamA(hInst, "Search", hPlaylistDialog, SearchProc, 0);
}

void runCommand(HWND window, WORD id, bool &holding)
{
    switch (id) {
    case PLAYLIST_CMD_SAVE:
        savePlaylistAs(window);
        holding = false;    // the drag does not outlive the dialog
        break;
    case PLAYLIST_CMD_OPEN:
        openPlaylistFrom(window);
        holding = false;
        break;
    case PLAYLIST_CMD_HIDE: hidePlaylistWindow(window); break;
    case PLAYLIST_CMD_CLEAR: clearPlaylist(); break;
    case PLAYLIST_CMD_SEARCH: openSearchWindow(); break;
    }
}

// The row double-clicked, or the selected row that holds the caret, else
// the first selected; nothing when none is.
void playSelectedRow(HWND hPlaylist)
{
    int row = static_cast<int>(SendMessageA(hPlaylist, LB_GETCARETINDEX, 0, 0));
    if (row < 0 || SendMessageA(hPlaylist, LB_GETSEL, row, 0) <= 0) {
        int first = -1;
        if (SendMessageA(hPlaylist, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first)) != 1)
            return;
        row = first;
    }
    playSongAt(row + 1);
}

void runListCommand(HWND hPlaylist, WPARAM id)
{
    switch (id) {
    case PLAYLIST_CMD_PLAY_SELECTED: playSelectedRow(hPlaylist); break;
    case PLAYLIST_CMD_REMOVE: removeChosenSongs(hPlaylist); break;
    case PLAYLIST_CMD_MOVE_UP:
    case PLAYLIST_CMD_MOVE_DOWN: moveChosenSongs(hPlaylist, id, 0); break;
    case PLAYLIST_CMD_SELECT_ALL: SendMessageA(hPlaylist, LB_SETSEL, TRUE, -1); break;
    }
}

// Right-click on a row that is not selected selects it alone first, as in
// other lists; the keyboard's menu key opens the menu at the list's corner.
void showListMenu(HWND window, HWND hPlaylist, LPARAM place)
{
    POINT at = {static_cast<short>(LOWORD(place)), static_cast<short>(HIWORD(place))};
    if (place == -1) {
        at = POINT{0, 0};
        ClientToScreen(hPlaylist, &at);
    } else {
        POINT inList = at;
        ScreenToClient(hPlaylist, &inList);
        int row = rowAt(hPlaylist, MAKELPARAM(inList.x, inList.y));
        if (row >= 0 && SendMessageA(hPlaylist, LB_GETSEL, row, 0) <= 0)
            selectOnlyRow(hPlaylist, row);
    }
    HMENU menu = CreatePopupMenu();
    for (const menuItem &item : listMenu)
        AppendMenuA(menu, MF_STRING, item.command, item.text);
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
    if (chosen)
        SendMessageA(window, WM_COMMAND, chosen, 0);
}

// Dropped items in the drop's order; the intake decides what each is. A
// path too long for a slot is left out rather than cut (a cut path would
// name another file); items beyond the list's capacity are left out too.
void appendDroppedFiles(HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, NULL, 0);
    std::vector<std::string> paths;
    char path[PATH_SIZE];
    for (UINT i = 0; i < count && paths.size() < MAX_SONGS; ++i) {
        if (DragQueryFileA(drop, i, NULL, 0) >= sizeof(path))
            continue;
        DragQueryFileA(drop, i, path, sizeof(path));
        paths.push_back(path);
    }
    DragFinish(drop);   // the drop's memory is ours to release
    intakePaths(paths, FROM_DROP, INTAKE_APPEND);
}

bool overArea(const playlistArea &area, POINT at, bool hovering)
{
    return inArea(at.x, at.y, hovering ? area.hoverLeft : area.left, area.right, area.top, area.bottom);
}

void showHandOverAreas(POINT at)
{
    for (const playlistArea &area : playlistAreas)
        if (overArea(area, at, true))
            showHandCursor();
}

// Sent, not posted: each command has run when the press is handled.
void pressAreas(HWND window, POINT at)
{
    for (const playlistArea &area : playlistAreas)
        if (overArea(area, at, false))
            SendMessageA(window, WM_COMMAND, area.command, 0);
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

    loadSkinOnce(PhBmp, PhBmpLoaded, playlistWindow);
    buildOutlineOnce(Pregion, PregionMade, PhBmp, playlistWindow.transparent);
    // Made here, at the first call, after the skin and the outline.
    static HBRUSH ListBrush = CreateSolidBrush(PLAYLIST_LIST_COLOUR);

    INT_PTR answered;
    if (answerDialogAreaMessage(window, message, wParam, lParam, answered))
        return answered;
    if (answerScaleMessage(window, message, wParam, lParam))
        return TRUE;

    switch (message) {
    case WM_INITDIALOG:
        giveOutline(window, Pregion);
        hPlaylist = createSongList(window);
        describeWindowAreas(window, "Playlist", accessibleAreas,
                            sizeof(accessibleAreas) / sizeof(accessibleAreas[0]));
        listenToSongList(followSongList, hPlaylist);
        rebuildSongList(hPlaylist);     // made after songs came in, at start-up
        if (data.currentSong > 0)
            selectCurrentSong(hPlaylist);
        startFrameTimer(window);
        followScale(window, playlistWindow, PhBmp);
        return TRUE;
    case WM_PAINT:
        paintSkin(window, PhBmp);
        return TRUE;
    case WM_CLOSE:
        rebuildSongList(hPlaylist);
        return TRUE;
    case WM_COMMAND:
        runCommand(window, LOWORD(wParam), holding);
        runListCommand(hPlaylist, LOWORD(wParam));
        if (HIWORD(wParam) == LBN_DBLCLK)
            playSelectedRow(hPlaylist);
        return TRUE;
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        return TRUE;
    case WM_CTLCOLORLISTBOX:
        return colourSongList(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), hPlaylist,
                              ListBrush);
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, playlistWindow);
        showHandOverAreas(cursorOffset(window, rc, lp));
        return TRUE;
    case WM_LBUTTONDOWN:
        pressAreas(window, readCursorInWindow(window, rc, lp));
        return TRUE;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        return TRUE;
    case WM_DROPFILES:
        appendDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_APPCOMMAND:     // a media key while this window has the focus
        SendMessageA(hwnd, message, wParam, lParam);
        return TRUE;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != hPlaylist)
            return FALSE;
        showListMenu(window, hPlaylist, lParam);
        return TRUE;
    }
    return FALSE;
}
