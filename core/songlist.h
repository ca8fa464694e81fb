/*
 * The song list: one record, `data`, that every part of the player reads.
 * Songs occupy slots 1 to songsNumber; slot 0 always holds the empty text.
 *
 * The list has one owner: only the list's operations change it (the intake,
 * clearing, editing, names written back from tags, a kept list restored,
 * the current song and the two switches), and each one announces what it
 * changed through song_events.h. Everyone else reads `data` and listens.
 */
#ifndef KELVORIA_SONGLIST_H
#define KELVORIA_SONGLIST_H

#define MAX_SONGS 1999      /* names has 2000 slots; slot 0 is never used */
#define PATH_SLOTS 5000
#define PATH_SIZE 512       /* 511 characters and the terminator */
#define NAME_SLOTS 2000
#define NAME_SIZE 256       /* 255 characters and the terminator */

struct st1 {
    int currentSong;        /* slot of the current song; 0 before the first */
    int songsNumber;
    int shuffle;            /* 1 = on */
    char paths[PATH_SLOTS][PATH_SIZE];
    char names[NAME_SLOTS][NAME_SIZE];
    bool restart;
};

/* The list, to read. */
extern const st1 &data;

/* The one way to empty the list: a non-empty list empties every slot and
 * announces LIST_CLEARED (the transport, listening, stops its song); an
 * empty one is left alone. */
void clearPlaylist();
void clearPlaylist(st1 *list);

/* Makes `slot` the current song (0 for none; a slot outside the list names
 * none) and announces CURRENT_SONG_CHANGED. */
void setCurrentSong(int slot);
void setCurrentSong(st1 *list, int slot);

/* The shuffle and "Restart when played" switches; SWITCHES_CHANGED is
 * announced when either changes. */
void setSwitches(bool shuffle, bool restart);

/* Writes `name` into `slot` while the slot still holds `path` (the list may
 * have been cleared or refilled since the name was asked for); false when
 * it did not. Announces nothing: the tag reader announces NAMES_CHANGED for
 * a batch of names at once. */
bool renameSong(int slot, const char *path, const char *name);

#endif
