// Editing the song list in place. Every edit is written as a new order of
// the old slots, `from[new slot] = old slot`, carried out on the paths and
// names at once, with the current song carried along.
#include "list_edit.h"

#include "song_events.h"
#include "song_list_record.h"

#include <string.h>

namespace {

// Set once the song that plays was taken out: the current song then names
// the slot before the song that is to follow it, and further edits keep it
// there, until a song starts or the list is emptied.
bool beforeFollower;

void forgetFollowerOnChange(songListChange change, void *)
{
    if (change == CURRENT_SONG_CHANGED || change == SONG_HEARD_CHANGED || change == LIST_CLEARED)
        beforeFollower = false;
}

int songsIn(const st1 *list)
{
    return list->songsNumber < MAX_SONGS ? list->songsNumber : MAX_SONGS;
}

void copySlot(st1 *list, int to, int from)
{
    memcpy(list->paths[to], list->paths[from], PATH_SIZE);
    memcpy(list->names[to], list->names[from], NAME_SIZE);
}

// A permutation of slots 1..count, one cycle after another: the first song
// of each cycle is kept aside while the others move up the cycle into place.
void permuteSlots(st1 *list, const short from[], int count)
{
    static bool placed[NAME_SLOTS];
    static char pathAside[PATH_SIZE];
    static char nameAside[NAME_SIZE];
    memset(placed, 0, sizeof(placed));
    for (int start = 1; start <= count; ++start) {
        if (placed[start] || from[start] == start)
            continue;
        memcpy(pathAside, list->paths[start], PATH_SIZE);
        memcpy(nameAside, list->names[start], NAME_SIZE);
        int slot = start;
        while (from[slot] != start) {
            copySlot(list, slot, from[slot]);
            placed[slot] = true;
            slot = from[slot];
        }
        memcpy(list->paths[slot], pathAside, PATH_SIZE);
        memcpy(list->names[slot], nameAside, NAME_SIZE);
        placed[slot] = true;
    }
}

// Fewer slots in the same order: each is copied down, and the slots left
// behind are emptied as a cleared list's are.
void closeUpSlots(st1 *list, const short from[], int kept, int count)
{
    for (int slot = 1; slot <= kept; ++slot)
        if (from[slot] != slot)
            copySlot(list, slot, from[slot]);
    for (int slot = kept + 1; slot <= count; ++slot) {
        list->paths[slot][0] = '\0';
        list->names[slot][0] = '\0';
    }
}

// The current song's slot in the new order. A song taken out while it was
// current leaves the slot before the first song kept after it.
int followCurrentSong(const st1 *list, const short newSlotOf[], int kept)
{
    int count = songsIn(list);
    int current = list->currentSong;
    int follower;
    if (beforeFollower)
        follower = current + 1;
    else if (current < 1 || current > count)
        return current;     // none yet, or past the end of a shrunk list: left as it is
    else if (newSlotOf[current])
        return newSlotOf[current];
    else
        follower = current;
    while (follower <= count && !newSlotOf[follower])
        ++follower;
    beforeFollower = true;
    return (follower <= count ? newSlotOf[follower] : kept + 1) - 1;
}

// Carries out `from` (kept entries, slots 1..kept) and tells the listeners.
void applyOrder(st1 *list, const short from[], int kept)
{
    static short newSlotOf[NAME_SLOTS];
    int count = songsIn(list);
    memset(newSlotOf, 0, sizeof(newSlotOf));
    for (int slot = 1; slot <= kept; ++slot)
        newSlotOf[from[slot]] = static_cast<short>(slot);
    listenToSongList(forgetFollowerOnChange, nullptr);
    list->currentSong = followCurrentSong(list, newSlotOf, kept);
    if (kept < count)
        closeUpSlots(list, from, kept, count);
    else
        permuteSlots(list, from, count);
    list->songsNumber = kept;
    announceSongList(LIST_EDITED);
}

} // namespace

bool currentSongTakenOut()
{
    return beforeFollower;
}

namespace {

// The chosen flags at the songs' new slots.
void moveChoice(bool chosen[], const short from[], int count)
{
    static bool before[NAME_SLOTS];
    memcpy(before, chosen, sizeof(before));
    for (int slot = 1; slot <= count; ++slot)
        chosen[slot] = before[from[slot]];
}

bool sameOrder(const short from[], int count)
{
    for (int slot = 1; slot <= count; ++slot)
        if (from[slot] != slot)
            return false;
    return true;
}

bool applyMove(st1 *list, bool chosen[], const short from[])
{
    int count = songsIn(list);
    if (sameOrder(from, count))
        return false;
    moveChoice(chosen, from, count);
    applyOrder(list, from, count);
    return true;
}

short order[NAME_SLOTS];

void startInPlace(int count)
{
    for (int slot = 0; slot <= count; ++slot)
        order[slot] = static_cast<short>(slot);
}

void swapInOrder(int upper, int lower)
{
    short song = order[upper];
    order[upper] = order[lower];
    order[lower] = song;
}

} // namespace

int removeSongs(st1 *list, const bool chosen[NAME_SLOTS])
{
    int count = songsIn(list), kept = 0;
    for (int slot = 1; slot <= count; ++slot)
        if (!chosen[slot])
            order[++kept] = static_cast<short>(slot);
    if (kept == count)
        return 0;
    applyOrder(list, order, kept);
    return count - kept;
}

bool moveSongsUp(st1 *list, bool chosen[NAME_SLOTS])
{
    int count = songsIn(list);
    startInPlace(count);
    bool blocked = true;    // the song above cannot give way: the top, or a chosen song that stayed
    for (int slot = 1; slot <= count; ++slot) {
        if (!chosen[slot]) {
            blocked = false;
        } else if (!blocked) {
            swapInOrder(slot - 1, slot);
        }
    }
    return applyMove(list, chosen, order);
}

bool moveSongsDown(st1 *list, bool chosen[NAME_SLOTS])
{
    int count = songsIn(list);
    startInPlace(count);
    bool blocked = true;
    for (int slot = count; slot >= 1; --slot) {
        if (!chosen[slot]) {
            blocked = false;
        } else if (!blocked) {
            swapInOrder(slot, slot + 1);
        }
    }
    return applyMove(list, chosen, order);
}

bool moveSongsTo(st1 *list, bool chosen[NAME_SLOTS], int before)
{
    int count = songsIn(list);
    if (before < 1 || before > count + 1)
        return false;
    while (before <= count && chosen[before])
        ++before;
    int next = 0;
    for (int slot = 1; slot < before; ++slot)
        if (!chosen[slot])
            order[++next] = static_cast<short>(slot);
    for (int slot = 1; slot <= count; ++slot)
        if (chosen[slot])
            order[++next] = static_cast<short>(slot);
    for (int slot = before; slot <= count; ++slot)
        if (!chosen[slot])
            order[++next] = static_cast<short>(slot);
    return applyMove(list, chosen, order);
}

int removeSongs(const bool chosen[NAME_SLOTS])
{
    return removeSongs(&songList, chosen);
}

bool moveSongsUp(bool chosen[NAME_SLOTS])
{
    return moveSongsUp(&songList, chosen);
}

bool moveSongsDown(bool chosen[NAME_SLOTS])
{
    return moveSongsDown(&songList, chosen);
}

bool moveSongsTo(bool chosen[NAME_SLOTS], int before)
{
    return moveSongsTo(&songList, chosen, before);
}
