/*
 * Paths on the command line, as Explorer's "Open with", a shortcut or a
 * second start gives them: music files of every kind the player knows,
 * folders (their music, walked as the scan walks) and playlist files.
 *
 *   Kelvoria.exe PATH...        the list is replaced by what the paths give
 *                               and the first song plays
 *   Kelvoria.exe /add PATH...   the songs are appended; whatever plays goes on
 *
 * Paths may be quoted (with blanks inside) and relative to the current
 * folder. Arguments that name nothing playable change nothing and say
 * nothing. The exact text "/startup" keeps its own meaning (startup.h), and
 * any other argument that is not a path is passed over.
 */
#ifndef KELVORIA_APP_COMMAND_LINE_H
#define KELVORIA_APP_COMMAND_LINE_H

#include <string>
#include <vector>

#define ADD_SWITCH "/add"

/* What a command line asks of the song list. */
struct pathRequest {
    bool add = false;                   /* "/add" came first */
    std::vector<std::string> paths;     /* full paths, in the process code page */
};

/* The arguments split as Windows programs split them: blanks and tabs
 * between arguments, double quotes around blanks. */
std::vector<std::string> splitArguments(const char *arguments);

/* The request of an argument text: relative paths made full against
 * `currentFolder`; switches (arguments starting with '/') other than a
 * leading "/add" are passed over. */
pathRequest requestOf(const char *arguments, const char *currentFolder);

/* Carries a request out on the song list: replaces it and plays the first
 * song, or appends. True when any song came of it. */
bool carryOut(const pathRequest &request);

#endif
