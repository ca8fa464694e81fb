// The listeners of the song list: a small fixed table, as the windows that
// listen are few and live for the whole run.
#include "song_events.h"

namespace {

struct subscription {
    songListListener listener;
    void *context;
};

subscription listeners[MAX_SONG_LIST_LISTENERS];

} // namespace

bool listenToSongList(songListListener listener, void *context)
{
    if (!listener)
        return false;
    subscription *free = nullptr;
    for (subscription &entry : listeners) {
        if (entry.listener == listener && entry.context == context)
            return true;
        if (!entry.listener && !free)
            free = &entry;
    }
    if (!free)
        return false;
    free->listener = listener;
    free->context = context;
    return true;
}

void stopListeningToSongList(songListListener listener, void *context)
{
    for (subscription &entry : listeners)
        if (entry.listener == listener && entry.context == context)
            entry = subscription{nullptr, nullptr};
}

// Each slot is read as it is reached, so a listener that leaves during the
// round is not called after it has left.
void announceSongList(songListChange change)
{
    for (subscription &entry : listeners) {
        subscription now = entry;
        if (now.listener)
            now.listener(change, now.context);
    }
}
