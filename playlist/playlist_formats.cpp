// Playlist files of every kind: readers into the intake, writers from a
// list of songs.
#include "playlist_formats.h"

#include "album.h"
#include "cue_album.h"
#include "intake.h"
#include "music_kinds.h"
#include "paths.h"
#include "text.h"
#include "track_address.h"

#include <windows.h>

#include <ctype.h>
#include <limits.h>
#include <string.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Far above any real playlist (1,999 paths of 511 bytes are 1 MB); what
// lies beyond is not read.
const size_t MAX_PLAYLIST_BYTES = 16 * 1024 * 1024;

const char UTF8_MARK[] = "\xEF\xBB\xBF";

bool startsWithMark(const std::string &bytes)
{
    return bytes.compare(0, 3, UTF8_MARK) == 0;
}

std::string withoutMark(const std::string &bytes)
{
    return startsWithMark(bytes) ? bytes.substr(3) : bytes;
}

// Lines split at line feeds, every carriage return at a line's end taken
// away (a line ending in several would otherwise keep one).
std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        size_t cut = end;
        while (cut > at && text[cut - 1] == '\r')
            --cut;
        lines.push_back(text.substr(at, cut - at));
        at = end + 1;
    }
    return lines;
}

std::string trimmed(const std::string &line)
{
    size_t first = line.find_first_not_of(" \t\r\v\f");
    if (first == std::string::npos)
        return std::string();
    size_t last = line.find_last_not_of(" \t\r\v\f");
    return line.substr(first, last - first + 1);
}

// ---- The player's own .m3P -------------------------------------------------

// The count of line 1, read as "%d" reads it (leading blanks, a sign) but
// saturating instead of overflowing, and kept to the list's capacity.
int countOf(const std::string &line)
{
    size_t at = 0;
    while (at < line.size() && isspace(static_cast<unsigned char>(line[at])))
        ++at;
    bool negative = at < line.size() && line[at] == '-';
    if (at < line.size() && (line[at] == '-' || line[at] == '+'))
        ++at;
    long long value = 0;
    bool digits = false;
    for (; at < line.size() && isdigit(static_cast<unsigned char>(line[at])); ++at) {
        digits = true;
        value = std::min<long long>(value * 10 + (line[at] - '0'), INT_MAX);
    }
    if (!digits || negative)
        return 0;
    return static_cast<int>(std::min<long long>(value, MAX_SONGS));
}

// Where the process speaks UTF-8, a file that is not UTF-8 was written by
// an earlier version in the system's legacy code page.
std::string inProcessCodePage(const std::string &bytes)
{
    if (!processUsesUtf8() || isUtf8(bytes.data(), bytes.size()))
        return bytes;
    std::string converted;
    return convertText(bytes, legacyCodePage(), CP_UTF8, converted) ? converted : bytes;
}

// Where the album of the track at `path` is read from: its sheet, or the
// file that holds its sheet; "" for a song.
std::string albumSourceOf(const char *path)
{
    trackAddress track;
    if (!readTrackAddress(path, track))
        return std::string();
    std::string sheet = sheetPathOf(track);
    return sheet.empty() ? track.file : sheet;
}

// The name an album's track is shown by, as its sheet gives it now. A list
// holds an album's tracks one after another: the album last read is kept.
struct albumAtHand {
    std::string source;
    albumTracks album;
};

std::string trackName(const char *address, albumAtHand &hand)
{
    std::string &source = hand.source;
    albumTracks &album = hand.album;
    std::string wanted = albumSourceOf(address);
    if (wanted != source) {
        source = wanted;
        if (wanted.empty() || !readAlbumAt(wanted.c_str(), MAX_SONGS, album))
            album = albumTracks();
    }
    for (const albumTrack &track : album.tracks)
        if (track.address == address)
            return track.name;
    return nameOfSinglePath(fileOfSong(address).c_str());
}

std::string nameOfListed(const std::string &path, albumAtHand &hand)
{
    return isTrackAddress(path.c_str()) ? trackName(path.c_str(), hand) : std::string(nameOfSinglePath(path.c_str()));
}

