/*
 * The song list: one record, `data`, that every part of the player reads
 * and writes directly. Songs occupy slots 1 to songsNumber; slot 0 always
 * holds the empty text.
 */
#ifndef KELVORIA_SONGLIST_H
#define KELVORIA_SONGLIST_H

#include <windows.h>

#define MAX_SONGS 1999      /* names has 2000 slots; slot 0 is never used */
#define PATH_SLOTS 5000
#define PATH_SIZE 512       /* 511 characters and the terminator */
#define NAME_SLOTS 2000
#define NAME_SIZE 256       /* 255 characters and the terminator */
#define WORK_PATH_SIZE 5000

struct st1 {
    int position;           /* whole seconds played of the current song */
    int length;             /* whole seconds of the current song */
    char progressText[25];
    char tagTitle[100];
    char tagArtist[100];
    char statusText[260];
    int currentSong;        /* slot of the current song; 0 before the first */
    int songsNumber;
    int shuffle;            /* 1 = on */
    char paths[PATH_SLOTS][PATH_SIZE];
    char names[NAME_SLOTS][NAME_SIZE];
    char workPath[WORK_PATH_SIZE];
    bool restart;
};

extern st1 data;

/* Appends the music files of the open dialog's selection: one full path
 * alone, or a folder followed by file names, each NUL-terminated and the
 * whole ended by an empty text. Returns the new songsNumber. */
int loadSongs(st1 *list, char *selection);

/* The one way to empty the list: a non-empty list stops its song, empties
 * every slot and announces LIST_CLEARED; an empty one is left alone. */
void clearPlaylist(st1 *list);

#endif
