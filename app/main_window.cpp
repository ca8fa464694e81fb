#include "main_window.h"

#include "analyser_area.h"
#include "fmod.h"
#include "frame.h"
#include "globals.h"
#include "intake.h"
#include "kept_place.h"
#include "media_keys.h"
#include "music_kinds.h"
#include "hand_over_queue.h"
#include "song_events.h"
#include "songlist.h"
#include "startup.h"
#include "text.h"
#include "transport.h"
#include "tray.h"
#include "volume.h"
#include "accessible_areas.h"
#include "focus_mark.h"
#include "window_areas.h"
#include "window_scale.h"

#include <commctrl.h>
#include <commdlg.h>
#include <stdio.h>
#include <stddef.h>
#include <string.h>

// Tested in this order at every left-button release; a point inside two
// areas (460-462, 42-47 lies in both Previous and play/pause) sends both.
const hitArea mainHitAreas[MAIN_HIT_AREAS] = {
    {560, 579, 19, 27, WM_DESTROY, 0},
    {565, 590, 33, 60, WM_COMMAND, CMD_SHOW_PLAYLIST},
    {565, 590, 61, 94, WM_COMMAND, CMD_SHOW_SETTINGS},
    {473, 504, 53, 71, WM_COMMAND, CMD_OPEN_FILES},
    {467, 512, 76, 111, WM_COMMAND, CMD_STOP},
    {420, 462, 42, 81, WM_COMMAND, CMD_PREVIOUS},
    {516, 556, 44, 80, WM_COMMAND, CMD_NEXT},
    {460, 510, 10, 47, WM_COMMAND, CMD_TOGGLE},
    {561, 582, 98, 107, WM_COMMAND, CMD_MINIMISE_TO_TRAY},
    {426, 456, 86, 98, WM_COMMAND, CMD_SHOW_EQUALIZER},
};

namespace {

// The areas for the keyboard and screen readers, in reading order: the
// transport's block from its top, then the column at the right edge. Each
// names its hit area by its row in mainHitAreas.
struct namedHitArea {
    const char *name;
    int hitArea;
};
const namedHitArea readingOrder[] = {
    {"Play or pause", 7}, {"Previous", 5}, {"Open files", 3}, {"Next", 6}, {"Stop", 4},
    {"Equalizer", 9}, {"Close", 0}, {"Playlist", 1}, {"Settings", 2}, {"Minimise to tray", 8},
};
// Then the analyser beside the labels, and the position bar.
const int MAIN_AREAS = sizeof(readingOrder) / sizeof(readingOrder[0]) + 2;

// The controls laid over the face, made once with the window.
struct mainControls {
    HWND tags, status, slider;
} controls;

// What the status label shows under the volume line.
char statusLine[sizeof(playing.statusText)];

// The time heard, as a screen reader reads the position bar: "1:23 of 4:05".
void writePositionValue(HWND, char *text, int size)
{
    snprintf(text, size, "%d:%02d of %d:%02d", playing.position / 60, playing.position % 60, playing.length / 60,
             playing.length % 60);
}

void describeMainAreas(HWND window)
{
    static windowArea areas[MAIN_AREAS];
    int count = 0;
    for (const namedHitArea &named : readingOrder) {
        const hitArea &hit = mainHitAreas[named.hitArea];
        areas[count++] = windowArea{named.name, hit.left, hit.right, hit.top, hit.bottom, hit.message, hit.id, 0};
    }
    areas[count++] = windowArea{"Analyser", ANALYSER_LEFT, ANALYSER_RIGHT, ANALYSER_TOP, ANALYSER_BOTTOM,
                                WM_COMMAND, CMD_ANALYSER_MODE, 0};
    areas[count++] = windowArea{"Position", 0, 0, 0, 0, 0, 0, SLIDER_ID};
    describeWindowAreas(window, "Kelvoria", areas, count, writePositionValue);
}

// Pause only: a song that is not playing is not started.
void pauseWhatPlays()
{
    if (FSOUND_IsPlaying(0) || transportPaused())
        togglePause();
}

const DWORD LABEL_STYLE = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;        // 0x50000080
const DWORD SLIDER_STYLE = WS_CHILD | WS_VISIBLE | TBS_NOTICKS;       // 0x50000010

HWND createChild(HWND window, const char *className, const char *text, DWORD style, int x, int y,
                 int width, int height, int id)
{
    return CreateWindowExA(0, className, text, style, x, y, width, height, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), hInst, NULL);
}

