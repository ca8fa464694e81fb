/*
 * The list the player keeps between runs, and its place in it: an extended
 * M3U file in UTF-8, which other players open too, with two lines of the
 * player's own:
 *
 *   #EXTM3U
 *   #KELVORIA-PLACE:count=20,song=3,ms=125340,state=paused,shuffle=0,restart=1
 *   #EXTINF:-1,Song name
 *   C:\Music\Song.mp3
 *   ...                              (one name line and one path line a song)
 *   #KELVORIA-END
 *
 * The file is written whole to a temporary file beside it, flushed, then
 * renamed over the old one: a crash or a power cut leaves the old list or
 * the new one, never half of one. A file that does not keep this shape to
 * its end line is damaged; it is set aside under another name, never
 * deleted.
 */
#ifndef KELVORIA_KEPT_LIST_H
#define KELVORIA_KEPT_LIST_H

#include "songlist.h"

#include <string>
#include <vector>

/* The transport's play states (core/transport.h), in its order. */
enum keptPlayState { KEPT_STOPPED, KEPT_PAUSED, KEPT_PLAYING };

struct keptPlace {
    int song;       /* the current song's slot, 0 for none */
    int ms;         /* the position heard in it */
    int state;      /* keptPlayState */
    int shuffle;
    bool restart;
};

struct keptList {
    keptPlace place;
    std::vector<std::string> paths;   /* in the process code page */
    std::vector<std::string> names;
};

/* The file's bytes for the songs of `list` and `place`. */
std::string keptListText(const st1 *list, const keptPlace &place);

/* The list and place of a kept file's bytes; false when they are damaged
 * (another shape, a count or place that does not hold, no end line, text
 * that is not UTF-8 or a path the process code page cannot hold). */
bool readKeptListText(const std::string &bytes, keptList &kept);

/* Writes `bytes` to `path` through a temporary file renamed in place;
 * false (and the old file as it was) when any step failed. */
bool writeFileWhole(const char *path, const std::string &bytes);

/* Renames the file at `path` to "<path>.damaged", or "<path>.damaged-2" and
 * on when that is taken; false when it could not be renamed. */
bool setAsideDamaged(const char *path);

#endif
