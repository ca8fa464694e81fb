/*
 * A song of the list as a stream of the engine: the file its path names,
 * or, for an album's track (track_address.h), the file limited to the
 * track's stretch, with the sheet's gains.
 */
#ifndef KELVORIA_SONG_STREAM_H
#define KELVORIA_SONG_STREAM_H

#include "fmod.h"

/* Null when the file does not open, or the track's address does not read
 * or is refused by the file (a stretch past its end). */
FSOUND_STREAM *openSongStream(const char *path);

/* The song's length in whole seconds, or -1 when it does not open. */
int songLengthSeconds(const char *path);

#endif
