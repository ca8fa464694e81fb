/*
 * The notification-area icon of the main window and its menu. The icon
 * record is the main window procedure's static `TrayIcon`; these procedures
 * fill it, hand it to the shell and answer the shell's callback.
 */
#ifndef KELVORIA_APP_TRAY_H
#define KELVORIA_APP_TRAY_H

#include <windows.h>
#include <shellapi.h>

#include "messages.h"
#define TRAY_TIP "Kelvoria"
#define TRAY_MENU_NAME "TrayMainMenu"

/* The shell call the tray goes through; Shell_NotifyIconA unless a test
 * puts a recorder in its place. */
extern BOOL(WINAPI *notifyShell)(DWORD, PNOTIFYICONDATAA);

/* Command 13: hide the window, fill the record anew and add the icon. */
void minimiseToTray(HWND window, NOTIFYICONDATAA &TrayIcon);

/* Command 19: show the window, refresh the song display, delete the icon. */
void restoreFromTray(HWND window, NOTIFYICONDATAA &TrayIcon);

/* While the icon is shown, its tip names the song heard ("Song - Kelvoria"). */
void refreshTrayTip(NOTIFYICONDATAA &TrayIcon);

/* Command 14: delete the icon, then close the window (which ends the run). */
void quitFromTray(HWND window, NOTIFYICONDATAA &TrayIcon);

/* Message 21: a left-button release restores, a right-button release opens
 * the menu at the cursor; anything else is ignored. */
void answerTrayCallback(HWND window, LPARAM mouseMessage);

#endif
