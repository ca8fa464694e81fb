#include "cue_sheet.h"

#include "text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

namespace {

constexpr unsigned kUtf8CodePage = 65001;
// Longer than any disc or image: 9,999 minutes.
constexpr int kMostMinutes = 9999;

std::string upper(std::string word)
{
    for (char &c : word)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
}

// The next word of a line: a quoted text (to its closing quote, or the
// line's end), or a run of characters up to a blank. Empty at the end.
std::string nextWord(const std::string &line, size_t &at)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at >= line.size())
        return {};
    size_t start;
    if (line[at] == '"') {
        start = ++at;
        size_t close = line.find('"', at);
        size_t end = close == std::string::npos ? line.size() : close;
        at = close == std::string::npos ? end : close + 1;
        return line.substr(start, end - start);
    }
    start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t')
        ++at;
    return line.substr(start, at - start);
}

// The rest of a line after its keyword, as one text (quoted or not).
std::string restOf(const std::string &line, size_t at)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at < line.size() && line[at] == '"')
        return nextWord(line, at);
    size_t end = line.find_last_not_of(" \t");
    return end == std::string::npos || end < at ? std::string() : line.substr(at, end + 1 - at);
}

bool allDigits(const std::string &text, size_t least, size_t most)
{
    return text.size() >= least && text.size() <= most &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// mm:ss:ff as CD frames; -1 when it is not such a time.
int64_t parseTime(const std::string &text)
{
    size_t first = text.find(':');
    size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        return -1;
    std::string mm = text.substr(0, first), ss = text.substr(first + 1, second - first - 1),
                ff = text.substr(second + 1);
    if (!allDigits(mm, 1, 4) || !allDigits(ss, 2, 2) || !allDigits(ff, 2, 2))
        return -1;
    int minutes = std::stoi(mm), seconds = std::stoi(ss), frames = std::stoi(ff);
    if (minutes > kMostMinutes || seconds >= 60 || frames >= kCueFramesPerSecond)
        return -1;
    return (int64_t(minutes) * 60 + seconds) * kCueFramesPerSecond + frames;
}

// A decimal number as sheets write it ("-7.89", "+0.5", "0.988"), read the
// same way in any locale; false for anything else.
bool parseDecimal(const std::string &text, double &value)
{
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    double whole = 0, scale = 1;
    bool digits = false, point = false;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9' && whole < 1e6) {
            digits = true;
            if (point)
                scale /= 10;
            whole = point ? whole + (c - '0') * scale : whole * 10 + (c - '0');
        } else {
            return false;
        }
    }
    value = negative ? -whole : whole;
    return digits;
}

struct pendingTrack {
    cueTrack track;
    bool audio = false;
    bool indexed = false; // an INDEX 01 was read
};

class reader {
public:
    reader(cueSheet &sheet, size_t maxTracks) : sheet_(sheet), maxTracks_(maxTracks) {}

    void line(const std::string &text)
    {
        if (text.size() > kCueLongestLine)
            return refuse("a line too long");
        if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }))
            return refuse("a line that is not text");
        size_t at = 0;
        std::string keyword = upper(nextWord(text, at));
        // Words are taken one statement at a time: arguments have no order.
        std::string first = keyword == "TITLE" || keyword == "PERFORMER" ? std::string() : nextWord(text, at);
        if (keyword == "FILE")
            file(first);
        else if (keyword == "TRACK")
            track(first, upper(nextWord(text, at)));
        else if (keyword == "INDEX")
            index(first, nextWord(text, at));
        else if (keyword == "TITLE")
            (pending_ ? pending_->track.title : sheet_.title) = restOf(text, at);
        else if (keyword == "PERFORMER")
            (pending_ ? pending_->track.performer : sheet_.performer) = restOf(text, at);
        else if (keyword == "REM")
            remark(upper(first), text, at);
        else if ((keyword == "PREGAP" || keyword == "POSTGAP") && parseTime(first) < 0)
            refuse("a time that is not understood");
        // PREGAP and POSTGAP are silence the file does not hold: nothing of
        // the file is skipped for them. FLAGS, ISRC, CATALOG, SONGWRITER,
        // CDTEXTFILE and unknown lines are passed over.
    }

    void finish()
    {
        close();
        for (size_t i = 0; i < sheet_.tracks.size(); ++i) {
            cueTrack &track = sheet_.tracks[i];
            if (track.performer.empty())
                track.performer = sheet_.performer;
            if (i + 1 < sheet_.tracks.size() && sheet_.tracks[i + 1].file == track.file)
                track.end = sheet_.tracks[i + 1].start;
        }
        // The last track kept still ends where the next one would begin.
        if (sheet_.tracks.size() > maxTracks_) {
            refuse(std::to_string(sheet_.tracks.size() - maxTracks_ + leftOut_) + " tracks past the list's limit");
            sheet_.tracks.resize(maxTracks_);
        }
    }

