// The disk scan: fixed drives, and the depth-first walk that finds music
// files on them.
#include "disk_scan.h"

#include "intake.h"
#include "music_kinds.h"
#include "paths.h"
#include "tags.h"

#include <stdio.h>
#include <string.h>

namespace {

const int DRIVE_LIST_SIZE = 260;
const int WALK_PATH_SIZE = 512;

bool isSkippedDirectory(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0 || strcmp(name, "WINDOWS") == 0;
}

// During the walk songsNumber is the first free slot; slot 0 is never
// written and slots past the capacity do not exist.
bool listIsFull(const st1 *list)
{
    return list->songsNumber < 1 || list->songsNumber > MAX_SONGS;
}

// A music file found by the walk goes in through the intake, which appends
// after the last song: during a walk songsNumber names the first free slot,
// one more. The path is joined with `fileName`, the name that opens the
// file; the list shows `shownName`, which also says whether it is music.
void appendFound(st1 *list, const char *directory, const char *fileName, const char *shownName)
{
    char path[PATH_SIZE];
    if (!isMusicFileName(shownName) || !joinPath(path, sizeof(path), directory, fileName))
        return;     // a path too long for a slot is left out, never cut
    --list->songsNumber;
    takeSong(list, path, shownName);
    ++list->songsNumber;
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

void walkSubdirectory(const char *directory, const char *name, st1 *list)
{
    char folder[WALK_PATH_SIZE];
    char pattern[WALK_PATH_SIZE];
    if (joinPath(folder, sizeof(folder), directory, name) && joinPath(pattern, sizeof(pattern), folder, "*.*"))
        exploreDirectory(pattern, list);
    // else too deep to name: skipped like a directory that cannot be opened
}

// A folder is walked or passed over, never taken for a song.
void examineEntry(const WIN32_FIND_DATAA &entry, const char *directory, st1 *list)
{
    const char *openable = openableName(entry);
    if (!openable)
        return;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (isWalkedDirectory(entry.dwFileAttributes) && !isSkippedDirectory(entry.cFileName))
            walkSubdirectory(directory, openable, list);
        return;
    }
    // The music test reads the long name: a short name may differ in its
    // extension's case or length.
    appendFound(list, directory, openable, entry.cFileName);
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

int exploreDirectory(const char *pattern, st1 *list)
{
    char directory[WALK_PATH_SIZE];
    if (strlen(pattern) >= sizeof(directory))
        return 0;
    strcpy(directory, pattern);
    findFilePath(directory);

    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    // Any failure of FindNextFileA ends this directory: at ERROR_NO_MORE_FILES
    // it is complete, after another error it cannot be read further.
    do {
        if (listIsFull(list))
            break; // a full list ends the walk; the parents stop at once too
        examineEntry(entry, directory, list);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return 1;
}

int addFolderMusic(st1 *list, const char *folder)
{
    char directory[WALK_PATH_SIZE];
    char pattern[WALK_PATH_SIZE];
    if (strlen(folder) >= sizeof(directory))
        return 0;
    strcpy(directory, folder);
    size_t length = strlen(directory);
    if (length > 0 && directory[length - 1] == '\\')
        directory[length - 1] = '\0';     // a drive's root, as D:\ .
    int before = list->songsNumber;
    if (before < 0 || before >= MAX_SONGS || !joinPath(pattern, sizeof(pattern), directory, "*.*"))
        return 0;
    ++list->songsNumber;
    exploreDirectory(pattern, list);
    --list->songsNumber;
    return list->songsNumber - before;
}

int searchDiskForMF(const char *pattern, st1 *list, HWND playlistWindow)
{
    exploreDirectory(pattern, list);
    if (list->songsNumber > 0)
        --list->songsNumber;
    queryTags(list);
    SendMessageA(playlistWindow, WM_CLOSE, 0, 0);
    return 1;
}
