/*
 * The keyboard's media keys: Play/Pause (the play/pause toggle), Stop, Next
 * Track and Previous Track (the commands of those names). Each is a global
 * hot key from start-up to `quit`, so it acts whether the player has the
 * focus or sits in the tray. A key another program holds already stays
 * theirs; it still reaches the player as WM_APPCOMMAND while the player has
 * the focus.
 */
#ifndef KELVORIA_APP_MEDIA_KEYS_H
#define KELVORIA_APP_MEDIA_KEYS_H

#include <windows.h>

void registerMediaKeys(HWND window);
void releaseMediaKeys(HWND window);

/* The main window's command for a hot key id (WM_HOTKEY's wParam) or an
 * application command (WM_APPCOMMAND's lParam); 0 when it is none of the
 * player's. */
int commandOfHotKey(WPARAM id);
int commandOfAppCommand(LPARAM lParam);

#endif