// The position bar's class comes from the version 6 common controls that
// the manifest asks for; loading them is harmless when it is done already.
void loadBarClass()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

void drawTransport(transportChange change, void *);

void createMainWindow(HWND window, HDC &hdcBis, HBITMAP &hOldBmp, HWND &hTags, HWND &hStatus,
                      HWND &hSlider)
{
    startFrameTimer(window);
    keepSkinOnSurface(window, hBmp, hdcBis, hOldBmp);
    createAnalyser(window, hdcBis);
    loadBarClass();
    hTags = createChild(window, "STATIC", "", LABEL_STYLE, 35, 40, 344, 38, 0);
    hStatus = createChild(window, "STATIC", "Currently Idle", LABEL_STYLE, 35, 75, 339, 17, 0);
    // The bar shows no text: its text is the name screen readers give it.
    hSlider = createChild(window, TRACKBAR_CLASSA, "Position", SLIDER_STYLE, 22, 4, 410, 35, SLIDER_ID);
    controls = mainControls{hTags, hStatus, hSlider};
    transportAttach(window);
    listenToTransport(drawTransport, nullptr);
    describeMainAreas(window);
    followScale(window, mainWindow, hBmp);
}

// A song number outside the names table (only possible if something wrote
// one from outside) shows slot 0, the empty text.
const char *currentSongName()
{
    if (data.currentSong < 0 || data.currentSong >= NAME_SLOTS)
        return data.names[0];
    return data.names[data.currentSong];
}

void refreshSongDisplay(HWND hSlider, HWND hTags)
{
    SendMessageA(hSlider, TBM_SETRANGE, 0, MAKELPARAM(0, playing.length));
    SetWindowTextA(hTags, currentSongName());
}

int textWidth(HDC dc, const char *text)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    return size.cx;
}

// The label breaks its text between words: a line wider than the label puts
// the song number on a second line, which its one line of height never
// shows. The run of blanks before "n" gives way first, one blank at a time,
// measured in the label's own font (the system font, as none is set).
int blanksThatFit(HWND hStatus)
{
    HDC dc = GetDC(hStatus);
    if (!dc)
        return STATUS_BLANKS;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hStatus, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    RECT client = {0, 0, 0, 0};
    GetClientRect(hStatus, &client);
    char line[sizeof(statusLine)];
    int blanks = STATUS_BLANKS;
    for (; blanks > STATUS_MIN_BLANKS; --blanks) {
        formatStatusLine(line, sizeof(line), blanks);
        if (textWidth(dc, line) <= client.right)
            break;
    }
    SelectObject(dc, previous);
    ReleaseDC(hStatus, dc);
    return blanks;
}

void refreshStatusLine(HWND hStatus)
{
    formatStatusLine(statusLine, sizeof(statusLine), blanksThatFit(hStatus));
    if (!volumeLineShown() && !statusToldLately())
        SetWindowTextA(hStatus, statusLine);
}

// A status told (Stopped., Paused., a message) is shown at once, over the
// volume line too.
void showStatusLine(HWND hStatus)
{
    snprintf(statusLine, sizeof(statusLine), "%s", playing.statusText);
    SetWindowTextA(hStatus, statusLine);
}

void drawTransport(transportChange change, void *)
{
    switch (change) {
    case SONG_SHOWN:
        refreshSongDisplay(controls.slider, controls.tags);
        break;
    case PROGRESS_SHOWN:
        refreshStatusLine(controls.status);
        SendMessageA(controls.slider, TBM_SETPOS, 1, playing.position);
        break;
    case STATUS_SHOWN:
        showStatusLine(controls.status);
        break;
    }
}

void showPlaylistWindow()
{
    if (loaded)
        return;     // already shown: not raised either
    loaded = true;
    ShowWindow(hPlaylistDialog, SW_SHOW);
}

