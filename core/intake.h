/*
 * The one way songs come into the list. Every way in (the open dialog, a
 * drop, a playlist file, the scan, the start-up playlist, the command line,
 * a second start's hand-over, the kept list) ends here, and the intake alone
 * decides what a path is: a folder, a playlist of any kind, or a song.
 * Folders and playlists are read by the readers their subsystems register
 * at start-up, so that core needs neither.
 *
 * Songs that come in show their file name (or the name they were kept
 * under) at once; their tags are read in the background (tag_reader.h).
 */
#ifndef KELVORIA_INTAKE_H
#define KELVORIA_INTAKE_H

#include "songlist.h"

#include <string>
#include <vector>

/* Where a path comes from, which decides what an unknown file is. */
enum intakeOrigin {
    FROM_COMMAND_LINE,  /* the command line and a later start's hand-over */
    FROM_OPEN_DIALOG,   /* the open dialogs */
    FROM_DROP,          /* a drop on the playlist window: any file is a song */
};

enum pathKind { PATH_NOTHING, PATH_FOLDER, PATH_PLAYLIST, PATH_SONG };

/* What `path` is, for a path from `origin`. */
pathKind kindOfPath(const char *path, intakeOrigin origin);

/* A reader appends the songs of a folder or a playlist file after the last
 * song of `list` and returns how many it took, or -1 when the path could
 * not be read at all. */
typedef int (*pathReader)(st1 *list, const char *path);
void readFoldersWith(pathReader reader);
void readPlaylistsWith(pathReader reader, bool (*isPlaylistName)(const char *name));

/* Appends what `path` holds to `list`; the number of songs taken, or -1
 * when a folder or playlist could not be read. */
int takePath(st1 *list, const char *path, intakeOrigin origin);

enum intakeMode {
    INTAKE_APPEND,              /* after the last song */
    INTAKE_REPLACE_WHEN_SONGS,  /* the list replaced when any song came in */
    INTAKE_REPLACE,             /* the list replaced unless nothing could be read */
};

/* The paths into the one list, in order, within its capacity. `between`,
 * when given, runs after each path (the player answers other starts
 * then). Returns the songs taken, or -1 when nothing could be read. */
int intakePaths(const std::vector<std::string> &paths, intakeOrigin origin, intakeMode mode,
                void (*between)() = nullptr);

/* Appends the music files of the open dialog's selection to `list`: one
 * full path alone, or a folder followed by file names, each NUL-terminated
 * and the whole ended by an empty text. Returns the new songsNumber. */
int loadSongs(st1 *list, char *selection);

/* The open dialog's selection: one full path alone, or a folder followed by
 * file names, each NUL-terminated and the whole ended by an empty text;
 * music files of it are appended. Returns the songs taken. */
int intakeSelection(char *selection);

/* The kept list: its paths as they were kept (not checked), under the
 * names they were kept with, in place of the list, with the switches. */
void restoreSongList(const std::vector<std::string> &paths, const std::vector<std::string> &names,
                     bool shuffle, bool restart);

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
 * room; returns how many went in. The one list's form asks for their tags;
 * its caller announces SONGS_ADDED once it has taken what it had. */
int appendSongs(st1 *list, const songBatch *batch);
int appendSongs(const songBatch *batch);

/* takeSongOrAlbum for a name that is music (isMusicFileName) or a cue
 * sheet; false for others and when nothing went in. */
bool takeMusicFile(st1 *list, const char *path, const char *name);

/* The tracks of the album at `path` (a cue sheet, or a music file with a
 * sheet inside: album.h) when it is one, else the song, shown as `name`;
 * the songs taken. */
int takeSongOrAlbum(st1 *list, const char *path, const char *name);

/* The album's tracks after the last song, while the list has room; what
 * the sheet refused is told in the status line once the intake under way
 * (intakePaths, intakeSelection) has ended. The tracks taken. */
struct albumTracks;
int takeAlbum(st1 *list, const albumTracks &album);

/* The display name of a song known by its full path alone: the path from
 * its last backslash on, the backslash included (\Song.mp3). A path
 * without a backslash is shown whole. */
const char *nameOfSinglePath(const char *path);

/* The file name alone (Song.mp3). */
const char *bareNameOf(const char *path);

/* After songs came into `list` from slot `firstNew` on: their tags are
 * asked for in the background (only for the one list), then the list's
 * listeners hear SONGS_ADDED. */
void finishIntake(st1 *list, int firstNew);

#endif
