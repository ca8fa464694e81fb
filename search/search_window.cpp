#include "search_window.h"

#include "background_scan.h"
#include "disk_scan.h"
#include "frame.h"
#include "window_scale.h"
#include "globals.h"
#include "messages.h"
#include "song_events.h"
#include "songlist.h"
#include "text.h"
#include "accessible_areas.h"
#include "window_areas.h"

#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

namespace {

// WS_CHILD | BS_AUTOCHECKBOX, shown after creation; Tab reaches each.
const DWORD DRIVE_BOX_STYLE = 0x40000003 | WS_TABSTOP;
const int SEARCH_CANCEL = 3;
const int SEARCH_FOLDER = 4;
const int CHOSEN_FOLDER_LABEL = 5;
const int WALKED_FOLDER_LABEL = 6;
const int COUNTS_LABEL = 7;
const int PROGRESS_STEPS = 1000;
// Progress is shown, and songs found are announced, this often: the list
// then shows them arriving without being rebuilt for every batch.
const ULONGLONG SHOW_EVERY_MS = 200;

// The ticked drives in the table's order, then the chosen folder; the one
// walked is `next`. Active from Start to the last "Done :" box or Cancel.
struct scanRun {
    char roots[VOLUME_ROWS + 1][PATH_SIZE];
    int rootCount;
    int next;
    bool active;
    bool songsUnannounced;
    ULONGLONG lastShown;
    HWND progressBar;
};

// The skin's one area; Start, the drive boxes and the scan's controls
// follow with their own names.
const windowArea accessibleAreas[] = {
    {"Close", 211, 228, 40, 54, WM_COMMAND, IDCANCEL, 0},
};

// One unticked box per fixed drive, labelled with its root, in the order of
// the table; pixels, not dialog units, and the dialog's font is not given
// to them.
void createDriveBoxes(HWND window, const char volumes[][VOLUME_SIZE], int volumesNumber, HWND partitions[])
{
    for (int row = 0; row < volumesNumber; ++row) {
        partitions[row] = CreateWindowExA(0, "BUTTON", volumes[row], DRIVE_BOX_STYLE, 20, 100 + 20 * row, 40, 12,
                                          window, NULL, hInst, NULL);
        ShowWindow(partitions[row], SW_SHOW);
    }
}

// Under the counts, as wide as the labels; made here since its class comes
// from the common controls, loaded on demand.
HWND createProgressBar(HWND window)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RECT place = {112, 128, 195, 133};
    MapDialogRect(window, &place);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, window, NULL, hInst, NULL);
    SendMessageA(bar, PBM_SETRANGE32, 0, PROGRESS_STEPS);
    return bar;
}

bool inCloseArea(POINT at)
{
    return inArea(at.x, at.y, 211, 228, 40, 54);
}

void announceFound(scanRun &run)
{
    if (!run.songsUnannounced)
        return;
    run.songsUnannounced = false;
    announceSongList(SONGS_ADDED);
}

// Where the total is known (a drive's used space) the bar fills with what
// was walked; for a folder it only says that the walk goes on.
void showProgressBar(HWND bar, const walkProgress &progress)
{
    bool known = progress.usedBytes > 0;
    LONG style = GetWindowLongA(bar, GWL_STYLE);
    bool moving = (style & PBS_MARQUEE) != 0;
    if (moving == known) {
        SetWindowLongA(bar, GWL_STYLE, known ? style & ~PBS_MARQUEE : style | PBS_MARQUEE);
        SendMessageA(bar, PBM_SETMARQUEE, !known, 50);
    }
    if (known) {
        unsigned long long walked = progress.walkedBytes < progress.usedBytes ? progress.walkedBytes : progress.usedBytes;
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(walked * PROGRESS_STEPS / progress.usedBytes), 0);
    }
}

void showProgress(HWND window, const scanRun &run)
{
    walkProgress progress = currentWalkProgress();
    char counts[80];
    snprintf(counts, sizeof(counts), "%d folders\n%d music files", progress.folders, progress.musicFiles);
    SetDlgItemTextA(window, WALKED_FOLDER_LABEL, progress.folder);
    SetDlgItemTextA(window, COUNTS_LABEL, counts);
    showProgressBar(run.progressBar, progress);
}

// Cancel acts while a walk runs. Start stays usable: pressed then, it
// says why it does nothing.
void showWalking(HWND window, bool walking)
{
    EnableWindow(GetDlgItem(window, SEARCH_CANCEL), walking);
}

// The total so far, after each root; the next waits for the user.
void tellRootDone(const char *root)
{
    char message[PATH_SIZE + 64];
    snprintf(message, sizeof(message), "Scan of \"%s\" finished : %d total songs found.", root, data.songsNumber);
    MessageBoxA(NULL, message, "Done :", MB_ICONINFORMATION);
}

// The next root's walk starts, or the run ends the window. A root that
// cannot be walked (a chosen folder too long to name) is told done at once.
void walkNextRoot(HWND window, scanRun &run)
{
    while (run.active && run.next < run.rootCount) {
        if (startWalk(window, run.roots[run.next])) {
            showWalking(window, true);
            showProgress(window, run);
            return;
        }
        tellRootDone(run.roots[run.next++]);
    }
    if (run.active) {
        run.active = false;
        EndDialog(window, 0);
    }
}

