/*
 * Tag reading: relabels every song of the list that carries tags as
 * "artist - title".
 */
#ifndef KELVORIA_TAGS_H
#define KELVORIA_TAGS_H

#include "songlist.h"

void queryTags(st1 *list);

/* The length in whole seconds of the song at `path`, through a stream of
 * its own; -1 when the engine cannot open it. */
int songLengthSeconds(const char *path);

#endif
