// Texts in the process code page.
#include "text.h"

#include <windows.h>

#include <string.h>

const char *degreeSign()
{
    static char sign[8];
    if (!sign[0]) {
        const wchar_t degree = 0x00B0;
        int length = WideCharToMultiByte(CP_ACP, 0, &degree, 1, sign, sizeof(sign) - 1, NULL, NULL);
        if (length <= 0)
            sign[0] = '\xB0';
        sign[length > 0 ? length : 1] = '\0';
    }
    return sign;
}

bool processUsesUtf8()
{
    return GetACP() == CP_UTF8;
}

namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// A UTF-8 sequence is never cut: the cut steps back over continuation
// bytes to the start of the character they belong to.
size_t utf8Cut(const char *text, size_t limit)
{
    size_t cut = limit;
    while (cut > 0 && isContinuation(static_cast<unsigned char>(text[cut])))
        --cut;
    return cut;
}

// A double-byte code page is walked from the start: a trail byte can look
// like a lead byte, so only the walk knows where characters begin.
size_t doubleByteCut(const char *text, size_t limit)
{
    size_t at = 0;
    while (at < limit) {
        size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[at])) && text[at + 1] ? 2 : 1;
        if (at + width > limit)
            break;
        at += width;
    }
    return at;
}

} // namespace

size_t lengthBetweenCharacters(const char *text, size_t limit)
{
    size_t length = strnlen(text, limit + 1);
    if (length <= limit)
        return length;
    if (processUsesUtf8())
        return utf8Cut(text, limit);
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1)
        return doubleByteCut(text, limit);
    return limit;
}

void copyText(char *target, size_t size, const char *source)
{
    if (size == 0)
        return;
    size_t length = lengthBetweenCharacters(source, size - 1);
    memmove(target, source, length);
    target[length] = '\0';
}

bool isUtf8(const char *bytes, size_t size)
{
    if (size == 0)
        return true;
    if (size > 0x7FFFFFFF)
        return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), NULL, 0) > 0;
}

std::string utf8Of(const std::string &text)
{
    std::string converted;
    if (processUsesUtf8() || !convertText(text, GetACP(), CP_UTF8, converted))
        return text;
    return converted;
}

bool fromUtf8(const std::string &utf8, std::string &text)
{
    return convertText(utf8, CP_UTF8, processUsesUtf8() ? CP_UTF8 : GetACP(), text);
}

bool convertText(const std::string &in, unsigned from, unsigned to, std::string &out)
{
    out.clear();
    if (in.empty())
        return true;
    if (from == to)
        return from != CP_UTF8 || isUtf8(in.data(), in.size()) ? (out = in, true) : false;
    if (in.size() > 0x3FFFFFFF)
        return false;
    int length = static_cast<int>(in.size());
    DWORD strict = from == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int wideLength = MultiByteToWideChar(from, strict, in.data(), length, NULL, 0);
    if (wideLength <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, strict, in.data(), length, &wide[0], wideLength);
    // A character the target cannot hold is a loss, and so is a best-fit
    // stand-in ("l" for "ł"): either would name another file.
    BOOL lost = FALSE;
    bool toUtf8 = to == CP_UTF8;
    DWORD flags = toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL *lostCheck = toUtf8 ? NULL : &lost;
    int outLength = WideCharToMultiByte(to, flags, wide.data(), wideLength, NULL, 0, NULL, lostCheck);
    if (outLength <= 0 || lost)
        return false;
    out.resize(static_cast<size_t>(outLength));
    WideCharToMultiByte(to, flags, wide.data(), wideLength, &out[0], outLength, NULL, lostCheck);
    return true;
}
