#include "window_scale.h"

#include "draw.h"
#include "scale_choice.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

const int WINDOWS_MAX = 8;
const int FONTS_MAX = 6;
const int LISTENERS_MAX = 4;

/* A window that follows the scale. Its children keep no record of their
 * own: a child's place at scale 1 is its place now divided by the scale,
 * and its font is found among the ones made here, or is one the system
 * made at the system's DPI. */
struct followedWindow {
    HWND window;
    const skinnedWindow *table;
    HBITMAP skin;
    int scale;
    LOGFONTA baseFonts[FONTS_MAX];      /* at 96 DPI */
    HFONT fonts[FONTS_MAX];             /* the same at the current scale */
    int fontCount;
};

followedWindow followed[WINDOWS_MAX];
bool doubled;

struct listenerEntry {
    doubleSizeListener listener;
    void *context;
} listeners[LISTENERS_MAX];

followedWindow *recordOf(HWND window)
{
    for (followedWindow &f : followed)
        if (f.window == window && window)
            return &f;
    return nullptr;
}

void forget(followedWindow &f)
{
    for (int i = 0; i < f.fontCount; i++)
        if (f.fonts[i])
            DeleteObject(f.fonts[i]);
    f = followedWindow{};
}

followedWindow *freeRecord()
{
    for (followedWindow &f : followed)
        if (f.window && !IsWindow(f.window))
            forget(f);
    for (followedWindow &f : followed)
        if (!f.window)
            return &f;
    return nullptr;
}

unsigned screenDpi()
{
    HDC screen = GetDC(NULL);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(NULL, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96;
}

/* The child's rectangle in its parent's client coordinates; a combo box's
 * with its drop-down list, the height it was made with. */
RECT placeOfChild(HWND parent, HWND child)
{
    RECT place = {};
    char className[16] = "";
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "COMBOBOX") != 0 ||
        !SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&place)))
        GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&place), 2);
    return place;
}

int fontRow(followedWindow &f, HWND child, unsigned dpi)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
    for (int i = 0; i < f.fontCount; i++)
        if (f.fonts[i] == font)
            return i;
    LOGFONTA made = {};
    if (!GetObjectA(font ? font : GetStockObject(SYSTEM_FONT), sizeof(made), &made))
        return -1;
    made.lfHeight = MulDiv(made.lfHeight, 96, dpi);
    made.lfWidth = MulDiv(made.lfWidth, 96, dpi);
    for (int i = 0; i < f.fontCount; i++)
        if (memcmp(&f.baseFonts[i], &made, sizeof(made)) == 0)
            return i;
    if (f.fontCount == FONTS_MAX)
        return -1;
    f.baseFonts[f.fontCount] = made;
    f.fonts[f.fontCount] = NULL;
    return f.fontCount++;
}

void makeFonts(followedWindow &f, HFONT (&previous)[FONTS_MAX], int scale)
{
    for (int i = 0; i < f.fontCount; i++) {
        previous[i] = f.fonts[i];
        LOGFONTA at = f.baseFonts[i];
        at.lfHeight *= scale;
        at.lfWidth *= scale;
        f.fonts[i] = CreateFontIndirectA(&at);
    }
}

