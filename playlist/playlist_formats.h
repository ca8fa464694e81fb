/*
 * Playlist files of every kind the player opens, and the two it writes,
 * as a table of readers and writers. A reader hands each song it finds to
 * the intake (core/intake.h) and a writer is given the songs; none of them
 * touches a window or the song list's fields.
 *
 *   .m3P   the player's own: the count on line 1, then one full path per
 *          line, in the process code page (a file that is not UTF-8 where
 *          the process speaks UTF-8 is an older one, in the legacy code page)
 *   .m3u   extended or plain M3U: UTF-8 when it is valid UTF-8 or starts
 *          with a byte-order mark, the legacy code page otherwise
 *   .m3u8  M3U in UTF-8, always; written as extended M3U. An album's
 *          tracks, all of them in order, are written as its cue sheet (or
 *          the file holding its sheet), which other players open as the
 *          album; a track on its own as its file behind a line
 *          "#EXT-X-KELVORIA-TRACK:<first>-<end>|<sheet>|<gains>" (the rest
 *          of its address, track_address.h), which other players pass over
 *          and so play the whole file
 *   .m3P   also keeps a track as its address
 *   .cue   a cue sheet, read as its tracks (cue_album.h)
 *   .pls   [playlist] with File1=, File2=, ... taken in their numbered order
 */
#ifndef KELVORIA_PLAYLIST_FORMATS_H
#define KELVORIA_PLAYLIST_FORMATS_H

#include "songlist.h"

#include <stdio.h>
#include <string>

/* One song as a writer gets it, texts in the process code page. */
struct playlistSong {
    const char *path;
    const char *name;   /* the display name */
    int seconds;        /* its length, or -1 when not known */
};

struct playlistFormat {
    const char *extension;
    /* Appends the songs of a file's bytes; `folder` is the file's own, for
     * the relative paths of other players' lists. */
    void (*read)(st1 *list, const std::string &bytes, const char *folder);
    /* Writes the songs; false when the file could not be written. Null
     * for the kinds that are only read. */
    bool (*write)(FILE *file, const playlistSong *songs, int count);
    bool wantsLengths;  /* the writer uses playlistSong::seconds */
};

/* The format of a file by its extension, in any case; the player's own
 * for any other name. */
const playlistFormat &playlistFormatOf(const char *path);

/* True when `name` ends with the extension of a playlist kind. */
bool isPlaylistFileName(const char *name);

/* The whole of a file, up to a bound far above any playlist; false when it
 * cannot be opened or read whole. */
bool readFileBytes(const char *path, std::string &bytes);

/* Appends the songs of the playlist file at `path`, by its kind. Returns 0
 * when the file was read, 1 when it could not be opened. */
int addPlaylistFile(st1 *list, const char *path);

/* The intake's reader of playlist files: the songs taken, or -1 when the
 * file cannot be read. */
int readPlaylistInto(st1 *list, const char *path);

/* The same for a file whose bytes were read already. */
void addPlaylistSongs(st1 *list, const char *path, const std::string &bytes);

#endif
