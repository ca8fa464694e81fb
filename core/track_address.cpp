// The address of an album's track in a slot of the song list.
#include "track_address.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

const char SEPARATOR = '|';

std::vector<std::string> fieldsOf(const std::string &text)
{
    std::vector<std::string> fields;
    size_t at = 0;
    for (;;) {
        size_t bar = text.find(SEPARATOR, at);
        fields.push_back(text.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
        if (bar == std::string::npos)
            return fields;
        at = bar + 1;
    }
}

// A whole decimal number within int, with its sign; false for anything else.
bool readInt(const std::string &text, int &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char *end = nullptr;
    long long read = strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || read < INT_MIN || read > INT_MAX || !(isdigit(static_cast<unsigned char>(text.back()))))
        return false;
    value = static_cast<int>(read);
    return true;
}

bool readStretch(const std::string &text, trackAddress &track)
{
    size_t dash = text.find('-');
    if (dash == std::string::npos || !readInt(text.substr(0, dash), track.first) || track.first < 0)
        return false;
    std::string end = text.substr(dash + 1);
    if (end.empty()) {
        track.end = -1;
        return true;
    }
    return readInt(end, track.end) && track.end > track.first;
}

bool readValue(const std::string &text, int &value)
{
    value = TRACK_NO_VALUE;
    return text == "-" || (readInt(text, value) && value != TRACK_NO_VALUE);
}

bool readGains(const std::string &text, trackAddress &track)
{
    if (text == "-")
        return true;
    char parts[4][16];
    char extra;
    if (text.size() > 60 || sscanf(text.c_str(), "%15s %15s %15s %15s %c", parts[0], parts[1], parts[2], parts[3], &extra) != 4)
        return false;
    return readValue(parts[0], track.trackGain) && readValue(parts[1], track.trackPeak) &&
           readValue(parts[2], track.albumGain) && readValue(parts[3], track.albumPeak);
}

std::string valueText(int value)
{
    return value == TRACK_NO_VALUE ? std::string("-") : std::to_string(value);
}

bool anyGain(const trackAddress &track)
{
    return track.trackGain != TRACK_NO_VALUE || track.trackPeak != TRACK_NO_VALUE ||
           track.albumGain != TRACK_NO_VALUE || track.albumPeak != TRACK_NO_VALUE;
}

} // namespace

bool isTrackAddress(const char *path)
{
    return strchr(path, SEPARATOR) != nullptr;
}

bool readTrackAddress(const char *path, trackAddress &track)
{
    std::vector<std::string> fields = fieldsOf(path);
    track = trackAddress();
    if (fields.size() != 4 || fields[0].empty())
        return false;
    track.file = fields[0];
    track.sheet = fields[2];
    return readStretch(fields[1], track) && readGains(fields[3], track);
}

bool writeTrackAddress(const trackAddress &track, char *out, size_t size)
{
    if (track.file.empty() || track.file.find(SEPARATOR) != std::string::npos ||
        track.sheet.find(SEPARATOR) != std::string::npos || track.first < 0 ||
        (track.end >= 0 && track.end <= track.first))
        return false;
    std::string address = track.file + SEPARATOR + std::to_string(track.first) + '-' +
                          (track.end < 0 ? std::string() : std::to_string(track.end)) + SEPARATOR + track.sheet +
                          SEPARATOR;
    address += anyGain(track) ? valueText(track.trackGain) + ' ' + valueText(track.trackPeak) + ' ' +
                                    valueText(track.albumGain) + ' ' + valueText(track.albumPeak)
                              : std::string("-");
    if (address.size() >= size)
        return false;
    memcpy(out, address.c_str(), address.size() + 1);
    return true;
}

std::string fileOfSong(const char *path)
{
    const char *bar = strchr(path, SEPARATOR);
    return bar ? std::string(path, bar - path) : std::string(path);
}

std::string sheetPathOf(const trackAddress &track)
{
    if (track.sheet.empty() || track.sheet.find('\\') != std::string::npos)
        return track.sheet;
    size_t slash = track.file.find_last_of('\\');
    return slash == std::string::npos ? track.sheet : track.file.substr(0, slash + 1) + track.sheet;
}
