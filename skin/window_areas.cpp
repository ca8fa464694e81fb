// The areas of the skinned windows for the keyboard and screen readers.
#include "window_areas.h"

#include <ole2.h>
#include <oleacc.h>

#include <string.h>

namespace {

// IAccessible's interface id, written out: the import library's own symbol
// for it resolves to an import stub, not to the id.
const IID ACCESSIBLE_IID = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct describedWindow {
    HWND window;
    const char *name;
    const windowArea *areas;
    int count;
    sliderValueWriter sliderValue;
    int markedArea;     // the entry of a skin area that holds the mark, -1 for none
};

describedWindow described[WINDOW_AREAS_MAX];

describedWindow *describedFor(HWND window)
{
    if (!window)
        return nullptr;
    for (describedWindow &entry : described)
        if (entry.window == window)
            return &entry;
    return nullptr;
}

// One child of a window as the keyboard and screen readers see it: an entry
// of its table (a skin area, or a control it names), or another control.
struct part {
    int area;       // the entry, -1 for a control the table does not name
    HWND control;   // null for a skin area
};

const int PARTS_MAX = 64;

bool isSkinArea(const part &p)
{
    return !p.control;
}

bool alreadyListed(const part parts[], int count, HWND control)
{
    for (int i = 0; i < count; ++i)
        if (parts[i].control == control)
            return true;
    return false;
}

// The entries, then the other shown controls in their z-order.
int partsOf(const describedWindow &w, part parts[])
{
    int count = 0;
    for (int i = 0; i < w.count && count < PARTS_MAX; ++i) {
        const windowArea &area = w.areas[i];
        HWND control = area.controlId ? GetDlgItem(w.window, area.controlId) : NULL;
        if (!area.controlId || control)
            parts[count++] = part{i, control};
    }
    for (HWND child = GetWindow(w.window, GW_CHILD); child && count < PARTS_MAX;
         child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && !alreadyListed(parts, count, child))
            parts[count++] = part{-1, child};
    return count;
}

bool isTabStop(const part &p)
{
    if (isSkinArea(p))
        return true;
    if (!IsWindowVisible(p.control) || !IsWindowEnabled(p.control))
        return false;
    return p.area >= 0 || (GetWindowLongA(p.control, GWL_STYLE) & WS_TABSTOP);
}

// Window coordinates to the client coordinates the window paints in: the
// dialogs' border puts their client area one pixel in.
RECT clientRectOfArea(HWND window, const windowArea &area)
{
    RECT outer = {};
    GetWindowRect(window, &outer);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    int dx = origin.x - outer.left, dy = origin.y - outer.top;
    RECT place = {area.left - dx, area.top - dy, area.right + 1 - dx, area.bottom + 1 - dy};
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
    place = RECT{outer.left + area.left, outer.top + area.top, outer.left + area.right + 1,
                 outer.top + area.bottom + 1};
    return place;
}

void invalidateArea(HWND window, const describedWindow &w, int area)
{
    if (area < 0)
        return;
    RECT place = clientRectOfArea(window, w.areas[area]);
    InvalidateRect(window, &place, TRUE);
}

void setMark(describedWindow &w, int area)
{
    if (w.markedArea == area)
        return;
    invalidateArea(w.window, w, w.markedArea);
    w.markedArea = area;
    invalidateArea(w.window, w, area);
}

// Which part holds the focus now: the marked area while the window itself
// has the keyboard focus, or the control that has it.
int focusedPart(const describedWindow &w, const part parts[], int count)
{
    HWND focus = GetFocus();
    for (int i = 0; i < count; ++i) {
        if (isSkinArea(parts[i]) ? (focus == w.window && parts[i].area == w.markedArea)
                                 : parts[i].control == focus)
            return i;
    }
    return -1;
}

void focusPart(describedWindow &w, const part &p, LONG childId)
{
    if (isSkinArea(p)) {
        setMark(w, p.area);     // first: a dialog keeps its own focus while an area is marked
        if (GetFocus() != w.window)
            SetFocus(w.window);
        NotifyWinEvent(EVENT_OBJECT_FOCUS, w.window, OBJID_CLIENT, childId);
    } else {
        setMark(w, -1);
        SetFocus(p.control);
    }
}

void moveFocus(describedWindow &w, bool backwards)
{
    part parts[PARTS_MAX];
    int count = partsOf(w, parts);
    int current = focusedPart(w, parts, count);
    for (int step = 1; step <= count; ++step) {
        int next;
        if (current < 0)
            next = backwards ? count - step : step - 1;
        else
            next = (current + (backwards ? count - step : step)) % count;
        if (isTabStop(parts[next])) {
            focusPart(w, parts[next], next + 1);
            return;
        }
    }
}

void click(HWND window, const windowArea &area, bool post)
{
    if (post)
        PostMessageA(window, area.message, area.id, 0);
    else
        SendMessageA(window, area.message, area.id, 0);
}

bool shiftHeld()
{
    return GetKeyState(VK_SHIFT) < 0;
}

bool controlOrAltHeld()
{
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

/* ---- The accessible object ----------------------------------------------- */

BSTR wideText(const char *text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    if (length <= 0)
        return SysAllocString(L"");
    BSTR wide = SysAllocStringLen(NULL, length - 1);
    if (wide)
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, length);
    return wide;
}

bool classIs(HWND control, const char *name)
{
    char found[64] = "";
    GetClassNameA(control, found, sizeof(found));
    return lstrcmpiA(found, name) == 0;
}

LONG roleOfControl(HWND control)
{
    if (classIs(control, "Button")) {
        switch (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
            return ROLE_SYSTEM_CHECKBUTTON;
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
            return ROLE_SYSTEM_RADIOBUTTON;
        case BS_GROUPBOX:
            return ROLE_SYSTEM_GROUPING;
        default:
            return ROLE_SYSTEM_PUSHBUTTON;
        }
    }
    if (classIs(control, "ListBox"))
        return ROLE_SYSTEM_LIST;
    if (classIs(control, "Static"))
        return ROLE_SYSTEM_STATICTEXT;
    if (classIs(control, "msctls_trackbar32"))
        return ROLE_SYSTEM_SLIDER;
    return ROLE_SYSTEM_CLIENT;
}

const HRESULT GONE = static_cast<HRESULT>(0x80010108);    // RPC_E_DISCONNECTED: the window is no more

struct windowAccessible : IAccessible {
    LONG references = 1;
    HWND window;

