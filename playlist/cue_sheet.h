/*
 * Cue sheets: the text that says where each track of an album kept as one
 * file (or a few) begins. The reader takes the sheet's text, untrusted, and
 * gives the audio tracks it can soundly list, in the sheet's order, with
 * what it refused; it touches no file, window or song list.
 *
 * Times are CD frames, 1/75 s, counted from the start of the track's file.
 * A track's stretch runs from its INDEX 01 to the next track's INDEX 01 in
 * the same file (so a pregap, INDEX 00 to INDEX 01, is heard at the end of
 * the track before it when the album plays in order), or to the file's end.
 */
#ifndef KELVORIA_CUE_SHEET_H
#define KELVORIA_CUE_SHEET_H

#include <cstdint>
#include <string>
#include <vector>

struct cueGain {
    bool known = false;
    double gainDb = 0.0;
    double peak = 0.0; /* 0 when the sheet names none */
};

struct cueTrack {
    int number = 0;
    std::string file;      /* as the FILE line names it */
    std::string title;     /* the track's own, or empty */
    std::string performer; /* the track's own, else the album's */
    int64_t start = 0;     /* INDEX 01 */
    int64_t pregap = -1;   /* INDEX 00, or -1 */
    int64_t end = -1;      /* the next track's INDEX 01 in the file, or -1: the file's end */
    cueGain gain;          /* REM REPLAYGAIN_TRACK_GAIN / _PEAK */
};

struct cueSheet {
    std::string title, performer, genre, date;
    cueGain albumGain; /* REM REPLAYGAIN_ALBUM_GAIN / _PEAK */
    std::vector<cueTrack> tracks;
    /* What was refused, each a short phrase for the status line ("a track
     * with no INDEX 01"); empty when the whole sheet was taken. */
    std::vector<std::string> refused;
};

constexpr int kCueFramesPerSecond = 75;
/* Lines longer than this are not of a cue sheet: refused, passed over. */
constexpr size_t kCueLongestLine = 4096;

/* The sheet in `utf8` (see cueSheetUtf8), keeping at most `maxTracks`. */
cueSheet readCueSheet(const std::string &utf8, size_t maxTracks);

/* A sheet file's bytes as UTF-8: UTF-8 with or without a byte-order mark
 * as it is, anything else read in the legacy code page. */
std::string cueSheetUtf8(const std::string &bytes);

/* A CD frame count as the sample it begins at, at `rate` samples a
 * second: exact at 44.1 kHz (588 a frame), rounded down at other rates. */
int64_t cueFrameToSample(int64_t frame, int rate);

#endif
