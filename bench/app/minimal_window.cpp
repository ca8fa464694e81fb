// The yardstick of the start-up benchmark: the least a Win32 program does
// to show a window under the same Wine (a class, a 600 x 119 popup, the
// message loop).
#include <windows.h>

static LRESULT CALLBACK minimalProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = minimalProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.lpszClassName = "MinimalWindow";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "MinimalWindow", "Minimal_window", WS_POPUP, 404, 618, 600, 119, NULL,
                                  NULL, instance, NULL);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
