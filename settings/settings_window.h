/*
 * The settings window's procedure: a modeless dialog from the template
 * "Settings", created hidden at start-up and owned by the main window.
 *
 * For now it carries its skin frame and hides when it is closed ("Apply
 * changes", the system's close, or command 2); its check boxes keep the
 * template's initial state.
 */
#ifndef KELVORIA_SETTINGS_WINDOW_H
#define KELVORIA_SETTINGS_WINDOW_H

#include <windows.h>

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
