/*
 * The player's keys, in one table: while any window of the player has the
 * focus, the transport (Z X C V B, Space, Left and Right), the volume (Up
 * and Down), the dialogs (Ctrl+O, Ctrl+L, Ctrl+S), the playlist window
 * (Ctrl+P, and its own keys while it has the focus: Enter, Delete, Alt+Up,
 * Alt+Down, Ctrl+A), the equalizer window (G, which gives its 1 kHz slider
 * the keyboard), and Escape for the tool windows. Tab and Shift+Tab, and
 * Enter or Space on a marked area, go to the windows' areas
 * (skin/focus_mark.h).
 *
 * A control of a tool window keeps what it uses itself: the playlist's
 * list its letters (typing a name's first letters finds it), Space and Up
 * and Down; a drop-down list, edit field or list box of the settings or
 * search window its letters, Space and the four arrows (and Enter and
 * Escape while its list is dropped); a button's or check box's Space.
 */
#ifndef KELVORIA_APP_KEYBOARD_H
#define KELVORIA_APP_KEYBOARD_H

#include <windows.h>

/* For the message loop, before TranslateMessage: a key of the player, or a
 * message of a tool window's dialog keyboard (IsDialogMessage). True when
 * the message was used and is not to be dispatched. The first call also
 * sets the same keys to work inside modal dialogs (the search window). */
bool takeKeyboardMessage(MSG &message);

/* A key of the player alone, without the dialogs' handling; true when used. */
bool usePlayerKey(const MSG &message);

#endif
