// The song list record and the two operations that live beside it: adding
// the files chosen in the open dialog, and emptying the list.
#include "songlist.h"

#include "fmod.h"
#include "intake.h"
#include "paths.h"
#include "song_events.h"
#include "transport.h"

#include <string.h>

st1 data;

namespace {

// A folder and the names chosen in it: each joined path is offered as a
// music file named by its bare name.
void addDirectoryFiles(st1 *list, const char *directory)
{
    const char *file = directory + strlen(directory) + 1;
    for (; *file && list->songsNumber < MAX_SONGS; file += strlen(file) + 1) {
        if (joinPath(list->workPath, WORK_PATH_SIZE, directory, file))
            takeMusicFile(list, list->workPath, file);
    }
}

} // namespace

// The dialog's own convention tells the two shapes apart: nothing after the
// first text means it is one full path. (A folder named D:\old.ogg files
// is a folder all the same.)
int loadSongs(st1 *list, char *selection)
{
    if (!selection || !*selection)
        return list->songsNumber;
    const char *second = selection + strlen(selection) + 1;
    if (*second == '\0')
        takeMusicFile(list, selection, nameOfSinglePath(selection));
    else
        addDirectoryFiles(list, selection);
    return list->songsNumber;
}

void clearPlaylist(st1 *list)
{
    if (list->songsNumber == 0)
        return;
    FSOUND_StopSound(0);
    int last = list->songsNumber < MAX_SONGS ? list->songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot) {
        list->paths[slot][0] = '\0';
        list->names[slot][0] = '\0';
    }
    list->songsNumber = 0;
    transportListCleared();
    announceSongList(LIST_CLEARED);
}
