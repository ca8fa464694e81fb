/*
 * The whole-number scale a skinned window is drawn at. Bitmap skins stay
 * crisp only when every skin pixel becomes a square of whole window pixels,
 * so a monitor's DPI is rounded to 1, 2 or 3 times, never to a fraction.
 */
#ifndef KELVORIA_SKIN_SCALE_CHOICE_H
#define KELVORIA_SKIN_SCALE_CHOICE_H

#include <windows.h>

#define SCALE_MAX 6

/* 1 below 144 DPI (150 %), 2 from 144 to below 240 (250 %), 3 from 240. */
int scaleForDpi(unsigned dpi);

/* scaleForDpi, doubled when the listener asked for double size. */
int chooseScale(unsigned dpi, bool doubled);

/* The new top-left corner of a window that goes from `oldScale` to
 * `newScale` so that the skin point under `cursor` stays under it. */
POINT placeKeepingCursor(POINT topLeft, POINT cursor, int oldScale, int newScale);

#endif
