#include "dialog_answer.h"

namespace {

const UINT_PTR NO_TIMER = 0;
const int FILE_NAME_COMBO = 0x47C;  // cmb13
const int FILE_NAME_EDIT = 0x480;   // edt1
const int FILE_TYPE_COMBO = 0x470;  // cmb1
const UINT MN_GETHMENU_MESSAGE = 0x01E1;

UINT_PTR timer = NO_TIMER;
HWND dialogOwner;
std::vector<std::string> toType;
size_t nextTyped;
bool done;
std::string filter;
std::vector<menuItemSeen> items;
std::vector<HWND> shownBefore;
messageBoxSeen boxSeen;

void stopAnswering()
{
    KillTimer(NULL, timer);
    timer = NO_TIMER;
    done = true;
}

struct search {
    HWND owner;
    const char *className;
    HWND found;
    const std::vector<HWND> *ignored;
};

bool among(const std::vector<HWND> &windows, HWND window)
{
    for (HWND w : windows)
        if (w == window)
            return true;
    return false;
}

BOOL CALLBACK lookForWindow(HWND window, LPARAM into)
{
    search *s = reinterpret_cast<search *>(into);
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, s->className) != 0 || !IsWindowVisible(window))
        return TRUE;
    if (s->owner && GetWindow(window, GW_OWNER) != s->owner)
        return TRUE;
    if (s->ignored && among(*s->ignored, window))
        return TRUE;
    s->found = window;
    return FALSE;
}

HWND findWindow(HWND owner, const char *className, const std::vector<HWND> *ignored = NULL)
{
    search s = {owner, className, NULL, ignored};
    EnumThreadWindows(GetCurrentThreadId(), lookForWindow, reinterpret_cast<LPARAM>(&s));
    if (!s.found)
        EnumWindows(lookForWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void typeFileName(HWND dialog, const std::string &text)
{
    SetDlgItemTextA(dialog, FILE_NAME_COMBO, text.c_str());
    SetDlgItemTextA(dialog, FILE_NAME_EDIT, text.c_str());
}

void CALLBACK fileDialogTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = findWindow(dialogOwner, "#32770");
    if (!dialog)
        return;
    if (filter.empty()) {
        char text[100] = "";
        GetDlgItemTextA(dialog, FILE_TYPE_COMBO, text, sizeof(text));
        filter = text;
    }
    if (nextTyped >= toType.size()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        stopAnswering();
        return;
    }
    typeFileName(dialog, toType[nextTyped]);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    if (++nextTyped == toType.size())
        stopAnswering();
}

void CALLBACK menuTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menuWindow = findWindow(NULL, "#32768");
    if (!menuWindow)
        return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU_MESSAGE, 0, 0));
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[100] = "";
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        UINT id = GetMenuItemID(menu, i);
        items.push_back({id == static_cast<UINT>(-1) ? 0 : id, text});
    }
    EndMenu();
    stopAnswering();
}

BOOL CALLBACK listShownDialog(HWND window, LPARAM into)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND> *>(into)->push_back(window);
    return TRUE;
}

bool isStatic(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpiA(name, "Static") == 0;
}

// The icon a message box shows, by the system icon it was given.
std::string iconNamed(HICON shown)
{
    const struct {
        LPCSTR id;
        const char *name;
    } icons[] = {{IDI_WARNING, "warning"}, {IDI_INFORMATION, "information"}, {IDI_ERROR, "error"},
                 {IDI_QUESTION, "question"}};
    for (const auto &icon : icons)
        if (shown == LoadIconA(NULL, icon.id))
            return icon.name;
    return "other";
}

// The texts and the icon are in static controls whose ids differ between
// systems: read them by what they hold.
void readMessageBox(HWND box)
{
    char text[300] = "";
    GetWindowTextA(box, text, sizeof(text));
    boxSeen.caption = text;
    boxSeen.icon = "none";
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!isStatic(child))
            continue;
        HICON shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (shown) {
            boxSeen.icon = iconNamed(shown);
            continue;
        }
        text[0] = '\0';
        GetWindowTextA(child, text, sizeof(text));
        if (text[0])
            boxSeen.text = text;
    }
    boxSeen.owner = GetWindow(box, GW_OWNER);
}

void CALLBACK messageBoxTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = findWindow(NULL, "#32770", &shownBefore);
    if (!box)
        return;
    readMessageBox(box);
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    stopAnswering();
}

void startAnswering(TIMERPROC tick)
{
    done = false;
    if (timer != NO_TIMER)
        KillTimer(NULL, timer);
    timer = SetTimer(NULL, 0, 20, tick);
}

} // namespace

void answerFileDialog(HWND owner, const std::vector<std::string> &typed)
{
    dialogOwner = owner;
    toType = typed;
    nextTyped = 0;
    filter.clear();
    startAnswering(fileDialogTick);
}

std::string filterSeen()
{
    return filter;
}

void answerPopupMenu()
{
    items.clear();
    startAnswering(menuTick);
}

void answerMessageBox()
{
    shownBefore.clear();
    EnumThreadWindows(GetCurrentThreadId(), listShownDialog, reinterpret_cast<LPARAM>(&shownBefore));
    boxSeen = messageBoxSeen();
    startAnswering(messageBoxTick);
}

messageBoxSeen messageBoxSeenLast()
{
    return boxSeen;
}

std::vector<menuItemSeen> menuSeen()
{
    return items;
}

bool answered()
{
    return done;
}

void stopLookingForAnswers()
{
    if (timer != NO_TIMER)
        KillTimer(NULL, timer);
    timer = NO_TIMER;
}
