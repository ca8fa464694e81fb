#include "settings_window.h"

#include "frame.h"

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static HBITMAP ShBmp;
    static bool ShBmpLoaded;
    static HRGN Sregion;
    static bool SregionMade;
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;
    (void)lParam;

    loadSkinOnce(ShBmp, ShBmpLoaded, settingsWindow.skinFile);
    buildOutlineOnce(Sregion, SregionMade, ShBmp, settingsWindow.transparent);

    switch (message) {
    case WM_INITDIALOG:
        giveOutline(window, Sregion);
        startFrameTimer(window);
        paceFrameTimer(window, IsWindowVisible(window));
        return TRUE;
    case WM_SHOWWINDOW:
        paceFrameTimer(window, static_cast<BOOL>(wParam));
        return FALSE;
    case WM_PAINT:
        paintSkin(window, ShBmp);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        return TRUE;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, settingsWindow);
        return TRUE;
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        return TRUE;
    }
    return FALSE;
}
