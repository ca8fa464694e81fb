// Tag reading: every song of the list that carries tag fields is relabelled
// "artist - title", through short-lived streams of its own.
#include "tags.h"

#include "fmod.h"
#include "text.h"

#include <stdio.h>
#include <string.h>

namespace {

const int TAG_TEXT_SIZE = sizeof(((st1 *)nullptr)->tagTitle);

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

void readTagFields(st1 *list, FSOUND_STREAM *stream, int fieldCount)
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
            copyFieldText(list->tagTitle, value, length);
        else if (strcmp(name, "ARTIST") == 0)
            copyFieldText(list->tagArtist, value, length);
    }
}

void relabelSong(st1 *list, int slot)
{
    FSOUND_STREAM *stream = FSOUND_Stream_Open(list->paths[slot], 0, 0, 0);
    if (!stream)
        return;
    int fieldCount = 0;
    if (FSOUND_Stream_GetNumTagFields(stream, &fieldCount) && fieldCount > 0) {
        snprintf(list->tagArtist, sizeof(list->tagArtist), "%s", "Artist unknown");
        copyText(list->tagTitle, sizeof(list->tagTitle), list->names[slot]);
        readTagFields(list, stream, fieldCount);
        snprintf(list->names[slot], NAME_SIZE, "%s - %s", list->tagArtist, list->tagTitle);
    }
    FSOUND_Stream_Close(stream);
}

} // namespace

int songLengthSeconds(const char *path)
{
    FSOUND_STREAM *stream = FSOUND_Stream_Open(path, 0, 0, 0);
    if (!stream)
        return -1;
    int seconds = FSOUND_Stream_GetLengthMs(stream) / 1000;
    FSOUND_Stream_Close(stream);
    return seconds;
}

void queryTags(st1 *list)
{
    int last = list->songsNumber < MAX_SONGS ? list->songsNumber : MAX_SONGS;
    for (int slot = 1; slot <= last; ++slot)
        relabelSong(list, slot);
}
