/*
 * A track of an album kept as one file, as a slot of the song list names
 * it: the file's path, then what the cue sheet says of the track, after
 * '|' (a character no Windows file name holds):
 *
 *   C:\Music\Album.flac|150-23700|Album.cue|-310 988000 - -
 *
 * the stretch in CD frames (1/75 s) from the file's start, its end left
 * empty when the track runs to the file's end; the sheet that lists it
 * (its name when it lies beside the file, else its full path; empty when
 * the sheet is inside the file); and the sheet's ReplayGain values (track
 * gain, track peak, album gain, album peak: gains in hundredths of a
 * decibel, peaks in millionths of full scale, "-" for each not given).
 * The kept list and the player's own playlists keep the address as it is.
 */
#ifndef KELVORIA_TRACK_ADDRESS_H
#define KELVORIA_TRACK_ADDRESS_H

#include <stddef.h>
#include <string>

#define TRACK_NO_VALUE (-2147483647 - 1)

struct trackAddress {
    std::string file;         /* the file's full path */
    int first = 0;            /* CD frames from the file's start */
    int end = -1;             /* not heard; -1: the file's end */
    std::string sheet;        /* as the address holds it; empty: inside the file */
    int trackGain = TRACK_NO_VALUE, trackPeak = TRACK_NO_VALUE;
    int albumGain = TRACK_NO_VALUE, albumPeak = TRACK_NO_VALUE;
};

/* True when `path` is a track's address (it holds a '|'). */
bool isTrackAddress(const char *path);

/* The address in `path`; false for a plain path or an address that does
 * not read (a damaged kept list): nothing is then played from it. */
bool readTrackAddress(const char *path, trackAddress &track);

/* The address of `track`, into `out`; false when it does not fit `size`
 * (a cut address would name another stretch). */
bool writeTrackAddress(const trackAddress &track, char *out, size_t size);

/* The file a song's path opens: the path itself, or a track's file. */
std::string fileOfSong(const char *path);

/* The full path of the sheet that lists `track`, or "" when it is inside
 * the file. */
std::string sheetPathOf(const trackAddress &track);

#endif
