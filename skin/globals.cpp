#include "globals.h"

HINSTANCE hInst;
HBITMAP hBmp;
HWND hwnd;
HWND hPlaylistDialog;
HWND hSettingsDialog;
HWND hEqualizerDialog;
bool loaded;
