/*
 * The kinds of music file the player takes, known by their extension, and
 * the one test that decides whether a name is one of them. The open
 * dialog's filter is built from the same table, and fmod.dll is built with
 * a demuxer and decoders for each kind (scripts/build-ffmpeg.sh lists them
 * in this order).
 */
#ifndef KELVORIA_MUSIC_KINDS_H
#define KELVORIA_MUSIC_KINDS_H

#include <stddef.h>

struct musicKind {
    const char *extension;  /* with its dot, in lower case */
    const char *tags;       /* where the engine finds title and artist */
};

extern const musicKind musicKinds[];
extern const int musicKindCount;

/* True when `name` ends with the extension of a music kind, in any case:
 * Song.MP3 and b.Flac are music, a.mp3.txt and track.mp3.lnk are not. */
bool isMusicFileName(const char *name);

/* True when `name` ends with `extension`, in any case. */
bool hasExtension(const char *name, const char *extension);

/* The open dialog's filter: "Music file", then every kind's pattern joined
 * by semicolons, each text NUL-terminated and the whole ended by one more
 * NUL. Returns its size in bytes, or 0 when it does not fit `size`. */
size_t musicFileFilter(char *filter, size_t size);

#endif
