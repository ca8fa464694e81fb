// Names as music folders hold them, with what every way in makes of them:
// taken as a song or not. The open dialog's, the scan's, a drop's and the
// command line's tests all read this one table.
#ifndef KELVORIA_TEST_MUSIC_NAMES_H
#define KELVORIA_TEST_MUSIC_NAMES_H

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Every name of the table in `folder`: empty files, and folders.
inline void makeMusicNames(const std::string &folder)
{
    for (const musicName &entry : musicNames) {
        std::string path = folder + "\\" + entry.name;
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA(path.c_str(), NULL);
        } else if (FILE *file = fopen(path.c_str(), "wb")) {
            fclose(file);
        }
    }
}

// The names taken, in the order a walk of that folder finds them: Wine
// lists a folder's entries sorted by name, whatever their case.
inline std::vector<std::string> takenMusicNames()
{
    std::vector<std::string> taken;
    for (const musicName &entry : musicNames)
        if (entry.taken)
            taken.push_back(entry.name);
    std::sort(taken.begin(), taken.end(),
              [](const std::string &a, const std::string &b) { return _stricmp(a.c_str(), b.c_str()) < 0; });
    return taken;
}

#endif