private:
    void refuse(const std::string &what)
    {
        if (std::find(sheet_.refused.begin(), sheet_.refused.end(), what) == sheet_.refused.end())
            sheet_.refused.push_back(what);
    }

    void file(const std::string &name)
    {
        close();
        file_ = name;
        if (name.empty())
            refuse("a FILE line with no name");
    }

    void track(const std::string &number, const std::string &type)
    {
        close();
        if (file_.empty())
            return refuse("a track with no FILE");
        if (!allDigits(number, 1, 3))
            return refuse("a TRACK line that is not understood");
        pending_ = std::make_unique<pendingTrack>();
        pending_->track.number = std::stoi(number);
        pending_->track.file = file_;
        pending_->audio = type == "AUDIO"; // data tracks are passed over
    }

    void index(const std::string &number, const std::string &time)
    {
        int64_t at = parseTime(time);
        if (!pending_ || !allDigits(number, 1, 2) || at < 0)
            return refuse("an INDEX line that is not understood");
        int which = std::stoi(number);
        if (which == 0) {
            pending_->track.pregap = at;
        } else if (which == 1 && !pending_->indexed) {
            pending_->track.start = at;
            pending_->indexed = true;
        }
        // Further indexes mark places within a track.
    }

    void remark(const std::string &field, const std::string &text, size_t at)
    {
        std::string value = field.rfind("REPLAYGAIN_", 0) == 0 ? nextWord(text, at) : restOf(text, at);
        if (field == "GENRE")
            sheet_.genre = value;
        else if (field == "DATE")
            sheet_.date = value;
        else if (field == "REPLAYGAIN_ALBUM_GAIN" || field == "REPLAYGAIN_TRACK_GAIN")
            gain(field == "REPLAYGAIN_ALBUM_GAIN" ? sheet_.albumGain : trackGain(), value, true);
        else if (field == "REPLAYGAIN_ALBUM_PEAK" || field == "REPLAYGAIN_TRACK_PEAK")
            gain(field == "REPLAYGAIN_ALBUM_PEAK" ? sheet_.albumGain : trackGain(), value, false);
    }

    cueGain &trackGain() { return pending_ ? pending_->track.gain : ignored_; }

    void gain(cueGain &into, const std::string &value, bool isGain)
    {
        double number;
        if (!parseDecimal(value, number) || (isGain ? std::abs(number) > 60 : number < 0 || number > 100))
            return refuse("a gain that is not understood");
        if (isGain) {
            into.gainDb = number;
            into.known = true;
        } else {
            into.peak = number;
        }
    }

    // The track being read is complete: taken, or refused for what it lacks.
    void close()
    {
        std::unique_ptr<pendingTrack> done = std::move(pending_);
        if (!done || !done->audio)
            return;
        if (!done->indexed)
            return refuse("a track with no INDEX 01");
        cueTrack &track = done->track;
        const cueTrack *before = sheet_.tracks.empty() ? nullptr : &sheet_.tracks.back();
        bool sameFile = before && before->file == track.file;
        if (sameFile && track.start <= before->start)
            return refuse("times that go backwards");
        if (track.pregap > track.start || (sameFile && track.pregap >= 0 && track.pregap < before->start))
            track.pregap = -1; // a pregap outside the track's own stretch is no pregap
        if (sheet_.tracks.size() > maxTracks_) {
            ++leftOut_; // one past the limit is kept until the end, for where the last one ends
            return;
        }
        sheet_.tracks.push_back(std::move(track));
    }

    cueSheet &sheet_;
    size_t maxTracks_;
    std::string file_;
    std::unique_ptr<pendingTrack> pending_;
    cueGain ignored_; // a track's gain written before any track
    size_t leftOut_ = 0;
};

} // namespace

cueSheet readCueSheet(const std::string &utf8, size_t maxTracks)
{
    cueSheet sheet;
    reader read(sheet, maxTracks);
    size_t at = 0;
    while (at < utf8.size()) {
        size_t end = utf8.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = utf8.size();
        read.line(utf8.substr(at, end - at));
        at = end + 1;
        if (end + 1 < utf8.size() && utf8[end] == '\r' && utf8[end + 1] == '\n')
            ++at;
    }
    read.finish();
    return sheet;
}

std::string cueSheetUtf8(const std::string &bytes)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return isUtf8(bytes.data() + 3, bytes.size() - 3) ? bytes.substr(3) : std::string();
    if (isUtf8(bytes.data(), bytes.size()))
        return bytes;
    std::string utf8;
    return convertText(bytes, legacyCodePage(), kUtf8CodePage, utf8) ? utf8 : std::string();
}

int64_t cueFrameToSample(int64_t frame, int rate)
{
    return frame * rate / kCueFramesPerSecond;
}