// The walk of a root ended by itself: its last songs go in and are shown,
// and its box tells the total. Cancel or closing during the box ends the
// run there.
void rootWalked(HWND window, scanRun &run, WPARAM walk)
{
    if (!isRunningWalk(walk))
        return;     // a cancelled walk's late word
    finishWalk();
    run.songsUnannounced = true;
    announceFound(run);
    showProgress(window, run);
    showWalking(window, false);
    tellRootDone(run.roots[run.next]);
    ++run.next;
    walkNextRoot(window, run);
}

void stopRun(HWND window, scanRun &run)
{
    if (walkRunning()) {
        cancelWalk();
        run.songsUnannounced = true;
        showProgress(window, run);
    }
    announceFound(run);
    run.active = false;
    showWalking(window, false);
}

void addRoot(scanRun &run, const char *root)
{
    copyText(run.roots[run.rootCount++], PATH_SIZE, root);
}

// Start: the list is emptied, then every ticked drive and the chosen
// folder are walked in turn. A second Start while a run goes on is refused.
void startRun(HWND window, scanRun &run, const char volumes[][VOLUME_SIZE], int volumesNumber,
              const HWND partitions[], const char *chosenFolder)
{
    if (run.active) {
        MessageBoxA(NULL, "A scan is already running. Cancel it, or wait for its end, before starting another.",
                    "Scan running", MB_ICONWARNING);
        return;
    }
    run.rootCount = run.next = 0;
    for (int row = 0; row < volumesNumber; ++row)
        if (SendMessageA(partitions[row], BM_GETCHECK, 0, 0) == BST_CHECKED)
            addRoot(run, volumes[row]);
    if (chosenFolder[0])
        addRoot(run, chosenFolder);
    SendMessageA(hPlaylistDialog, WM_COMMAND, PLAYLIST_CMD_CLEAR, 0);
    run.active = true;
    walkNextRoot(window, run);
}

// The shell's folder dialog; the folder chosen is walked after the drives.
void chooseFolder(HWND window, char *chosenFolder)
{
    BROWSEINFOA browse;
    memset(&browse, 0, sizeof(browse));
    char shown[MAX_PATH] = "";
    browse.hwndOwner = window;
    browse.pszDisplayName = shown;
    browse.lpszTitle = "Choose a folder to scan for music files:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen)
        return;
    char path[MAX_PATH] = "";
    if (SHGetPathFromIDListA(chosen, path) && strlen(path) < PATH_SIZE) {
        copyText(chosenFolder, PATH_SIZE, path);
        SetDlgItemTextA(window, CHOSEN_FOLDER_LABEL, chosenFolder);
    }
    CoTaskMemFree(chosen);
}

// Every tick samples the cursor; a few times a second the progress is
// shown and the songs found since are announced.
void tick(HWND window, scanRun &run)
{
    if (GetTickCount64() - run.lastShown < SHOW_EVERY_MS)
        return;
    run.lastShown = GetTickCount64();
    announceFound(run);
    if (walkRunning())
        showProgress(window, run);
}

} // namespace

INT_PTR CALLBACK SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static char volumes[VOLUME_ROWS][VOLUME_SIZE];
    static int volumesNumber;
    static HWND partitions[VOLUME_ROWS];
    static char chosenFolder[PATH_SIZE];
    static scanRun run;
    static HBITMAP ScanhBmp;
    static bool ScanhBmpLoaded;
    static HRGN ScanRegion;
    static bool ScanRegionMade;
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;

    loadSkinOnce(ScanhBmp, ScanhBmpLoaded, searchWindow);
    buildOutlineOnce(ScanRegion, ScanRegionMade, ScanhBmp, searchWindow.transparent);

    INT_PTR answered;
    if (answerDialogAreaMessage(window, message, wParam, lParam, answered))
        return answered;
    if (answerScaleMessage(window, message, wParam, lParam))
        return TRUE;

    switch (message) {
    case WM_INITDIALOG:
        adoptTemplateLayout(window);
        volumesNumber = queryVolumes(volumes);
        // The window is made anew at every opening and destroys the region
        // it is given when it closes: each opening gets a copy of its own.
        giveOutline(window, outlineCopy(ScanRegion));
        startFrameTimer(window);
        createDriveBoxes(window, volumes, volumesNumber, partitions);
        chosenFolder[0] = '\0';
        run.active = false;
        run.progressBar = createProgressBar(window);
        describeWindowAreas(window, "Search", accessibleAreas, 1);
        followScale(window, searchWindow, ScanhBmp);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    case WM_PAINT:
        paintSkin(window, ScanhBmp);
        return TRUE;
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        tick(window, run);
        return TRUE;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        return TRUE;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, searchWindow);
        if (inCloseArea(cursorOffset(window, rc, lp)))
            showHandCursor();
        return TRUE;
    case WM_LBUTTONDOWN:
        if (inCloseArea(readCursorInWindow(window, rc, lp)))
            SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    case MSG_SCAN_FOUND:
        if (takeFoundSongs() > 0)
            run.songsUnannounced = true;
        return TRUE;
    case MSG_SCAN_WALKED:
        rootWalked(window, run, wParam);
        return TRUE;
    case WM_DESTROY:
        stopFollowingScale(window);
        // Closing, by the close area, Escape or the player's end, cancels
        // the run; what was found stays listed.
        stopRun(window, run);
        forgetWindowAreas(window);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: startRun(window, run, volumes, volumesNumber, partitions, chosenFolder); break;
        case SEARCH_CANCEL: stopRun(window, run); break;
        case SEARCH_FOLDER: chooseFolder(window, chosenFolder); break;
        case IDCANCEL:
            stopRun(window, run);
            EndDialog(window, 0);
            break;
        }
        return TRUE;
    }
    return FALSE;
}
