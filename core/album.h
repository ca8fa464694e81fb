/*
 * Albums kept as one file: the tracks a cue sheet gives, whether the sheet
 * is a file of its own or lies inside the music file. Core knows albums
 * only through the reader the playlist subsystem registers at start-up;
 * the intake and the disk scan ask it of every sheet and of every music
 * file that may hold one.
 */
#ifndef KELVORIA_ALBUM_H
#define KELVORIA_ALBUM_H

#include <stddef.h>
#include <string>
#include <vector>

struct albumTrack {
    std::string address;   /* for the path slot (track_address.h) */
    std::string name;      /* for the name slot, in the process code page */
};

struct albumTracks {
    std::vector<albumTrack> tracks;
    std::vector<std::string> refused;  /* short phrases ("a track with no INDEX 01") */
    std::vector<std::string> files;    /* the files the tracks play, full paths */
    std::string told;                  /* the status line's word on what was refused, or "" */
};

/* Fills `album` from the sheet at `path` or the sheet inside the music file
 * at `path`, at most `maxTracks` tracks; false when `path` is no sheet and
 * holds none (it is then a song like any other). */
typedef bool (*albumReader)(const char *path, size_t maxTracks, albumTracks &album);
void readAlbumsWith(albumReader reader);

/* The registered reader's answer; false when none is registered. */
bool readAlbum(const char *path, size_t maxTracks, albumTracks &album);

/* True for a cue sheet's file name (.cue). */
bool isCueSheetName(const char *name);

#endif
