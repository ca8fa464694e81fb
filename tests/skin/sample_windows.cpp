#include "sample_windows.h"

#include "draw.h"
#include "frame.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

/* ---- In-memory dialog templates ------------------------------------- */

void pushText(std::vector<WORD> &t, const char *text)
{
    for (; *text; text++)
        t.push_back(static_cast<BYTE>(*text));
    t.push_back(0);
}

void alignToDword(std::vector<WORD> &t)
{
    if (t.size() % 2)
        t.push_back(0);
}

struct itemSpec {
    WORD atom;          // 0x80 button, 0x82 static
    int id;
    const char *text;
    DWORD style;
    short x, y, cx, cy;
};

std::vector<WORD> dialogTemplate(DWORD style, short cx, short cy, const char *font,
                                 const std::vector<itemSpec> &items)
{
    std::vector<WORD> t;
    DLGTEMPLATE head = {};
    head.style = style | (font ? DS_SETFONT : 0);
    head.cdit = static_cast<WORD>(items.size());
    head.x = 50;
    head.y = 50;
    head.cx = cx;
    head.cy = cy;
    const WORD *raw = reinterpret_cast<const WORD *>(&head);
    t.assign(raw, raw + sizeof(head) / 2);
    t.push_back(0);     // no menu
    t.push_back(0);     // default class
    t.push_back(0);     // empty title
    if (font) {
        t.push_back(8);
        pushText(t, font);
    }
    for (const itemSpec &item : items) {
        alignToDword(t);
        DLGITEMTEMPLATE it = {};
        it.style = item.style;
        it.x = item.x;
        it.y = item.y;
        it.cx = item.cx;
        it.cy = item.cy;
        it.id = static_cast<WORD>(item.id);
        const WORD *w = reinterpret_cast<const WORD *>(&it);
        t.insert(t.end(), w, w + sizeof(it) / 2);
        t.push_back(0xFFFF);
        t.push_back(item.atom);
        pushText(t, item.text);
        t.push_back(0);  // no creation data
    }
    return t;
}

const DWORD DIALOG_STYLE = WS_POPUP | WS_BORDER | WS_SYSMENU;

HWND dialogFrom(const std::vector<WORD> &t, HWND owner, DLGPROC proc)
{
    return CreateDialogIndirectParamA(GetModuleHandleA(NULL),
                                      reinterpret_cast<const DLGTEMPLATE *>(t.data()), owner, proc, 0);
}

void sendCommand(HWND window, int id, int &lastCommand)
{
    lastCommand = id;
    SendMessageA(window, WM_COMMAND, id, 0);
}

/* ---- The three dialog windows ----------------------------------------- */

// A dialog sample's frame statics, one set per window procedure.
struct dialogStatics {
    HBITMAP skin;
    bool skinLoaded;
    HRGN region;
    bool regionMade;
    bool holding;
    RECT rc;
    POINT lp;
    int dx, dy;
    int lastCommand;
};

struct areaSpec {
    int left, right, top, bottom;
    int command;        // sent on a left-button press inside
};

void loadFrame(dialogStatics &f, const skinnedWindow &table, frameView &view)
{
    view = {&f.holding, &f.rc, &f.lp, &f.dx, &f.dy, &f.lastCommand};
    loadSkinOnce(f.skin, f.skinLoaded, table);
    buildOutlineOnce(f.region, f.regionMade, f.skin, table.transparent);
}

