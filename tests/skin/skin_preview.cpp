// Shows the four skinned windows on a plain backdrop, for screenshots
// (tools/screenshot-skins.sh). Runs until the given number of seconds has
// passed (default 30) or it is closed.
#include "sample_windows.h"

#include <cstdlib>

namespace {

LRESULT CALLBACK backdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT all;
        GetClientRect(window, &all);
        HBRUSH brush = CreateSolidBrush(RGB(118, 128, 142));
        FillRect(reinterpret_cast<HDC>(wParam), &all, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createBackdrop()
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = backdropProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = "KelvoriaPreviewBackdrop";
    RegisterClassExA(&wc);
    HWND backdrop = CreateWindowExA(0, wc.lpszClassName, "backdrop", WS_POPUP, 0, 0, 1000, 800, NULL, NULL,
                                    wc.hInstance, NULL);
    ShowWindow(backdrop, SW_SHOWNOACTIVATE);
    return backdrop;
}

void place(HWND window, int x, int y)
{
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

}  // namespace

int main(int argc, char **argv)
{
    int seconds = argc > 1 ? atoi(argv[1]) : 30;
    enterSkinFolder();
    createBackdrop();
    HWND main = createMainSample(20, 20);
    place(createPlaylistSample(main), 20, 170);
    place(createSettingsSample(main), 400, 150);
    place(createSearchSample(main), 20, 490);
    SetTimer(NULL, 1, seconds * 1000, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == NULL)
            break;
        if (!IsDialogMessageA(GetActiveWindow(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