    explicit windowAccessible(HWND w) : window(w) {}
    virtual ~windowAccessible() {}

    // The window's description and its parts as they stand now; false once
    // the window is gone.
    bool look(describedWindow *&w, part parts[], int &count)
    {
        w = IsWindow(window) ? describedFor(window) : nullptr;
        count = w ? partsOf(*w, parts) : 0;
        return w != nullptr;
    }

    // The part a VARIANT names: -1 for the window itself, -2 for none.
    static int partNamed(const VARIANT &child, int count)
    {
        if (child.vt != VT_I4)
            return -2;
        if (child.lVal == CHILDID_SELF)
            return -1;
        return child.lVal >= 1 && child.lVal <= count ? static_cast<int>(child.lVal - 1) : -2;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, ACCESSIBLE_IID)) {
            *object = static_cast<IAccessible *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override
    {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!IsWindow(window))
            return GONE;
        return CreateStdAccessibleObject(window, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void **>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long *children) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!children)
            return E_POINTER;
        if (!look(w, parts, count))
            return GONE;
        *children = count;
        return S_OK;
    }

    // Every child is a simple element of this object.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch **child) override
    {
        if (!child)
            return E_POINTER;
        *child = nullptr;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!name)
            return E_POINTER;
        *name = nullptr;
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which == -2)
            return E_INVALIDARG;
        if (which == -1) {
            *name = wideText(w->name);
            return S_OK;
        }
        const part &p = parts[which];
        if (p.area >= 0 && w->areas[p.area].name) {
            *name = wideText(w->areas[p.area].name);
            return S_OK;
        }
        char text[512] = "";
        GetWindowTextA(p.control, text, sizeof(text));
        *name = wideText(text);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!value)
            return E_POINTER;
        *value = nullptr;
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which == -2)
            return E_INVALIDARG;
        if (which < 0 || isSkinArea(parts[which]) || !w->sliderValue ||
            roleOfControl(parts[which].control) != ROLE_SYSTEM_SLIDER)
            return S_FALSE;
        char text[64] = "";
        w->sliderValue(text, sizeof(text));
        *value = wideText(text);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR *description) override
    {
        if (description)
            *description = nullptr;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!role)
            return E_POINTER;
        VariantInit(role);
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which == -2)
            return E_INVALIDARG;
        role->vt = VT_I4;
        if (which == -1)
            role->lVal = ROLE_SYSTEM_CLIENT;
        else if (isSkinArea(parts[which]))
            role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        else
            role->lVal = roleOfControl(parts[which].control);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!state)
            return E_POINTER;
        VariantInit(state);
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which == -2)
            return E_INVALIDARG;
        long flags = 0;
        HWND focus = GetFocus();
        if (which == -1) {
            flags = STATE_SYSTEM_FOCUSABLE | (focus == window ? STATE_SYSTEM_FOCUSED : 0);
        } else if (isSkinArea(parts[which])) {
            flags = STATE_SYSTEM_FOCUSABLE;
            if (focus == window && w->markedArea == parts[which].area)
                flags |= STATE_SYSTEM_FOCUSED;
        } else {
            HWND control = parts[which].control;
            if (!IsWindowEnabled(control))
                flags |= STATE_SYSTEM_UNAVAILABLE;
            if (isTabStop(parts[which]))
                flags |= STATE_SYSTEM_FOCUSABLE;
            if (focus == control)
                flags |= STATE_SYSTEM_FOCUSED;
            if (roleOfControl(control) == ROLE_SYSTEM_CHECKBUTTON &&
                SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                flags |= STATE_SYSTEM_CHECKED;
        }
        if (!IsWindowVisible(window))
            flags |= STATE_SYSTEM_INVISIBLE;
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR *help) override
    {
        if (help)
            *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT, long *topic) override
    {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR *shortcut) override
    {
        if (shortcut)
            *shortcut = nullptr;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *child) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!child)
            return E_POINTER;
        VariantInit(child);
        if (!look(w, parts, count))
            return GONE;
        int focused = focusedPart(*w, parts, count);
        if (focused < 0 && GetFocus() != window)
            return S_FALSE;
        child->vt = VT_I4;
        child->lVal = focused < 0 ? CHILDID_SELF : focused + 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *children) override
    {
        if (children)
            VariantInit(children);
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!action)
            return E_POINTER;
        *action = nullptr;
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which < 0 || !isSkinArea(parts[which]))
            return S_FALSE;
        *action = SysAllocString(L"Press");
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which < 0 || !(flags & SELFLAG_TAKEFOCUS))
            return E_INVALIDARG;
        focusPart(*w, parts[which], which + 1);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT child) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!left || !top || !width || !height)
            return E_POINTER;
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which == -2)
            return E_INVALIDARG;
        RECT place = {};
        if (which == -1) {
            GetClientRect(window, &place);
            MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT *>(&place), 2);
        } else {
            place = screenRectOf(*w, parts[which]);
        }
        *left = place.left;
        *top = place.top;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT *end) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!end)
            return E_POINTER;
        VariantInit(end);
        if (!look(w, parts, count))
            return GONE;
        int from = partNamed(start, count), to = -2;
        if (from == -2)
            return E_INVALIDARG;
        switch (direction) {
        case NAVDIR_FIRSTCHILD: to = from == -1 && count ? 0 : -2; break;
        case NAVDIR_LASTCHILD: to = from == -1 && count ? count - 1 : -2; break;
        case NAVDIR_NEXT: case NAVDIR_DOWN: case NAVDIR_RIGHT: to = from >= 0 && from + 1 < count ? from + 1 : -2; break;
        case NAVDIR_PREVIOUS: case NAVDIR_UP: case NAVDIR_LEFT: to = from >= 1 ? from - 1 : -2; break;
        }
        if (to < 0)
            return S_FALSE;
        end->vt = VT_I4;
        end->lVal = to + 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *child) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!child)
            return E_POINTER;
        VariantInit(child);
        if (!look(w, parts, count))
            return GONE;
        POINT at = {x, y};
        for (int i = 0; i < count; ++i) {
            RECT place = screenRectOf(*w, parts[i]);
            if (PtInRect(&place, at)) {
                child->vt = VT_I4;
                child->lVal = i + 1;
                return S_OK;
            }
        }
        RECT whole = {};
        GetWindowRect(window, &whole);
        if (!PtInRect(&whole, at))
            return S_FALSE;
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    }

    // Posted, not sent: a click may open a modal dialog, and the caller,
    // another program, should not wait for the user to close it.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        describedWindow *w;
        part parts[PARTS_MAX];
        int count;
        if (!look(w, parts, count))
            return GONE;
        int which = partNamed(child, count);
        if (which < 0 || !isSkinArea(parts[which]))
            return DISP_E_MEMBERNOTFOUND;
        click(window, w->areas[parts[which].area], true);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};

} // namespace

