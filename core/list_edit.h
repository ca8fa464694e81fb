/*
 * Editing the song list in place: songs taken out, songs moved up, down or
 * to a row. The songs to edit are given as flags by slot, chosen[1] to
 * chosen[songsNumber] (an array of NAME_SLOTS flags); the moves update the
 * flags so that they mark the same songs at their new slots.
 *
 * The current song follows its row. When the song that plays is taken out
 * it plays on to its end and then the song that followed it plays: the
 * current song then names the slot before that follower (0 when the
 * follower is now song 1, songsNumber when nothing followed it), which is
 * where Next goes on from. Later edits, before another song starts, keep
 * the current song before that same follower.
 *
 * Every edit that changes the list announces LIST_EDITED.
 */
#ifndef KELVORIA_LIST_EDIT_H
#define KELVORIA_LIST_EDIT_H

#include "songlist.h"

/* Takes the chosen songs out; the songs after them close up. Returns how
 * many were taken out. */
int removeSongs(st1 *list, const bool chosen[NAME_SLOTS]);

/* Each chosen song changes place with the unchosen song just above it
 * (below it); a chosen song already at the top (bottom), or below (above)
 * one that cannot move, stays. False when nothing moved. */
bool moveSongsUp(st1 *list, bool chosen[NAME_SLOTS]);
bool moveSongsDown(st1 *list, bool chosen[NAME_SLOTS]);

/* The chosen songs, in their order, go together before the song now in
 * slot `before` (songsNumber + 1: after the last song). A `before` that is
 * itself chosen stands for the first unchosen song after it. False when
 * nothing moved. */
bool moveSongsTo(st1 *list, bool chosen[NAME_SLOTS], int before);

/* The same edits of the one list. */
int removeSongs(const bool chosen[NAME_SLOTS]);
bool moveSongsUp(bool chosen[NAME_SLOTS]);
bool moveSongsDown(bool chosen[NAME_SLOTS]);
bool moveSongsTo(bool chosen[NAME_SLOTS], int before);

/* True while the current song names the slot before the follower of a
 * song taken out (see above), until a song starts or the list is emptied. */
bool currentSongTakenOut();

#endif
