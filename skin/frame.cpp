#include "frame.h"

#include <windowsx.h>

#include <stdio.h>
#include <string.h>

#include "draw.h"
#include "focus_mark.h"
#include "window_scale.h"

const skinnedWindow mainWindow = {"Skins/Skin.bmp", 0x000000, 600, 119};
const skinnedWindow playlistWindow = {"Skins/Playlist2.bmp", 0x000000, 353, 295};
const skinnedWindow settingsWindow = {"Skins/Settings.bmp", 0x4F4F4F, 540, 295};
const skinnedWindow searchWindow = {"Skins/Search.bmp", 0x4F4F4F, 350, 255};
const skinnedWindow equalizerWindow = {"Skins/Equalizer.bmp", 0x000000, 353, 160};

/* ---- Skin and outline ---------------------------------------------- */

namespace {

const LONG MAX_SKIN_SIDE = 8192;

struct bitmapFileHeaders {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;      /* a core header's fields are moved in here */
};

/* The headers of a bitmap file and the file's size; false when it cannot
 * be read or is too short to hold them. The two headers lie unaligned in
 * the file, so they are read as bytes and copied out. */
bool readBitmapHeaders(const char *path, bitmapFileHeaders &headers, LONGLONG &fileSize)
{
    const DWORD fileHeaderBytes = sizeof(BITMAPFILEHEADER);
    BYTE bytes[sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)] = {};
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    DWORD got = 0;
    bool read = GetFileSizeEx(file, &size) && ReadFile(file, bytes, sizeof(bytes), &got, NULL);
    CloseHandle(file);
    fileSize = size.QuadPart;
    if (!read || got < fileHeaderBytes + sizeof(BITMAPCOREHEADER))
        return false;
    memcpy(&headers.file, bytes, fileHeaderBytes);
    memcpy(&headers.info, bytes + fileHeaderBytes, got - fileHeaderBytes);
    if (headers.info.biSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        memcpy(&core, bytes + fileHeaderBytes, sizeof(core));
        headers.info.biWidth = core.bcWidth;
        headers.info.biHeight = core.bcHeight;
        headers.info.biPlanes = core.bcPlanes;
        headers.info.biBitCount = core.bcBitCount;
        headers.info.biCompression = BI_RGB;
        return true;
    }
    /* Every later header begins with the fields of BITMAPINFOHEADER. */
    switch (headers.info.biSize) {
    case sizeof(BITMAPINFOHEADER): case 52: case 56: case sizeof(BITMAPV4HEADER): case sizeof(BITMAPV5HEADER):
        return got == sizeof(bytes);
    default:
        return false;
    }
}

bool knownPixelFormat(const BITMAPINFOHEADER &info)
{
    switch (info.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        return false;
    }
    return info.biPlanes == 1 && (info.biCompression == BI_RGB || info.biCompression == BI_BITFIELDS ||
                                  info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4);
}

/* The bytes the header promises after the pixel offset: every row of an
 * uncompressed picture, the stated size of a compressed one. */
LONGLONG promisedPixelBytes(const BITMAPINFOHEADER &info)
{
    if (info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4)
        return info.biSizeImage ? info.biSizeImage : -1;
    LONGLONG height = info.biHeight < 0 ? -static_cast<LONGLONG>(info.biHeight) : info.biHeight;
    LONGLONG stride = (static_cast<LONGLONG>(info.biWidth) * info.biBitCount + 31) / 32 * 4;
    return stride * height;
}

/* Whether a skin file can be handed to LoadImageA. That call takes a file
 * cut short and fills the missing rows with black, which the outline then
 * cuts away along with the areas on it; and a header may claim any size.
 * So only a file that holds every row its header promises, of a face at
 * least as large as its window, is used: anything else leaves the window
 * a plain, usable rectangle. */
bool isWholeSkinFile(const char *path, const skinnedWindow &table)
{
    bitmapFileHeaders headers = {};
    LONGLONG fileSize = 0;
    if (!readBitmapHeaders(path, headers, fileSize))
        return false;
    const BITMAPINFOHEADER &info = headers.info;
    LONG height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    if (headers.file.bfType != 0x4D42 || !knownPixelFormat(info))
        return false;
    if (info.biWidth < table.width || height < table.height || info.biWidth > MAX_SKIN_SIDE ||
        height > MAX_SKIN_SIDE)
        return false;
    LONGLONG pixels = promisedPixelBytes(info);
    LONGLONG pixelOffset = headers.file.bfOffBits;
    return pixelOffset >= static_cast<LONGLONG>(sizeof(BITMAPFILEHEADER) + info.biSize) && pixels > 0 &&
           pixelOffset + pixels <= fileSize;
}