void describeWindowAreas(HWND window, const char *windowName, const windowArea *areas, int count,
                         sliderValueWriter sliderValue)
{
    describedWindow *slot = describedFor(window);
    for (describedWindow &entry : described)
        if (!slot && (!entry.window || !IsWindow(entry.window)))
            slot = &entry;
    if (slot)
        *slot = describedWindow{window, windowName, areas, count, sliderValue, -1};
}

void forgetWindowAreas(HWND window)
{
    describedWindow *w = describedFor(window);
    if (w)
        *w = describedWindow{};
}

HWND describedWindowOf(HWND window)
{
    if (describedFor(window))
        return window;
    HWND root = window ? GetAncestor(window, GA_ROOT) : NULL;
    return describedFor(root) ? root : NULL;
}

bool useAreaKey(const MSG &msg)
{
    if (msg.message != WM_KEYDOWN)
        return false;
    describedWindow *w = describedFor(describedWindowOf(msg.hwnd));
    if (!w || controlOrAltHeld())
        return false;
    if (msg.wParam == VK_TAB) {
        moveFocus(*w, shiftHeld());
        return true;
    }
    if ((msg.wParam == VK_RETURN || msg.wParam == VK_SPACE) && msg.hwnd == w->window && w->markedArea >= 0 &&
        GetFocus() == w->window) {
        click(w->window, w->areas[w->markedArea], false);
        return true;
    }
    return false;
}

