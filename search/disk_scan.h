/*
 * The disk scan: lists the fixed drives and walks a drive for music files,
 * appending them to the song list.
 */
#ifndef KELVORIA_DISK_SCAN_H
#define KELVORIA_DISK_SCAN_H

#include "songlist.h"

#define VOLUME_ROWS 10
#define VOLUME_SIZE 10      /* a root as C:\ and room to spare */

/* Fills `volumes` with the roots of the fixed drives, in drive-letter
 * order, at most VOLUME_ROWS of them, and returns how many it filled.
 * Prints the diagnostic line "temp : <first root>" to standard output. */
int queryVolumes(char volumes[][VOLUME_SIZE]);

/* The fixed drives among the roots of `driveList` (NUL-separated, ended by
 * an empty text, at most `length` bytes), as queryVolumes picks them. */
int pickFixedDrives(const char *driveList, int length, char volumes[][VOLUME_SIZE]);

/* True for the attribute words of the directories the walk enters: every
 * directory but a hidden one or a reparse point (junction, link). */
bool isWalkedDirectory(DWORD attributes);

/* Walks the directory of `pattern` (as C:\Music\*.*) depth first and
 * appends every music file (isMusicFileName) to the list; folders are never
 * songs. While it runs, songsNumber names the first free slot. A file or folder whose long name the ANSI code page
 * cannot hold (the system shows '?' for those characters) is reached by its
 * short name, and left out when it has none; the list shows the long name.
 * Returns 0 when the pattern cannot be opened, else 1. */
int exploreDirectory(const char *pattern, st1 *list);

/* The music files below `folder` (C:\Music or D:\), walked as a drive is,
 * appended after the last song. Returns how many were added. */
int addFolderMusic(st1 *list, const char *folder);

/* One drive's scan: the walk of `pattern`, songsNumber put back to the
 * number of songs, the tags read, and the playlist window asked to refill
 * its list (WM_CLOSE). Returns 1. */
int searchDiskForMF(const char *pattern, st1 *list, HWND playlistWindow);

#endif
