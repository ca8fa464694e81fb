/*
 * Process-wide handles, set by start-up and read by every window.
 */
#ifndef KELVORIA_GLOBALS_H
#define KELVORIA_GLOBALS_H

#include <windows.h>

extern HINSTANCE hInst;         /* the program's instance */
extern HBITMAP hBmp;            /* the main window's skin, "Skins/Skin.bmp" */
extern HWND hwnd;               /* the main window */
extern HWND hPlaylistDialog;    /* the playlist window */
extern HWND hSettingsDialog;    /* the settings window */
extern HWND hEqualizerDialog;   /* the equalizer window */
extern bool loaded;             /* the playlist window is shown */

#endif
