// Paths on the command line: the list replaced and the first song played,
// or songs appended.
#include "command_line.h"

#include "intake.h"
#include "paths.h"
#include "transport.h"

#include <windows.h>

#include <string.h>

#include <algorithm>

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

// A start handing over waits a few seconds for the answer, then takes the
// player for a hung one: between the paths of a long request the player
// answers (and keeps) their hand-overs.
void answerWaitingStarts()
{
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

} // namespace

// Paths that give nothing leave the list and the playing song as they are.
bool carryOut(const pathRequest &request)
{
    intakeMode mode = request.add ? INTAKE_APPEND : INTAKE_REPLACE_WHEN_SONGS;
    if (intakePaths(request.paths, FROM_COMMAND_LINE, mode, answerWaitingStarts) <= 0)
        return false;
    if (!request.add)
        playSongAt(1);
    return true;
}
