// Tag reading: every song of the list that carries tag fields is relabelled
// "artist - title", through short-lived streams of its own.
#include "tags.h"

#include "fmod.h"
#include "text.h"
#include "track_address.h"

#include <stdio.h>
#include <string.h>

namespace {

const int TAG_TEXT_SIZE = 100;   // what a title or an artist shows at most

// A field's text: its bytes up to the first NUL or its length, whichever
// comes first, cut between characters to what the work text holds. No
// character set conversion: the engine gives the process code page.
void copyFieldText(char *target, const void *value, int length)
{
    const char *bytes = static_cast<const char *>(value);
    char field[TAG_TEXT_SIZE + 1];  // one byte more tells where a cut falls
    int count = 0;
    while (bytes && count < length && count < TAG_TEXT_SIZE && bytes[count] != '\0')
        ++count;
    memcpy(field, bytes ? bytes : "", count);
    field[count] = '\0';
    copyText(target, TAG_TEXT_SIZE, field);
}

void readTagFields(FSOUND_STREAM *stream, int fieldCount, char *title, char *artist)
{
    for (int index = 0; index < fieldCount; ++index) {
        // Reset before each call so that a field the engine does not fill
        // in is skipped instead of repeating the one before.
        int type = 0, length = 0;
        char *name = nullptr;
        void *value = nullptr;
        FSOUND_Stream_GetTagField(stream, index, &type, &name, &value, &length);
        if (!name)
            continue;
        if (strcmp(name, "TITLE") == 0)
            copyFieldText(title, value, length);
        else if (strcmp(name, "ARTIST") == 0)
            copyFieldText(artist, value, length);
    }
}

// The name tags give the song at `path`, into `title` and `artist` (work
// texts of TAG_TEXT_SIZE) and then `name`; false when it has no tag fields.
bool composeTagName(const char *path, const char *shownName, char *title, char *artist, char *name, size_t size)
{
    FSOUND_STREAM *stream = FSOUND_Stream_Open(path, 0, 0, 0);
    if (!stream)
        return false;
    int fieldCount = 0;
    bool tagged = FSOUND_Stream_GetNumTagFields(stream, &fieldCount) && fieldCount > 0;
    if (tagged) {
        snprintf(artist, TAG_TEXT_SIZE, "%s", "Artist unknown");
        copyText(title, TAG_TEXT_SIZE, shownName);
        readTagFields(stream, fieldCount, title, artist);
        snprintf(name, size, "%s - %s", artist, title);
    }
    FSOUND_Stream_Close(stream);
    return tagged;
}

void relabelSong(st1 *list, int slot)
{
    char title[TAG_TEXT_SIZE], artist[TAG_TEXT_SIZE];
    composeTagName(list->paths[slot], list->names[slot], title, artist, list->names[slot], NAME_SIZE);
}

} // namespace

bool tagNameOf(const char *path, const char *shownName, char *name, size_t size)
{
    char title[TAG_TEXT_SIZE], artist[TAG_TEXT_SIZE];
    return composeTagName(path, shownName, title, artist, name, size);
}

void queryTags(st1 *list)
{
    int last = list->songsNumber < MAX_SONGS ? list->songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot)
        if (!isTrackAddress(list->paths[slot]))  // a track keeps its cue sheet's name
            relabelSong(list, slot);
}
