// The disk scan: fixed drives, and the depth-first walk that finds music
// files on them.
#include "disk_scan.h"

#include "album.h"
#include "intake.h"
#include "music_kinds.h"
#include "paths.h"

#include <stdio.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const int DRIVE_LIST_SIZE = 260;
const int WALK_PATH_SIZE = 512;

bool isSkippedDirectory(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0 || strcmp(name, "WINDOWS") == 0;
}

bool walkGoesOn(folderWalk *walk)
{
    if (walk->stopRequested.load(std::memory_order_relaxed))
        walk->ended = true;
    return !walk->ended;
}

// A song or track found goes into the batch, which is handed on when full.
void addFound(folderWalk *walk, const char *path, const char *shownName)
{
    ++walk->musicFiles;
    addToBatch(&walk->found, path, shownName);
    if (walk->found.count == SONG_BATCH_SIZE && !walk->handOver(walk))
        walk->ended = true;
}

void addAlbum(folderWalk *walk, const albumTracks &album)
{
    for (size_t track = 0; track < album.tracks.size() && !walk->ended; ++track)
        addFound(walk, album.tracks[track].address.c_str(), album.tracks[track].name.c_str());
}

std::string lowerCase(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// The cue sheets of one folder, read as the walk enters it, and the files
// they cover: an image a sheet lists is heard as its tracks, not listed
// beside them.
struct folderSheets {
    std::map<std::string, albumTracks> albums; // by the sheet's path, in lower case
    std::set<std::string> covered;             // the files the tracks play, in lower case
};

void readSheetsOf(const char *directory, const std::vector<WIN32_FIND_DATAA> &entries, folderSheets &sheets)
{
    for (const WIN32_FIND_DATAA &entry : entries) {
        char path[PATH_SIZE];
        albumTracks album;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !isCueSheetName(entry.cFileName) ||
            strchr(entry.cFileName, '?') || !joinPath(path, sizeof(path), directory, entry.cFileName) ||
            !readAlbum(path, MAX_SONGS, album))
            continue;
        for (const std::string &file : album.files)
            sheets.covered.insert(lowerCase(file));
        sheets.albums[lowerCase(path)] = album;
    }
}

// A music file or a sheet found: the path is joined with `fileName`, the
// name that opens the file; the list shows `shownName`, which also says
// what it is.
void gatherFound(folderWalk *walk, const char *directory, const char *fileName, const char *shownName,
                 const folderSheets &sheets)
{
    char path[PATH_SIZE];
    bool sheet = isCueSheetName(shownName);
    if ((!sheet && !isMusicFileName(shownName)) || !joinPath(path, sizeof(path), directory, fileName))
        return;     // a path too long for a slot is left out, never cut
    std::string key = lowerCase(path);
    if (sheet) {
        auto album = sheets.albums.find(key);
        if (album != sheets.albums.end())
            addAlbum(walk, album->second);
        return;
    }
    if (sheets.covered.count(key))
        return;
    albumTracks inside;
    if (readAlbum(path, MAX_SONGS, inside))
        addAlbum(walk, inside);
    else
        addFound(walk, path, shownName);
}

// The ANSI calls put '?' (never part of a real name) for every character of
// a long name that the code page cannot hold, and a path built from such a
// name opens nothing. The entry's short name names the same file and is
// plain ASCII, so the path goes through it. Null when there is no short
// name either (volumes can be made without them): nothing can reach that
// entry through the ANSI calls.
const char *openableName(const WIN32_FIND_DATAA &entry)
{
    if (!strchr(entry.cFileName, '?'))
        return entry.cFileName;
    return entry.cAlternateFileName[0] != '\0' ? entry.cAlternateFileName : nullptr;
}

void walkSubdirectory(const char *directory, const char *name, folderWalk *walk)
{
    char folder[WALK_PATH_SIZE];
    char pattern[WALK_PATH_SIZE];
    if (joinPath(folder, sizeof(folder), directory, name) && joinPath(pattern, sizeof(pattern), folder, "*.*"))
        walkFolderTree(pattern, walk);
    // else too deep to name: skipped like a directory that cannot be opened
}

// A folder is walked or passed over, never taken for a song.
void examineEntry(const WIN32_FIND_DATAA &entry, const char *directory, folderWalk *walk, const folderSheets &sheets)
{
    const char *openable = openableName(entry);
    if (!openable)
        return;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (isWalkedDirectory(entry.dwFileAttributes) && !isSkippedDirectory(entry.cFileName))
            walkSubdirectory(directory, openable, walk);
        return;
    }
    walk->bytes += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    // The music test reads the long name: a short name may differ in its
    // extension's case or length.
    gatherFound(walk, directory, openable, entry.cFileName, sheets);
}

