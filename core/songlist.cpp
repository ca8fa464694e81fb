// The song list record and the operations that change it in place: emptying
// it, the current song, the switches and the names written back from tags.
#include "song_list_record.h"

#include "song_events.h"
#include "text.h"

#include <string.h>

st1 songList;
const st1 &data = songList;

namespace {

bool isSongSlot(const st1 *list, int slot)
{
    return slot >= 1 && slot <= list->songsNumber && slot <= MAX_SONGS;
}

} // namespace

void clearPlaylist(st1 *list)
{
    if (list->songsNumber == 0)
        return;
    int last = list->songsNumber < MAX_SONGS ? list->songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot) {
        list->paths[slot][0] = '\0';
        list->names[slot][0] = '\0';
    }
    list->songsNumber = 0;
    announceSongList(LIST_CLEARED);
}

void clearPlaylist()
{
    clearPlaylist(&songList);
}

void setCurrentSong(st1 *list, int slot)
{
    list->currentSong = isSongSlot(list, slot) ? slot : 0;
    announceSongList(CURRENT_SONG_CHANGED);
}

void setCurrentSong(int slot)
{
    setCurrentSong(&songList, slot);
}

void setSwitches(bool shuffle, bool restart)
{
    if ((songList.shuffle == 1) == shuffle && songList.restart == restart)
        return;
    songList.shuffle = shuffle ? 1 : 0;
    songList.restart = restart;
    announceSongList(SWITCHES_CHANGED);
}

bool renameSong(int slot, const char *path, const char *name)
{
    if (!isSongSlot(&songList, slot) || strcmp(songList.paths[slot], path) != 0)
        return false;
    copyText(songList.names[slot], NAME_SIZE, name);
    return true;
}