// The count alone decides how many songs the file gives: a counted song
// without a usable line (missing, too long for a slot, holding a NUL) is an
// empty song, so that every later line keeps its place. Lines past the
// count are not songs of the list.
void readM3p(st1 *list, const std::string &bytes, const char *)
{
    std::vector<std::string> lines = linesOf(inProcessCodePage(withoutMark(bytes)));
    int count = lines.empty() ? 0 : countOf(lines[0]);
    albumAtHand hand;
    for (int song = 1; song <= count; ++song) {
        const std::string path = song < static_cast<int>(lines.size()) ? lines[song] : std::string();
        bool usable = path.find('\0') == std::string::npos;
        if (!(usable && takeSong(list, path.c_str(), nameOfListed(path, hand).c_str())) && !takeSong(list, "", ""))
            return;     // the list is full
    }
}

bool writeM3p(FILE *file, const playlistSong *songs, int count)
{
    bool written = fprintf(file, "%d\r\n", count) > 0;
    for (int song = 0; song < count && written; ++song)
        written = fprintf(file, "%s\r\n", songs[song].path) >= 0;
    return written;
}

// ---- Other players' lists ------------------------------------------------------

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percentDecoded(const std::string &text)
{
    std::string decoded;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 2 < text.size()) {
            int high = hexValue(text[at + 1]), low = hexValue(text[at + 2]);
            if (high >= 0 && low >= 0) {
                decoded += static_cast<char>(high * 16 + low);
                at += 2;
                continue;
            }
        }
        decoded += text[at];
    }
    return decoded;
}

bool startsWithNoCase(const std::string &text, const char *prefix)
{
    size_t length = strlen(prefix);
    return text.size() >= length && _strnicmp(text.c_str(), prefix, length) == 0;
}

