/*
 * The scan away from the user-interface thread. One walk at a time runs on
 * a thread of its own and hands what it finds to the user-interface thread
 * by posting to the window that started it; that thread alone writes the
 * song list. Tags of the songs that went in are read on another thread and
 * their names come back the same way, so a song shows its file name first
 * and "Artist - Title" as soon as its tags are read.
 */
#ifndef KELVORIA_BACKGROUND_SCAN_H
#define KELVORIA_BACKGROUND_SCAN_H

#include "songlist.h"

#include <windows.h>

/* Posted to the walk's window: found songs wait (takeFoundSongs), and the
 * walk has ended by itself or for a full list (finishWalk). In the range
 * WM_APP gives programs. */
#define MSG_SCAN_FOUND 0x8010
#define MSG_SCAN_WALKED 0x8011

/* How far the walk is, as the user-interface thread may show it. */
struct walkProgress {
    char folder[PATH_SIZE];         /* the folder being walked */
    int folders;                    /* folders entered so far */
    int musicFiles;                 /* music files found so far */
    unsigned long long walkedBytes; /* sizes of the files seen */
    unsigned long long usedBytes;   /* the drive's used space; 0 when unknown */
};

/* Starts walking `folder` (a drive's root as C:\, or any folder) on a
 * thread of its own; `window` hears MSG_SCAN_FOUND and MSG_SCAN_WALKED.
 * False when a walk runs already or the folder cannot be named. */
bool startWalk(HWND window, const char *folder);
bool walkRunning();

/* True when MSG_SCAN_WALKED's `wParam` comes from the walk that runs, not
 * from one cancelled before it. */
bool isRunningWalk(WPARAM walk);

/* On the user-interface thread: the songs found so far go into the list
 * after the last, in the walk's order, and their tags are asked for. When
 * the list cannot take them all, the walk is told to stop. Returns how
 * many went in; their listeners are not told (announceFoundSongs). */
int takeFoundSongs();

/* After MSG_SCAN_WALKED: the walk's thread is joined and the last songs
 * taken. cancelWalk: the walk stops within a few entries, its thread is
 * joined and what it found is taken. Both leave no walk running and return
 * the songs taken. */
int finishWalk();
int cancelWalk();
/* At quit: the walk is asked to stop and waited for at most half a second;
 * what it found by then is taken. A walk held longer (a folder that does
 * not answer) is left to the process's end and posts nothing more. No walk
 * starts after it. */
int endWalks();
/* Walking threads started and not yet ended, those let go at quit too. */
int walkThreadsLeft();
/* For tests: called on the walking thread as it enters each folder. */
void setWalkFolderHook(void (*hook)(const char *folder));

walkProgress currentWalkProgress();

/* At quit: the walk is cancelled for good and the tag reader ends, its
 * window with it; what waits for tags keeps its file name. */
void stopScanning();

#endif
