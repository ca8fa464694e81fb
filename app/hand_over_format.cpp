// Packing and reading the hand-over block of a later start.
#include "hand_over_format.h"

#include "songlist.h"
#include "text.h"

#include <string.h>

namespace {

const char *const MODES[] = {"play", "add", "show"};

// Fields of a block whose last byte is a NUL: each read moves past its NUL.
struct fieldReader {
    const char *at, *end;

    bool more() const { return at < end; }

    const char *next()
    {
        const char *field = at;
        at += strlen(field) + 1;    // stops at the block's last NUL at the latest
        return field;
    }
};

// A decimal number of at most `max`, digits only.
bool readNumber(const char *text, uint64_t max, uint64_t &value)
{
    value = 0;
    if (!*text)
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
        unsigned digit = static_cast<unsigned>(*text - '0');
        if (value > (max - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

int modeOf(const char *text)
{
    for (int mode = 0; mode < 3; ++mode)
        if (strcmp(text, MODES[mode]) == 0)
            return mode;
    return -1;
}

void keepPath(const char *utf8, pathRequest &request)
{
    std::string path;
    if (fromUtf8(utf8, path) && !path.empty() && path.size() < PATH_SIZE)
        request.paths.push_back(path);
}

} // namespace

std::string packHandOver(const pathRequest &request, unsigned long processId, uint64_t started)
{
    std::string block = MODES[request.paths.empty() ? 2 : request.add ? 1 : 0];
    block += '\0';
    block += std::to_string(processId) + '\0';
    block += std::to_string(started) + '\0';
    block += std::to_string(request.paths.size()) + '\0';
    for (const std::string &path : request.paths)
        block += utf8Of(path) + '\0';
    return block;
}

bool readHandOver(uintptr_t tag, const void *bytes, size_t size, bool &show, handOver &given)
{
    given = handOver{0, 0, 0, pathRequest()};
    if (tag != HAND_OVER_TAG || !bytes || size == 0 || size > HAND_OVER_MAX)
        return false;
    const char *text = static_cast<const char *>(bytes);
    if (text[size - 1] != '\0')
        return false;
    fieldReader fields = {text, text + size};
    uint64_t processId = 0, started = 0, count = 0;
    int mode = modeOf(fields.next());
    if (mode < 0 || !fields.more() || !readNumber(fields.next(), UINT32_MAX, processId) || !fields.more() ||
        !readNumber(fields.next(), UINT64_MAX, started) || !fields.more() ||
        !readNumber(fields.next(), size, count) || (mode == 2) != (count == 0))
        return false;
    for (uint64_t path = 0; path < count; ++path) {
        if (!fields.more())
            return false;
        keepPath(fields.next(), given.request);
    }
    if (fields.more())
        return false;
    show = mode == 2;
    given.request.add = mode == 1;
    given.processId = static_cast<unsigned long>(processId);
    given.started = started;
    return true;
}