// The dialog record in its first form, which every Windows version takes
// (the SDK's size ends at its lpTemplateName field).
#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the 32-bit open dialog record is 76 bytes");
#endif

// Whether the selection, its ending empty text included, lies within the
// characters the dialog was told. A dialog that finds the selection too
// long may still return it, cut at that capacity (Wine's does): the cut
// list, whose last name may be a piece of a name, is not taken.
bool selectionFits(const char *selection, int size, int capacity)
{
    int used = 0;
    while (used < size && selection[used] != '\0') {
        const void *end = memchr(selection + used, '\0', size - used);
        if (!end)
            return false;
        used = static_cast<int>(static_cast<const char *>(end) - selection) + 1;
    }
    return used < size && used + 1 <= capacity;
}

// The dialog's selection: one full path, or a directory followed by file
// names, each NUL-terminated, ended by an empty text.
void openFiles(HWND window, bool &holding)
{
    char selection[OPEN_FILES_BUFFER];
    memset(selection, 0, sizeof(selection));
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = window;
    static char filter[256];
    if (!filter[0])
        musicFileFilter(filter, sizeof(filter));
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = selection;
    dialog.nMaxFile = OPEN_FILES_CAPACITY;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT;
    if (GetOpenFileNameA(&dialog) == 1 && selectionFits(selection, sizeof(selection), OPEN_FILES_CAPACITY))
        intakeSelection(selection);
    holding = false;
    repaintSkinNow(window, hBmp);
}

// The tray's tip names the song heard, and a screen reader hears the title.
void followSongList(songListChange change, void *context)
{
    if (change == SONG_HEARD_CHANGED || change == CURRENT_SONG_CHANGED) {
        refreshTrayTip(*static_cast<NOTIFYICONDATAA *>(context));
        HWND title = GetWindow(hwnd, GW_CHILD);     // the first child made
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, accessibleChildOf(hwnd, title));
    }
}

// A media key's command, sent as the areas send theirs; false for none.
bool sendCommand(HWND window, int command)
{
    if (!command)
        return false;
    SendMessageA(window, WM_COMMAND, command, 0);
    return true;
}

void runCommand(HWND window, int id, bool &holding, NOTIFYICONDATAA &TrayIcon)
{
    if (transportCommand(id))
        return;
    switch (id) {
    case CMD_SHOW_PLAYLIST: showPlaylistWindow(); break;
    case CMD_OPEN_FILES: openFiles(window, holding); break;
    case CMD_SHOW_SETTINGS: ShowWindow(hSettingsDialog, SW_SHOW); break;
    case CMD_SHOW_EQUALIZER: ShowWindow(hEqualizerDialog, SW_SHOW); break;
    case CMD_MINIMISE_TO_TRAY: minimiseToTray(window, TrayIcon); break;
    case CMD_QUIT: quitFromTray(window, TrayIcon); break;
    case CMD_RESTORE: restoreFromTray(window, TrayIcon); break;
    case CMD_PAUSE: pauseWhatPlays(); break;
    case CMD_ANALYSER_MODE: cycleAnalyserMode(window); break;
    case CMD_DOUBLE_SIZE: chooseDoubleSize(!doubleSizeChosen()); break;
    }
}

bool inHitArea(const hitArea &area, int x, int y)
{
    return inArea(x, y, area.left, area.right, area.top, area.bottom);
}

bool overAnyHitArea(HWND window, int dx, int dy)
{
    POINT at = skinPoint(window, POINT{dx, dy});
    int x = at.x, y = at.y;
    for (const hitArea &area : mainHitAreas)
        if (inHitArea(area, x, y))
            return true;
    return inAnalyserArea(x, y);
}

// Each area stands alone: every one that holds the point sends its effect.
void releaseOverHitAreas(HWND window, int dx, int dy)
{
    POINT at = skinPoint(window, POINT{dx, dy});
    int x = at.x, y = at.y;
    for (const hitArea &area : mainHitAreas)
        if (inHitArea(area, x, y))
            SendMessageA(window, area.message, area.id, 0);
    if (inAnalyserArea(x, y))
        SendMessageA(window, WM_COMMAND, CMD_ANALYSER_MODE, 0);
}

} // namespace

