/*
 * The keyboard on the described windows (window_areas.h): Tab and
 * Shift+Tab move through the entries and the controls that are tab stops;
 * on a skin area a dotted outline, drawn as DrawFocusRect draws focus,
 * marks it (the window's painting calls drawFocusMark last), and Enter or
 * Space act on it as a click would. A control that is reached takes the
 * keyboard focus itself. The mark's moves are told as EVENT_OBJECT_FOCUS.
 *
 * Which area holds the mark is this file's: it alone changes it.
 */
#ifndef KELVORIA_SKIN_FOCUS_MARK_H
#define KELVORIA_SKIN_FOCUS_MARK_H

#include <windows.h>

struct windowParts;

/* A key for one of the described windows (msg.hwnd the window or one of its
 * controls): Tab, Shift+Tab, and Enter or Space on a marked area. True
 * when the key was used. */
bool useAreaKey(const MSG &msg);

/* Whether a skin area of the window holds the mark: the window itself then
 * keeps the keyboard focus (a dialog would hand it to a control). */
bool areaMarked(HWND window);

/* Last in the window's painting, on the surface it painted (client
 * coordinates): the dotted outline around the marked area, while the
 * window itself has the keyboard focus. */
void drawFocusMark(HWND window, HDC dc);

/* WM_SETFOCUS and WM_KILLFOCUS of the window: the mark is drawn again, or
 * taken away, with the focus. */
void focusMarkFollowsFocus(HWND window);

/* The entry of the skin area that holds the window's mark, -1 for none. */
int markedArea(HWND window);

/* Which part holds the focus now (an index in parts.list): the marked area
 * while the window itself has the keyboard focus, or the control that has
 * it; -1 for none. */
int focusedPart(const windowParts &parts);

/* Gives parts.list[index] the focus: the mark for a skin area, the
 * keyboard focus for a control. */
void focusPart(const windowParts &parts, int index);

/* A window described anew, or forgotten, holds no mark. */
void forgetFocusMark(HWND window);

#endif