// "http://...", "rtsp://..." and the like: the engine plays local files.
bool isRemoteUrl(const std::string &entry)
{
    size_t colon = entry.find("://");
    if (colon == std::string::npos || colon < 2)
        return false;   // a drive letter is one character
    for (size_t at = 0; at < colon; ++at) {
        char c = entry[at];
        if (!isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// file:///C:/Music/a%20b.mp3 -> C:/Music/a b.mp3; file://server/share/x ->
// //server/share/x. The escapes stand for UTF-8 bytes.
std::string pathOfFileUrl(const std::string &url)
{
    std::string rest = url.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        rest = rest.substr(2);
        if (startsWithNoCase(rest, "localhost/"))
            rest = rest.substr(9);
        else if (!rest.empty() && rest[0] != '/')
            rest = "//" + rest;     // a host: a network share
    }
    std::string path = percentDecoded(rest);
    // "/C:/..." is a drive path behind the URL's own slash.
    if (path.size() >= 3 && path[0] == '/' && isalpha(static_cast<unsigned char>(path[1])) && path[2] == ':')
        path = path.substr(1);
    return path;
}

// An entry of another player's list, in UTF-8, as a full local path in the
// process code page. False for remote URLs, paths that do not fit a slot
// and names the process code page cannot hold.
bool localPath(const std::string &entry, const char *folder, char *path, size_t size)
{
    std::string text;
    if (startsWithNoCase(entry, "file:"))
        text = pathOfFileUrl(entry);
    else if (isRemoteUrl(entry))
        return false;
    else
        text = entry;
    if (text.empty() || text.find('\0') != std::string::npos || text.size() >= size)
        return false;
    std::replace(text.begin(), text.end(), '/', '\\');
    std::string native;
    if (!fromUtf8(text, native))
        return false;
    return absolutePath(path, size, folder, native.c_str());
}

void takeEntry(st1 *list, const std::string &entry, const char *folder)
{
    char path[PATH_SIZE];
    if (localPath(entry, folder, path, sizeof(path)))
        takeMusicFile(list, path, nameOfSinglePath(path));
}

// A track on its own, written as its file behind a line that gives the
// rest of its address; other players play the whole file.
const char TRACK_LINE[] = "#EXT-X-KELVORIA-TRACK:";

void takeTrackEntry(st1 *list, const std::string &entry, const char *folder, const std::string &rest,
                    const std::string &title)
{
    char file[PATH_SIZE], address[PATH_SIZE];
    std::string name;
    trackAddress track;
    if (!localPath(entry, folder, file, sizeof(file)) || !fromUtf8(title, name) ||
        snprintf(address, sizeof(address), "%s|%s", file, rest.c_str()) >= static_cast<int>(sizeof(address)) ||
        !readTrackAddress(address, track))
        return;
    takeSong(list, address, name.empty() ? nameOfSinglePath(file) : name.c_str());
}

// "#EXTINF:123,Title" as its title.
std::string titleOfExtinf(const std::string &line)
{
    size_t comma = line.find(',');
    return comma == std::string::npos ? std::string() : trimmed(line.substr(comma + 1));
}

// UTF-8 when it says so or is valid UTF-8; else the legacy code page's.
std::string asUtf8(const std::string &bytes)
{
    if (startsWithMark(bytes))
        return bytes.substr(3);
    if (isUtf8(bytes.data(), bytes.size()))
        return bytes;
    std::string converted;
    return convertText(bytes, legacyCodePage(), CP_UTF8, converted) ? converted : std::string();
}

void readM3uText(st1 *list, const std::string &utf8, const char *folder)
{
    std::string title, trackRest;
    for (const std::string &line : linesOf(utf8)) {
        if (list->songsNumber >= MAX_SONGS)
            return;
        std::string entry = trimmed(line);
        if (startsWithNoCase(entry, "#EXTINF:"))
            title = titleOfExtinf(entry);
        else if (startsWithNoCase(entry, TRACK_LINE))
            trackRest = entry.substr(sizeof(TRACK_LINE) - 1);
        if (entry.empty() || entry[0] == '#')
            continue;
        if (trackRest.empty())
            takeEntry(list, entry, folder);
        else
            takeTrackEntry(list, entry, folder, trackRest, title);
        title.clear();
        trackRest.clear();
    }
}

void readM3u(st1 *list, const std::string &bytes, const char *folder)
{
    readM3uText(list, asUtf8(bytes), folder);
}

// Always UTF-8: a line that is not is left out by the conversion.
void readM3u8(st1 *list, const std::string &bytes, const char *folder)
{
    readM3uText(list, withoutMark(bytes), folder);
}

// "FileN=path" entries, in the order of their numbers whatever the order of
// the lines; the other keys (TitleN, LengthN, NumberOfEntries) are not
// needed.
void readPls(st1 *list, const std::string &bytes, const char *folder)
{
    std::vector<std::pair<long, std::string>> entries;
    for (const std::string &line : linesOf(asUtf8(bytes))) {
        std::string entry = trimmed(line);
        if (!startsWithNoCase(entry, "file"))
            continue;
        size_t at = 4;
        long number = 0;
        while (at < entry.size() && isdigit(static_cast<unsigned char>(entry[at])) && number < 100000000)
            number = number * 10 + (entry[at++] - '0');
        size_t equals = entry.find_first_not_of(" \t", at);
        if (at == 4 || equals == std::string::npos || entry[equals] != '=')
            continue;
        entries.emplace_back(number, trimmed(entry.substr(equals + 1)));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::pair<long, std::string> &a, const std::pair<long, std::string> &b) {
                         return a.first < b.first;
                     });
    for (const auto &entry : entries) {
        if (list->songsNumber >= MAX_SONGS)
            return;
        takeEntry(list, entry.second, folder);
    }
}

// Extended M3U, the form every other player reads: the header, then for
// each song its length and display name, and its absolute path, in UTF-8
// whatever the process speaks.
bool writeEntry(FILE *file, int seconds, const char *name, const std::string &path)
{
    if (name[0] == '\\')
        ++name;
    return fprintf(file, "#EXTINF:%d,%s\r\n%s\r\n", seconds, utf8Of(name).c_str(), utf8Of(path).c_str()) > 0;
}

// How many songs from `first` on are every track of one album, in order,
// and nothing else; 0 when they are not.
int wholeAlbumAt(const playlistSong *songs, int first, int count, std::string &source)
{
    source = albumSourceOf(songs[first].path);
    albumTracks album;
    if (source.empty() || !readAlbumAt(source.c_str(), MAX_SONGS, album) || album.tracks.empty() ||
        album.tracks.size() > static_cast<size_t>(count - first))
        return 0;
    for (size_t track = 0; track < album.tracks.size(); ++track)
        if (album.tracks[track].address != songs[first + track].path)
            return 0;
    return static_cast<int>(album.tracks.size());
}

bool writeTrack(FILE *file, const playlistSong &song)
{
    std::string path = song.path;
    size_t bar = path.find('|');
    const char *name = song.name[0] == '\\' ? song.name + 1 : song.name;
    return fprintf(file, "#EXTINF:%d,%s\r\n%s%s\r\n%s\r\n", song.seconds, utf8Of(name).c_str(), TRACK_LINE,
                   utf8Of(path.substr(bar + 1)).c_str(), utf8Of(path.substr(0, bar)).c_str()) > 0;
}

// Extended M3U, the form every other player reads: the header, then for
// each song its length and display name, and its absolute path, in UTF-8
// whatever the process speaks. Every track of an album in order is written
// as the album's sheet (or the file holding it), which other players open
// as the album too; a track on its own as its file, behind a line of ours
// that names the stretch.
bool writeM3u8(FILE *file, const playlistSong *songs, int count)
{
    bool written = fputs("#EXTM3U\r\n", file) >= 0;
    for (int song = 0; song < count && written;) {
        std::string source;
        int tracks = isTrackAddress(songs[song].path) ? wholeAlbumAt(songs, song, count, source) : 0;
        if (tracks > 0) {
            int seconds = 0;
            for (int track = song; track < song + tracks; ++track)
                seconds += std::max(songs[track].seconds, 0);
            written = writeEntry(file, seconds, bareNameOf(source.c_str()), source);
            song += tracks;
        } else {
            written = isTrackAddress(songs[song].path) ? writeTrack(file, songs[song])
                                                       : writeEntry(file, songs[song].seconds, songs[song].name,
                                                                    songs[song].path);
            ++song;
        }
    }
    return written;
}

const playlistFormat playlistFormats[] = {
    {".m3P", readM3p, writeM3p, false},
    {".m3u8", readM3u8, writeM3u8, true},
    {".m3u", readM3u, nullptr, false},
    {".pls", readPls, nullptr, false},
};

} // namespace

