// Skinned windows built on the shared frame the way the player's windows
// use it, with the sizes, key colours, controls and hit areas of each:
// the frame tests drive them, and the preview program shows them for
// screenshots. Every window keeps its frame statics in its own procedure;
// the tests read them through the `*Frame` views below.
#ifndef KELVORIA_TESTS_SAMPLE_WINDOWS_H
#define KELVORIA_TESTS_SAMPLE_WINDOWS_H

#include <windows.h>

struct frameView {
    bool *holding;
    RECT *rc;
    POINT *lp;
    int *dx;
    int *dy;
    int *lastCommand;   // id of the last WM_COMMAND its hit areas sent
};

extern frameView playlistFrame;
extern frameView settingsFrame;
extern frameView searchFrame;
extern frameView mainFrame;

// The current directory becomes the folder that holds Skins/.
void enterSkinFolder();

// Main window sample: the class, the skin in hBmp-style ownership, the two
// labels and the position bar. Shown at (x, y).
HWND createMainSample(int x, int y);
// The three dialog windows from templates like the player's own, modeless
// (the search window too, so that a test can keep it open), owner `owner`.
HWND createPlaylistSample(HWND owner);
HWND createSettingsSample(HWND owner);
HWND createSearchSample(HWND owner);

// Handles every message waiting for this thread.
void pumpMessages();

#endif
