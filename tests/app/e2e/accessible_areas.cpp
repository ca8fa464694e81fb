// Reads the running player's windows as a screen reader does, from outside
// its process, through AccessibleObjectFromWindow (OBJID_CLIENT):
//   accessible_areas list              every child of every shown window of
//                                      the player, one a line:
//                                      window|name|role|x,y,w,h|value
//                                      (x, y from the window's top-left corner)
//   accessible_areas act WINDOW NAME   the child's default action
//   accessible_areas focus WINDOW      the name of the child with the focus
// WINDOW is the accessible name of the window's client object. Output is
// UTF-8; exit status 1 when the player, the window or the child is missing.
#include <windows.h>
#include <oleacc.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// IAccessible's id, written out: the import library's symbol is a stub.
const IID ACCESSIBLE_IID = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// One line of output: line breaks and the field separator become blanks.
std::string utf8(BSTR text)
{
    if (!text)
        return "";
    char line[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof(line) - 1, NULL, NULL);
    SysFreeString(text);
    for (char *c = line; *c; ++c)
        if (*c == '\n' || *c == '\r' || *c == '|')
            *c = ' ';
    return line;
}

VARIANT child(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

struct playerWindow {
    HWND window;
    IAccessible *object;
    std::string name;
};

BOOL CALLBACK collect(HWND window, LPARAM list)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

std::vector<playerWindow> shownWindows()
{
    std::vector<playerWindow> found;
    HWND main = FindWindowA("Kelvoria_v1.0", NULL);
    if (!main)
        return found;
    std::vector<HWND> windows;
    EnumThreadWindows(GetWindowThreadProcessId(main, NULL), collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        IAccessible *object = nullptr;
        if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, ACCESSIBLE_IID, reinterpret_cast<void **>(&object))))
            continue;
        BSTR name = nullptr;
        object->get_accName(child(CHILDID_SELF), &name);
        found.push_back(playerWindow{window, object, utf8(name)});
    }
    return found;
}

std::string roleText(IAccessible *object, long id)
{
    VARIANT role;
    VariantInit(&role);
    if (FAILED(object->get_accRole(child(id), &role)) || role.vt != VT_I4)
        return "?";
    char text[64] = "";
    GetRoleTextA(role.lVal, text, sizeof(text));
    return text;
}

void list(const playerWindow &w)
{
    long count = 0;
    w.object->get_accChildCount(&count);
    RECT outer = {};
    GetWindowRect(w.window, &outer);
    for (long id = 1; id <= count; ++id) {
        BSTR name = nullptr, value = nullptr;
        w.object->get_accName(child(id), &name);
        w.object->get_accValue(child(id), &value);
        long x = 0, y = 0, width = 0, height = 0;
        w.object->accLocation(&x, &y, &width, &height, child(id));
        printf("%s|%s|%s|%ld,%ld,%ld,%ld|%s\n", w.name.c_str(), utf8(name).c_str(), roleText(w.object, id).c_str(),
               x - outer.left, y - outer.top, width, height, utf8(value).c_str());
    }
}

} // namespace

int main(int argc, char **argv)
{
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    std::vector<playerWindow> windows = shownWindows();
    if (windows.empty())
        return 1;
    std::string command = argc > 1 ? argv[1] : "list";
    if (command == "list") {
        for (const playerWindow &w : windows)
            list(w);
        return 0;
    }
    const playerWindow *w = nullptr;
    for (const playerWindow &each : windows)
        if (argc > 2 && each.name == argv[2])
            w = &each;
    if (!w)
        return 1;
    long count = 0;
    w->object->get_accChildCount(&count);
    for (long id = 1; command == "act" && argc > 3 && id <= count; ++id) {
        BSTR name = nullptr;
        w->object->get_accName(child(id), &name);
        if (utf8(name) == argv[3])
            return SUCCEEDED(w->object->accDoDefaultAction(child(id))) ? 0 : 1;
    }
    if (command == "focus") {
        VARIANT focus;
        VariantInit(&focus);
        if (w->object->get_accFocus(&focus) != S_OK || focus.vt != VT_I4)
            return 1;
        BSTR name = nullptr;
        w->object->get_accName(focus, &name);
        printf("%s\n", utf8(name).c_str());
        return 0;
    }
    return 1;
}
