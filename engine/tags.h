// The descriptive tags of a file, as the engine reports them: upper-case
// names, values in the process's ANSI code page (which may be UTF-8).
#pragma once

#include "ffmpeg.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelvoria {

struct TagField {
    int type;          // FSOUND_TAGFIELD_*
    std::string name;  // normalised upper-case name, such as "TITLE"
    std::string value; // ANSI text, NUL-terminated by std::string
};

// UTF-8 text to the process's ANSI code page (CP_ACP), whatever it is. In a
// process that runs in UTF-8 (its manifest says so), valid UTF-8 is kept as
// it is, and other text is taken as the user's legacy code page (1252 in
// Western Europe) and converted. In any other code page, characters it
// cannot show become '?', and text that is not valid UTF-8 is taken as
// ANSI already.
std::string utf8ToAnsi(const char *utf8);

// "artist", "WM/AlbumTitle", "Author" ... to the names the engine reports
// ("ARTIST", "ALBUMTITLE", "ARTIST"); empty for technical fields that an
// encoder or container adds rather than a person.
std::string normaliseTagName(const char *name);

// Appends the descriptive fields of a dictionary, skipping names already
// present so that the first source of a field wins.
void collectTags(const AVDictionary *dict, int type, std::vector<TagField> &out);

// Calls `item` with the name and text of every text item of an APEv2 tag at
// the end of the file (before an ID3v1 tag, if any), read through the I/O
// context, which is left where it was. Of a list of values, the first.
void forEachApeItem(AVIOContext *io,
                    const std::function<void(const std::string &name, const std::string &value)> &item);

// Reads an APEv2 tag at the end of the file (before an ID3v1 tag, if any)
// through the I/O context, which is left where it was.
void collectApeTags(AVIOContext *io, std::vector<TagField> &out);

} // namespace kelvoria
