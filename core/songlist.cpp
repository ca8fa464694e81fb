// The song list record and the two operations that live beside it: adding
// the files chosen in the open dialog, and emptying the list.
#include "songlist.h"

#include "fmod.h"
#include "transport.h"

#include <stdio.h>
#include <string.h>

st1 data;

namespace {

bool namesMusicFile(const char *text)
{
    return strstr(text, ".mp3") || strstr(text, ".wav") || strstr(text, ".wma") || strstr(text, ".ogg");
}

} // namespace

// A path that does not fit a slot is refused rather than cut: a cut path
// would name another file.
bool appendSongAtEnd(st1 *list, const char *path, const char *name)
{
    if (list->songsNumber < 0 || list->songsNumber >= MAX_SONGS)
        return false;
    if (strlen(path) >= PATH_SIZE)
        return false;
    int slot = list->songsNumber + 1;
    snprintf(list->paths[slot], PATH_SIZE, "%s", path);
    snprintf(list->names[slot], NAME_SIZE, "%s", name);
    list->songsNumber = slot;
    return true;
}

// The open dialog never returns a path without a backslash; one from
// elsewhere that has none is shown whole.
const char *nameOfSinglePath(const char *path)
{
    const char *lastBackslash = strrchr(path, '\\');
    return lastBackslash ? lastBackslash : path;
}

namespace {

void addDirectoryFiles(st1 *list, const char *directory)
{
    const char *file = directory + strlen(directory) + 1;
    for (; *file; file += strlen(file) + 1) {
        if (list->songsNumber >= MAX_SONGS)
            return; // the rest of the selection does not fit
        int joined = snprintf(list->workPath, WORK_PATH_SIZE, "%s\\%s", directory, file);
        if (joined < 0 || joined >= PATH_SIZE)
            continue; // too long for a slot: this file is left out
        appendSongAtEnd(list, list->workPath, file);
    }
}

} // namespace

int loadSongs(st1 *list, char *selection)
{
    if (!selection || !*selection)
        return list->songsNumber;
    if (namesMusicFile(selection))
        appendSongAtEnd(list, selection, nameOfSinglePath(selection));
    else
        addDirectoryFiles(list, selection);
    return list->songsNumber;
}

void clearPlaylist(st1 *list, HWND listControl)
{
    if (list->songsNumber == 0)
        return;
    FSOUND_StopSound(0);
    SendMessageA(listControl, LB_RESETCONTENT, 0, 0);
    int last = list->songsNumber < MAX_SONGS ? list->songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot) {
        list->paths[slot][0] = '\0';
        list->names[slot][0] = '\0';
    }
    list->songsNumber = 0;
    transportListCleared();
}
