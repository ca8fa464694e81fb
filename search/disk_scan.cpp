// The disk scan: fixed drives, and the depth-first walk that finds music
// files on them.
#include "disk_scan.h"

#include "stored_settings.h"
#include "tags.h"

#include <stdio.h>
#include <string.h>

namespace {

const int DRIVE_LIST_SIZE = 260;
const int WALK_PATH_SIZE = 512;

bool namesMusicFile(const char *name)
{
    bool music = strstr(name, ".mp3") || strstr(name, ".wav") || strstr(name, ".wma") || strstr(name, ".ogg");
    return music && !strstr(name, ".lnk");
}

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

// A file whose joined path or bare name would not fit its slot is left out
// rather than cut: a cut path names another file. The path is joined with
// `fileName`, the name that opens the file; the list shows `shownName`.
void appendSong(st1 *list, const char *directory, const char *fileName, const char *shownName)
{
    if (strlen(shownName) >= NAME_SIZE)
        return;
    char path[PATH_SIZE];
    int length = snprintf(path, sizeof(path), "%s\\%s", directory, fileName);
    if (length < 0 || length >= static_cast<int>(sizeof(path)))
        return;
    int slot = list->songsNumber;
    memcpy(list->paths[slot], path, length + 1);
    snprintf(list->names[slot], NAME_SIZE, "%s", shownName);
    list->songsNumber = slot + 1;
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
    char pattern[WALK_PATH_SIZE];
    int length = snprintf(pattern, sizeof(pattern), "%s\\%s\\*.*", directory, name);
    if (length < 0 || length >= static_cast<int>(sizeof(pattern)))
        return; // too deep to name: skipped like a directory that cannot be opened
    exploreDirectory(pattern, list);
}

void examineEntry(const WIN32_FIND_DATAA &entry, const char *directory, st1 *list)
{
    const char *openable = openableName(entry);
    if (isWalkedDirectory(entry.dwFileAttributes)) {
        if (openable && !isSkippedDirectory(entry.cFileName))
            walkSubdirectory(directory, openable, list);
        return;
    }
    // The music test reads the long name: a short name spells the
    // extension in capitals.
    if (openable && namesMusicFile(entry.cFileName))
        appendSong(list, directory, openable, entry.cFileName);
}

} // namespace

bool isWalkedDirectory(DWORD attributes)
{
    return attributes == FILE_ATTRIBUTE_DIRECTORY || attributes == (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
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
    int length = snprintf(directory, sizeof(directory), "%s", pattern);
    if (length < 0 || length >= static_cast<int>(sizeof(directory)))
        return 0;
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

int searchDiskForMF(const char *pattern, st1 *list, HWND playlistWindow)
{
    exploreDirectory(pattern, list);
    if (list->songsNumber > 0)
        --list->songsNumber;
    queryTags(list);
    SendMessageA(playlistWindow, WM_CLOSE, 0, 0);
    return 1;
}
