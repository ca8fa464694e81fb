/*
 * Playlist files: the player's own ".m3P" (the number of songs on the first
 * line, then one full path per line, every line ended by CR LF), and the
 * lists of other players (playlist_formats.h).
 */
#ifndef KELVORIA_PLAYLIST_FILE_H
#define KELVORIA_PLAYLIST_FILE_H

#include "songlist.h"

#include <windows.h>

/* Writes the whole list to `path`, as extended M3U in UTF-8 when its name
 * ends in ".m3u8", as ".m3P" otherwise. Returns 0 when the file was written
 * whole, 1 when it could not be opened, written or closed. */
int savePlaylist(const st1 *list, const char *path);

/* Replaces the list with the songs of the file at `path`, of any kind the
 * player reads. A non-empty list is first cleared (clearPlaylist), and the
 * playlist window empties its rows as it hears of it; `playlistWindow` is
 * kept for the callers' sake and not used. Returns 0 when the file was read, 1 when
 * it could not be opened (the list is then unchanged). */
int openPlaylist(st1 *list, const char *path, HWND playlistWindow);

#endif
