/*
 * The block a later start hands the running player in WM_COPYDATA, with
 * HAND_OVER_TAG as its tag: NUL-ended fields, the paths in UTF-8,
 *
 *   mode       "play", "add" or "show" (no paths: bring the player back)
 *   process    the sender's process id, in decimal
 *   started    when the sender's process began (milliseconds of the
 *              system time), in decimal
 *   count      how many paths follow, in decimal
 *   paths      full paths, each ended by a NUL
 *
 * The block comes from another process and is read as untrusted: anything
 * but exactly this shape is no hand-over. Packing and reading are plain
 * code, with no call to the system, so that a table of blocks tests them.
 */
#ifndef KELVORIA_APP_HAND_OVER_FORMAT_H
#define KELVORIA_APP_HAND_OVER_FORMAT_H

#include "hand_over_selection.h"

#include <stddef.h>
#include <stdint.h>

#include <string>

#define HAND_OVER_TAG 0x4B4C5641   /* 'KLVA' */
#define HAND_OVER_MAX (4 * 1024 * 1024)

/* The block for `request` (no paths: "show") from the process `processId`
 * that began at `started`. */
std::string packHandOver(const pathRequest &request, unsigned long processId, uint64_t started);

/* Reads a block received with `tag`: false when it is not a hand-over of
 * this shape (another tag, empty or larger than HAND_OVER_MAX, a field
 * without its NUL, a mode or number that is none, a count that is not the
 * number of paths). `show` tells a "show"; `given` gets the request, the
 * process and its start (its arrival is the receiver's to set). A path that
 * is not UTF-8 the process code page can hold, or is too long for the song
 * list, is left out. */
bool readHandOver(uintptr_t tag, const void *bytes, size_t size, bool &show, handOver &given);

#endif
