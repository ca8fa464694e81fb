/*
 * The playlist window's procedure: a modeless dialog from the template
 * "Playlist", created hidden at start-up and owned by the main window.
 *
 * It shows the song list, one row per song (row r is slot r + 1), several
 * rows selectable, and plays the row that is double-clicked. The selected
 * rows are played, taken out and moved by the commands below (the keys and
 * the list's right-click menu send them), and dragged rows move. Items dropped on it are appended to the
 * list: a file whatever its kind, the music below a folder, the songs of a
 * playlist file. Five areas of its skin send it commands on a left-button press:
 *   11 save the list as a playlist file    12 open a playlist file
 *   14 hide (and clear `loaded`)           15 clear the list
 *   33 the search window, modal
 * and the selected rows':
 *   34 play   35 remove   36 move up   37 move down   38 select all
 * The rest of the player sends it:
 *   WM_CLOSE        rebuild the list from `data`, select the last row; the
 *                   window neither closes nor hides
 *   WM_COMMAND 15   clearPlaylist on `data` and the list
 *   CURRENT_SONG_CHANGED (song_events.h): the playing row alone selected
 * Besides it has the skin frame (outline, painting, right-button drag).
 */
#ifndef KELVORIA_PLAYLIST_WINDOW_H
#define KELVORIA_PLAYLIST_WINDOW_H

#include <windows.h>

#include "messages.h"     /* its list's id and its commands */

/* Background of the list, a COLORREF (red 23, green 78, blue 171). */
#define PLAYLIST_LIST_COLOUR 0xAB4E17

/* The file dialogs' name buffer: the dialog is told this capacity, and the
 * buffer has room beyond it for the extension that saving appends. */
#define PLAYLIST_NAME_CAPACITY 1000

INT_PTR CALLBACK PlaylistProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