HBITMAP loadSkinFile(const char *path, const skinnedWindow &table)
{
    if (!isWholeSkinFile(path, table))
        return NULL;
    return static_cast<HBITMAP>(LoadImageA(NULL, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

/* `relativePath` below the folder that holds the program file, in `path`
 * (of `size` bytes). False when the program's path or the result does not
 * fit: a cut path would name some other file. */
bool besideProgram(const char *relativePath, char *path, int size)
{
    char program[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(NULL, program, sizeof(program));
    if (length == 0 || length >= sizeof(program))
        return false;
    char *lastBackslash = strrchr(program, '\\');
    if (!lastBackslash)
        return false;
    lastBackslash[1] = '\0';
    int needed = snprintf(path, size, "%s%s", program, relativePath);
    return needed > 0 && needed < size;
}

}  // namespace

HBITMAP loadSkin(const skinnedWindow &table)
{
    /* Both places are named in full: given a relative name, LoadImageA may
     * search the program's folder before the current directory (Wine does),
     * and the current directory must come first. */
    char path[2 * MAX_PATH];
    DWORD length = GetFullPathNameA(table.skinFile, sizeof(path), path, NULL);
    if (length > 0 && length < sizeof(path)) {
        HBITMAP skin = loadSkinFile(path, table);
        if (skin)
            return skin;
    }
    /* Started at log-on, the program gets a current directory that is not
     * its own, and would show no face without the skins beside it. */
    if (!besideProgram(table.skinFile, path, sizeof(path)))
        return NULL;
    return loadSkinFile(path, table);
}

void loadSkinOnce(HBITMAP &skin, bool &loadedOnce, const skinnedWindow &table)
{
    if (loadedOnce)
        return;
    loadedOnce = true;
    skin = loadSkin(table);
}

void buildOutlineOnce(HRGN &region, bool &builtOnce, HBITMAP skin, unsigned long transparent)
{
    if (builtOnce)
        return;
    builtOnce = true;
    region = BmpToRgn(skin, transparent);
}

void giveOutline(HWND window, HRGN region)
{
    SetWindowRgn(window, region, TRUE);
}

HRGN outlineCopy(HRGN region)
{
    if (!region)
        return NULL;
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, region, NULL, RGN_COPY);
    return copy;
}

namespace {

// The windows whose timer 0 runs: four in the player (main, playlist,
// settings and, while open, search), a few more in the tests.
HWND ticking[FRAME_TIMERS_MAX];

void forgetTicking(HWND window)
{
    for (HWND &slot : ticking)
        if (slot == window)
            slot = NULL;
}

// Keeps the window in the table, after dropping windows destroyed since.
// A full table leaves the window out: it still ticks, on a phase of its own.
void rememberTicking(HWND window)
{
    HWND *empty = NULL;
    for (HWND &slot : ticking) {
        if (slot && !IsWindow(slot))
            slot = NULL;
        if (slot == window)
            return;
        if (!slot && !empty)
            empty = &slot;
    }
    if (empty)
        *empty = window;
}

} // namespace

void startFrameTimer(HWND window)
{
    rememberTicking(window);
    SetTimer(window, 0, 0, NULL);
    for (HWND other : ticking)
        if (other && other != window)
            SetTimer(other, 0, 0, NULL);
}

void stopFrameTimer(HWND window)
{
    forgetTicking(window);
    KillTimer(window, 0);
}

/* ---- Painting ------------------------------------------------------- */

namespace {

SIZE bitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    SIZE size = {0, 0};
    if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
        size.cx = info.bmWidth;
        size.cy = info.bmHeight;
    }
    return size;
}

}  // namespace

/* Where the client area starts inside the window: (1, 1) for the dialogs,
 * whose templates carry WS_BORDER, (0, 0) for the main window. */
POINT clientOrigin(HWND window)
{
    RECT outer = {};
    GetWindowRect(window, &outer);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    origin.x -= outer.left;
    origin.y -= outer.top;
    return origin;
}

void keepSkinOnSurface(HWND window, HBITMAP skin, HDC &hdcBis, HBITMAP &hOldBmp)
{
    HDC windowDc = GetDC(window);
    hdcBis = CreateCompatibleDC(windowDc);
    hOldBmp = static_cast<HBITMAP>(SelectObject(hdcBis, skin));
    ReleaseDC(window, windowDc);
}

