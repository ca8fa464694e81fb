// Cue sheets against the reader: each sheet's text, the tracks it lists
// (file, start, end, pregap, names, gains) and what it refuses; hostile
// sheets among them.
#include "cue_sheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

struct expectedTrack {
    int number;
    const char *file;
    int64_t start, end, pregap;
    const char *title, *performer;
};

struct sheetCase {
    const char *name;
    std::string text;
    std::vector<expectedTrack> tracks;
    std::vector<std::string> refused;
};

std::string manyTracks(int count)
{
    std::string text = "FILE \"big.flac\" WAVE\n";
    for (int i = 1; i <= count; ++i)
        text += "TRACK " + std::to_string(i % 1000) + " AUDIO\nINDEX 01 " + std::to_string(i / 60) + ":" +
                (i % 60 < 10 ? "0" : "") + std::to_string(i % 60) + ":00\n";
    return text;
}

TEST(CueSheet, EachSheetListsTheTracksItCanSoundlyList)
{
    const sheetCase cases[] = {
        {"an album in one file, with a pregap, names at both levels",
         "\xEF\xBB\xBFREM GENRE Jazz\r\nREM DATE 1959\r\nPERFORMER \"Quartet\"\r\nTITLE \"Album\"\r\n"
         "FILE \"album.flac\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    PERFORMER \"Guest\"\r\n    FLAGS DCP\r\n    ISRC X\r\n"
         "    INDEX 00 02:58:50\r\n    INDEX 01 03:00:00\r\n"
         "  TRACK 03 AUDIO\r\n    INDEX 01 07:30:74\r\n",
         {{1, "album.flac", 0, 13500, -1, "One", "Quartet"},
          {2, "album.flac", 13500, 33824, 13400, "Two", "Guest"},
          {3, "album.flac", 33824, -1, -1, "", "Quartet"}},
         {}},
        {"two files, each track ending at its own file's end; data and sub-indexes passed over",
         "FILE side1.wav WAVE\nTRACK 1 AUDIO\nINDEX 01 00:00:00\nINDEX 02 00:10:00\nTRACK 2 MODE1/2352\n"
         "INDEX 01 01:00:00\nFILE \"side 2.wav\" WAVE\nTRACK 3 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:00:00\n"
         "POSTGAP 00:01:00\n",
         {{1, "side1.wav", 0, -1, -1, "", ""}, {3, "side 2.wav", 0, -1, -1, "", ""}},
         {}},
        {"a track with no INDEX 01, and times that go backwards",
         "FILE a.flac WAVE\nTRACK 01 AUDIO\nINDEX 01 00:10:00\nTRACK 02 AUDIO\nINDEX 00 00:20:00\n"
         "TRACK 03 AUDIO\nINDEX 01 00:05:00\nTRACK 04 AUDIO\nINDEX 01 00:30:00\n",
         {{1, "a.flac", 750, 2250, -1, "", ""}, {4, "a.flac", 2250, -1, -1, "", ""}},
         {"a track with no INDEX 01", "times that go backwards"}},
        {"no FILE, times and lines not understood",
         "TRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE x.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:61:00\nINDEX 01 1:00:75\n"
         "TRACK 02 AUDIO\nINDEX 01 00:01:00\n",
         {{2, "x.wav", 75, -1, -1, "", ""}},
         {"a track with no FILE", "an INDEX line that is not understood", "a track with no INDEX 01"}},
        {"binary bytes and a line of a megabyte",
         "FILE a.wav WAVE\nTRACK 01 AUDIO\nTITLE \"x\0y\"\n"s + std::string(1 << 20, 'A') +
             "\nINDEX 01 00:00:00\n",
         {{1, "a.wav", 0, -1, -1, "", ""}},
         {"a line that is not text", "a line too long"}},
    };
    for (const sheetCase &c : cases) {
        SCOPED_TRACE(c.name);
        cueSheet sheet = readCueSheet(cueSheetUtf8(c.text), 1999);
        EXPECT_EQ(sheet.refused, c.refused);
        ASSERT_EQ(sheet.tracks.size(), c.tracks.size());
        for (size_t i = 0; i < c.tracks.size(); ++i) {
            const cueTrack &got = sheet.tracks[i];
            const expectedTrack &want = c.tracks[i];
            EXPECT_EQ(got.number, want.number) << i;
            EXPECT_EQ(got.file, want.file) << i;
            EXPECT_EQ(got.start, want.start) << i;
            EXPECT_EQ(got.end, want.end) << i;
            EXPECT_EQ(got.pregap, want.pregap) << i;
            EXPECT_EQ(got.title, want.title) << i;
            EXPECT_EQ(got.performer, want.performer) << i;
        }
    }
}

TEST(CueSheet, SheetFieldsGainsLegacyTextTheTrackLimitAndSamples)
{
    cueSheet sheet = readCueSheet(cueSheetUtf8("REM GENRE \"Hard Bop\"\nREM DATE 1959\nTITLE Caf\xE9\n"
                                               "REM REPLAYGAIN_ALBUM_GAIN -7.89 dB\nREM REPLAYGAIN_ALBUM_PEAK 0.988\n"
                                               "FILE a.flac WAVE\nTRACK 01 AUDIO\nREM REPLAYGAIN_TRACK_GAIN +1.5 dB\n"
                                               "INDEX 01 00:00:00\nTRACK 02 AUDIO\nREM REPLAYGAIN_TRACK_GAIN 99 dB\n"
                                               "INDEX 01 00:01:00\n"),
                                  1999);
    EXPECT_EQ(sheet.genre, "Hard Bop");
    EXPECT_EQ(sheet.date, "1959");
    EXPECT_EQ(sheet.title, "Caf\xC3\xA9"); // from the legacy code page, 1252 here
    EXPECT_TRUE(sheet.albumGain.known);
    EXPECT_DOUBLE_EQ(sheet.albumGain.gainDb, -7.89);
    EXPECT_DOUBLE_EQ(sheet.albumGain.peak, 0.988);
    ASSERT_EQ(sheet.tracks.size(), 2u);
    EXPECT_DOUBLE_EQ(sheet.tracks[0].gain.gainDb, 1.5);
    EXPECT_FALSE(sheet.tracks[1].gain.known);
    EXPECT_EQ(sheet.refused, std::vector<std::string>{"a gain that is not understood"});

    cueSheet many = readCueSheet(manyTracks(10000), 1999);
    EXPECT_EQ(many.tracks.size(), 1999u);
    EXPECT_EQ(many.tracks.back().end, 2000 * 75); // where the first track left out begins
    EXPECT_EQ(many.refused, std::vector<std::string>{"8001 tracks past the list's limit"});

    EXPECT_EQ(cueFrameToSample(13500, 44100), 13500 * 588); // exact at 44.1 kHz
    EXPECT_EQ(cueFrameToSample(2, 8000), 213);              // 213.33, rounded down elsewhere
}

} // namespace