const playlistFormat &playlistFormatOf(const char *path)
{
    for (const playlistFormat &format : playlistFormats)
        if (hasExtension(path, format.extension))
            return format;
    return playlistFormats[0];
}

bool isPlaylistFileName(const char *name)
{
    if (isCueSheetName(name))
        return true;    // a cue sheet opens as a list of its tracks
    for (const playlistFormat &format : playlistFormats)
        if (hasExtension(name, format.extension))
            return true;
    return false;
}

bool readFileBytes(const char *path, std::string &bytes)
{
    bytes.clear();
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    char block[64 * 1024];
    size_t got;
    while (bytes.size() < MAX_PLAYLIST_BYTES && (got = fread(block, 1, sizeof(block), file)) > 0)
        bytes.append(block, std::min(got, MAX_PLAYLIST_BYTES - bytes.size()));
    bool whole = !ferror(file);     // a read that failed part of the way is no file read
    fclose(file);
    return whole;
}

void addPlaylistSongs(st1 *list, const char *path, const std::string &bytes)
{
    char folder[PATH_SIZE] = "";
    DWORD length = GetFullPathNameA(path, sizeof(folder), folder, NULL);
    if (length == 0 || length >= sizeof(folder))
        folder[0] = '\0';  // relative entries then name nothing
    if (isCueSheetName(path)) {
        albumTracks album;
        readCueSheetBytes(folder[0] ? folder : path, bytes, MAX_SONGS - list->songsNumber, album);
        takeAlbum(list, album);
        return;
    }
    findFilePath(folder);
    playlistFormatOf(path).read(list, bytes, folder);
}

int addPlaylistFile(st1 *list, const char *path)
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return 1;
    addPlaylistSongs(list, path, bytes);
    return 0;
}

int readPlaylistInto(st1 *list, const char *path)
{
    int before = list->songsNumber;
    if (addPlaylistFile(list, path) != 0)
        return -1;
    return list->songsNumber - before;
}
