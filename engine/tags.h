// The descriptive tags of a file, as the engine reports them: upper-case
// names, values in the ANSI code page.
#pragma once

#include "ffmpeg.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvoria {

struct TagField {
    int type;          // FSOUND_TAGFIELD_*
    std::string name;  // normalised upper-case name, such as "TITLE"
    std::string value; // ANSI text, NUL-terminated by std::string
};

// UTF-8 text to the ANSI code page; characters it cannot show become '?'.
// Text that is not valid UTF-8 is taken as ANSI already.
std::string utf8ToAnsi(const char *utf8);

// "artist", "WM/AlbumTitle", "Author" ... to the names the engine reports
// ("ARTIST", "ALBUMTITLE", "ARTIST"); empty for technical fields that an
// encoder or container adds rather than a person.
std::string normaliseTagName(const char *name);

// Appends the descriptive fields of a dictionary, skipping names already
// present so that the first source of a field wins.
void collectTags(const AVDictionary *dict, int type, std::vector<TagField> &out);

// Reads an APEv2 tag at the end of the file (before an ID3v1 tag, if any)
// through the I/O context, which is left where it was.
void collectApeTags(AVIOContext *io, std::vector<TagField> &out);

} // namespace kelvoria
