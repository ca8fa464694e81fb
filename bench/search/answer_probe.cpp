// Asks the running player's main window for an answer (WM_NULL through
// SendMessageTimeout) every 50 ms, as the system does before it calls a
// window "Not responding", and reads its title label each time, until the
// file STOP exists. Prints one line per change of title ("title: ..."),
// one per wait over 100 ms ("slow: <ms> at <GetTickCount64>"), and then the
// asks, the ones not answered within 5 s, and the longest wait in
// milliseconds. Exit status 1 without a player.
//   answer_probe STOP
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    HWND player = FindWindowA("Kelvoria_v1.0", NULL);
    if (argc < 2 || !player)
        return 1;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    char title[256] = "", shown[256] = "";
    int asks = 0, unanswered = 0;
    double longest = 0;
    while (GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES && IsWindow(player)) {
        DWORD_PTR result;
        QueryPerformanceCounter(&before);
        if (!SendMessageTimeoutA(player, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
            ++unanswered;
        QueryPerformanceCounter(&after);
        double waited = (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
        longest = waited > longest ? waited : longest;
        if (waited > 100)
            printf("slow: %.1f ms at %llu\n", waited, static_cast<unsigned long long>(GetTickCount64()));
        ++asks;
        GetWindowTextA(GetWindow(player, GW_CHILD), title, sizeof(title));
        if (strcmp(title, shown) != 0) {
            printf("title: %s\n", title);
            fflush(stdout);
            strcpy(shown, title);
        }
        Sleep(50);
    }
    printf("asks %d unanswered %d longest %.1f ms\n", asks, unanswered, longest);
    return 0;
}
