/*
 * The areas of a skinned window for the keyboard and for screen readers,
 * shared by the four windows.
 *
 * Each window describes itself once, when it is made: a name, and its skin
 * areas in reading order, each with the name a person would say, its place
 * and what a click on it sends the window. An entry may stand for one of
 * the window's child controls instead (by its id). The window's other
 * child controls follow its entries, in their z-order.
 *
 * The keyboard: Tab and Shift+Tab move through the entries and the
 * controls that are tab stops; on a skin area a dotted outline, drawn as
 * DrawFocusRect draws focus, marks it (the window's painting calls
 * drawFocusMark last), and Enter or Space act on it as a click would. A
 * control that is reached takes the keyboard focus itself.
 *
 * Screen readers: answerGetObject gives WM_GETOBJECT for OBJID_CLIENT an
 * IAccessible whose children are the entries and then the other controls:
 * skin areas as push buttons (default action: the click), a trackbar as a
 * slider whose value the window gives, labels as text, other controls with
 * the role of their kind, each with its rectangle on the screen. The mark's
 * moves are told as EVENT_OBJECT_FOCUS.
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

/* Writes the value a slider of the window shows, as "1:23 of 4:05". */
typedef void (*sliderValueWriter)(char *text, int size);

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

/* A key for one of the described windows (msg.hwnd the window or one of its
 * controls): Tab, Shift+Tab, and Enter or Space on a marked area. True
 * when the key was used. */
bool useAreaKey(const MSG &msg);

/* The window described for msg.hwnd (itself or its root), or null. */
HWND describedWindowOf(HWND window);

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

/* Child id (1 and up) of the entry or control in the window's accessible
 * object, for events about it; 0 when it has none. */
LONG accessibleChildOf(HWND window, HWND control);

/* WM_GETOBJECT: true with `result` set when the window answers. */
bool answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT &result);

/* WM_GETOBJECT for a dialog procedure: the result goes in DWLP_MSGRESULT;
 * returns the procedure's own result. */
INT_PTR answerDialogGetObject(HWND window, WPARAM wParam, LPARAM lParam);

/* The messages every skinned dialog answers alike for its areas: the focus
 * mark following the focus (WM_SETFOCUS, WM_KILLFOCUS) and its accessible
 * object (WM_GETOBJECT). True, with the dialog procedure's result in
 * `result`, when `message` is one of them. */
bool answerDialogAreaMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR &result);

#endif
