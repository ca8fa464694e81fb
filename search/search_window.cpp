#include "search_window.h"

#include "disk_scan.h"
#include "frame.h"
#include "globals.h"
#include "messages.h"
#include "songlist.h"
#include "window_areas.h"

#include <stdio.h>
#include <string.h>

namespace {

const int MESSAGE_SIZE = 128;
// WS_CHILD | BS_AUTOCHECKBOX, shown after creation; Tab reaches each.
const DWORD DRIVE_BOX_STYLE = 0x40000003 | WS_TABSTOP;

// The skin's one area; Start and the drive boxes follow with their own names.
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

bool inCloseArea(POINT at)
{
    return inArea(at.x, at.y, 211, 228, 40, 54);
}

// One drive: `temp` becomes its pattern, the count is raised to the first
// free slot for the walk, and the scan appends, tags and refills the
// playlist window. Nothing paints while it runs, so the wait cursor says
// the program is busy. A root too long for `temp` (never one the system
// gives) is not scanned: a cut pattern would name another folder.
void scanDrive(const char *root, char temp[VOLUME_SIZE])
{
    int length = snprintf(temp, VOLUME_SIZE, "%s*.*", root);
    if (length < 0 || length >= VOLUME_SIZE)
        return;
    ++data.songsNumber;
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    searchDiskForMF(temp, &data, hPlaylistDialog);
    showArrowCursor();
}

// The total so far, after each drive; the next drive waits for the user.
void tellDriveDone(const char *root)
{
    char message[MESSAGE_SIZE];
    memset(message, 0, sizeof(message));
    snprintf(message, sizeof(message), "Scan of \"%s\" finished : %d total songs found.", root, data.songsNumber);
    MessageBoxA(NULL, message, "Done :", MB_ICONINFORMATION);
}

// Start: the list is emptied, then every ticked drive is scanned in the
// table's order, and the window ends.
void runScan(HWND window, const char volumes[][VOLUME_SIZE], int volumesNumber, const HWND partitions[],
             char temp[VOLUME_SIZE])
{
    SendMessageA(hPlaylistDialog, WM_COMMAND, PLAYLIST_CMD_CLEAR, 0);
    for (int row = 0; row < volumesNumber; ++row) {
        if (SendMessageA(partitions[row], BM_GETCHECK, 0, 0) != BST_CHECKED)
            continue;
        scanDrive(volumes[row], temp);
        tellDriveDone(volumes[row]);
    }
    EndDialog(window, 0);
}

} // namespace

INT_PTR CALLBACK SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static char volumes[VOLUME_ROWS][VOLUME_SIZE];
    static int volumesNumber;
    static HWND partitions[VOLUME_ROWS];
    static char temp[VOLUME_SIZE];
    static HBITMAP ScanhBmp;
    static bool ScanhBmpLoaded;
    static HRGN ScanRegion;
    static bool ScanRegionMade;
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;
    static bool scanning;

    loadSkinOnce(ScanhBmp, ScanhBmpLoaded, searchWindow);
    buildOutlineOnce(ScanRegion, ScanRegionMade, ScanhBmp, searchWindow.transparent);

    switch (message) {
    case WM_INITDIALOG:
        volumesNumber = queryVolumes(volumes);
        // The window is made anew at every opening and destroys the region
        // it is given when it closes: each opening gets a copy of its own.
        giveOutline(window, outlineCopy(ScanRegion));
        startFrameTimer(window);
        createDriveBoxes(window, volumes, volumesNumber, partitions);
        describeWindowAreas(window, "Search", accessibleAreas, 1);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    case WM_PAINT:
        paintSkin(window, ScanhBmp);
        return TRUE;
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        return TRUE;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        return TRUE;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, searchWindow);
        if (inCloseArea(cursorOffset(rc, lp)))
            showHandCursor();
        return TRUE;
    case WM_LBUTTONDOWN:
        if (inCloseArea(readCursorInWindow(window, rc, lp)))
            SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    case WM_DESTROY:
        forgetWindowAreas(window);
        return FALSE;
    case WM_SETFOCUS:       // a marked area keeps the focus on the window itself
        focusMarkFollowsFocus(window);
        return areaMarked(window) ? TRUE : FALSE;
    case WM_KILLFOCUS:
        focusMarkFollowsFocus(window);
        return FALSE;
    case WM_GETOBJECT:
        return answerDialogGetObject(window, wParam, lParam);
    case WM_COMMAND:
        // The "Done :" boxes have no owner, so this window still takes
        // clicks while one is shown: a second Start there would empty the
        // list under the run and scan into it again. It is ignored.
        if (LOWORD(wParam) == IDOK && !scanning) {
            scanning = true;
            runScan(window, volumes, volumesNumber, partitions, temp);
            scanning = false;
        }
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}
