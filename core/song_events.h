/*
 * What happens to the song list, told to whoever asked to hear it. Core
 * announces; the windows listen. Core knows no window: a window subscribes a
 * plain function when it is made and does its own drawing in it.
 *
 * Every announcement is made on the user-interface thread, and each listener
 * has run when announceSongList returns.
 */
#ifndef KELVORIA_SONG_EVENTS_H
#define KELVORIA_SONG_EVENTS_H

enum songListChange {
    SONGS_ADDED,            /* songs were appended after the last one */
    LIST_CLEARED,           /* the list was emptied */
    LIST_EDITED,            /* songs were removed or moved */
    NAMES_CHANGED,          /* display names changed (tags were read) */
    CURRENT_SONG_CHANGED,   /* currentSong names another slot */
    SONG_HEARD_CHANGED,     /* the first sample of another song is heard */
    SWITCHES_CHANGED        /* shuffle or "Restart when played" changed */
};

typedef void (*songListListener)(songListChange change, void *context);

/* At most MAX_SONG_LIST_LISTENERS at once; false when there is no room.
 * The same function and context are subscribed only once. */
#define MAX_SONG_LIST_LISTENERS 8
bool listenToSongList(songListListener listener, void *context);
void stopListeningToSongList(songListListener listener, void *context);

/* Tells every listener, in the order they subscribed. A listener may
 * unsubscribe itself or others while it is told. */
void announceSongList(songListChange change);

#endif
