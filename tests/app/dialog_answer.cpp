#include "dialog_answer.h"

namespace {

const UINT_PTR NO_TIMER = 0;
const int FILE_NAME_COMBO = 0x47C;  // cmb13
const int FILE_NAME_EDIT = 0x480;   // edt1
const int FILE_TYPE_COMBO = 0x470;  // cmb1
const UINT MN_GETHMENU_MESSAGE = 0x01E1;

const int MESSAGE_TEXT = 0xFFFF;

UINT_PTR timer = NO_TIMER;
UINT_PTR boxTimer = NO_TIMER;
HWND dialogOwner;
std::vector<std::string> toType;
int typeToChoose;
size_t nextTyped;
bool done;
std::string filter;
std::vector<menuItemSeen> items;
std::vector<int> toPress;
std::vector<messageBoxSeen> boxes;
bool boxesDone;

void stopAnswering()
{
    KillTimer(NULL, timer);
    timer = NO_TIMER;
    done = true;
}

bool isMessageBox(HWND dialog)
{
    return GetDlgItem(dialog, MESSAGE_TEXT) && !GetDlgItem(dialog, FILE_NAME_EDIT) &&
           !GetDlgItem(dialog, FILE_NAME_COMBO);
}

struct search {
    HWND owner;
    const char *className;
    bool messageBox;    // only message boxes, whatever their owner
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
    if (s->messageBox && !isMessageBox(window))
        return TRUE;
    s->found = window;
    return FALSE;
}

HWND findWindow(HWND owner, const char *className, bool messageBox = false)
{
    search s = {owner, className, messageBox, NULL};
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
    if (typeToChoose > 0 && nextTyped == 0) {
        HWND types = GetDlgItem(dialog, FILE_TYPE_COMBO);
        SendMessageA(types, CB_SETCURSEL, typeToChoose - 1, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(FILE_TYPE_COMBO, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    }
    // Pressing Open may open a message box whose own loop ticks this timer
    // again: the text is counted as typed, and the timer is stopped after
    // the last, before the press.
    typeFileName(dialog, toType[nextTyped]);
    if (++nextTyped == toType.size())
        stopAnswering();
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
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

std::string iconOf(HWND box)
{
    const struct { LPCSTR id; const char *name; } known[] = {
        {IDI_WARNING, "warning"}, {IDI_INFORMATION, "information"}, {IDI_ERROR, "error"},
        {IDI_QUESTION, "question"}};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        HICON shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        for (const auto &icon : known)
            if (shown == LoadIconA(NULL, icon.id))
                return icon.name;
    }
    return "";
}

// The press is sent: the box has ended (and is hidden) when it returns, so
// the next tick cannot find it again.
void CALLBACK messageBoxTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = findWindow(NULL, "#32770", true);
    if (!box)
        return;
    char caption[300] = "", text[1100] = "";
    GetWindowTextA(box, caption, sizeof(caption));
    GetDlgItemTextA(box, MESSAGE_TEXT, text, sizeof(text));
    boxes.push_back({caption, text, iconOf(box), GetWindow(box, GW_OWNER), GetCursor()});
    int button = toPress[boxes.size() - 1];
    if (boxes.size() == toPress.size()) {
        KillTimer(NULL, boxTimer);
        boxTimer = NO_TIMER;
        boxesDone = true;
    }
    SendMessageA(box, WM_COMMAND, button, 0);
}

void startAnswering(TIMERPROC tick)
{
    done = false;
    if (timer != NO_TIMER)
        KillTimer(NULL, timer);
    timer = SetTimer(NULL, 0, 20, tick);
}

} // namespace

void answerFileDialog(HWND owner, const std::vector<std::string> &typed, int filterIndex)
{
    dialogOwner = owner;
    toType = typed;
    typeToChoose = filterIndex;
    nextTyped = 0;
    filter.clear();
    startAnswering(fileDialogTick);
}

void answerMessageBoxes(const std::vector<int> &pressed)
{
    toPress = pressed;
    boxes.clear();
    boxesDone = pressed.empty();
    if (boxTimer != NO_TIMER)
        KillTimer(NULL, boxTimer);
    boxTimer = pressed.empty() ? NO_TIMER : SetTimer(NULL, 0, 20, messageBoxTick);
}

std::vector<messageBoxSeen> messageBoxesSeen()
{
    return boxes;
}

bool messageBoxesAnswered()
{
    return boxesDone;
}

messageBoxSeen lastMessageBox()
{
    return boxes.empty() ? messageBoxSeen() : boxes.back();
}

void forgetAnswers()
{
    if (timer != NO_TIMER)
        KillTimer(NULL, timer);
    if (boxTimer != NO_TIMER)
        KillTimer(NULL, boxTimer);
    timer = boxTimer = NO_TIMER;
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

// ---- A dialog acted on once -------------------------------------------------

namespace {

UINT_PTR dialogTimer = NO_TIMER;
HWND actOwner;
std::function<void(HWND)> act;
bool acted;

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