// The frame's messages, as each tool window handles them; returns FALSE
// for a message that is not the frame's.
INT_PTR frameMessage(dialogStatics &f, const skinnedWindow &table, const areaSpec &area, HWND window,
                     UINT message)
{
    switch (message) {
    case WM_PAINT:
        paintSkin(window, f.skin);
        return TRUE;
    case WM_TIMER:
        sampleCursorOffset(window, f.rc, f.lp, f.dx, f.dy);
        return TRUE;
    case WM_MOUSEMOVE: {
        followDrag(window, f.holding, f.rc, f.lp, f.dx, f.dy, table);
        POINT at = cursorOffset(window, f.rc, f.lp);
        if (inArea(at.x, at.y, area.left, area.right, area.top, area.bottom))
            showHandCursor();
        return TRUE;
    }
    case WM_LBUTTONDOWN: {
        GetWindowRect(window, &f.rc);
        GetCursorPos(&f.lp);
        POINT at = cursorOffset(window, f.rc, f.lp);
        if (inArea(at.x, at.y, area.left, area.right, area.top, area.bottom))
            sendCommand(window, area.command, f.lastCommand);
        return TRUE;
    }
    case WM_RBUTTONDOWN:
        beginDrag(f.holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(f.holding);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK playlistSampleProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    static dialogStatics frame;
    static HBRUSH ListBrush;
    static HWND hPlaylist;
    loadFrame(frame, playlistWindow, playlistFrame);
    if (!ListBrush)
        ListBrush = CreateSolidBrush(0xAB4E17);

    switch (message) {
    case WM_INITDIALOG: {
        giveOutline(window, frame.region);
        hPlaylist = CreateWindowExA(0, "LISTBOX", "", 0x40300001, 19, 21, 315, 223, window,
                                    reinterpret_cast<HMENU>(10), GetModuleHandleA(NULL), NULL);
        const char *rows[] = {"\\Aurora Fields - Morning Tide.mp3", "Nightline - Glass Harbour",
                              "Vela Moss - Paper Lanterns", "\\field-recording-03.ogg",
                              "The Quiet Hours - Northbound"};
        for (const char *row : rows)
            SendMessageA(hPlaylist, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
        SendMessageA(hPlaylist, LB_SETCURSEL, 1, 0);
        ShowWindow(hPlaylist, SW_SHOW);
        startFrameTimer(window);
        return TRUE;
    }
    case WM_CTLCOLORLISTBOX:
        SetBkColor(reinterpret_cast<HDC>(wParam), 0xAB4E17);
        return reinterpret_cast<INT_PTR>(ListBrush);
    }
    return frameMessage(frame, playlistWindow, {324, 344, 9, 16, 14}, window, message);
}

INT_PTR CALLBACK settingsSampleProc(HWND window, UINT message, WPARAM, LPARAM)
{
    static dialogStatics frame;
    loadFrame(frame, settingsWindow, settingsFrame);
    switch (message) {
    case WM_INITDIALOG:
        giveOutline(window, frame.region);
        CheckDlgButton(window, 26, BST_CHECKED);
        CheckDlgButton(window, 28, BST_CHECKED);
        startFrameTimer(window);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    }
    return frameMessage(frame, settingsWindow, {322, 339, 69, 83, 2}, window, message);
}

INT_PTR CALLBACK searchSampleProc(HWND window, UINT message, WPARAM, LPARAM)
{
    static dialogStatics frame;
    loadFrame(frame, searchWindow, searchFrame);
    switch (message) {
    case WM_INITDIALOG: {
        // A window made anew at every opening gets a region of its own.
        giveOutline(window, outlineCopy(frame.region));
        startFrameTimer(window);
        const char *roots[] = {"C:\\", "D:\\"};
        for (int i = 0; i < 2; i++) {
            HWND box = CreateWindowExA(0, "BUTTON", roots[i], 0x40000003, 20, 100 + 20 * i, 40, 12,
                                       window, NULL, GetModuleHandleA(NULL), NULL);
            ShowWindow(box, SW_SHOW);
        }
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    }
    return frameMessage(frame, searchWindow, {211, 228, 40, 54, 2}, window, message);
}

/* ---- Main window ------------------------------------------------------------- */

HBITMAP mainSkin;

LRESULT CALLBACK mainSampleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;
    static int lastCommand;
    static HDC hdcBis;
    static HBITMAP hOldBmp;
    mainFrame = {&holding, &rc, &lp, &dx, &dy, &lastCommand};

    switch (message) {
    case WM_CREATE: {
        startFrameTimer(window);
        keepSkinOnSurface(window, mainSkin, hdcBis, hOldBmp);
        HINSTANCE instance = GetModuleHandleA(NULL);
        CreateWindowExA(0, "STATIC", "Aurora Fields - Morning Tide", 0x50000080, 35, 40, 344, 38, window,
                        NULL, instance, NULL);
        CreateWindowExA(0, "STATIC", "Playing...  (1:07 / 4:12)                            n\xB0 2 / 5",
                        0x50000080, 35, 75, 339, 17, window, NULL, instance, NULL);
        HWND slider = CreateWindowExA(0, TRACKBAR_CLASSA, "", 0x50000010, 22, 4, 410, 35, window,
                                      reinterpret_cast<HMENU>(25), instance, NULL);
        SendMessageA(slider, TBM_SETRANGE, 0, MAKELPARAM(0, 252));
        SendMessageA(slider, TBM_SETPOS, TRUE, 67);
        return 0;
    }
    case WM_ERASEBKGND:
        return eraseWithSkin(window, reinterpret_cast<HDC>(wParam), hdcBis, mainWindow);
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            skinBehindChild(window, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), hdcBis));
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        return 0;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, mainWindow);
        return 0;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return 0;
    case WM_RBUTTONUP:
        endDrag(holding);
        showArrowCursor();
        return 0;
    case WM_DESTROY:
        releaseSkinSurface(hdcBis, hOldBmp, mainSkin);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

frameView playlistFrame;
frameView settingsFrame;
frameView searchFrame;
frameView mainFrame;

void enterSkinFolder()
{
    SetCurrentDirectoryA(KELVORIA_SKIN_RUN_DIR);
}

HWND createMainSample(int x, int y)
{
    static bool registered;
    if (!registered) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_VREDRAW | CS_HREDRAW;
        wc.lpfnWndProc = mainSampleProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        wc.lpszClassName = "KelvoriaSkinSample";
        RegisterClassExA(&wc);
        registered = true;
    }
    mainSkin = loadSkin(mainWindow);
    HWND window = CreateWindowExA(0, "KelvoriaSkinSample", "Kelvoria_v1.0", 0x80000800, x, y, 600, 119, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    giveOutline(window, BmpToRgn(mainSkin, mainWindow.transparent));
    ShowWindow(window, SW_SHOW);
    return window;
}

HWND createPlaylistSample(HWND owner)
{
    static std::vector<WORD> t =
        dialogTemplate(DIALOG_STYLE, 353, 258, NULL, {});
    return dialogFrom(t, owner, playlistSampleProc);
}

HWND createSettingsSample(HWND owner)
{
    const DWORD check = 0x50010003;
    static std::vector<WORD> t = dialogTemplate(DIALOG_STYLE, 410, 250, NULL, {
        {0x80, 1, "Apply changes", 0x50010001, 30, 92, 60, 16},
        {0x80, -1, "Playing", 0x50020007, 20, 45, 82, 40},
        {0x80, 26, "Shuffle", check, 24, 54, 32, 12},
        {0x80, 30, "Restart when played", check, 24, 69, 75, 12},
        {0x80, -1, "At Startup", 0x50020007, 115, 65, 80, 70},
        {0x80, 28, "Launch", check, 119, 74, 32, 12},
        {0x80, 27, "Minimize", check, 119, 89, 39, 12},
        {0x80, 29, "Use current playlist", check, 119, 105, 74, 12},
        {0x80, 32, "This one !", 0x50010000, 125, 120, 40, 12},
    });
    return dialogFrom(t, owner, settingsSampleProc);
}

HWND createSearchSample(HWND owner)
{
    static std::vector<WORD> t = dialogTemplate(DIALOG_STYLE | 0x40, 250, 160, "Tahoma", {
        {0x82, -1, "Please select which disks/partitions you want to scan formusic files and then clik "
                   "\"Start\", or quit.", 0x50020000, 8, 25, 130, 30},
        {0x82, -1, "The search may take a while to detect and add the music files, depending of your hard "
                   "disks size, their speed and so on. \n\nSo, please wait.", 0x50020000, 120, 62, 70, 70},
        {0x80, -1, "Available partitions :", 0x50000007, 7, 50, 100, 99},
        {0x80, 1, "Start", 0x50010000, 21, 130, 70, 15},
    });
    return dialogFrom(t, owner, searchSampleProc);
}

void pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