// The walk on this thread appends straight into the list; a batch the list
// cannot take whole, or a list left full, ends the walk.
bool appendToList(folderWalk *walk)
{
    st1 *list = static_cast<st1 *>(walk->context);
    int taken = appendSongs(list, &walk->found);
    bool roomLeft = taken == walk->found.count && list->songsNumber < MAX_SONGS;
    walk->found.count = 0;
    return roomLeft;
}

} // namespace

// Read-only, archive, not-indexed, compressed, encrypted or offline bits say
// nothing about a folder's music (the shell marks every customised folder,
// a user's Music folder among them, read-only). Hidden folders are the
// system's or the user's own business, and a reparse point (a junction or a
// link) can lead back up the tree and loop.
bool isWalkedDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_REPARSE_POINT));
}

int pickFixedDrives(const char *driveList, int length, char volumes[][VOLUME_SIZE])
{
    int rows = 0;
    int offset = 0;
    while (offset < length && driveList[offset] != '\0' && rows < VOLUME_ROWS) {
        const char *root = driveList + offset;
        int rootLength = static_cast<int>(strnlen(root, length - offset));
        offset += rootLength + 1;
        if (rootLength >= VOLUME_SIZE || offset > length)
            continue; // no drive root: not a row of the table
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            snprintf(volumes[rows++], VOLUME_SIZE, "%s", root);
    }
    return rows;
}

int queryVolumes(char volumes[][VOLUME_SIZE])
{
    char driveList[DRIVE_LIST_SIZE];
    memset(driveList, 0, sizeof(driveList));
    DWORD length = GetLogicalDriveStringsA(DRIVE_LIST_SIZE, driveList);
    if (length >= static_cast<DWORD>(DRIVE_LIST_SIZE))
        length = 0; // the list did not fit and was not written
    printf("temp : %s\n\n", driveList);
    fflush(stdout);
    return pickFixedDrives(driveList, static_cast<int>(length), volumes);
}

bool folderPattern(char *pattern, size_t size, const char *folder)
{
    char directory[WALK_PATH_SIZE];
    if (strlen(folder) >= sizeof(directory))
        return false;
    strcpy(directory, folder);
    size_t length = strlen(directory);
    if (length > 0 && directory[length - 1] == '\\')
        directory[length - 1] = '\0';     // a drive's root, as D:\ .
    return joinPath(pattern, size, directory, "*.*");
}

int walkFolderTree(const char *pattern, folderWalk *walk)
{
    char directory[WALK_PATH_SIZE];
    if (strlen(pattern) >= sizeof(directory) || !walkGoesOn(walk))
        return 0;
    strcpy(directory, pattern);
    findFilePath(directory);

    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    ++walk->folders;
    if (walk->enterFolder)
        walk->enterFolder(walk, directory);
    // The folder is listed whole first, so that its sheets are known before
    // the images they cover, and its search is closed before the walk goes
    // down. Any failure of FindNextFileA ends the listing: at
    // ERROR_NO_MORE_FILES it is complete, after another error it cannot be
    // read further. An ended walk stops here, and its parents at once too.
    std::vector<WIN32_FIND_DATAA> entries;
    do
        entries.push_back(entry);
    while (walkGoesOn(walk) && FindNextFileA(search, &entry));
    FindClose(search);
    folderSheets sheets;
    readSheetsOf(directory, entries, sheets);
    for (size_t at = 0; at < entries.size() && walkGoesOn(walk); ++at)
        examineEntry(entries[at], directory, walk, sheets);
    return 1;
}

int exploreDirectory(const char *pattern, st1 *list)
{
    if (list->songsNumber < 0 || list->songsNumber >= MAX_SONGS)
        return 1;   // nothing could go in: the walk would be for nothing
    folderWalk walk = {};
    walk.handOver = appendToList;
    walk.context = list;
    int opened = walkFolderTree(pattern, &walk);
    appendToList(&walk);
    return opened;
}

int addFolderMusic(st1 *list, const char *folder)
{
    char pattern[WALK_PATH_SIZE];
    int before = list->songsNumber;
    if (before < 0 || before >= MAX_SONGS || !folderPattern(pattern, sizeof(pattern), folder))
        return 0;
    exploreDirectory(pattern, list);
    return list->songsNumber - before;
}

int searchDiskForMF(const char *pattern, st1 *list)
{
    int firstNew = list->songsNumber + 1;
    exploreDirectory(pattern, list);
    finishIntake(list, firstNew);
    return 1;
}
