// Ends the running player as Windows does at log-off: WM_QUERYENDSESSION,
// whose answer it prints ("query 1"), then WM_ENDSESSION (TRUE), after
// which it prints whether the main window was gone by the time that
// returned ("gone 1"): Windows ends the process then. "close" posts
// WM_CLOSE alone, as taskkill does. Exit status 1 without a player.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    HWND player = FindWindowA("Kelvoria_v1.0", NULL);
    if (!player)
        return 1;
    if (argc > 1 && strcmp(argv[1], "close") == 0)
        return PostMessageA(player, WM_CLOSE, 0, 0) ? 0 : 1;
    const UINT waitMs = 60000;  // only a hung player takes longer
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(player, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, waitMs, &answer);
    printf("query %d\n", static_cast<int>(answer));
    SendMessageTimeoutA(player, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, waitMs, &answer);
    printf("gone %d\n", IsWindow(player) ? 0 : 1);
    return 0;
}
