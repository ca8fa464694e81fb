/*
 * Playlist files (".m3P"): the number of songs on the first line, then one
 * full path per line, every line ended by CR LF.
 */
#ifndef KELVORIA_PLAYLIST_FILE_H
#define KELVORIA_PLAYLIST_FILE_H

#include "songlist.h"

/* Writes the whole list to `path`. Returns 0 when the file was written
 * whole, 1 when it could not be opened, written or closed. */
int savePlaylist(st1 *list, const char *path);

/* Replaces the list with the songs of the file at `path`. A non-empty list
 * is first cleared by sending command 15 to `playlistWindow`. Returns 0
 * when the file was read, 1 when it could not be opened (the list is then
 * unchanged). */
int openPlaylist(st1 *list, const char *path, HWND playlistWindow);

#endif
