// Asks the running player's main window for an answer (WM_NULL through
// SendMessageTimeout) every 50 ms, as the system does before it calls a
// window "Not responding", and reads its title label each time, until the
// file STOP exists. Prints one line per change of title ("title: ..."),
// one per wait over 100 ms ("slow: <ms> at <GetTickCount64>"), and then the
// asks, the ones not answered within 5 s, and the longest wait in
// milliseconds. With BEGIN, the longest wait is also given over the asks
// made once that file exists ("since begin"): a run marks its start so.
// Exit status 1 without a player.
//   answer_probe STOP [BEGIN]
#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

bool exists(const char *path)
{
    return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// One ask; the time it waited for the answer, in milliseconds.
double askOnce(HWND player, int &unanswered)
{
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    DWORD_PTR result;
    QueryPerformanceCounter(&before);
    if (!SendMessageTimeoutA(player, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
        ++unanswered;
    QueryPerformanceCounter(&after);
    return (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
}

} // namespace

int main(int argc, char **argv)
{
    HWND player = FindWindowA("Kelvoria_v1.0", NULL);
    if (argc < 2 || !player)
        return 1;
    const char *begin = argc > 2 ? argv[2] : NULL;
    char title[256] = "", shown[256] = "";
    int asks = 0, unanswered = 0;
    double longest = 0, longestSinceBegin = 0;
    while (!exists(argv[1]) && IsWindow(player)) {
        bool begun = exists(begin);
        double waited = askOnce(player, unanswered);
        longest = waited > longest ? waited : longest;
        if (begun && waited > longestSinceBegin)
            longestSinceBegin = waited;
        if (waited > 100)
            printf("slow: %.1f ms at %llu\n", waited, static_cast<unsigned long long>(GetTickCount64()));
        ++asks;
        GetWindowTextA(GetWindow(player, GW_CHILD), title, sizeof(title));
        if (strcmp(title, shown) != 0) {
            printf("title: %s\n", title);
            fflush(stdout);
            snprintf(shown, sizeof(shown), "%s", title);
        }
        Sleep(50);
    }
    printf("asks %d unanswered %d longest %.1f ms\n", asks, unanswered, longest);
    if (begin)
        printf("since begin the wait was at most %.1f ms\n", longestSinceBegin);
    return 0;
}
