#include "kept_place.h"

#include "fmod.h"
#include "intake.h"
#include "kept_list.h"
#include "playlist_formats.h"
#include "songlist.h"
#include "stored_settings.h"
#include "transport.h"

#include <shlobj.h>
#include <windows.h>

#include <stdio.h>

namespace {

static_assert(int(KEPT_STOPPED) == int(PLAY_STOPPED) && int(KEPT_PAUSED) == int(PLAY_PAUSED) &&
                  int(KEPT_PLAYING) == int(PLAY_PLAYING),
              "the kept states are the transport's");

const DWORD KEEP_EVERY_MS = 10000;
const DWORD RETRY_EVERY_MS = 2000;
const DWORD RETRY_FOR_MS = 30000;
const char DAMAGED_TEXT[] = "The kept list was damaged; it is set aside.";
const char UNREAD_TEXT[] = "The kept list cannot be read now; it is tried again.";

// A kept file that is there but cannot be read (a backup tool or a virus
// scanner holds it) is neither set aside nor written over while the list
// is empty: it is tried again for a while, and kept as it is.
struct unreadKeptFile {
    bool waiting;
    DWORD since, lastTry;
} unread;

enum readResult { KEPT_READ, KEPT_ABSENT, KEPT_UNREADABLE };

readResult readKeptFile(const char *path, std::string &bytes)
{
    if (readFileBytes(path, bytes))
        return KEPT_READ;
    return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? KEPT_ABSENT : KEPT_UNREADABLE;
}

keptPlace placeNow()
{
    heardPlace heard = transportPlace();
    keptPlace place = {};
    place.song = heard.song;
    place.ms = heard.ms;
    place.state = static_cast<keptPlayState>(heard.state);  // the same three states, in the same order
    place.shuffle = data.shuffle == 1 ? 1 : 0;
    place.restart = data.restart;
    return place;
}

// A song that played comes back paused unless "Autoplay" is chosen; one
// that was paused stays paused, and a stopped one waits at its start.
void takeKeptPlace(const keptPlace &place)
{
    if (place.song == 0)
        return;
    if (place.state == KEPT_STOPPED)
        comeBackTo(place.song, 0, PLAY_STOPPED);
    else if (place.state == KEPT_PLAYING && IsChosen("Autoplay"))
        comeBackTo(place.song, place.ms, PLAY_PLAYING);
    else
        comeBackTo(place.song, place.ms, PLAY_PAUSED);
}

} // namespace

// The folder is made once, at the first call; its path does not change
// while the player runs.
bool keptListPath(char *path, int size)
{
    static char kept[MAX_PATH];
    if (!kept[0]) {
        char folder[MAX_PATH];
        if (SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, folder) != S_OK)
            return false;
        const char name[] = "\\Kept.m3u8";
        int length = snprintf(kept, sizeof(kept), "%s\\Kelvoria", folder);
        if (length < 0 || length + sizeof(name) > sizeof(kept)) {
            kept[0] = '\0';
            return false;
        }
        CreateDirectoryA(kept, NULL);   // there already, or made now
        snprintf(kept + length, sizeof(kept) - length, "%s", name);
    }
    int length = snprintf(path, size, "%s", kept);
    return length >= 0 && length < size;
}

bool keepPlace()
{
    char path[MAX_PATH];
    if (unread.waiting && data.songsNumber == 0)
        return false;   // an empty list never replaces a kept one that was not read
    unread.waiting = false;
    return keptListPath(path, sizeof(path)) && writeFileWhole(path, keptListText(&data, placeNow()));
}

void retryUnreadKeptList()
{
    if (!unread.waiting || GetTickCount() - unread.lastTry < RETRY_EVERY_MS)
        return;
    unread.lastTry = GetTickCount();
    if (data.songsNumber != 0 || GetTickCount() - unread.since > RETRY_FOR_MS)
        return;     // the listener made another list, or it stays unread: it is kept as it is
    comeBackToKeptPlace();
}

void keepPlaceWhilePlaying()
{
    retryUnreadKeptList();
    static DWORD lastKept = GetTickCount();
    if (GetTickCount() - lastKept < KEEP_EVERY_MS)
        return;
    lastKept = GetTickCount();
    if (transportPlace().state == PLAY_PLAYING)
        keepPlace();
}

void comeBackToKeptPlace()
{
    char path[MAX_PATH];
    std::string bytes;
    if (!keptListPath(path, sizeof(path)))
        return;     // no place to keep one
    readResult result = readKeptFile(path, bytes);
    if (result == KEPT_ABSENT)
        return;     // a first start
    if (result == KEPT_UNREADABLE) {
        if (!unread.waiting) {
            unread = unreadKeptFile{true, GetTickCount(), GetTickCount()};
            transportTell(UNREAD_TEXT);
        }
        return;
    }
    unread.waiting = false;
    keptList kept;
    if (!readKeptListText(bytes, kept)) {
        setAsideDamaged(path);
        transportTell(DAMAGED_TEXT);
        return;
    }
    restoreSongList(kept.paths, kept.names, kept.place.shuffle != 0, kept.place.restart);
    takeKeptPlace(kept.place);
}
