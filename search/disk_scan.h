/*
 * The disk scan: lists the fixed drives and walks a folder tree for music
 * files, which go into the song list in batches, in the walk's order.
 */
#ifndef KELVORIA_DISK_SCAN_H
#define KELVORIA_DISK_SCAN_H

#include "intake.h"
#include "songlist.h"

#include <windows.h>

#include <atomic>
#include <stddef.h>

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

/* One walk of a folder tree. It gathers the music files it finds in
 * `found` and hands the batch on (handOver) each time it is full, and once
 * more at the end; handOver returns false to end the walk there. The walk
 * also ends soon after `stopRequested` is set, from any thread. enterFolder,
 * when given, hears of each folder as the walk enters it. The counts are
 * the walk's own, read by whoever runs it. */
struct folderWalk {
    songBatch found;
    bool (*handOver)(folderWalk *walk);
    void (*enterFolder)(folderWalk *walk, const char *folder);
    void *context;
    std::atomic<bool> stopRequested{false};
    bool ended;                 /* handOver refused, or a stop was asked */
    int folders;                /* entered, the walked one included */
    int musicFiles;             /* found, whether the list took them or not */
    unsigned long long bytes;   /* sizes of the files seen */
};

/* `folder` (C:\Music, C:\ or C:) as the pattern of its entries
 * (C:\Music\*.*, C:\*.*); false when it does not fit `size`. */
bool folderPattern(char *pattern, size_t size, const char *folder);

/* Walks the directory of `pattern` (as C:\Music\*.*) depth first; every
 * music file (isMusicFileName) goes into walk->found, folders never. A
 * file or folder whose long name the ANSI code page cannot hold (the
 * system shows '?' for those characters) is reached by its short name,
 * and left out when it has none; the list shows the long name. The last
 * batch is left in walk->found for the caller to hand on. Returns 0 when
 * the pattern cannot be opened, else 1. */
int walkFolderTree(const char *pattern, folderWalk *walk);

/* The walk of `pattern` on this thread, its music appended to `list`
 * after the last song; a full list ends it. Returns 0 when the pattern
 * cannot be opened, else 1. */
int exploreDirectory(const char *pattern, st1 *list);

/* The music files below `folder` (C:\Music or D:\), walked as a drive is,
 * appended after the last song. Returns how many were added. */
int addFolderMusic(st1 *list, const char *folder);

/* One drive's scan on this thread, the way the scan ran before it had a
 * thread of its own: the walk of `pattern`, then the tags of the whole
 * list read, then SONGS_ADDED announced. Returns 1. */
int searchDiskForMF(const char *pattern, st1 *list);

#endif
