// The table of described windows and their parts.
#include "window_areas.h"

#include "described_windows.h"
#include "focus_mark.h"
#include "window_scale.h"

namespace {

describedWindow described[WINDOW_AREAS_MAX];

bool alreadyListed(const windowParts &parts, HWND control)
{
    for (int i = 0; i < parts.count; ++i)
        if (parts.list[i].control == control)
            return true;
    return false;
}

} // namespace

const describedWindow *describedFor(HWND window)
{
    if (!window)
        return nullptr;
    for (const describedWindow &entry : described)
        if (entry.window == window)
            return &entry;
    return nullptr;
}

bool partsOfWindow(HWND window, windowParts &parts)
{
    parts.count = 0;
    parts.described = IsWindow(window) ? describedFor(window) : nullptr;
    const describedWindow *w = parts.described;
    if (!w)
        return false;
    for (int i = 0; i < w->count && parts.count < PARTS_MAX; ++i) {
        const windowArea &area = w->areas[i];
        HWND control = area.controlId ? GetDlgItem(w->window, area.controlId) : NULL;
        if (!area.controlId || control)
            parts.list[parts.count++] = part{i, control};
    }
    for (HWND child = GetWindow(w->window, GW_CHILD); child && parts.count < PARTS_MAX;
         child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && !alreadyListed(parts, child))
            parts.list[parts.count++] = part{-1, child};
    return true;
}

int partOfChild(const windowParts &parts, LONG childId)
{
    if (childId == CHILDID_SELF)
        return PART_WINDOW;
    return childId >= 1 && childId <= parts.count ? static_cast<int>(childId - 1) : PART_NONE;
}

LONG childOfPart(int index)
{
    return index + 1;
}

bool isSkinArea(const part &p)
{
    return !p.control;
}

bool isTabStop(const part &p)
{
    if (isSkinArea(p))
        return true;
    if (!IsWindowVisible(p.control) || !IsWindowEnabled(p.control))
        return false;
    return p.area >= 0 || (GetWindowLongA(p.control, GWL_STYLE) & WS_TABSTOP);
}

// The dialogs' border puts their client area one pixel in.
RECT clientRectOfArea(HWND window, const windowArea &area)
{
    RECT outer = {};
    GetWindowRect(window, &outer);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    int dx = origin.x - outer.left, dy = origin.y - outer.top;
    int n = windowScale(window);
    RECT place = {area.left * n - dx, area.top * n - dy, (area.right + 1) * n - dx, (area.bottom + 1) * n - dy};
    return place;
}

RECT screenRectOf(const describedWindow &w, const part &p)
{
    RECT place = {};
    if (!isSkinArea(p)) {
        GetWindowRect(p.control, &place);
        return place;
    }
    RECT outer = {};
    GetWindowRect(w.window, &outer);
    const windowArea &area = w.areas[p.area];
    int n = windowScale(w.window);
    place = RECT{outer.left + area.left * n, outer.top + area.top * n, outer.left + (area.right + 1) * n,
                 outer.top + (area.bottom + 1) * n};
    return place;
}

void clickArea(HWND window, const windowArea &area, bool post)
{
    if (post)
        PostMessageA(window, area.message, area.id, 0);
    else
        SendMessageA(window, area.message, area.id, 0);
}

void describeWindowAreas(HWND window, const char *windowName, const windowArea *areas, int count,
                         sliderValueWriter sliderValue)
{
    describedWindow *slot = nullptr;
    for (describedWindow &entry : described)
        if (entry.window == window)
            slot = &entry;
    for (describedWindow &entry : described)
        if (!slot && (!entry.window || !IsWindow(entry.window)))
            slot = &entry;
    if (!slot)
        return;
    forgetFocusMark(slot->window);
    forgetFocusMark(window);
    *slot = describedWindow{window, windowName, areas, count, sliderValue};
}

void forgetWindowAreas(HWND window)
{
    for (describedWindow &entry : described)
        if (window && entry.window == window) {
            forgetFocusMark(window);
            entry = describedWindow{};
        }
}

HWND describedWindowOf(HWND window)
{
    if (describedFor(window))
        return window;
    HWND root = window ? GetAncestor(window, GA_ROOT) : NULL;
    return describedFor(root) ? root : NULL;
}

LONG accessibleChildOf(HWND window, HWND control)
{
    windowParts parts;
    if (!control || !partsOfWindow(window, parts))
        return 0;
    for (int i = 0; i < parts.count; ++i)
        if (parts.list[i].control == control)
            return childOfPart(i);
    return 0;
}
