/*
 * Tag reading: relabels every song of the list that carries tags as
 * "artist - title".
 */
#ifndef KELVORIA_TAGS_H
#define KELVORIA_TAGS_H

#include "songlist.h"

#include <stddef.h>

void queryTags(st1 *list);

/* The name queryTags would give a song at `path` now shown as `shownName`,
 * into `name` (of `size` bytes); false, with `name` untouched, when the song
 * has no tag fields or cannot be opened. Touches no list: the disk scan
 * calls it on a thread of its own (the engine serialises its calls). */
bool tagNameOf(const char *path, const char *shownName, char *name, size_t size);

#endif
