/*
 * The search window's procedure: a modal dialog from the template "Search",
 * opened by the playlist window each time the user asks for a scan.
 */
#ifndef KELVORIA_SEARCH_WINDOW_H
#define KELVORIA_SEARCH_WINDOW_H

#include <windows.h>

INT_PTR CALLBACK SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
