// Saving the song list to a playlist file and opening one in its place,
// through the table of playlist formats.
#include "playlist_file.h"

#include "messages.h"
#include "playlist_formats.h"
#include "song_stream.h"

#include <stdio.h>

#include <string>
#include <vector>

namespace {

// A count outside the list's capacity never names slots that do not exist.
int clampToCapacity(int count)
{
    if (count < 0)
        return 0;
    return count > MAX_SONGS ? MAX_SONGS : count;
}

std::vector<playlistSong> songsOf(const st1 *list, bool withLengths)
{
    int count = clampToCapacity(list->songsNumber);
    std::vector<playlistSong> songs(static_cast<size_t>(count));
    for (int slot = 1; slot <= count; ++slot)
        songs[slot - 1] = {list->paths[slot], list->names[slot], withLengths ? songLengthSeconds(list->paths[slot]) : -1};
    return songs;
}

} // namespace

int savePlaylist(const st1 *list, const char *path)
{
    const playlistFormat &format = playlistFormatOf(path);
    if (!format.write)
        return 1;   // a kind that is only read
    std::vector<playlistSong> songs = songsOf(list, format.wantsLengths);
    FILE *file = fopen(path, "wb");
    if (!file)
        return 1;
    bool written = format.write(file, songs.data(), static_cast<int>(songs.size())) && !ferror(file);
    // A file that was not written whole, or whose last bytes could not be
    // flushed on closing, is reported like one that could not be opened.
    if (fclose(file) != 0)
        written = false;
    return written ? 0 : 1;
}

// The file is read whole before the list is touched, so that one that
// cannot be opened leaves the list and the playing song alone.
int openPlaylist(st1 *list, const char *path, HWND playlistWindow)
{
    (void)playlistWindow; // the window follows the list's announcements
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return 1;
    if (list->songsNumber != 0)
        clearPlaylist(list);
    addPlaylistSongs(list, path, bytes);
    return 0;
}
