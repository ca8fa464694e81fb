/*
 * The search window's procedure: a modal dialog from the template "Search",
 * opened by the playlist window (its owner) each time the user asks for a
 * scan, and destroyed when it ends.
 *
 * Each opening lists the fixed drives afresh with one unticked check box per
 * drive. Start (id 1, or Enter) empties the song list through the playlist
 * window's command 15, scans every ticked drive in turn with the disk scan
 * and tells the total so far in a "Done :" box after each, then ends the
 * window. Id 2 (the close area, or Escape) ends it and leaves the list as it
 * was. The skin frame is the shared one of skin/frame.h.
 */
#ifndef KELVORIA_SEARCH_WINDOW_H
#define KELVORIA_SEARCH_WINDOW_H

#include <windows.h>

INT_PTR CALLBACK SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