/* Every child at `scale` times its place at scale 1, with its font. */
void placeChildren(followedWindow &f, int scale)
{
    HWND window = f.window;
    POINT origin = clientOrigin(window);
    // The system made the children's fonts at its own DPI.
    unsigned systemDpi = screenDpi();
    const int CHILDREN_MAX = 64;    // twice what the equalizer, the most, has
    int rows[CHILDREN_MAX];
    HWND children[CHILDREN_MAX];
    int count = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child && count < CHILDREN_MAX;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children[count] = child;
        rows[count++] = fontRow(f, child, systemDpi);
    }
    HFONT previous[FONTS_MAX] = {};
    makeFonts(f, previous, scale);
    for (int i = 0; i < count; i++) {
        RECT place = placeOfChild(window, children[i]);
        int left = (place.left + origin.x) / f.scale * scale - origin.x;
        int top = (place.top + origin.y) / f.scale * scale - origin.y;
        int width = (place.right - place.left) * scale / f.scale;
        int height = (place.bottom - place.top) * scale / f.scale;
        if (rows[i] >= 0 && f.fonts[rows[i]])
            SendMessageA(children[i], WM_SETFONT, reinterpret_cast<WPARAM>(f.fonts[rows[i]]), FALSE);
        SetWindowPos(children[i], NULL, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (HFONT font : previous)
        if (font)
            DeleteObject(font);
}

/* A window grown past the edge of its monitor's work area is moved back
 * inside, so that none of its areas is out of reach. */
POINT insideWorkArea(POINT topLeft, int width, int height)
{
    RECT wanted = {topLeft.x, topLeft.y, topLeft.x + width, topLeft.y + height};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor))
        return topLeft;
    const RECT &work = monitor.rcWork;
    if (wanted.right > work.right)
        topLeft.x -= wanted.right - work.right;
    if (wanted.bottom > work.bottom)
        topLeft.y -= wanted.bottom - work.bottom;
    if (topLeft.x < work.left)
        topLeft.x = work.left;
    if (topLeft.y < work.top)
        topLeft.y = work.top;
    return topLeft;
}

