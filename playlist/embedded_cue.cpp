// Cue sheets inside FLAC files and APEv2 tags.
#include "embedded_cue.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>

namespace {

const char SHEET_KEY[] = "CUESHEET";
const int FLAC_VORBIS_COMMENT = 4;
const int MOST_FLAC_BLOCKS = 1024;   // real files have a handful
const size_t APE_FOOTER = 32;
const size_t ID3V1_SIZE = 128;

// Reads `size` bytes at `offset` of whatever holds the file.
typedef std::function<bool(uint64_t offset, size_t size, std::string &out)> byteReader;

uint32_t littleEndian(const std::string &bytes, size_t at)
{
    const unsigned char *b = reinterpret_cast<const unsigned char *>(bytes.data()) + at;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24);
}

uint32_t bigEndian24(const std::string &bytes, size_t at)
{
    const unsigned char *b = reinterpret_cast<const unsigned char *>(bytes.data()) + at;
    return (b[0] << 16) | (b[1] << 8) | b[2];
}

bool isSheetKey(const char *key, size_t length)
{
    return length == sizeof(SHEET_KEY) - 1 && _strnicmp(key, SHEET_KEY, length) == 0;
}

// The comment "CUESHEET=..." of a Vorbis comment block.
bool sheetOfVorbisComment(const std::string &block, std::string &text)
{
    size_t at = 0;
    if (block.size() < 8)
        return false;
    uint64_t vendor = littleEndian(block, 0);
    at = 4 + vendor;
    if (at + 4 > block.size())
        return false;
    uint32_t count = littleEndian(block, at);
    at += 4;
    for (uint32_t comment = 0; comment < count && at + 4 <= block.size(); ++comment) {
        uint64_t length = littleEndian(block, at);
        at += 4;
        if (length > block.size() - at)
            return false;
        const char *field = block.data() + at;
        const char *equals = static_cast<const char *>(memchr(field, '=', length));
        if (equals && isSheetKey(field, equals - field)) {
            text.assign(equals + 1, field + length);
            return true;
        }
        at += length;
    }
    return false;
}

// FLAC: "fLaC", maybe behind an ID3v2 tag, then metadata blocks.
bool sheetOfFlac(const byteReader &read, uint64_t fileSize, std::string &text)
{
    std::string head;
    uint64_t at = 0;
    if (!read(0, 10, head))
        return false;
    if (head.compare(0, 3, "ID3") == 0) {
        const unsigned char *b = reinterpret_cast<const unsigned char *>(head.data());
        at = 10 + ((b[6] & 0x7f) << 21 | (b[7] & 0x7f) << 14 | (b[8] & 0x7f) << 7 | (b[9] & 0x7f));
        if (!read(at, 4, head))
            return false;
    }
    if (head.compare(0, 4, "fLaC") != 0)
        return false;
    at += 4;
    for (int blocks = 0; blocks < MOST_FLAC_BLOCKS; ++blocks) {
        std::string header;
        if (!read(at, 4, header))
            return false;
        bool last = (header[0] & 0x80) != 0;
        int type = header[0] & 0x7f;
        uint32_t length = bigEndian24(header, 1);
        at += 4;
        if (length > fileSize - std::min(at, fileSize))
            return false;
        if (type == FLAC_VORBIS_COMMENT) {
            std::string block;
            return length <= kLargestEmbeddedSheet + 4096 && read(at, length, block) &&
                   sheetOfVorbisComment(block, text);
        }
        if (last)
            return false;
        at += length;
    }
    return false;
}

// APEv2 at the file's end (before an ID3v1 tag, if any): a footer that
// gives the items' size and count, each item a value length, flags, a
// NUL-ended key and the value.
bool sheetOfApeTag(const byteReader &read, uint64_t fileSize, std::string &text)
{
    for (uint64_t behind : {uint64_t(0), uint64_t(ID3V1_SIZE)}) {
        std::string footer;
        if (fileSize < APE_FOOTER + behind || !read(fileSize - behind - APE_FOOTER, APE_FOOTER, footer) ||
            footer.compare(0, 8, "APETAGEX") != 0)
            continue;
        uint32_t size = littleEndian(footer, 12), count = littleEndian(footer, 16);
        uint64_t footerAt = fileSize - behind - APE_FOOTER;
        if (size < APE_FOOTER || size - APE_FOOTER > footerAt || size > kLargestEmbeddedSheet * 4)
            return false;
        std::string items;
        if (!read(footerAt - (size - APE_FOOTER), size - APE_FOOTER, items))
            return false;
        size_t at = 0;
        for (uint32_t item = 0; item < count && at + 8 < items.size(); ++item) {
            uint64_t length = littleEndian(items, at);
            uint32_t flags = littleEndian(items, at + 4);
            size_t keyAt = at + 8;
            size_t keyEnd = items.find('\0', keyAt);
            if (keyEnd == std::string::npos || length > items.size() - keyEnd - 1)
                return false;
            bool isText = ((flags >> 1) & 3) == 0;
            if (isText && isSheetKey(items.data() + keyAt, keyEnd - keyAt)) {
                text = items.substr(keyEnd + 1, length);
                return true;
            }
            at = keyEnd + 1 + length;
        }
        return false;
    }
    return false;
}

bool sheetOf(const byteReader &read, uint64_t fileSize, std::string &text)
{
    text.clear();
    bool found = sheetOfFlac(read, fileSize, text) || sheetOfApeTag(read, fileSize, text);
    if (!found || text.size() > kLargestEmbeddedSheet) {
        text.clear();
        return false;
    }
    return true;
}

} // namespace

bool embeddedCueSheetOf(const std::string &bytes, std::string &text)
{
    byteReader read = [&bytes](uint64_t offset, size_t size, std::string &out) {
        if (offset > bytes.size() || size > bytes.size() - offset)
            return false;
        out.assign(bytes, static_cast<size_t>(offset), size);
        return true;
    };
    return sheetOf(read, bytes.size(), text);
}

bool readEmbeddedCueSheet(const char *path, std::string &text)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    _fseeki64(file, 0, SEEK_END);
    long long fileSize = _ftelli64(file);
    byteReader read = [file, fileSize](uint64_t offset, size_t size, std::string &out) {
        if (fileSize < 0 || offset > uint64_t(fileSize) || size > uint64_t(fileSize) - offset)
            return false;
        out.resize(size);
        return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0 &&
               fread(&out[0], 1, size, file) == size;
    };
    bool found = fileSize > 0 && sheetOf(read, static_cast<uint64_t>(fileSize), text);
    fclose(file);
    return found;
}
