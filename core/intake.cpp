// The one way songs come into the list.
#include "intake.h"

#include "music_kinds.h"
#include "song_events.h"
#include "tags.h"
#include "text.h"

#include <string.h>

bool takeSong(st1 *list, const char *path, const char *name)
{
    if (list->songsNumber < 0 || list->songsNumber >= MAX_SONGS)
        return false;
    size_t length = strlen(path);
    if (length >= PATH_SIZE)
        return false;
    int slot = list->songsNumber + 1;
    memcpy(list->paths[slot], path, length + 1);
    copyText(list->names[slot], NAME_SIZE, name);
    list->songsNumber = slot;
    return true;
}

bool addToBatch(songBatch *batch, const char *path, const char *name)
{
    if (batch->count < 0 || batch->count >= SONG_BATCH_SIZE)
        return false;
    size_t length = strlen(path);
    if (length >= PATH_SIZE)
        return false;
    memcpy(batch->paths[batch->count], path, length + 1);
    copyText(batch->names[batch->count], NAME_SIZE, name);
    ++batch->count;
    return true;
}

int appendSongs(st1 *list, const songBatch *batch)
{
    int taken = 0;
    while (taken < batch->count && takeSong(list, batch->paths[taken], batch->names[taken]))
        ++taken;
    return taken;
}

bool takeMusicFile(st1 *list, const char *path, const char *name)
{
    return isMusicFileName(name) && takeSong(list, path, name);
}

const char *nameOfSinglePath(const char *path)
{
    const char *lastBackslash = strrchr(path, '\\');
    return lastBackslash ? lastBackslash : path;
}

const char *bareNameOf(const char *path)
{
    const char *lastBackslash = strrchr(path, '\\');
    return lastBackslash ? lastBackslash + 1 : path;
}

void finishIntake(st1 *list, bool songsRead)
{
    if (songsRead)
        queryTags(list);
    announceSongList(SONGS_ADDED);
}
