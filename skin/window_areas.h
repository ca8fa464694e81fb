/*
 * The described windows: the areas of a skinned window for the keyboard
 * (focus_mark.h) and for screen readers (accessible_areas.h), shared by
 * the four windows.
 *
 * Each window describes itself once, when it is made: a name, and its skin
 * areas in reading order, each with the name a person would say, its place
 * and what a click on it sends the window. An entry may stand for one of
 * the window's child controls instead (by its id). The window's other
 * child controls follow its entries, in their z-order.
 */
#ifndef KELVORIA_SKIN_WINDOW_AREAS_H
#define KELVORIA_SKIN_WINDOW_AREAS_H

#include <windows.h>

struct windowArea {
    const char *name;               /* for a control, null takes its own text */
    int left, right, top, bottom;   /* window coordinates, bounds included */
    UINT message;                   /* what a click sends the window: WM_COMMAND, or WM_DESTROY */
    WPARAM id;
    int controlId;                  /* nonzero: the child control with this id stands here */
};

/* Writes the value the window's slider `slider` shows, as "1:23 of 4:05". */
typedef void (*sliderValueWriter)(HWND slider, char *text, int size);

/* At most WINDOW_AREAS_MAX windows; the tables must live as long as the
 * window. A window described again (the search window, made anew at every
 * opening) replaces its old entry; entries of destroyed windows are reused. */
#define WINDOW_AREAS_MAX 8
void describeWindowAreas(HWND window, const char *windowName, const windowArea *areas, int count,
                         sliderValueWriter sliderValue = nullptr);

/* A window that is destroyed before the run ends (the search window) is
 * forgotten when it goes, so that no later window with its handle is
 * taken for it. */
void forgetWindowAreas(HWND window);

/* The window described for msg.hwnd (itself or its root), or null. */
HWND describedWindowOf(HWND window);

/* Child id (1 and up) of the entry or control in the window's accessible
 * object, for events about it; 0 when it has none. */
LONG accessibleChildOf(HWND window, HWND control);

#endif
