/*
 * The one way songs come into the list. Every way in (the open dialog, a
 * drop, a playlist file, the scan, the start-up playlist, the command line,
 * a second start's hand-over) hands each path to takeSong, or to
 * takeMusicFile when only music is wanted, and ends with finishIntake.
 */
#ifndef KELVORIA_INTAKE_H
#define KELVORIA_INTAKE_H

#include "songlist.h"

/* Puts the song at `path` into the slot after the last, shown as `name`
 * (cut between characters to its slot). False when nothing was added: the
 * list is full, or the path does not fit a slot (a cut path would name
 * another file). */
bool takeSong(st1 *list, const char *path, const char *name);

/* Songs gathered to go into the list together, in order. */
#define SONG_BATCH_SIZE 64
struct songBatch {
    int count;
    char paths[SONG_BATCH_SIZE][PATH_SIZE];
    char names[SONG_BATCH_SIZE][NAME_SIZE];
};

/* Adds a song to the batch; false when the batch is full or the path does
 * not fit a slot (a cut path would name another file). */
bool addToBatch(songBatch *batch, const char *path, const char *name);

/* Appends the batch's songs after the last, in order, while the list has
 * room; returns how many went in. */
int appendSongs(st1 *list, const songBatch *batch);

/* takeSong for a name that is music (isMusicFileName); false for others. */
bool takeMusicFile(st1 *list, const char *path, const char *name);

/* The display name of a song known by its full path alone: the path from
 * its last backslash on, the backslash included (\Song.mp3). A path
 * without a backslash is shown whole. */
const char *nameOfSinglePath(const char *path);

/* The file name alone (Song.mp3). */
const char *bareNameOf(const char *path);

/* After songs came in: when `songsRead`, the tags of the whole list are
 * read again; then the list's listeners hear SONGS_ADDED. */
void finishIntake(st1 *list, bool songsRead);

#endif
