// Prints the rows of the running player's song list, one a line in UTF-8,
// as the playlist window shows them: the list box is not a window of the
// display, so the end-to-end tests read it through the system, as any
// program may.
//   list_rows.exe      (exit status 1 when no player runs)
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace {

const int LIST_ID = 10;     // the playlist window's list

struct search {
    HWND list = NULL;
};

BOOL CALLBACK findList(HWND window, LPARAM found)
{
    HWND list = GetDlgItem(window, LIST_ID);
    char name[32] = "";
    if (list && GetClassNameA(list, name, sizeof(name)) && lstrcmpiA(name, "ListBox") == 0) {
        reinterpret_cast<search *>(found)->list = list;
        return FALSE;
    }
    return TRUE;
}

std::string utf8Of(const std::wstring &wide)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string text(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], size, NULL, NULL);
    text.resize(strlen(text.c_str()));
    return text;
}

} // namespace

int main()
{
    HWND player = FindWindowA("Kelvoria_v1.0", NULL);
    if (!player)
        return 1;
    search found;
    EnumThreadWindows(GetWindowThreadProcessId(player, NULL), findList, reinterpret_cast<LPARAM>(&found));
    if (!found.list)
        return 1;
    LRESULT rows = SendMessageW(found.list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < rows; ++row) {
        LRESULT length = SendMessageW(found.list, LB_GETTEXTLEN, row, 0);
        std::wstring text(length > 0 ? length + 1 : 1, L'\0');
        SendMessageW(found.list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        std::string line = utf8Of(text) + "\n";
        fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}
