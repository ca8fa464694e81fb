/*
 * The colour-key region builder: turns a skin bitmap into the outline of
 * its window. Every pixel that differs from the transparent colour belongs
 * to the window; each horizontal run of such pixels becomes a rectangle one
 * pixel high, and the rectangles are united into one region.
 */
#ifndef KELVORIA_SKIN_DRAW_H
#define KELVORIA_SKIN_DRAW_H

#include <windows.h>

/* Pixels are compared as whole 32-bit values: blue in the lowest byte,
 * then green, then red, top byte 0. A bitmap held in another depth is
 * read through GetDIBits as such 32-bit pixels first.
 *
 * Returns null for a null bitmap (or when the pixel buffer cannot be had),
 * an empty region when every pixel is transparent. The caller owns the
 * region; SetWindowRgn hands it on to the window. */
HRGN BmpToRgn(HBITMAP hBmp, unsigned long transparent);

/* The same outline at `scale` times: each skin pixel becomes a square of
 * scale x scale window pixels, so the edges stay as sharp as at 1. */
HRGN BmpToRgnAtScale(HBITMAP hBmp, unsigned long transparent, int scale);

#endif