void scaleTo(followedWindow &f, int scale, POINT topLeft)
{
    if (scale == f.scale)
        return;
    placeChildren(f, scale);
    f.scale = scale;
    const skinnedWindow &table = *f.table;
    topLeft = insideWorkArea(topLeft, table.width * scale, table.height * scale);
    SetWindowPos(f.window, NULL, topLeft.x, topLeft.y, table.width * scale, table.height * scale,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (f.skin)
        SetWindowRgn(f.window, BmpToRgnAtScale(f.skin, table.transparent, scale), TRUE);
    RedrawWindow(f.window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

POINT topLeftOf(HWND window)
{
    RECT place = {};
    GetWindowRect(window, &place);
    POINT at = {place.left, place.top};
    return at;
}

/* A dialog under per-monitor awareness is laid out again by the system when
 * its DPI changes; these windows lay themselves out. */
void keepSystemFromRelayout(HWND dialog)
{
    typedef BOOL(WINAPI * setBehaviour)(HWND, int, int);
    const int DDC_DISABLE_ALL = 1;
    HMODULE user = GetModuleHandleA("user32.dll");
    setBehaviour set = user ? reinterpret_cast<setBehaviour>(
                                  reinterpret_cast<void *>(GetProcAddress(user, "SetDialogDpiChangeBehavior")))
                            : nullptr;
    if (set)
        set(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

} // namespace

unsigned windowDpi(HWND window)
{
    typedef UINT(WINAPI * dpiForWindow)(HWND);
    static dpiForWindow ask = reinterpret_cast<dpiForWindow>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    UINT dpi = ask && window ? ask(window) : 0;
    return dpi ? dpi : screenDpi();
}

int windowScale(HWND window)
{
    followedWindow *f = recordOf(window);
    return f && f->scale > 0 ? f->scale : 1;
}

int scaledBy(HWND window, int value)
{
    return value * windowScale(window);
}

POINT skinPoint(HWND window, POINT windowPixel)
{
    int scale = windowScale(window);
    // Floor, so that the pixels left of or above the window stay outside.
    POINT at = {windowPixel.x >= 0 ? windowPixel.x / scale : (windowPixel.x - scale + 1) / scale,
                windowPixel.y >= 0 ? windowPixel.y / scale : (windowPixel.y - scale + 1) / scale};
    return at;
}

namespace {

/* The pixels of 4 horizontal and 8 vertical dialog units at 96 DPI, given
 * those at `dpi` in `now`. Across the width they grow with the DPI; down
 * the height they follow the font's cell, which does not (the system picks
 * another face at another DPI, with its own leading), so that is measured
 * on the dialog's font made at the height it has at 96 DPI. */
SIZE dialogUnitsAt96(HWND dialog, unsigned dpi, const RECT &now)
{
    SIZE units = {0, 0};
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA look = {};
    if (!GetObjectA(font ? font : GetStockObject(SYSTEM_FONT), sizeof(look), &look))
        return units;
    look.lfHeight = MulDiv(look.lfHeight, 96, dpi);
    look.lfWidth = MulDiv(look.lfWidth, 96, dpi);
    HFONT at96 = CreateFontIndirectA(&look);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(dc, at96);
    TEXTMETRICA metrics = {};
    if (GetTextMetricsA(dc, &metrics)) {
        units.cx = MulDiv(now.right, 96, dpi);
        units.cy = metrics.tmHeight;
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(at96);
    return units;
}

int toUnits(int value, LONG at96, LONG now)
{
    return now > 0 ? MulDiv(value, at96, now) : value;
}

}  // namespace

void adoptTemplateLayout(HWND dialog)
{
    unsigned dpi = windowDpi(dialog);
    if (dpi == 96)
        return;
    RECT now = {0, 0, 4, 8};
    if (!MapDialogRect(dialog, &now))
        return;
    SIZE at96 = dialogUnitsAt96(dialog, dpi, now);
    if (at96.cx <= 0 || at96.cy <= 0)
        return;
    POINT origin = clientOrigin(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place = placeOfChild(dialog, child);
        int left = toUnits(place.left + origin.x, at96.cx, now.right) - origin.x;
        int top = toUnits(place.top + origin.y, at96.cy, now.bottom) - origin.y;
        SetWindowPos(child, NULL, left, top, toUnits(place.right - place.left, at96.cx, now.right),
                     toUnits(place.bottom - place.top, at96.cy, now.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void followScale(HWND window, const skinnedWindow &table, HBITMAP skin)
{
    followedWindow *f = recordOf(window);
    if (!f) {
        f = freeRecord();
        if (!f)
            return;
        *f = followedWindow{window, &table, skin, 1, {}, {}, 0};
        keepSystemFromRelayout(window);
    }
    scaleTo(*f, chooseScale(windowDpi(window), doubled), topLeftOf(window));
}

void stopFollowingScale(HWND window)
{
    followedWindow *f = recordOf(window);
    if (f)
        forget(*f);
}

bool answerScaleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_DPICHANGED)
        return false;
    followedWindow *f = recordOf(window);
    if (!f)
        return true;
    const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
    int scale = chooseScale(HIWORD(wParam), doubled);
    RECT now = {};
    GetWindowRect(window, &now);
    POINT cursor = {};
    POINT topLeft = {suggested ? suggested->left : now.left, suggested ? suggested->top : now.top};
    if (GetCursorPos(&cursor) && PtInRect(&now, cursor)) {
        POINT from = {now.left, now.top};
        topLeft = placeKeepingCursor(from, cursor, f->scale, scale);
    }
    scaleTo(*f, scale, topLeft);
    return true;
}

bool doubleSizeChosen()
{
    return doubled;
}

void chooseDoubleSize(bool on)
{
    if (on == doubled)
        return;
    doubled = on;
    for (followedWindow &f : followed)
        if (f.window && IsWindow(f.window))
            scaleTo(f, chooseScale(windowDpi(f.window), doubled), topLeftOf(f.window));
    for (const listenerEntry &e : listeners)
        if (e.listener)
            e.listener(doubled, e.context);
}

void listenToDoubleSize(doubleSizeListener listener, void *context)
{
    for (listenerEntry &e : listeners) {
        if (e.listener == listener && e.context == context)
            return;
        if (!e.listener) {
            e = listenerEntry{listener, context};
            return;
        }
    }
}
