// The yardstick of the player's benchmarks: the least a Win32 program does
// under the same Wine to be what the player is, minus the player.
//   bench_minimal_window.exe          shows one 600 x 119 popup (start-up)
//   bench_minimal_window.exe tick     and ticks as the main window does: a
//                                     timer of period 0, the cursor and the
//                                     window's place sampled at every tick
//   bench_minimal_window.exe tick-three
//                                     and two hidden windows tick with it,
//                                     as the player's two tool windows do
// It imports the system DLLs the player imports, its engine's included,
// and carries the same manifest (common controls 6), so that loading them
// costs both alike.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <mmsystem.h>
#include <bcrypt.h>

#include <string.h>

namespace {

// One entry from each DLL the player imports: taking their addresses keeps
// the imports, and nothing calls them.
const void *const volatile sameImports[] = {
    reinterpret_cast<const void *>(&InitCommonControlsEx), reinterpret_cast<const void *>(&GetOpenFileNameA),
    reinterpret_cast<const void *>(&Shell_NotifyIconA),    reinterpret_cast<const void *>(&RegOpenKeyExA),
    reinterpret_cast<const void *>(&CreateCompatibleDC),    reinterpret_cast<const void *>(&waveOutGetNumDevs),
    reinterpret_cast<const void *>(&BCryptGenRandom),
};

// What each tick samples, kept as the main window keeps it.
RECT rc;
POINT lp;

LRESULT CALLBACK minimalProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER: {
        GetWindowRect(window, &rc);
        DWORD at = GetMessagePos();
        lp.x = GET_X_LPARAM(at);
        lp.y = GET_Y_LPARAM(at);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    (void)sameImports;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = minimalProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.lpszClassName = "MinimalWindow";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "MinimalWindow", "Minimal_window", WS_POPUP, 404, 618, 600, 119, NULL,
                                  NULL, instance, NULL);
    if (strcmp(commandLine, "tick") == 0)
        SetTimer(window, 0, 0, NULL);
    if (strcmp(commandLine, "tick-three") == 0) {
        HWND hidden[2];
        for (HWND &other : hidden)
            other = CreateWindowExA(0, "MinimalWindow", "Hidden_window", WS_POPUP, 0, 0, 8, 8, NULL, NULL, instance,
                                    NULL);
        // Started together, as the player starts its windows' timers.
        SetTimer(window, 0, 0, NULL);
        for (HWND other : hidden)
            SetTimer(other, 0, 0, NULL);
    }
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
