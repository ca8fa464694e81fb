// The mutation campaign of cue sheets: 10,000 mutants of real sheets through
// the reader, and mutants of sheets kept inside FLAC and APEv2 tags through
// the embedded reader. None may crash, hang or give a track the list could
// not play soundly.
#include "cue_sheet.h"
#include "embedded_cue.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const char *const SEEDS[] = {
    "REM GENRE Rock\r\nREM DATE 1999\r\nREM DISCID 8A0B1C0D\r\nREM COMMENT \"ExactAudioCopy v1.6\"\r\n"
    "REM REPLAYGAIN_ALBUM_GAIN -7.89 dB\r\nREM REPLAYGAIN_ALBUM_PEAK 0.988525\r\nCATALOG 0724384260927\r\n"
    "PERFORMER \"The Band\"\r\nTITLE \"The Album\"\r\nFILE \"The Band - The Album.wav\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"Intro\"\r\n    PERFORMER \"The Band\"\r\n    ISRC GBAYE9900001\r\n"
    "    REM REPLAYGAIN_TRACK_GAIN -6.50 dB\r\n    REM REPLAYGAIN_TRACK_PEAK 0.912000\r\n"
    "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"Song\"\r\n    FLAGS DCP\r\n"
    "    INDEX 00 03:58:40\r\n    INDEX 01 04:00:00\r\n  TRACK 03 AUDIO\r\n    TITLE \"Outro\"\r\n"
    "    PREGAP 00:02:00\r\n    INDEX 01 07:12:33\r\n    POSTGAP 00:01:00\r\n",
    "\xEF\xBB\xBF" "FILE \"side A.flac\" WAVE\nTRACK 1 AUDIO\nTITLE \"Caf\xC3\xA9\"\nINDEX 01 00:00:00\nTRACK 2 AUDIO\n"
    "INDEX 01 05:00:00\nFILE \"side B.flac\" WAVE\nTRACK 3 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:00:32\n"
    "TRACK 4 DATA\nINDEX 01 10:00:00\n",
    "FILE album.ape WAVE\nTRACK 01 AUDIO\nINDEX 01 0:00:00\nTRACK 02 AUDIO\nTITLE Caf\xE9\nINDEX 01 1:02:03\n",
};

const std::string SPLICES[] = {"\n", "\"", " ", ":", "INDEX 01 ", "TRACK 99 AUDIO\n", "FILE \"x\" WAVE\n",
                               "REM REPLAYGAIN_TRACK_GAIN ", "99:99:99", std::string(1, '\0'), "\xFF\xFE", "-",
                               "9999999999999999999"};

std::string mutate(const std::string &seed, std::mt19937 &random)
{
    std::string text = seed;
    int edits = 1 + static_cast<int>(random() % 8);
    for (int edit = 0; edit < edits && !text.empty(); ++edit) {
        size_t at = random() % text.size();
        switch (random() % 5) {
        case 0: text[at] = static_cast<char>(random()); break;
        case 1: text.insert(at, SPLICES[random() % (sizeof(SPLICES) / sizeof(SPLICES[0]))]); break;
        case 2: text.erase(at, random() % 40); break;
        case 3: text.insert(at, text.substr(at, random() % 200)); break; // repeated lines
        case 4: text.insert(at, std::string(random() % 6000, 'A')); break; // a line past the bound
        }
    }
    return text;
}

void expectSound(const cueSheet &sheet, size_t maxTracks)
{
    ASSERT_LE(sheet.tracks.size(), maxTracks);
    for (size_t i = 0; i < sheet.tracks.size(); ++i) {
        const cueTrack &track = sheet.tracks[i];
        ASSERT_GE(track.start, 0);
        ASSERT_TRUE(track.end == -1 || track.end > track.start);
        ASSERT_TRUE(track.pregap == -1 || track.pregap <= track.start);
        ASSERT_FALSE(track.file.empty());
    }
}

// A FLAC file's start with a Vorbis comment holding `sheet`, then an
// APEv2-tagged file's end holding it too.
std::string le32(uint32_t value)
{
    return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

std::string flacWith(const std::string &sheet)
{
    std::string comment = "CUESHEET=" + sheet;
    std::string block = le32(6) + "vendor" + le32(1) + le32(uint32_t(comment.size())) + comment;
    std::string info(34, '\0');
    return "fLaC" + std::string{0x00, 0x00, 0x00, 34} + info +
           std::string{char(0x84), char(block.size() >> 16), char(block.size() >> 8), char(block.size())} + block +
           std::string(64, '\x55');
}

std::string apeWith(const std::string &sheet)
{
    std::string items = le32(uint32_t(sheet.size())) + le32(0) + std::string("Cuesheet", 9) + sheet;
    return std::string(64, '\x55') + items + "APETAGEX" + le32(2000) + le32(uint32_t(items.size() + 32)) + le32(1) +
           le32(0) + std::string(8, '\0');
}

TEST(CueMutation, TenThousandMutantsOfRealSheetsListOnlySoundTracks)
{
    std::mt19937 random(20261211);
    for (int mutant = 0; mutant < 10000; ++mutant) {
        std::string text = mutate(SEEDS[mutant % 3], random);
        cueSheet sheet = readCueSheet(cueSheetUtf8(text), 1999);
        expectSound(sheet, 1999);
        if (::testing::Test::HasFatalFailure())
            FAIL() << "mutant " << mutant << ":\n" << text;
    }
}

TEST(CueMutation, SheetsInsideFilesAreFoundAndTheirMutantsNeverReadPastTheBytes)
{
    std::string text;
    ASSERT_TRUE(embeddedCueSheetOf(flacWith(SEEDS[0]), text));
    EXPECT_EQ(SEEDS[0], text);
    ASSERT_TRUE(embeddedCueSheetOf(apeWith(SEEDS[1]) + std::string(128, '\0').replace(0, 3, "TAG"), text))
        << "behind an ID3v1 tag";
    EXPECT_EQ(SEEDS[1], text);
    EXPECT_FALSE(embeddedCueSheetOf(std::string(100, '\0'), text));
    std::mt19937 random(11122026);
    const std::string files[] = {flacWith(SEEDS[0]), apeWith(SEEDS[2])};
    for (int mutant = 0; mutant < 4000; ++mutant) {
        std::string bytes = files[mutant % 2];
        for (int edit = 0; edit < 4; ++edit)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        if (embeddedCueSheetOf(bytes, text)) {
            ASSERT_LE(text.size(), bytes.size());
        }
    }
}

} // namespace
