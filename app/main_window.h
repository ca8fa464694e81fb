/*
 * The main window: the player's face, 600 x 119 pixels drawn from the main
 * skin, with the title label, the status label and the position bar laid
 * over it, ten hit areas for the left button, the analyser area beside the
 * labels (analyser_area.h), and the commands every other window sends it.
 *
 * It draws what the transport announces (transport.h): the song shown
 * (the bar's range 0..length, title := names[currentSong]), each new whole
 * second (the "Playing..." line and the bar's place) and the status line.
 *
 * Messages besides the system's (messages.h, all from WM_APP on): the tray
 * callback, a hand-over to carry out, and the engine's word that the song
 * heard changed.
 * Commands (WM_COMMAND, id in the low word of wParam):
 *   3 show playlist   4 play   5 next   6 previous   7 stop   8 open files
 *   9 show settings   13 minimise to tray   14 quit   19 restore
 *   31 play/pause   45 the analyser's next mode   46 show the equalizer
 */
#ifndef KELVORIA_APP_MAIN_WINDOW_H
#define KELVORIA_APP_MAIN_WINDOW_H

#include <windows.h>

#define MAIN_CLASS_NAME "Kelvoria_v1.0"
#define MAIN_WINDOW_TITLE "Kelvoria_v1.0"

#include "messages.h"

#define SLIDER_ID 25

/* Capacity of the open dialog's selection: the buffer is larger than the
 * capacity the dialog is told, so its terminator always fits. */
#define OPEN_FILES_BUFFER 5000
#define OPEN_FILES_CAPACITY 2998

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* The status line for the current progress, song and count, as each new
 * whole second shows it: "Playing...", two blanks, the progress in
 * parentheses, `blanks` blanks, then "n" and the degree sign before the
 * numbers. The label takes STATUS_BLANKS, or fewer (never below
 * STATUS_MIN_BLANKS) when the whole line would not fit it. */
#define STATUS_BLANKS 28
#define STATUS_MIN_BLANKS 2
void formatStatusLine(char *text, int size, int blanks);

/* What the status label shows when the volume is not shown over it. */
const char *statusLineText();

/* One of the skin areas, in window coordinates, bounds included, with
 * what a left-button release over it sends to the window. */
struct hitArea {
    int left, right, top, bottom;
    UINT message;   /* WM_DESTROY for the close area, WM_COMMAND otherwise */
    WPARAM id;
};

#define MAIN_HIT_AREAS 10
extern const hitArea mainHitAreas[MAIN_HIT_AREAS];

#endif
