/*
 * Each skinned window at the whole-number scale of the monitor it is on
 * (scale_choice.h), doubled when the listener chose double size.
 *
 * At scale n the window is n times its skin: the skin is stretched by whole
 * pixels, the outline is cut at n times, the children sit at n times their
 * places with fonts made afresh at n times their height (drawn by the
 * system at that size, not zoomed), and the hit areas are tested in skin
 * pixels (skinPoint). A window is laid out at scale 1 by its procedure,
 * then hands itself over with followScale; at scale 1 nothing changes.
 *
 * The double-size choice is owned here: chooseDoubleSize changes it,
 * rescales every window that follows the scale and tells the listeners.
 */
#ifndef KELVORIA_SKIN_WINDOW_SCALE_H
#define KELVORIA_SKIN_WINDOW_SCALE_H

#include <windows.h>

#include "frame.h"

/* The DPI of the monitor the window is on (GetDpiForWindow where the
 * system has it, else the screen's). */
unsigned windowDpi(HWND window);

/* The scale the window is drawn at; 1 for a window that does not follow. */
int windowScale(HWND window);

/* n * value for the window's scale n. */
int scaledBy(HWND window, int value);

/* A point in window pixels as a point of the skin. */
POINT skinPoint(HWND window, POINT windowPixel);

/* WM_INITDIALOG, before anything else: a template's controls are laid out
 * by the system in dialog units at the system's DPI; this puts them where
 * they lie at 96 DPI, on the skin's own pixels. */
void adoptTemplateLayout(HWND dialog);

/* End of WM_CREATE or WM_INITDIALOG, once the children are made: the window
 * follows the scale from now on and is drawn at it at once. */
void followScale(HWND window, const skinnedWindow &table, HBITMAP skin);

/* WM_DESTROY of a window made anew at every opening. */
void stopFollowingScale(HWND window);

/* WM_DPICHANGED: the window redrawn at the new monitor's scale, the point
 * under the cursor kept. True when the message was one of these. */
bool answerScaleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* The listener's double size. */
bool doubleSizeChosen();
void chooseDoubleSize(bool doubled);
typedef void (*doubleSizeListener)(bool doubled, void *context);
void listenToDoubleSize(doubleSizeListener listener, void *context);

#endif
