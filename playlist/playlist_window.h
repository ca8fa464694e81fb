/*
 * The playlist window's procedure: a modeless dialog from the template
 * "Playlist", created hidden at start-up and owned by the main window.
 *
 * For now it keeps the list control in step with the song list and carries
 * the commands the rest of the player sends it:
 *   WM_CLOSE        rebuild the list from `data`, select the last row; the
 *                   window neither closes nor hides
 *   WM_COMMAND 14   hide, and clear `loaded` so the main window may show it again
 *   WM_COMMAND 15   clearPlaylist on `data` and the list
 * and the skin frame (outline, painting, right-button drag).
 */
#ifndef KELVORIA_PLAYLIST_WINDOW_H
#define KELVORIA_PLAYLIST_WINDOW_H

#include <windows.h>

#define PLAYLIST_LIST_ID 10     /* the list control */
#define PLAYLIST_CMD_HIDE 14
#define PLAYLIST_CMD_CLEAR 15

INT_PTR CALLBACK PlaylistProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
