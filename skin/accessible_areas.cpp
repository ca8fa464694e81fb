// The accessible object of a described window: IAccessible over its parts.
#include "accessible_areas.h"

#include "described_windows.h"
#include "focus_mark.h"

#include <ole2.h>
#include <oleacc.h>

namespace {

// IAccessible's interface id, written out: the import library's own symbol
// for it resolves to an import stub, not to the id.
const IID ACCESSIBLE_IID = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

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

    // The part a VARIANT names: PART_WINDOW, PART_NONE or its index.
    static int partNamed(const windowParts &parts, const VARIANT &child)
    {
        return child.vt == VT_I4 ? partOfChild(parts, child.lVal) : PART_NONE;
    }

    static void setChild(VARIANT &child, int index)
    {
        child.vt = VT_I4;
        child.lVal = index == PART_WINDOW ? CHILDID_SELF : childOfPart(index);
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
        windowParts parts;
        if (!children)
            return E_POINTER;
        if (!partsOfWindow(window, parts))
            return GONE;
        *children = parts.count;
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
        windowParts parts;
        if (!name)
            return E_POINTER;
        *name = nullptr;
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which == PART_NONE)
            return E_INVALIDARG;
        if (which == PART_WINDOW) {
            *name = wideText(parts.described->name);
            return S_OK;
        }
        const part &p = parts.list[which];
        if (p.area >= 0 && parts.described->areas[p.area].name) {
            *name = wideText(parts.described->areas[p.area].name);
            return S_OK;
        }
        char text[512] = "";
        GetWindowTextA(p.control, text, sizeof(text));
        *name = wideText(text);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override
    {
        windowParts parts;
        if (!value)
            return E_POINTER;
        *value = nullptr;
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which == PART_NONE)
            return E_INVALIDARG;
        if (which < 0 || isSkinArea(parts.list[which]) || !parts.described->sliderValue ||
            roleOfControl(parts.list[which].control) != ROLE_SYSTEM_SLIDER)
            return S_FALSE;
        char text[64] = "";
        parts.described->sliderValue(parts.list[which].control, text, sizeof(text));
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
        windowParts parts;
        if (!role)
            return E_POINTER;
        VariantInit(role);
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which == PART_NONE)
            return E_INVALIDARG;
        role->vt = VT_I4;
        if (which == PART_WINDOW)
            role->lVal = ROLE_SYSTEM_CLIENT;
        else if (isSkinArea(parts.list[which]))
            role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        else
            role->lVal = roleOfControl(parts.list[which].control);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override
    {
        windowParts parts;
        if (!state)
            return E_POINTER;
        VariantInit(state);
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which == PART_NONE)
            return E_INVALIDARG;
        long flags = 0;
        HWND focus = GetFocus();
        if (which == PART_WINDOW) {
            flags = STATE_SYSTEM_FOCUSABLE | (focus == window ? STATE_SYSTEM_FOCUSED : 0);
        } else if (isSkinArea(parts.list[which])) {
            flags = STATE_SYSTEM_FOCUSABLE;
            if (focus == window && markedArea(window) == parts.list[which].area)
                flags |= STATE_SYSTEM_FOCUSED;
        } else {
            HWND control = parts.list[which].control;
            if (!IsWindowEnabled(control))
                flags |= STATE_SYSTEM_UNAVAILABLE;
            if (isTabStop(parts.list[which]))
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
        windowParts parts;
        if (!child)
            return E_POINTER;
        VariantInit(child);
        if (!partsOfWindow(window, parts))
            return GONE;
        int focused = focusedPart(parts);
        if (focused < 0 && GetFocus() != window)
            return S_FALSE;
        setChild(*child, focused < 0 ? PART_WINDOW : focused);
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
        windowParts parts;
        if (!action)
            return E_POINTER;
        *action = nullptr;
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which < 0 || !isSkinArea(parts.list[which]))
            return S_FALSE;
        *action = SysAllocString(L"Press");
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        windowParts parts;
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which < 0 || !(flags & SELFLAG_TAKEFOCUS))
            return E_INVALIDARG;
        focusPart(parts, which);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT child) override
    {
        windowParts parts;
        if (!left || !top || !width || !height)
            return E_POINTER;
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which == PART_NONE)
            return E_INVALIDARG;
        RECT place = {};
        if (which == PART_WINDOW) {
            GetClientRect(window, &place);
            MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT *>(&place), 2);
        } else {
            place = screenRectOf(*parts.described, parts.list[which]);
        }
        *left = place.left;
        *top = place.top;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT *end) override
    {
        windowParts parts;
        if (!end)
            return E_POINTER;
        VariantInit(end);
        if (!partsOfWindow(window, parts))
            return GONE;
        int from = partNamed(parts, start), to = PART_NONE;
        if (from == PART_NONE)
            return E_INVALIDARG;
        int count = parts.count;
        switch (direction) {
        case NAVDIR_FIRSTCHILD: to = from == PART_WINDOW && count ? 0 : PART_NONE; break;
        case NAVDIR_LASTCHILD: to = from == PART_WINDOW && count ? count - 1 : PART_NONE; break;
        case NAVDIR_NEXT: case NAVDIR_DOWN: case NAVDIR_RIGHT: to = from >= 0 && from + 1 < count ? from + 1 : PART_NONE; break;
        case NAVDIR_PREVIOUS: case NAVDIR_UP: case NAVDIR_LEFT: to = from >= 1 ? from - 1 : PART_NONE; break;
        }
        if (to < 0)
            return S_FALSE;
        setChild(*end, to);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *child) override
    {
        windowParts parts;
        if (!child)
            return E_POINTER;
        VariantInit(child);
        if (!partsOfWindow(window, parts))
            return GONE;
        POINT at = {x, y};
        for (int i = 0; i < parts.count; ++i) {
            RECT place = screenRectOf(*parts.described, parts.list[i]);
            if (PtInRect(&place, at)) {
                setChild(*child, i);
                return S_OK;
            }
        }
        RECT whole = {};
        GetWindowRect(window, &whole);
        if (!PtInRect(&whole, at))
            return S_FALSE;
        setChild(*child, PART_WINDOW);
        return S_OK;
    }

    // Posted, not sent: a click may open a modal dialog, and the caller,
    // another program, should not wait for the user to close it.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        windowParts parts;
        if (!partsOfWindow(window, parts))
            return GONE;
        int which = partNamed(parts, child);
        if (which < 0 || !isSkinArea(parts.list[which]))
            return DISP_E_MEMBERNOTFOUND;
        clickArea(window, parts.described->areas[parts.list[which].area], true);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};

} // namespace

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
