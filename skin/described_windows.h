/*
 * Inside the described windows' code (window_areas.cpp, focus_mark.cpp,
 * accessible_areas.cpp): a window's description and its parts, the
 * children the keyboard and screen readers go through, in their order.
 *
 * A part is named by its child id, 1 and up in that order, as the
 * accessible object and its events name it; partOfChild and childOfPart
 * are the only way between the two.
 */
#ifndef KELVORIA_SKIN_DESCRIBED_WINDOWS_H
#define KELVORIA_SKIN_DESCRIBED_WINDOWS_H

#include "window_areas.h"

struct describedWindow {
    HWND window;
    const char *name;
    const windowArea *areas;
    int count;
    sliderValueWriter sliderValue;
};

/* The description of `window`, or null. */
const describedWindow *describedFor(HWND window);

/* One child of a window: an entry of its table (a skin area, or a control
 * it names), or another control. */
struct part {
    int area;       /* the entry, -1 for a control the table does not name */
    HWND control;   /* null for a skin area */
};

#define PARTS_MAX 64

/* A described window's parts as they stand now: its entries, then its
 * other shown controls in their z-order. */
struct windowParts {
    const describedWindow *described;   /* null: the window is gone, or was never described */
    part list[PARTS_MAX];
    int count;
};

/* False (and no parts) when the window is gone or not described. */
bool partsOfWindow(HWND window, windowParts &parts);

#define PART_WINDOW (-1)    /* the child id names the window itself */
#define PART_NONE (-2)      /* it names nothing */

/* The index in parts.list of the part `childId` names, or PART_WINDOW
 * (CHILDID_SELF) or PART_NONE. */
int partOfChild(const windowParts &parts, LONG childId);

/* The child id of parts.list[index]. */
LONG childOfPart(int index);

bool isSkinArea(const part &p);

/* Reached by Tab: every skin area, a control the table names or that is a
 * tab stop, while shown and enabled. */
bool isTabStop(const part &p);

/* An area's place in the client coordinates the window paints in. */
RECT clientRectOfArea(HWND window, const windowArea &area);

/* A part's place on the screen. */
RECT screenRectOf(const describedWindow &w, const part &p);

/* What a click on the area sends the window, sent or posted. */
void clickArea(HWND window, const windowArea &area, bool post);

#endif