void formatStatusLine(char *text, int size, int blanks)
{
    snprintf(text, size, "Playing...  (%s)%*sn%s %d / %d", playing.progressText, blanks, "", degreeSign(),
             data.currentSong, data.songsNumber);
}

const char *statusLineText()
{
    return statusLine;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The transport keeps the stream `music` and the `paused` flag
    // (core/transport.h); everything else the window needs lives here.
    static bool holding;
    static NOTIFYICONDATAA TrayIcon;
    static RECT rc;
    static POINT lp;
    static int dx, dy;
    static HDC hdcBis;
    static HBITMAP hOldBmp;
    static HWND hTags, hStatus, hSlider;

    if (answerScaleMessage(window, message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_CREATE:
        createMainWindow(window, hdcBis, hOldBmp, hTags, hStatus, hSlider);
        listenToSongList(followSongList, &TrayIcon);
        return 0;
    case WM_DESTROY:    // also the close area's, sent to a window quit then destroys
        quit(window);
        destroyAnalyser(window);
        stopFollowingScale(window);
        releaseSkinSurface(hdcBis, hOldBmp, hBmp);
        return 0;
    case WM_CLOSE:
        quit(window);
        return 0;
    case WM_ERASEBKGND:
        eraseWithSkin(window, reinterpret_cast<HDC>(wParam), hdcBis, mainWindow);
        paintAnalyser(window, reinterpret_cast<HDC>(wParam));
        drawFocusMark(window, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_WINDOWPOSCHANGED:   // shown, hidden, minimised, moved or raised
    case WM_ACTIVATE:
        analyserWindowChanged(window);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focusMarkFollowsFocus(window);
        break;
    case WM_GETOBJECT: {
        LRESULT object = 0;
        if (answerGetObject(window, wParam, lParam, object))
            return object;
        break;
    }
    case MSG_TRAY_CALLBACK:
        answerTrayCallback(window, lParam);
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            quit(window);   // the process is ended as soon as this returns
        return 0;
    case MSG_SONG_HEARD:
        transportSongHeard();
        return 0;
    case WM_COMMAND:
        if (!volumeCommand(LOWORD(wParam), hStatus))
            runCommand(window, LOWORD(wParam), holding, TrayIcon);
        break;
    case WM_MOUSEWHEEL:
        sendWheelNotches(window, wParam);
        return 0;
    case WM_COPYDATA:
        return receiveHandOver(window, reinterpret_cast<const COPYDATASTRUCT *>(lParam)) ? TRUE : FALSE;
    case MSG_HAND_OVER:
        carryOutHandOvers(window);
        return 0;
    case WM_QUERYENDSESSION:
        keepPlace();    // the session may end without another word
        return TRUE;
    case WM_HOTKEY:
        sendCommand(window, commandOfHotKey(wParam));
        return 0;
    case WM_APPCOMMAND:
        if (sendCommand(window, commandOfAppCommand(lParam)))
            return TRUE;
        break;
    case WM_TIMER:
        if (wParam == SELECTION_TIMER) {
            carryOutDueSelections(window);
            return 0;
        }
        if (wParam == ANALYSER_TIMER) {
            analyserTick(window);
            return 0;
        }
        sampleCursorOffset(window, rc, lp, dx, dy);
        progressTick();
        volumeLineTick(hStatus);
        keepPlaceWhilePlaying();
        analyserFollow(window);
        return 0;
    case WM_HSCROLL:
        seekSong(static_cast<int>(SendMessageA(hSlider, TBM_GETPOS, 0, 0)));
        return 0;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            skinBehindChild(window, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), hdcBis));
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, mainWindow);
        if (overAnyHitArea(window, dx, dy))
            showHandCursor();
        return 0;
    case WM_LBUTTONUP:
        // Judged where the button came up, not where the last tick saw the
        // cursor: a click soon after the window appears, or after the cursor
        // jumped, would otherwise land on the area of an older position.
        sampleCursorOffset(window, rc, lp, dx, dy);
        releaseOverHitAreas(window, dx, dy);
        return 0;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return 0;
    case WM_RBUTTONUP:
        if (holding) {
            endDrag(holding);
            showArrowCursor();
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
