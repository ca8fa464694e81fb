#include "settings_window.h"

#include <windowsx.h>

#include <stdio.h>
#include <string.h>

#include <initializer_list>

#include "frame.h"
#include "window_scale.h"
#include "globals.h"
#include "playlist_file.h"
#include "songlist.h"
#include "stored_settings.h"
#include "accessible_areas.h"
#include "window_areas.h"

namespace {

// One of the window's controls by its id. Under Wine every GetDlgItem is a
// request to its server, and the box rules read two to four controls at
// every tick, a hundred times a second; a control's handle does not change
// while its window lives, so each is looked up once.
HWND control(HWND window, int id)
{
    static HWND owner;
    static HWND controls[SETTINGS_LAST_ID + 1];
    if (id < 0 || id > SETTINGS_LAST_ID)
        return GetDlgItem(window, id);
    if (owner != window) {
        memset(controls, 0, sizeof(controls));
        owner = window;
    }
    if (!controls[id])
        controls[id] = GetDlgItem(window, id);
    return controls[id];
}

bool ticked(HWND window, int id)
{
    return SendMessageA(control(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setTick(HWND window, int id, bool on)
{
    SendMessageA(control(window, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void tickWhen(HWND window, int id, bool on)
{
    if (on)
        setTick(window, id, true);
}

const char *yesOrNo(bool on)
{
    return on ? "Yes" : "No";
}

// Greys or ungreys a control; one already in that state is left alone, so
// the rules that run at every tick touch the controls only on a change.
void setUsable(HWND window, int id, bool usable)
{
    HWND box = control(window, id);
    if ((IsWindowEnabled(box) != FALSE) != usable)
        EnableWindow(box, usable ? TRUE : FALSE);
}

// The start-up playlist beside the program file. A program path that did
// not fit its buffer, or a directory that leaves no room for the file's
// name, gives the empty text: a cut path would name some other file.
void formStartupPlaylistPath(char *path, int size)
{
    char program[PROGRAM_PATH_SIZE] = "";
    programFile(program, sizeof(program));
    startupPlaylistPath(program, path, size);
}

void setBoxesAtCreation(HWND window)
{
    tickWhen(window, SETTINGS_SHUFFLE, data.shuffle == 1);
    // Shuffle and restart come back with the kept list, when there is one.
    tickWhen(window, SETTINGS_RESTART, data.restart);
    tickWhen(window, SETTINGS_LAUNCH, IsChosen("Launch") == 1);
    tickWhen(window, SETTINGS_MINIMIZE, IsChosen("Minimize") == 1);
    tickWhen(window, SETTINGS_PLAYLIST, IsChosen("Playlist") == 1);
    tickWhen(window, SETTINGS_AUTOPLAY, IsChosen("Autoplay") == 1);
    tickWhen(window, SETTINGS_DOUBLE_SIZE, doubleSizeChosen());
}

// The box shows the choice however it was made (Ctrl+D, the tray menu).
void showDoubleSize(bool doubled, void *context)
{
    setTick(static_cast<HWND>(context), SETTINGS_DOUBLE_SIZE, doubled);
}

// The lists' rows: the modes by name, the pre-amps by whole decibels from
// the lowest; each list shows the stored choice.
void fillReplayGainLists(HWND window)
{
    replayGainChoice choice = storedReplayGain();
    for (const char *name : REPLAYGAIN_MODE_NAMES)
        SendMessageA(control(window, SETTINGS_REPLAY_GAIN), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(control(window, SETTINGS_REPLAY_GAIN), CB_SETCURSEL, choice.mode, 0);
    for (int id : {SETTINGS_PREAMP_TAGGED, SETTINGS_PREAMP_UNTAGGED}) {
        for (int db = -PREAMP_LIMIT_DB; db <= PREAMP_LIMIT_DB; ++db) {
            char row[16];
            snprintf(row, sizeof(row), "%+d dB", db);
            SendMessageA(control(window, id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
        }
    }
    int tagged = choice.preampTaggedDb + PREAMP_LIMIT_DB, untagged = choice.preampUntaggedDb + PREAMP_LIMIT_DB;
    SendMessageA(control(window, SETTINGS_PREAMP_TAGGED), CB_SETCURSEL, tagged, 0);
    SendMessageA(control(window, SETTINGS_PREAMP_UNTAGGED), CB_SETCURSEL, untagged, 0);
    setTick(window, SETTINGS_PREVENT_CLIPPING, choice.preventClipping);
}

int chosenRow(HWND window, int id)
{
    LRESULT row = SendMessageA(control(window, id), CB_GETCURSEL, 0, 0);
    return row == CB_ERR ? 0 : static_cast<int>(row);
}

void storeReplayGainLists(HWND window)
{
    replayGainChoice choice;
    choice.mode = chosenRow(window, SETTINGS_REPLAY_GAIN);
    choice.preampTaggedDb = chosenRow(window, SETTINGS_PREAMP_TAGGED) - PREAMP_LIMIT_DB;
    choice.preampUntaggedDb = chosenRow(window, SETTINGS_PREAMP_UNTAGGED) - PREAMP_LIMIT_DB;
    choice.preventClipping = ticked(window, SETTINGS_PREVENT_CLIPPING);
    storeReplayGain(choice);
}

// The "At Startup" boxes against their state at the previous tick: Minimize
// and Use current playlist mean nothing without Launch, and "This one !"
// follows Use current playlist once that box has been ticked. "This one !"
// stays greyed when there is no start-up playlist path to save to.
void keepBoxesConsistent(HWND window, int &launchMem, int &playlistMem, bool canSave)
{
    int launch = ticked(window, SETTINGS_LAUNCH) ? 1 : 0;
    if (!launch && launchMem == 1) {
        setTick(window, SETTINGS_PLAYLIST, false);
        setTick(window, SETTINGS_MINIMIZE, false);
        setUsable(window, SETTINGS_PLAYLIST, false);
        setUsable(window, SETTINGS_MINIMIZE, false);
        setUsable(window, SETTINGS_THIS_ONE, false);
    } else if (launch) {
        setUsable(window, SETTINGS_PLAYLIST, true);
        setUsable(window, SETTINGS_MINIMIZE, true);
    }

    int playlist = ticked(window, SETTINGS_PLAYLIST) ? 1 : 0;
    if (!playlist && playlistMem == 1)
        setUsable(window, SETTINGS_THIS_ONE, false);
    else if (playlist)
        setUsable(window, SETTINGS_THIS_ONE, canSave);

    launchMem = launch;
    playlistMem = playlist;
}

// Shuffle and Restart for this run, the "At Startup" boxes into the
// registry; no confirmation.
void applyChanges(HWND window)
{
    setSwitches(ticked(window, SETTINGS_SHUFFLE), ticked(window, SETTINGS_RESTART));
    if (ticked(window, SETTINGS_LAUNCH))
        writeLogonEntry();
    else
        removeLogonEntry();
    Choose("Minimize", yesOrNo(ticked(window, SETTINGS_MINIMIZE)));
    Choose("Playlist", yesOrNo(ticked(window, SETTINGS_PLAYLIST)));
    Choose("Autoplay", yesOrNo(ticked(window, SETTINGS_AUTOPLAY)));
    storeReplayGainLists(window);
    applyReplayGain();
    ShowWindow(window, SW_HIDE);
}

// A save that did not happen is told with the playlist window's own
// warning: a user who hears nothing believes the list was saved.
void saveStartupPlaylist(const char *path)
{
    if (data.songsNumber == 0) {
        MessageBoxA(NULL, "Nothing to save.", "Information", MB_ICONWARNING);
        return;
    }
    if (path[0] && savePlaylist(&data, path) == 0)
        MessageBoxA(NULL, "Startup playlist successfully saved.", "Success !", MB_ICONINFORMATION);
    else
        MessageBoxA(NULL, "Failed to save", "Failure", MB_ICONWARNING);
}

// A click's place in window coordinates (the cursor minus the window's
// top-left corner), from the client coordinates it came with.
POINT clickInWindow(HWND window, LPARAM lParam)
{
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &at);
    RECT place = {};
    GetWindowRect(window, &place);
    at.x -= place.left;
    at.y -= place.top;
    return skinPoint(window, at);
}

bool inCloseArea(POINT at)
{
    return inArea(at.x, at.y, SETTINGS_CLOSE_LEFT, SETTINGS_CLOSE_RIGHT, SETTINGS_CLOSE_TOP,
                  SETTINGS_CLOSE_BOTTOM);
}

// The skin's one area; the check boxes and buttons follow with their own names.
const windowArea accessibleAreas[] = {
    {"Close", SETTINGS_CLOSE_LEFT, SETTINGS_CLOSE_RIGHT, SETTINGS_CLOSE_TOP, SETTINGS_CLOSE_BOTTOM, WM_COMMAND,
     SETTINGS_CLOSE, 0},
};

} // namespace

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static char startupPlaylistPath[PROGRAM_PATH_SIZE];
    static int launchMem, playlistMem;
    static HBITMAP ShBmp;
    static bool ShBmpLoaded;
    static HRGN Sregion;
    static bool SregionMade;
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;

    loadSkinOnce(ShBmp, ShBmpLoaded, settingsWindow);
    buildOutlineOnce(Sregion, SregionMade, ShBmp, settingsWindow.transparent);

    INT_PTR answered;
    if (answerDialogAreaMessage(window, message, wParam, lParam, answered))
        return answered;
    if (answerScaleMessage(window, message, wParam, lParam))
        return TRUE;

    switch (message) {
    case WM_INITDIALOG:
        adoptTemplateLayout(window);
        giveOutline(window, Sregion);
        formStartupPlaylistPath(startupPlaylistPath, sizeof(startupPlaylistPath));
        setBoxesAtCreation(window);
        listenToDoubleSize(showDoubleSize, window);
        fillReplayGainLists(window);
        if (!startupPlaylistPath[0])
            setUsable(window, SETTINGS_THIS_ONE, false);
        launchMem = playlistMem = 0;
        startFrameTimer(window);
        describeWindowAreas(window, "Settings", accessibleAreas, 1);
        followScale(window, settingsWindow, ShBmp);
        return TRUE;
    case WM_PAINT:
        paintSkin(window, ShBmp);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        keepBoxesConsistent(window, launchMem, playlistMem, startupPlaylistPath[0] != '\0');
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case SETTINGS_APPLY: applyChanges(window); break;
        case SETTINGS_DOUBLE_SIZE: chooseDoubleSize(IsDlgButtonChecked(window, SETTINGS_DOUBLE_SIZE) == BST_CHECKED); break;
        case SETTINGS_CLOSE: ShowWindow(window, SW_HIDE); break;
        case SETTINGS_THIS_ONE: saveStartupPlaylist(startupPlaylistPath); break;
        }
        return TRUE;
    case WM_LBUTTONDOWN:
        if (inCloseArea(clickInWindow(window, lParam)))
            SendMessageA(window, WM_COMMAND, SETTINGS_CLOSE, 0);
        return TRUE;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, settingsWindow);
        if (inCloseArea(cursorOffset(window, rc, lp)))
            showHandCursor();
        return TRUE;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        return TRUE;
    case WM_APPCOMMAND:     // a media key while this window has the focus
        SendMessageA(hwnd, message, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}
