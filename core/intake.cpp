// The one way songs come into the list.
#include "intake.h"

#include "album.h"
#include "music_kinds.h"
#include "paths.h"
#include "song_events.h"
#include "song_list_record.h"
#include "tag_reader.h"
#include "text.h"
#include "transport.h"

#include <windows.h>

#include <memory>
#include <string.h>

namespace {

pathReader folderReader;
std::string refusalTold; // what a sheet of the intake under way refused
pathReader playlistReader;
bool (*playlistName)(const char *name);

bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Songs gathered apart from the list, so that paths that give nothing
// leave the list and the playing song as they are. About 3 MB: on the heap.
std::unique_ptr<st1> gatherPaths(const std::vector<std::string> &paths, intakeOrigin origin, bool &readAny,
                                 void (*between)())
{
    std::unique_ptr<st1> gathered(new st1());
    readAny = false;
    for (const std::string &path : paths) {
        if (gathered->songsNumber >= MAX_SONGS)
            break;
        readAny |= takePath(gathered.get(), path.c_str(), origin) >= 0;
        if (between)
            between();
    }
    return gathered;
}

int appendGathered(const st1 &gathered)
{
    int first = songList.songsNumber + 1;
    for (int slot = 1; slot <= gathered.songsNumber; ++slot)
        if (!takeSong(&songList, gathered.paths[slot], gathered.names[slot]))
            break;
    return songList.songsNumber - first + 1;
}

void askTagsFrom(int firstNew)
{
    for (int slot = firstNew < 1 ? 1 : firstNew; slot <= songList.songsNumber && slot <= MAX_SONGS; ++slot)
        readTagsLater(slot, songList.paths[slot], songList.names[slot]);
}

// The directory and the names after it: each joined path is offered as a
// music file named by its bare name.
void addDirectoryFiles(st1 *list, const char *directory)
{
    char path[PATH_SIZE];
    const char *file = directory + strlen(directory) + 1;
    for (; *file && list->songsNumber < MAX_SONGS; file += strlen(file) + 1) {
        if (joinPath(path, sizeof(path), directory, file))
            takeMusicFile(list, path, file);
    }
}

} // namespace

void readFoldersWith(pathReader reader)
{
    folderReader = reader;
}

void readPlaylistsWith(pathReader reader, bool (*isPlaylistName)(const char *name))
{
    playlistReader = reader;
    playlistName = isPlaylistName;
}

pathKind kindOfPath(const char *path, intakeOrigin origin)
{
    DWORD attributes = GetFileAttributesA(path);
    if (isFolder(attributes))
        return PATH_FOLDER;
    if (playlistName && playlistName(path))
        return PATH_PLAYLIST;
    if (origin == FROM_DROP)
        return PATH_SONG;   // what the listener dropped is offered, whatever its kind
    if (attributes == INVALID_FILE_ATTRIBUTES || !isMusicFileName(path))
        return PATH_NOTHING;
    return PATH_SONG;
}

int takePath(st1 *list, const char *path, intakeOrigin origin)
{
    switch (kindOfPath(path, origin)) {
    case PATH_FOLDER: return folderReader ? folderReader(list, path) : 0;
    case PATH_PLAYLIST: return playlistReader ? playlistReader(list, path) : 0;
    case PATH_SONG: return takeSongOrAlbum(list, path, nameOfSinglePath(path));
    case PATH_NOTHING: break;
    }
    return 0;
}

int takeAlbum(st1 *list, const albumTracks &album)
{
    int taken = 0;
    for (const albumTrack &track : album.tracks) {
        if (!takeSong(list, track.address.c_str(), track.name.c_str()))
            break;
        ++taken;
    }
    if (!album.told.empty() && refusalTold.empty())
        refusalTold = album.told;
    return taken;
}

int takeSongOrAlbum(st1 *list, const char *path, const char *name)
{
    albumTracks album;
    if (list->songsNumber < MAX_SONGS && readAlbum(path, MAX_SONGS - list->songsNumber, album))
        return takeAlbum(list, album);
    return takeSong(list, path, name) ? 1 : 0;
}

static void tellWhatWasRefused()
{
    if (!refusalTold.empty())
        transportTell(refusalTold.c_str());
    refusalTold.clear();
}

int intakePaths(const std::vector<std::string> &paths, intakeOrigin origin, intakeMode mode, void (*between)())
{
    refusalTold.clear();
    bool readAny = false;
    std::unique_ptr<st1> gathered = gatherPaths(paths, origin, readAny, between);
    tellWhatWasRefused();
    if (!readAny)
        return -1;
    bool replace = mode == INTAKE_REPLACE || (mode == INTAKE_REPLACE_WHEN_SONGS && gathered->songsNumber > 0);
    if (replace)
        clearPlaylist(&songList);
    int first = songList.songsNumber + 1;
    int taken = appendGathered(*gathered);
    if (taken > 0 || replace)
        finishIntake(&songList, first);
    return taken;
}

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

int intakeSelection(char *selection)
{
    std::unique_ptr<st1> gathered(new st1());
    refusalTold.clear();
    loadSongs(gathered.get(), selection);
    tellWhatWasRefused();
    int first = songList.songsNumber + 1;
    int taken = appendGathered(*gathered);
    if (taken > 0)
        finishIntake(&songList, first);
    return taken;
}

void restoreSongList(const std::vector<std::string> &paths, const std::vector<std::string> &names, bool shuffle,
                     bool restart)
{
    clearPlaylist(&songList);
    for (size_t song = 0; song < paths.size() && song < names.size(); ++song)
        takeSong(&songList, paths[song].c_str(), names[song].c_str());
    setSwitches(shuffle, restart);
    finishIntake(&songList, 1);
}

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

// The scan hands its batches here as they are found and tells SONGS_ADDED
// itself, a few times a second at most.
int appendSongs(const songBatch *batch)
{
    int first = songList.songsNumber + 1;
    int taken = appendSongs(&songList, batch);
    askTagsFrom(first);
    return taken;
}

bool takeMusicFile(st1 *list, const char *path, const char *name)
{
    if (!isMusicFileName(name) && !isCueSheetName(name))
        return false;
    return takeSongOrAlbum(list, path, name) > 0;
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

void finishIntake(st1 *list, int firstNew)
{
    if (list == &songList)
        askTagsFrom(firstNew);
    announceSongList(SONGS_ADDED);
}
