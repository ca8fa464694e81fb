/*
 * The equalizer window's preset list (an editable drop-down list) and what
 * its buttons do with it: each action changes the equalizer only through
 * chooseEqualizer and writes what it did for the status line.
 */
#ifndef KELVORIA_PRESET_LIST_H
#define KELVORIA_PRESET_LIST_H

#include <windows.h>

/* The built-in presets, then the listener's, each once by name. */
void fillPresetList(HWND list);

/* The preset whose name the list shows is chosen (switched on). */
void choosePresetOfList(HWND list, char *status, int size);

/* The current values saved under the name typed in the list. */
void saveTypedPreset(HWND list, char *status, int size);
void deleteTypedPreset(HWND list, char *status, int size);

/* Import...: every preset of the file becomes one of the listener's (a
 * built-in name gets " (imported)" after it) and the first is chosen.
 * Export...: the current values as a library file or, named .txt, as text. */
void importPresets(HWND owner, HWND list, char *status, int size);
void exportPreset(HWND owner, HWND list, char *status, int size);

#endif
