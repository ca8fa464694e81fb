#include "search_window.h"

// For now the window only closes: on id 2 (Escape).
INT_PTR CALLBACK SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}
