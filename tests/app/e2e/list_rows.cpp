// Prints the rows of the running player's song list, one a line in UTF-8:
// the list box is no window of the display, so the end-to-end tests read it
// through the system, as any program may. Exit status 1 without a player.
#include <windows.h>

#include <stdio.h>

#include <string>

BOOL CALLBACK findList(HWND window, LPARAM found)
{
    HWND list = GetDlgItem(window, 10);     // the playlist window's list
    char name[16] = "";
    if (!list || !GetClassNameA(list, name, sizeof(name)) || lstrcmpiA(name, "ListBox") != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(found) = list;
    return FALSE;
}

int main()
{
    HWND player = FindWindowA("Kelvoria_v1.0", NULL), list = NULL;
    if (player)
        EnumThreadWindows(GetWindowThreadProcessId(player, NULL), findList, reinterpret_cast<LPARAM>(&list));
    if (!list)
        return 1;
    for (LRESULT row = 0, rows = SendMessageW(list, LB_GETCOUNT, 0, 0); row < rows; ++row) {
        std::wstring text(SendMessageW(list, LB_GETTEXTLEN, row, 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
        char line[1024] = "";
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, line, sizeof(line) - 1, NULL, NULL);
        printf("%s\n", line);
    }
    return 0;
}
