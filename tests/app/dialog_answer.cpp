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
};

BOOL CALLBACK lookForWindow(HWND window, LPARAM into)
{
    search *s = reinterpret_cast<search *>(into);
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, s->className) != 0 || !IsWindowVisible(window))
        return TRUE;
    if (s->owner && GetWindow(window, GW_OWNER) != s->owner)
        return TRUE;
    s->found = window;
    return FALSE;
}

HWND findWindow(HWND owner, const char *className)
{
    search s = {owner, className, NULL};
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

std::vector<menuItemSeen> menuSeen()
{
    return items;
}

bool answered()
{
    return done;
}

// ---- A dialog acted on once; message boxes -----------------------------------

namespace {

const int MESSAGE_BOX_TEXT = 0xFFFF;    // the static control with the message
const int MESSAGE_BOX_ICON = 0x440;     // stc1, the icon beside it

UINT_PTR dialogTimer = NO_TIMER;
HWND actOwner;
std::function<void(HWND)> act;
bool acted;

UINT_PTR boxTimer = NO_TIMER;
int boxesToAnswer;
HWND lastBox;
std::vector<messageBoxSeen> boxes;

void CALLBACK dialogTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = findWindow(actOwner, "#32770");
    if (!dialog)
        return;
    // Stopped before acting: `act` may start a modal loop of its own, in
    // which this timer would otherwise fire again.
    KillTimer(NULL, dialogTimer);
    dialogTimer = NO_TIMER;
    acted = true;
    act(dialog);
}

BOOL CALLBACK lookForMessageBox(HWND window, LPARAM into)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window) || window == lastBox ||
        !GetDlgItem(window, MESSAGE_BOX_TEXT))
        return TRUE;
    *reinterpret_cast<HWND *>(into) = window;
    return FALSE;
}

std::string windowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

void CALLBACK messageBoxTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = NULL;
    EnumThreadWindows(GetCurrentThreadId(), lookForMessageBox, reinterpret_cast<LPARAM>(&box));
    if (!box)
        return;
    HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, MESSAGE_BOX_ICON, STM_GETICON, 0, 0));
    boxes.push_back({windowText(box), windowText(GetDlgItem(box, MESSAGE_BOX_TEXT)),
                     icon != NULL && icon == LoadIconA(NULL, IDI_INFORMATION), GetCursor()});
    lastBox = box;
    if (static_cast<int>(boxes.size()) >= boxesToAnswer) {
        KillTimer(NULL, boxTimer);
        boxTimer = NO_TIMER;
    }
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

} // namespace

void actOnDialog(HWND owner, std::function<void(HWND dialog)> action)
{
    actOwner = owner;
    act = action;
    acted = false;
    if (dialogTimer != NO_TIMER)
        KillTimer(NULL, dialogTimer);
    dialogTimer = SetTimer(NULL, 0, 20, dialogTick);
}

bool actedOnDialog()
{
    return acted;
}

void answerMessageBoxes(int count)
{
    boxes.clear();
    boxesToAnswer = count;
    lastBox = NULL;
    if (boxTimer != NO_TIMER)
        KillTimer(NULL, boxTimer);
    boxTimer = count > 0 ? SetTimer(NULL, 0, 20, messageBoxTick) : NO_TIMER;
}

std::vector<messageBoxSeen> messageBoxesSeen()
{
    return boxes;
}
