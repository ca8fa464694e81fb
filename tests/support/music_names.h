// Names as music folders hold them, with what every way in makes of them:
// taken as a song or not. The open dialog's, the scan's, a drop's and the
// command line's tests all read this one table.
#ifndef KELVORIA_TEST_MUSIC_NAMES_H
#define KELVORIA_TEST_MUSIC_NAMES_H

#include <windows.h>

struct musicName {
    const char *name;
    DWORD attributes;   // what the folder entry carries; 0 for a plain file
    bool taken;
};

const musicName musicNames[] = {
    {"a.mp3", 0, true},
    {"Song.MP3", 0, true},
    {"b.Flac", 0, true},
    {"c.wma", 0, true},
    {"d.OGG", 0, true},
    {"e.wav", 0, true},
    {"f.m4a", 0, true},
    {"g.Opus", 0, true},
    {"h.aac", 0, true},
    {"x.lnk.ogg", 0, true},
    {"a.mp3.txt", 0, false},
    {"track.mp3.lnk", 0, false},
    {"mix.wav.bak", 0, false},
    {"notes.txt", 0, false},
    {"mp3", 0, false},
    {"album.mp3", FILE_ATTRIBUTE_DIRECTORY, false},
    {"Locked.flac", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, false},
};

#endif
