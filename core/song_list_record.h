/*
 * The writable song list, for the list's own operations in core and for
 * tests that set a list up. Windows and other subsystems read `data`
 * (songlist.h) and change the list through its operations.
 */
#ifndef KELVORIA_SONG_LIST_RECORD_H
#define KELVORIA_SONG_LIST_RECORD_H

#include "songlist.h"

extern st1 songList;

#endif
