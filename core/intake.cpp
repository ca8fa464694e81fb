// The one way songs come into the list.
#include "intake.h"

#include "globals.h"
#include "messages.h"
#include "music_kinds.h"
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
    SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
}

void clearSongList(st1 *list)
{
    clearPlaylist(list, GetDlgItem(hPlaylistDialog, PLAYLIST_LIST_ID));
}
