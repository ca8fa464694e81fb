// The listeners of the song list.
#include "song_events.h"

#include "listener_table.h"

namespace {
listenerTable<songListChange, MAX_SONG_LIST_LISTENERS> listeners;
}

bool listenToSongList(songListListener listener, void *context)
{
    return listeners.add(listener, context);
}

void stopListeningToSongList(songListListener listener, void *context)
{
    listeners.remove(listener, context);
}

void announceSongList(songListChange change)
{
    listeners.tell(change);
}
