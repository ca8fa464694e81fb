// The ".m3P" playlist file: writing the song list out and reading it back.
#include "playlist_file.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>

namespace {

const WPARAM CLEAR_PLAYLIST_COMMAND = 15;

// A count outside the list's capacity never names slots that do not exist.
int clampToCapacity(int count)
{
    if (count < 0)
        return 0;
    return count > MAX_SONGS ? MAX_SONGS : count;
}

// The count is printed without a line end: slot 0 always holds the empty
// text, so its line feed is what ends the first line.
bool writeSongs(st1 *list, FILE *file)
{
    int count = clampToCapacity(list->songsNumber);
    bool written = fprintf(file, "%d", count) > 0;
    for (int slot = 0; slot <= count && written; ++slot)
        written = fprintf(file, "%.*s\n", PATH_SIZE - 1, slot == 0 ? "" : list->paths[slot]) >= 0;
    return written && !ferror(file);
}

// Reads a decimal number the way "%d" does (leading white space skipped, an
// optional sign), but saturates instead of overflowing. Returns false and
// leaves `number` alone when no digit follows.
bool readCount(FILE *file, int *number)
{
    int c = fgetc(file);
    while (c != EOF && isspace(c))
        c = fgetc(file);
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = fgetc(file);
    }
    if (c == EOF || !isdigit(c)) {
        if (c != EOF)
            ungetc(c, file);
        return false;
    }
    long long value = 0;
    for (; c != EOF && isdigit(c); c = fgetc(file)) {
        if (value <= INT_MAX)
            value = value * 10 + (c - '0');
    }
    if (c != EOF)
        ungetc(c, file);
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    *number = static_cast<int>(value);
    return true;
}

// Cuts a line read by fgets at its line feed and takes every carriage
// return at its end along. Text-mode reading folds only the last CR LF, so
// a line ending in more carriage returns would otherwise keep one, write it
// back as a CR LF pair and lose it on the next read: what a save and a
// reopen give must agree. No file name ends in a carriage return.
void cutLineEnd(char *line)
{
    char *lineFeed = strchr(line, '\n');
    char *end = lineFeed ? lineFeed : line + strlen(line);
    while (end > line && end[-1] == '\r')
        --end;
    *end = '\0';
}

// A song read from a file is shown like a single chosen file; a line without
// a backslash is shown whole. Cut to the slot.
void nameFromPath(char *name, const char *path)
{
    snprintf(name, NAME_SIZE, "%s", nameOfSinglePath(path));
}

// A path of the longest length a slot holds fills the buffer of fgets up to
// its line end, which is then still unread: taking it here keeps that end
// from being read as an empty line of its own, which would shift every later
// song one slot down. Longer lines still go on in the next slot.
void takeLineEndAfterFullSlot(char *line, FILE *file)
{
    if (strlen(line) != PATH_SIZE - 1 || strchr(line, '\n'))
        return;
    int next = fgetc(file);
    if (next != '\n' && next != EOF)
        ungetc(next, file);
}

// Line after line into slots 1, 2, ... Lines beyond the list's capacity are
// left unread. Returns the number of lines stored.
int readPaths(st1 *list, FILE *file)
{
    int slot = 1;
    for (; slot <= MAX_SONGS; ++slot) {
        if (!fgets(list->paths[slot], PATH_SIZE, file))
            break;
        takeLineEndAfterFullSlot(list->paths[slot], file);
        cutLineEnd(list->paths[slot]);
        nameFromPath(list->names[slot], list->paths[slot]);
    }
    return slot - 1;
}

// Counted songs that the file has no line for are empty songs. Clearing the
// list only empties the slots it counted, so without this a slot could still
// hold an uncounted line of some earlier file and bring that song back.
void emptySlotsWithoutLine(st1 *list, int linesRead)
{
    for (int slot = linesRead + 1; slot <= list->songsNumber; ++slot) {
        list->paths[slot][0] = '\0';
        list->names[slot][0] = '\0';
    }
}

} // namespace

int savePlaylist(st1 *list, const char *path)
{
    FILE *file = fopen(path, "w");
    if (!file)
        return 1;
    bool written = writeSongs(list, file);
    // A file that was not written whole, or whose last bytes could not be
    // flushed on closing, is reported like one that could not be opened.
    if (fclose(file) != 0)
        written = false;
    return written ? 0 : 1;
}

int openPlaylist(st1 *list, const char *path, HWND playlistWindow)
{
    FILE *file = fopen(path, "r");
    if (!file)
        return 1;
    if (list->songsNumber != 0)
        SendMessageA(playlistWindow, WM_COMMAND, CLEAR_PLAYLIST_COMMAND, 0);

    int count = 0;
    if (readCount(file, &count))
        list->songsNumber = clampToCapacity(count);
    char restOfFirstLine[PATH_SIZE];
    int linesRead = 0;
    if (fgets(restOfFirstLine, sizeof(restOfFirstLine), file))
        linesRead = readPaths(list, file);
    emptySlotsWithoutLine(list, linesRead);
    fclose(file);
    return 0;
}
