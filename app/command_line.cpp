// Paths on the command line: the list replaced and the first song played,
// or songs appended.
#include "command_line.h"

#include "disk_scan.h"
#include "globals.h"
#include "intake.h"
#include "messages.h"
#include "music_kinds.h"
#include "paths.h"
#include "playlist_formats.h"
#include "songlist.h"

#include <windows.h>

#include <string.h>

#include <algorithm>
#include <memory>

std::vector<std::string> splitArguments(const char *arguments)
{
    std::vector<std::string> split;
    if (!arguments)
        return split;
    std::string current;
    bool quoted = false, inArgument = false;
    for (const char *at = arguments; *at; ++at) {
        if (*at == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((*at == ' ' || *at == '\t') && !quoted) {
            if (inArgument)
                split.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += *at;
            inArgument = true;
        }
    }
    if (inArgument)
        split.push_back(current);
    return split;
}

pathRequest requestOf(const char *arguments, const char *currentFolder)
{
    pathRequest request;
    std::vector<std::string> split = splitArguments(arguments);
    for (size_t at = 0; at < split.size(); ++at) {
        const std::string &argument = split[at];
        if (at == 0 && _stricmp(argument.c_str(), ADD_SWITCH) == 0) {
            request.add = true;
            continue;
        }
        if (argument.empty() || argument[0] == '/')
            continue;
        std::string native = argument;
        std::replace(native.begin(), native.end(), '/', '\\');
        char path[PATH_SIZE];
        if (absolutePath(path, sizeof(path), currentFolder, native.c_str()))
            request.paths.push_back(path);
    }
    return request;
}

namespace {

// One path of a request into `list`: a folder's music, a playlist's songs,
// a music file; anything else adds nothing.
void takePath(st1 *list, const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        addFolderMusic(list, path.c_str());
    else if (isPlaylistFileName(path.c_str()))
        addPlaylistFile(list, path.c_str());
    else
        takeMusicFile(list, path.c_str(), nameOfSinglePath(path.c_str()));
}

// A start handing over waits a few seconds for the answer, then takes the
// player for a hung one: between the paths of a long request the player
// answers (and keeps) their hand-overs.
void answerWaitingStarts()
{
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

} // namespace

bool carryOut(const pathRequest &request)
{
    if (request.add) {
        int before = data.songsNumber;
        for (const std::string &path : request.paths) {
            takePath(&data, path);
            answerWaitingStarts();
        }
        if (data.songsNumber == before)
            return false;
        finishIntake(&data, true);
        return true;
    }
    // The new songs are gathered apart first: paths that give nothing must
    // leave the list and the playing song as they are.
    std::unique_ptr<st1> gathered(new st1());
    for (const std::string &path : request.paths) {
        takePath(gathered.get(), path);
        answerWaitingStarts();
    }
    if (gathered->songsNumber == 0)
        return false;
    clearPlaylist(&data);
    for (int slot = 1; slot <= gathered->songsNumber; ++slot)
        takeSong(&data, gathered->paths[slot], gathered->names[slot]);
    finishIntake(&data, true);
    data.currentSong = 1;
    SendMessageA(hwnd, WM_COMMAND, CMD_PLAY, 0);
    return true;
}
