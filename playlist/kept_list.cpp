// The kept list's text, and writing a file so that it is whole or not there.
#include "kept_list.h"

#include "text.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

const char HEADER[] = "#EXTM3U";
const char PLACE[] = "#KELVORIA-PLACE:";
const char NAME[] = "#EXTINF:-1,";
const char END[] = "#KELVORIA-END";
const char TRACK[] = "#EXT-X-KELVORIA-TRACK:";
const char *const STATE_NAMES[] = {"stopped", "paused", "playing"};
const int MAX_POSITION_MS = 1000 * 60 * 60 * 24 * 7;   // a week: far past any song

// A line break inside a name or path would end its line early; Windows
// names hold none, tags might.
std::string oneLine(const char *text)
{
    std::string line = utf8Of(text);
    for (char &c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

// "key=" then a whole number from 0 to `limit`, then `after`; `at` moves on.
bool readField(const char *&at, const char *key, int limit, char after, int &value)
{
    size_t length = strlen(key);
    if (strncmp(at, key, length) != 0 || at[length] != '=')
        return false;
    at += length + 1;
    long long number = 0;
    const char *digits = at;
    while (*at >= '0' && *at <= '9' && number <= limit)
        number = number * 10 + (*at++ - '0');
    if (at == digits || number > limit || *at != after)
        return false;
    if (after)
        ++at;
    value = static_cast<int>(number);
    return true;
}

bool readState(const char *&at, int &state)
{
    if (strncmp(at, "state=", 6) != 0)
        return false;
    at += 6;
    for (int named = KEPT_STOPPED; named <= KEPT_PLAYING; ++named) {
        size_t length = strlen(STATE_NAMES[named]);
        if (strncmp(at, STATE_NAMES[named], length) == 0 && at[length] == ',') {
            state = named;
            at += length + 1;
            return true;
        }
    }
    return false;
}

bool readPlace(const std::string &line, int &count, keptPlace &place)
{
    if (line.compare(0, strlen(PLACE), PLACE) != 0)
        return false;
    const char *at = line.c_str() + strlen(PLACE);
    int restart = 0;
    if (!(readField(at, "count", MAX_SONGS, ',', count) && readField(at, "song", count, ',', place.song) &&
          readField(at, "ms", MAX_POSITION_MS, ',', place.ms) && readState(at, place.state) &&
          readField(at, "shuffle", 1, ',', place.shuffle) && readField(at, "restart", 1, '\0', restart)))
        return false;
    place.restart = restart != 0;
    return true;
}

// Lines split at CR LF (or LF alone); the text after the last break is a
// line of its own, so that a file cut short never ends in a whole line.
std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        size_t cut = end > at && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(at, cut - at));
        at = end + 1;
    }
    return lines;
}

// A song: its name line, for an album's track the line with the rest of
// its address, then the path of its file. `at` moves past it.
bool readSong(const std::vector<std::string> &lines, size_t &at, keptList &kept)
{
    if (at + 1 >= lines.size() || lines[at].compare(0, strlen(NAME), NAME) != 0)
        return false;
    std::string path, name, rest;
    if (!fromUtf8(lines[at].substr(strlen(NAME)), name))
        return false;
    ++at;
    if (lines[at].compare(0, strlen(TRACK), TRACK) == 0) {
        rest = lines[at++].substr(strlen(TRACK));
        if (at >= lines.size() || rest.empty())
            return false;
    }
    if (!fromUtf8(lines[at++], path))
        return false;
    if (!rest.empty())
        path += "|" + rest;
    if (path.size() >= PATH_SIZE)
        return false;
    kept.paths.push_back(path);
    kept.names.push_back(name);
    return true;
}

// A path as the kept list writes it: an album's track as its file, behind
// the line that gives the rest of its address, so that other players that
// open the list play the file.
std::string pathLines(const char *path)
{
    std::string line = oneLine(path);
    size_t bar = line.find('|');
    if (bar == std::string::npos)
        return line + "\r\n";
    return TRACK + line.substr(bar + 1) + "\r\n" + line.substr(0, bar) + "\r\n";
}

} // namespace

std::string keptListText(const st1 *list, const keptPlace &place)
{
    char line[160];
    int count = list->songsNumber;
    int state = place.state >= KEPT_STOPPED && place.state <= KEPT_PLAYING ? place.state : KEPT_STOPPED;
    snprintf(line, sizeof(line), "%s\r\n%scount=%d,song=%d,ms=%d,state=%s,shuffle=%d,restart=%d\r\n", HEADER, PLACE,
             count, place.song, place.ms, STATE_NAMES[state], place.shuffle ? 1 : 0, place.restart ? 1 : 0);
    std::string text = line;
    for (int slot = 1; slot <= count; ++slot)
        text += NAME + oneLine(list->names[slot]) + "\r\n" + pathLines(list->paths[slot]);
    return text + END + "\r\n";
}

bool readKeptListText(const std::string &bytes, keptList &kept)
{
    kept = keptList{};
    if (!isUtf8(bytes.data(), bytes.size()))
        return false;
    std::vector<std::string> lines = linesOf(bytes);
    int count = 0;
    // The header, the place, the songs, the end line, and the empty text
    // after its line break.
    if (lines.size() < 4 || lines[0] != HEADER || !readPlace(lines[1], count, kept.place))
        return false;
    size_t at = 2;
    for (int song = 0; song < count; ++song)
        if (!readSong(lines, at, kept))
            return false;
    return lines.size() == at + 2 && lines[at] == END && lines.back().empty();
}

bool writeFileWhole(const char *path, const std::string &bytes)
{
    char temporary[MAX_PATH];
    if (snprintf(temporary, sizeof(temporary), "%s.new", path) >= static_cast<int>(sizeof(temporary)))
        return false;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) &&
                 written == bytes.size() && FlushFileBuffers(file);
    if (!CloseHandle(file))
        whole = false;
    if (whole && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary);
    return false;
}

bool setAsideDamaged(const char *path)
{
    char aside[MAX_PATH];
    for (int number = 1; number < 100; ++number) {
        int length = number == 1 ? snprintf(aside, sizeof(aside), "%s.damaged", path)
                                 : snprintf(aside, sizeof(aside), "%s.damaged-%d", path, number);
        if (length >= static_cast<int>(sizeof(aside)))
            return false;
        if (MoveFileExA(path, aside, 0))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}