bool areaMarked(HWND window)
{
    describedWindow *w = describedFor(window);
    return w && w->markedArea >= 0;
}

void drawFocusMark(HWND window, HDC dc)
{
    describedWindow *w = describedFor(window);
    if (!w || w->markedArea < 0 || GetFocus() != window)
        return;
    RECT place = clientRectOfArea(window, w->areas[w->markedArea]);
    DrawFocusRect(dc, &place);
    InflateRect(&place, -1, -1);    // twice as thick, to show on a busy skin
    DrawFocusRect(dc, &place);
}

void focusMarkFollowsFocus(HWND window)
{
    describedWindow *w = describedFor(window);
    if (w)
        invalidateArea(window, *w, w->markedArea);
}

LONG accessibleChildOf(HWND window, HWND control)
{
    describedWindow *w = describedFor(window);
    if (!w)
        return 0;
    part parts[PARTS_MAX];
    int count = partsOf(*w, parts);
    for (int i = 0; i < count; ++i)
        if (parts[i].control == control)
            return i + 1;
    return 0;
}

bool answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !describedFor(window))
        return false;
    static bool comStarted;
    if (!comStarted)    // the object is handed to the asking program through COM
        comStarted = SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED));
    windowAccessible *object = new windowAccessible(window);
    result = LresultFromObject(ACCESSIBLE_IID, wParam, object);
    object->Release();
    return true;
}

INT_PTR answerDialogGetObject(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!answerGetObject(window, wParam, lParam, result))
        return FALSE;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool answerDialogAreaMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR &result)
{
    switch (message) {
    case WM_SETFOCUS:       // a marked area keeps the focus on the window itself
        focusMarkFollowsFocus(window);
        result = areaMarked(window) ? TRUE : FALSE;
        return true;
    case WM_KILLFOCUS:
        focusMarkFollowsFocus(window);
        result = FALSE;
        return true;
    case WM_GETOBJECT:
        result = answerDialogGetObject(window, wParam, lParam);
        return true;
    }
    return false;
}
