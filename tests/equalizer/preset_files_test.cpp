// Preset files as bytes: the library form of other players and plain text,
// read from untrusted bytes and written back.
#include "preset_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const std::string HEADER = std::string("Winamp EQ library file v1.1\x1A!--", 31);

// One entry as the library form lays it out: name, ten bands, pre-amp.
std::string entry(const std::string &name, const std::vector<int> &values)
{
    std::string bytes = name + std::string(257 - name.size(), '\0');
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

std::vector<equalizerPreset> readLibrary(const std::string &bytes, int capacity = 8)
{
    std::vector<equalizerPreset> presets(capacity);
    int count = readEqfLibrary(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), presets.data(),
                               capacity);
    presets.resize(count < 0 ? 0 : count);
    return presets;
}

TEST(PresetFiles, SliderPlacesMapToDecibelsBothWays)
{
    const struct {
        int place, hundredths;
    } cases[] = {{0, 1200}, {31, 0}, {63, -1200}, {30, 39}, {32, -38}, {15, 619}, {47, -600}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.place);
        EXPECT_EQ(c.hundredths, hundredthsOfEqfValue(c.place));
        EXPECT_EQ(c.place, eqfValueOfHundredths(c.hundredths));
    }
    for (int place = 0; place <= 63; ++place)
        EXPECT_EQ(place, eqfValueOfHundredths(hundredthsOfEqfValue(place))) << place;
    EXPECT_EQ(0, eqfValueOfHundredths(5000)) << "held at the top";
    EXPECT_EQ(-1200, hundredthsOfEqfValue(200)) << "a byte beyond 63 is held at the bottom";
}

TEST(PresetFiles, ALibraryReadsAndWritesBackToTheSameBytes)
{
    std::string bytes = HEADER + entry("Rock", {20, 25, 35, 40, 33, 28, 18, 15, 15, 15, 31}) +
                        entry("", {0, 63, 31, 31, 31, 31, 31, 31, 31, 31, 40});
    std::vector<equalizerPreset> presets = readLibrary(bytes);
    ASSERT_EQ(2u, presets.size());
    EXPECT_STREQ("Rock", presets[0].name);
    EXPECT_EQ(hundredthsOfEqfValue(20), presets[0].bands[0]);
    EXPECT_EQ(0, presets[0].preamp);
    EXPECT_STREQ("Entry2", presets[1].name) << "an entry with no name gets one";
    EXPECT_EQ(1200, presets[1].bands[0]);
    EXPECT_EQ(-1200, presets[1].bands[1]);

    strcpy(presets[1].name, "");
    std::vector<unsigned char> written(bytes.size());
    ASSERT_EQ(bytes.size(), writeEqfLibrary(presets.data(), 2, written.data(), written.size()));
    EXPECT_EQ(bytes, std::string(written.begin(), written.end()));
    EXPECT_EQ(0u, writeEqfLibrary(presets.data(), 2, written.data(), written.size() - 1)) << "too small: nothing";
}

TEST(PresetFiles, HostileLibrariesAreBounded)
{
    std::string control = entry(std::string("Hi\x01\x1b there", 10), std::vector<int>(11, 31));
    std::string unterminated = std::string(257, 'x') + std::string(11, '\x1f');
    std::vector<equalizerPreset> presets =
        readLibrary(HEADER + control + unterminated + entry("cut", {31, 31}).substr(0, 200));
    ASSERT_EQ(2u, presets.size()) << "an entry cut short is left out";
    EXPECT_STREQ("Hi   there", presets[0].name) << "control characters become blanks";
    EXPECT_EQ(PRESET_NAME_SIZE - 1, static_cast<int>(strlen(presets[1].name))) << "a long name is cut to fit";
    EXPECT_EQ(3u, readLibrary(HEADER + control + control + control + control, 3).size()) << "at most the capacity";
    EXPECT_TRUE(readLibrary("Winamp EQ library file v1.0\x1A!--" + control).empty());
    EXPECT_TRUE(readLibrary(HEADER.substr(0, 20)).empty());
}

TEST(PresetFiles, TextGivesTenBandsAndAnOptionalPreamp)
{
    const struct {
        const char *text;
        bool read;
        int firstBand, lastBand, preamp;
    } cases[] = {
        {"1 2 3 4 5 6 7 8 9 10", true, 100, 1000, 0},
        {"# mine\r\n-3.5, 0; 0 0 0 0 0 0 0 2.25 # tail\n-6", true, -350, 225, -600},
        {"99 0 0 0 0 0 0 0 0 -99", true, 1200, -1200, 0},
        {"1 2 3 4 5 6 7 8 9", false, 0, 0, 0},
        {"1 2 3 4 5 6 7 8 9 10 11 12", false, 0, 0, 0},
        {"1 2 3 4 5 6 7 8 9 ten", false, 0, 0, 0},
        {"nan 2 3 4 5 6 7 8 9 10", false, 0, 0, 0},
        {"1e999 2 3 4 5 6 7 8 9 10", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        equalizerPreset preset = {};
        ASSERT_EQ(c.read, readTextPreset(c.text, strlen(c.text), preset));
        if (!c.read)
            continue;
        EXPECT_EQ(c.firstBand, preset.bands[0]);
        EXPECT_EQ(c.lastBand, preset.bands[EQUALIZER_BANDS - 1]);
        EXPECT_EQ(c.preamp, preset.preamp);
    }
    equalizerPreset written = {"x", -250, {100, -1200, 0, 0, 0, 0, 0, 0, 0, 1150}};
    char text[512];
    writeTextPreset(written, text, sizeof(text));
    equalizerPreset back = {};
    ASSERT_TRUE(readTextPreset(text, strlen(text), back)) << text;
    EXPECT_EQ(0, memcmp(written.bands, back.bands, sizeof(back.bands)));
    EXPECT_EQ(-250, back.preamp);
}

TEST(PresetFiles, FilesAreTakenByContentAndWrittenByExtension)
{
    equalizerPreset preset = {"Mine", 300, {1200, 0, 0, 0, 0, 0, 0, 0, 0, -1200}};
    for (const char *path : {"preset_test.eqf", "preset_test.txt"}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(exportPresetFile(path, preset));
        equalizerPreset read[4];
        int count = 0;
        ASSERT_EQ(PRESET_FILE_READ, importPresetFile(path, read, 4, count));
        ASSERT_EQ(1, count);
        EXPECT_EQ(1200, read[0].bands[0]);
        EXPECT_EQ(-1200, read[0].bands[9]);
        EXPECT_STREQ(strstr(path, ".txt") ? "preset_test" : "Mine", read[0].name);
        DeleteFileA(path);
    }
    equalizerPreset read[1];
    int count = 0;
    EXPECT_EQ(PRESET_FILE_UNREADABLE, importPresetFile("no such preset.eqf", read, 1, count));
}

} // namespace
