// The keyboard's mark on the described windows: which skin area holds it,
// its dotted outline, and Tab, Shift+Tab, Enter and Space over the parts.
#include "focus_mark.h"
#include "window_scale.h"

#include "described_windows.h"

namespace {

struct mark {
    HWND window;
    int area;       // the entry of the marked skin area, -1 for none
};

mark marks[WINDOW_AREAS_MAX];

mark *markOf(HWND window)
{
    for (mark &m : marks)
        if (window && m.window == window)
            return &m;
    return nullptr;
}

// A window's mark, made in a place no described window holds any more.
mark *markMadeFor(HWND window)
{
    if (mark *m = markOf(window))
        return m;
    for (mark &m : marks)
        if (!m.window || !describedFor(m.window)) {
            m = mark{window, -1};
            return &m;
        }
    return nullptr;
}

void invalidateArea(const describedWindow &w, int area)
{
    if (area < 0 || area >= w.count)
        return;
    RECT place = clientRectOfArea(w.window, w.areas[area]);
    InvalidateRect(w.window, &place, TRUE);
}

void setMark(const describedWindow &w, int area)
{
    mark *m = markMadeFor(w.window);
    if (!m || m->area == area)
        return;
    invalidateArea(w, m->area);
    m->area = area;
    invalidateArea(w, area);
}

void moveFocus(const windowParts &parts, bool backwards)
{
    int count = parts.count;
    int current = focusedPart(parts);
    for (int step = 1; step <= count; ++step) {
        int next;
        if (current < 0)
            next = backwards ? count - step : step - 1;
        else
            next = (current + (backwards ? count - step : step)) % count;
        if (isTabStop(parts.list[next])) {
            focusPart(parts, next);
            return;
        }
    }
}

bool shiftHeld()
{
    return GetKeyState(VK_SHIFT) < 0;
}

bool controlOrAltHeld()
{
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

} // namespace

int markedArea(HWND window)
{
    const mark *m = markOf(window);
    return m && describedFor(window) ? m->area : -1;
}

int focusedPart(const windowParts &parts)
{
    if (!parts.described)
        return -1;
    HWND window = parts.described->window, focus = GetFocus();
    int marked = markedArea(window);
    for (int i = 0; i < parts.count; ++i) {
        const part &p = parts.list[i];
        // The edit field inside an editable drop-down list is that list's.
        if (isSkinArea(p) ? (focus == window && p.area == marked)
                          : (p.control == focus || (focus && IsChild(p.control, focus))))
            return i;
    }
    return -1;
}

void focusPart(const windowParts &parts, int index)
{
    const describedWindow &w = *parts.described;
    const part &p = parts.list[index];
    if (isSkinArea(p)) {
        setMark(w, p.area);     // first: a dialog keeps its own focus while an area is marked
        if (GetFocus() != w.window)
            SetFocus(w.window);
        NotifyWinEvent(EVENT_OBJECT_FOCUS, w.window, OBJID_CLIENT, childOfPart(index));
    } else {
        setMark(w, -1);
        SetFocus(p.control);
    }
}

void forgetFocusMark(HWND window)
{
    if (mark *m = markOf(window))
        *m = mark{NULL, -1};
}

bool useAreaKey(const MSG &msg)
{
    if (msg.message != WM_KEYDOWN)
        return false;
    windowParts parts;
    if (!partsOfWindow(describedWindowOf(msg.hwnd), parts) || controlOrAltHeld())
        return false;
    const describedWindow &w = *parts.described;
    if (msg.wParam == VK_TAB) {
        moveFocus(parts, shiftHeld());
        return true;
    }
    int marked = markedArea(w.window);
    if ((msg.wParam == VK_RETURN || msg.wParam == VK_SPACE) && msg.hwnd == w.window && marked >= 0 &&
        GetFocus() == w.window) {
        clickArea(w.window, w.areas[marked], false);
        return true;
    }
    return false;
}

bool areaMarked(HWND window)
{
    return markedArea(window) >= 0;
}

void drawFocusMark(HWND window, HDC dc)
{
    const describedWindow *w = describedFor(window);
    int marked = markedArea(window);
    if (!w || marked < 0 || GetFocus() != window)
        return;
    RECT place = clientRectOfArea(window, w->areas[marked]);
    // Two pixels thick, to show on a busy skin, at the window's scale.
    for (int ring = 0; ring < 2 * windowScale(window); ring++) {
        DrawFocusRect(dc, &place);
        InflateRect(&place, -1, -1);
    }
}

void focusMarkFollowsFocus(HWND window)
{
    const describedWindow *w = describedFor(window);
    if (w)
        invalidateArea(*w, markedArea(window));
}
