/*
 * Tag reading: relabels every song of the list that carries tags as
 * "artist - title".
 */
#ifndef KELVORIA_TAGS_H
#define KELVORIA_TAGS_H

#include "songlist.h"

void queryTags(st1 *list);

#endif
