// The kinds of music file, by extension.
#include "music_kinds.h"

#include <stdio.h>
#include <string.h>

const musicKind musicKinds[] = {
    {".mp3", "ID3v2, ID3v1, APE"},
    {".wav", "RIFF INFO list"},
    {".wma", "ASF attributes"},
    {".ogg", "Vorbis comments (Vorbis, FLAC)"},
    {".flac", "Vorbis comments"},
    {".m4a", "MP4 atoms (AAC, ALAC)"},
    {".opus", "Vorbis comments"},
    {".aac", "ID3v2, APE"},
    {".wv", "APE (WavPack)"},
    {".ape", "APE (Monkey's Audio)"},
};
const int musicKindCount = sizeof(musicKinds) / sizeof(musicKinds[0]);

bool hasExtension(const char *name, const char *extension)
{
    size_t length = strlen(name);
    size_t suffix = strlen(extension);
    return length >= suffix && _stricmp(name + length - suffix, extension) == 0;
}

bool isMusicFileName(const char *name)
{
    for (const musicKind &kind : musicKinds)
        if (hasExtension(name, kind.extension))
            return true;
    return false;
}

size_t musicFileFilter(char *filter, size_t size)
{
    static const char label[] = "Music file";
    size_t used = sizeof(label);
    if (used >= size)
        return 0;
    memcpy(filter, label, used);
    for (int kind = 0; kind < musicKindCount; ++kind) {
        int written = snprintf(filter + used, size - used, "%s*%s", kind ? ";" : "", musicKinds[kind].extension);
        if (written < 0 || static_cast<size_t>(written) >= size - used)
            return 0;
        used += static_cast<size_t>(written);
    }
    // Cue sheets open with the music (an album kept as one file), and
    // have a filter of their own.
    static const char sheets[] = ";*.cue\0Cue sheet\0*.cue";
    if (used + sizeof(sheets) + 1 > size)
        return 0;
    memcpy(filter + used, sheets, sizeof(sheets));
    used += sizeof(sheets);
    filter[used++] = '\0';
    return used;
}
