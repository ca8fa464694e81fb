#include "tags.h"

#include "../core/fmod.h"
#include "../core/legacy_code_page.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace kelvoria {

namespace {

// Names (after normalisation) that describe the encoding, not the music.
const char *const kTechnicalNames[] = {
    "ENCODER", "ENCODED_BY", "ENCODEDBY", "ENCODERSETTINGS", "ENCODINGSETTINGS", "ENCODINGTIME",
    "ENCODING", "VENDOR", "TOOLNAME", "TOOLVERSION", "DURATION", "TLEN", "LENGTH", "ISVBR",
    "DEVICECONFORMANCETEMPLATE", "MEDIACLASSPRIMARYID", "MEDIACLASSSECONDARYID",
    "ASFLEAKYBUCKETPAIRS", "BUFFER AVERAGE", "CREATION_TIME", "MAJOR_BRAND", "MINOR_VERSION",
    "COMPATIBLE_BRANDS", "HANDLER_NAME", "CODEC", "CODECNAME", "PROVIDER",
};
const char *const kTechnicalPrefixes[] = {"REPLAYGAIN_", "WMFSDK", "ITUN", "MUSICBRAINZ_", "ACOUSTID"};

bool isTechnical(const std::string &name)
{
    for (const char *technical : kTechnicalNames)
        if (name == technical)
            return true;
    for (const char *prefix : kTechnicalPrefixes)
        if (name.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return false;
}

std::wstring toWide(UINT codePage, DWORD flags, const std::string &text)
{
    int count = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (count <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &wide[0], count);
    return wide;
}

std::string fromWide(UINT codePage, DWORD flags, const char *defaultChar, const std::wstring &wide)
{
    int count = static_cast<int>(wide.size());
    int bytes = WideCharToMultiByte(codePage, flags, wide.data(), count, nullptr, 0, defaultChar, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), count, &text[0], bytes, defaultChar, nullptr);
    return text;
}

// To a code page that shows characters it lacks as '?', not as look-alikes
// (an 'L' for a Polish 'Ł'). Code pages that cannot do this, UTF-8 among
// them, refuse the request; they get the characters as they convert them.
std::string toCodePage(UINT codePage, const std::wstring &wide)
{
    std::string text = fromWide(codePage, WC_NO_BEST_FIT_CHARS, "?", wide);
    return text.empty() ? fromWide(codePage, 0, nullptr, wide) : text;
}

uint32_t readLe32(const uint8_t *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

std::string utf8ToAnsi(const char *utf8)
{
    if (!utf8 || !*utf8)
        return std::string();
    std::string text(utf8);
    std::wstring wide = toWide(CP_UTF8, MB_ERR_INVALID_CHARS, text);
    bool isUtf8 = !wide.empty();
    if (GetACP() == CP_UTF8)
        return isUtf8 ? text : fromWide(CP_UTF8, 0, nullptr, toWide(legacyCodePage(), 0, text));
    return isUtf8 ? toCodePage(CP_ACP, wide) : text;
}

std::string normaliseTagName(const char *name)
{
    if (!name)
        return std::string();
    if (_strnicmp(name, "WM/", 3) == 0)
        name += 3;
    std::string upper;
    for (const char *p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c > 0x7E)
            return std::string(); // not a name a person would have typed
        upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    if (upper == "AUTHOR")
        upper = "ARTIST";
    else if (upper == "ALBUMTITLE")
        upper = "ALBUM";
    else if (upper == "ALBUMARTIST")
        upper = "ALBUM_ARTIST";
    if (upper.empty() || isTechnical(upper))
        return std::string();
    return upper;
}

namespace {

void addField(int type, const char *rawName, const char *utf8Value, std::vector<TagField> &out)
{
    std::string name = normaliseTagName(rawName);
    if (name.empty() || !utf8Value || !*utf8Value)
        return;
    auto sameName = [&](const TagField &field) { return field.name == name; };
    if (std::any_of(out.begin(), out.end(), sameName))
        return;
    std::string value = utf8ToAnsi(utf8Value);
    if (!value.empty())
        out.push_back(TagField{type, std::move(name), std::move(value)});
}

} // namespace

void collectTags(const AVDictionary *dict, int type, std::vector<TagField> &out)
{
    const AVDictionaryEntry *entry = nullptr;
    while ((entry = av_dict_get(dict, "", entry, AV_DICT_IGNORE_SUFFIX)))
        addField(type, entry->key, entry->value, out);
}

void forEachApeItem(AVIOContext *io,
                    const std::function<void(const std::string &name, const std::string &value)> &item)
{
    constexpr int kFooterSize = 32;
    constexpr int kId3v1Size = 128;
    constexpr uint32_t kMaxTagSize = 1 << 20;
    int64_t fileSize = avio_size(io);
    int64_t saved = avio_tell(io);
    if (fileSize < kFooterSize)
        return;

    uint8_t footer[kFooterSize];
    int64_t footerAt = -1;
    for (int64_t candidate : {fileSize - kFooterSize, fileSize - kId3v1Size - kFooterSize}) {
        if (candidate < 0 || avio_seek(io, candidate, SEEK_SET) < 0)
            continue;
        if (avio_read(io, footer, kFooterSize) == kFooterSize && std::memcmp(footer, "APETAGEX", 8) == 0) {
            footerAt = candidate;
            break;
        }
    }
    uint32_t tagSize = footerAt >= 0 ? readLe32(footer + 12) : 0; // items and footer
    uint32_t itemCount = footerAt >= 0 ? readLe32(footer + 16) : 0;
    if (footerAt >= 0 && tagSize > kFooterSize && tagSize <= kMaxTagSize && tagSize - kFooterSize <= footerAt) {
        std::vector<uint8_t> items(tagSize - kFooterSize);
        avio_seek(io, footerAt - static_cast<int64_t>(items.size()), SEEK_SET);
        if (avio_read(io, items.data(), static_cast<int>(items.size())) == static_cast<int>(items.size())) {
            size_t at = 0;
            for (uint32_t i = 0; i < itemCount && at + 8 < items.size(); ++i) {
                uint32_t valueSize = readLe32(&items[at]);
                uint32_t flags = readLe32(&items[at + 4]);
                size_t keyAt = at + 8;
                size_t keyEnd = keyAt;
                while (keyEnd < items.size() && items[keyEnd])
                    ++keyEnd;
                if (keyEnd >= items.size() || valueSize > items.size() - keyEnd - 1)
                    break;
                size_t valueAt = keyEnd + 1;
                bool isText = ((flags >> 1) & 3) == 0;
                if (isText) {
                    std::string key(reinterpret_cast<const char *>(&items[keyAt]), keyEnd - keyAt);
                    std::string value(reinterpret_cast<const char *>(&items[valueAt]), valueSize);
                    value = value.c_str(); // a list of values: keep the first
                    item(key, value);
                }
                at = valueAt + valueSize;
            }
        }
    }
    avio_seek(io, saved, SEEK_SET);
}

void collectApeTags(AVIOContext *io, std::vector<TagField> &out)
{
    forEachApeItem(io, [&out](const std::string &name, const std::string &value) {
        addField(FSOUND_TAGFIELD_ID3V2, name.c_str(), value.c_str(), out);
    });
}

} // namespace kelvoria
