// Cue sheets read into the tracks the list takes.
#include "cue_album.h"

#include "cue_sheet.h"
#include "embedded_cue.h"
#include "fmod.h"
#include "music_kinds.h"
#include "playlist_formats.h"
#include "songlist.h"
#include "text.h"
#include "track_address.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <math.h>

namespace {

bool fileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string folderOf(const std::string &path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string bareName(const std::string &path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string withoutExtension(const std::string &name)
{
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of('\\');
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? name : name.substr(0, dot);
}

bool climbsOut(const std::string &relative)
{
    size_t at = 0;
    for (;;) {
        size_t slash = relative.find('\\', at);
        std::string part = relative.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
        if (part == "..")
            return true;
        if (slash == std::string::npos)
            return false;
        at = slash + 1;
    }
}

bool isFullPath(const std::string &name)
{
    return (name.size() >= 2 && name[1] == ':') || (!name.empty() && name[0] == '\\');
}

// What a sheet's text shows in the list: in the process code page, and
// where that cannot hold a character, with '?' for it.
std::string shownText(const std::string &utf8)
{
    std::string text;
    if (fromUtf8(utf8, text))
        return text;
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wide <= 0)
        return std::string();
    std::wstring characters(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &characters[0], wide);
    int bytes = WideCharToMultiByte(CP_ACP, 0, characters.data(), wide, nullptr, 0, nullptr, nullptr);
    text.assign(static_cast<size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, characters.data(), wide, &text[0], bytes, nullptr, nullptr);
    return text;
}

class AlbumReader {
public:
    AlbumReader(const std::string &sheetPath, const std::string &embeddedIn, albumTracks &album)
        : sheetPath_(sheetPath), embeddedIn_(embeddedIn), album_(album)
    {
    }

    void take(const cueSheet &sheet)
    {
        album_.refused = sheet.refused;
        for (const cueTrack &track : sheet.tracks)
            takeTrack(sheet, track);
    }

private:
    void refuse(const std::string &what)
    {
        if (std::find(album_.refused.begin(), album_.refused.end(), what) == album_.refused.end())
            album_.refused.push_back(what);
    }

    // The file a FILE line names, found as the header says; "" when none.
    std::string fileNamed(const std::string &utf8Name)
    {
        if (!embeddedIn_.empty())
            return embeddedIn_;
        auto known = resolved_.find(utf8Name);
        if (known != resolved_.end())
            return known->second;
        std::string name;
        std::string &path = resolved_[utf8Name];
        if (!fromUtf8(utf8Name, name)) {
            refuse("a FILE name this system cannot open");
            return path;
        }
        std::replace(name.begin(), name.end(), '/', '\\');
        if (isFullPath(name))
            name = bareName(name);
        if (name.empty() || climbsOut(name)) {
            refuse("a FILE outside the sheet's folder");
            return path;
        }
        path = findBeside(folderOf(sheetPath_) + name);
        if (path.empty())
            refuse("a FILE that is not there");
        return path;
    }

    std::string findBeside(const std::string &named)
    {
        if (named.size() < PATH_SIZE && fileExists(named))
            return named;
        std::string base = withoutExtension(named);
        for (int kind = 0; kind < musicKindCount; ++kind) {
            std::string other = base + musicKinds[kind].extension;
            if (other.size() < PATH_SIZE && fileExists(other))
                return other;
        }
        std::string image = withoutExtension(sheetPath_); // Album.flac.cue serves Album.flac
        if (isMusicFileName(image.c_str()) && fileExists(image))
            return image;
        return std::string();
    }

    // The file's length in CD frames, opened once; -1 when it does not open.
    int64_t framesOf(const std::string &file)
    {
        auto known = lengths_.find(file);
        if (known != lengths_.end())
            return known->second;
        int64_t frames = -1;
        FSOUND_STREAM *stream = FSOUND_Stream_Open(file.c_str(), 0, 0, 0);
        if (stream) {
            frames = int64_t(FSOUND_Stream_GetLengthMs(stream)) * kCueFramesPerSecond / 1000;
            FSOUND_Stream_Close(stream);
        }
        return lengths_[file] = frames;
    }

    void takeTrack(const cueSheet &sheet, const cueTrack &track)
    {
        if (!embeddedIn_.empty() && track.file != sheet.tracks.front().file) {
            refuse("tracks of another FILE");
            return;
        }
        std::string file = fileNamed(track.file);
        if (file.empty())
            return;
        int64_t frames = framesOf(file);
        if (frames < 0) {
            refuse("a FILE that does not play");
            return;
        }
        if (track.start >= frames || track.start > INT32_MAX) {
            refuse("a track past its file's end");
            return;
        }
        trackAddress address;
        address.file = file;
        address.first = static_cast<int>(track.start);
        address.end = track.end < 0 || track.end >= frames ? -1 : static_cast<int>(track.end);
        address.sheet = embeddedIn_.empty() ? sheetField(file) : std::string();
        setGains(sheet, track, address);
        char slot[PATH_SIZE];
        if (!writeTrackAddress(address, slot, sizeof(slot))) {
            refuse("a path too long for the list");
            return;
        }
        album_.tracks.push_back({slot, nameOf(sheet, track, file)});
        if (std::find(album_.files.begin(), album_.files.end(), file) == album_.files.end())
            album_.files.push_back(file);
    }

    // The sheet's name when it lies beside the file, else its full path.
    std::string sheetField(const std::string &file) const
    {
        bool beside = _stricmp(folderOf(sheetPath_).c_str(), folderOf(file).c_str()) == 0;
        return beside ? bareName(sheetPath_) : sheetPath_;
    }

    static int hundredths(double value) { return static_cast<int>(lround(value * 100)); }
    static int millionths(double value) { return static_cast<int>(lround(value * 1e6)); }

    void setGains(const cueSheet &sheet, const cueTrack &track, trackAddress &address) const
    {
        if (track.gain.known) {
            address.trackGain = hundredths(track.gain.gainDb);
            if (track.gain.peak > 0)
                address.trackPeak = millionths(track.gain.peak);
        }
        if (sheet.albumGain.known) {
            address.albumGain = hundredths(sheet.albumGain.gainDb);
            if (sheet.albumGain.peak > 0)
                address.albumPeak = millionths(sheet.albumGain.peak);
        }
    }

    // "Performer - Title" as tagged songs show; the file's name and the
    // track's number where the sheet names no title.
    std::string nameOf(const cueSheet &sheet, const cueTrack &track, const std::string &file) const
    {
        char number[16];
        snprintf(number, sizeof(number), "%02d", track.number);
        std::string name;
        if (track.title.empty()) {
            name = "\\" + bareName(file) + " - " + number;
        } else {
            const std::string &performer = track.performer.empty() ? sheet.performer : track.performer;
            name = (performer.empty() ? std::string("Artist unknown") : shownText(performer)) + " - " +
                   shownText(track.title);
        }
        char cut[NAME_SIZE];
        copyText(cut, sizeof(cut), name.c_str());
        return cut;
    }

    std::string sheetPath_;
    std::string embeddedIn_;
    albumTracks &album_;
    std::map<std::string, std::string> resolved_;
    std::map<std::string, int64_t> lengths_;
};

// The status line's word on what a sheet refused, or "" when it took all:
// "Album.cue: left out a track with no INDEX 01 (and 2 more)".
std::string refusedText(const char *sheetPath, const albumTracks &album)
{
    if (album.refused.empty())
        return std::string();
    std::string text = bareName(sheetPath) + ": left out " + album.refused.front();
    if (album.refused.size() > 1)
        text += " (and " + std::to_string(album.refused.size() - 1) + " more)";
    return text;
}

} // namespace

bool mayHoldCueSheet(const char *path)
{
    return hasExtension(path, ".flac") || hasExtension(path, ".wv") || hasExtension(path, ".ape");
}

void readCueSheetBytes(const char *sheetPath, const std::string &bytes, size_t maxTracks, albumTracks &album)
{
    album = albumTracks();
    AlbumReader(sheetPath, std::string(), album).take(readCueSheet(cueSheetUtf8(bytes), maxTracks));
    album.told = refusedText(sheetPath, album);
}

bool readCueSheetFile(const char *sheetPath, size_t maxTracks, albumTracks &album)
{
    std::string bytes;
    if (!readFileBytes(sheetPath, bytes))
        return false;
    readCueSheetBytes(sheetPath, bytes, maxTracks, album);
    return true;
}

bool readEmbeddedAlbum(const char *path, size_t maxTracks, albumTracks &album)
{
    std::string text;
    album = albumTracks();
    if (!mayHoldCueSheet(path) || !readEmbeddedCueSheet(path, text))
        return false;
    AlbumReader(path, path, album).take(readCueSheet(cueSheetUtf8(text), maxTracks));
    album.told = refusedText(path, album);
    return true;
}

bool readAlbumAt(const char *path, size_t maxTracks, albumTracks &album)
{
    return isCueSheetName(path) ? readCueSheetFile(path, maxTracks, album) : readEmbeddedAlbum(path, maxTracks, album);
}