void copyAtScale(HDC target, int x, int y, int width, int height, HDC source, int fromX, int fromY, int scale)
{
    if (scale == 1) {
        BitBlt(target, x, y, width, height, source, fromX, fromY, SRCCOPY);
        return;
    }
    int previous = SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, x, y, width * scale, height * scale, source, fromX, fromY, width, height, SRCCOPY);
    SetStretchBltMode(target, previous);
}

LRESULT eraseWithSkin(HWND window, HDC target, HDC hdcBis, const skinnedWindow &table)
{
    copyAtScale(target, 0, 0, table.width, table.height, hdcBis, 0, 0, windowScale(window));
    return 1;
}

HBRUSH skinBehindChild(HWND window, HDC childDc, HWND child, HDC hdcBis)
{
    SetBkMode(childDc, TRANSPARENT);
    SetTextColor(childDc, RGB(255, 255, 255));
    RECT client = {};
    GetClientRect(child, &client);
    RECT placed = {};
    GetWindowRect(child, &placed);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT *>(&placed), 2);
    int scale = windowScale(window);
    POINT from = skinPoint(window, POINT{placed.left, placed.top});
    copyAtScale(childDc, from.x * scale - placed.left, from.y * scale - placed.top, (client.right + scale - 1) / scale + 1,
                (client.bottom + scale - 1) / scale + 1, hdcBis, from.x, from.y, scale);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void releaseSkinSurface(HDC &hdcBis, HBITMAP &hOldBmp, HBITMAP &skin)
{
    if (hdcBis)
        SelectObject(hdcBis, hOldBmp);
    hOldBmp = NULL;
    if (hdcBis)
        DeleteDC(hdcBis);
    hdcBis = NULL;
    if (skin)
        DeleteObject(skin);
    skin = NULL;
}

void paintSkin(HWND window, HBITMAP skin)
{
    HDC memory = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(memory, skin);
    SIZE size = bitmapSize(skin);
    /* The outline and the hit areas are in window coordinates; painting in
     * client coordinates would shift the picture by the border against its
     * own outline and show a line of the key colour along the top and left
     * edges. So skin pixel (x, y) goes to window pixel (x, y). */
    POINT origin = clientOrigin(window);
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    copyAtScale(target, -origin.x, -origin.y, size.cx, size.cy, memory, 0, 0, windowScale(window));
    drawFocusMark(window, target);
    EndPaint(window, &paint);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void repaintSkinNow(HWND window, HBITMAP skin)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ALLCHILDREN);
    paintSkin(window, skin);
}

HBRUSH whiteControlBrush()
{
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

/* ---- Dragging and cursors --------------------------------------------- */

void sampleCursorOffset(HWND window, RECT &rc, POINT &lp, int &dx, int &dy)
{
    // The cursor where it stood when this tick left the queue: the same as
    // asking for it afresh, without a round trip to the window system at
    // every tick of every window (under Wine, the dearest part of a tick).
    GetWindowRect(window, &rc);
    DWORD at = GetMessagePos();
    lp.x = GET_X_LPARAM(at);
    lp.y = GET_Y_LPARAM(at);
    dx = lp.x - rc.left;
    dy = lp.y - rc.top;
}

void beginDrag(bool &holding)
{
    holding = true;
    showDragCursor();
}

void followDrag(HWND window, bool holding, RECT &rc, POINT &lp, int dx, int dy,
                const skinnedWindow &table)
{
    GetWindowRect(window, &rc);
    GetCursorPos(&lp);
    if (!holding)
        return;
    showDragCursor();
    SetWindowPos(window, NULL, lp.x - dx, lp.y - dy, scaledBy(window, table.width), scaledBy(window, table.height),
                 SWP_SHOWWINDOW);
}

void endDrag(bool &holding)
{
    holding = false;
}

POINT cursorOffset(HWND window, const RECT &rc, const POINT &lp)
{
    POINT at = {lp.x - rc.left, lp.y - rc.top};
    return skinPoint(window, at);
}

POINT readCursorInWindow(HWND window, RECT &rc, POINT &lp)
{
    GetWindowRect(window, &rc);
    GetCursorPos(&lp);
    return cursorOffset(window, rc, lp);
}

bool inArea(int x, int y, int left, int right, int top, int bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

void showArrowCursor()
{
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

void showDragCursor()
{
    SetCursor(LoadCursorA(NULL, IDC_SIZEALL));
}

void showHandCursor()
{
    SetCursor(LoadCursorA(NULL, IDC_HAND));
}
