// The stored settings against the real registry of the test prefix. Each
// test starts from a registry without Software\Kelvoria and without the
// log-on entry, as on a first run.
#include "registry_state.h"
#include "song_list_record.h"
#include "stored_settings.h"

#include "fake_fmod.h"
#include "gain.h"
#include "songlist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        forgetEverything();
        ASSERT_FALSE(keyExists("Software\\Kelvoria"));
    }
    void TearDown() override { forgetEverything(); }

    void prepare()
    {
        char programPath[256];
        prepareRegistry(programPath, sizeof(programPath));
    }
};

TEST_F(StoredSettings, AbsentSettingsReadAsNotChosen)
{
    for (const char *name : {"Launch", "Minimize", "Playlist"})
        EXPECT_EQ(IsChosen(name), 0) << name << " before the keys exist";
    Choose("Playlist", "Yes");
    EXPECT_FALSE(keyExists(SETTINGS_KEY)) << "Choose makes no key";
    prepare();
    for (const char *name : {"Launch", "Minimize", "Playlist"})
        EXPECT_EQ(IsChosen(name), 0) << name << " in the prepared keys";
}

TEST_F(StoredSettings, ChooseStoresTheTextWithItsTerminator)
{
    prepare();
    Choose("Minimize", "Yes");
    EXPECT_EQ(stored(SETTINGS_KEY, "Minimize"), sz("Yes"));
    EXPECT_EQ(IsChosen("Minimize"), 1);
    Choose("Minimize", "No");
    EXPECT_EQ(stored(SETTINGS_KEY, "Minimize"), sz("No"));
    EXPECT_EQ(IsChosen("Minimize"), 0);
}

TEST_F(StoredSettings, OnlyTheFirstOfAtMostFourBytesDecides)
{
    prepare();
    const struct {
        DWORD type;
        std::string bytes;
        int chosen;
    } cases[] = {
        {REG_SZ, std::string("yes", 4), 0},       {REG_SZ, std::string("Y", 2), 1},
        {REG_SZ, std::string("", 1), 0},          {REG_SZ, std::string("Yesterday", 10), 0},
        {REG_BINARY, std::string("Y\x01", 2), 1}, {REG_DWORD, std::string("Y\0\0\0", 4), 1},
    };
    for (const auto &c : cases) {
        writeValue(SETTINGS_KEY, "Launch", c.type, c.bytes);
        EXPECT_EQ(IsChosen("Launch"), c.chosen) << c.bytes.c_str() << " of type " << c.type;
    }
}

TEST_F(StoredSettings, PreparationMakesTheKeysAndRecordsTheProgram)
{
    writeText(SETTINGS_KEY, "Minimize", "Yes");
    char programPath[256];
    prepareRegistry(programPath, sizeof(programPath));
    for (const char *keyPath : {"Software\\Kelvoria", SETTINGS_KEY, SHELL_KEY, STARTUP_KEY, "Software\\Kelvoria\\Playlist"})
        EXPECT_TRUE(keyExists(keyPath)) << keyPath;
    EXPECT_EQ(IsChosen("Minimize"), 1) << "existing values stay";
    EXPECT_EQ(stored(SETTINGS_KEY, "Launch"), "<absent>") << "no setting is written at start";

    EXPECT_EQ(std::string(programPath), programFile()) << "the caller's buffer holds the plain path";
    EXPECT_EQ(stored(SHELL_KEY, "programPath"), sz(programFile()));
    EXPECT_EQ(stored(STARTUP_KEY, "programPathStartup"), sz(startupLineOf(programFile())));
}

TEST_F(StoredSettings, EveryStartRewritesTheProgramPaths)
{
    prepare();
    storeProgramPaths("C:\\Old Place\\Kelvoria.exe");
    EXPECT_EQ(stored(STARTUP_KEY, "programPathStartup"), sz(startupLineOf("C:\\Old Place\\Kelvoria.exe")));
    prepare();
    EXPECT_EQ(stored(SHELL_KEY, "programPath"), sz(programFile()));
    EXPECT_EQ(stored(STARTUP_KEY, "programPathStartup"), sz(startupLineOf(programFile())));
}

TEST_F(StoredSettings, OnlyAStartupLineThatFitsTheCopyIsStored)
{
    prepare();
    // Quotes, blank and "/startup" take 11 bytes: with the terminator, 248
    // characters of path fill the 260 bytes of the copy.
    std::string fits = "C:\\" + std::string(239, 'd') + "\\k.exe";
    ASSERT_EQ(fits.size(), 248u);
    storeProgramPaths(fits.c_str());
    EXPECT_EQ(stored(STARTUP_KEY, "programPathStartup"), sz(startupLineOf(fits)));

    std::string tooLong = fits + "e";
    storeProgramPaths(tooLong.c_str());
    EXPECT_EQ(stored(SHELL_KEY, "programPath"), sz(tooLong));
    EXPECT_EQ(stored(STARTUP_KEY, "programPathStartup"), "<absent>") << "the older line is gone too";

    prepare();
    char tiny[8];
    prepareRegistry(tiny, sizeof(tiny));
    EXPECT_STREQ(tiny, "") << "a cut program path is not used";
    EXPECT_EQ(stored(STARTUP_KEY, "programPathStartup"), "<absent>");
}

TEST_F(StoredSettings, TheLogonEntryIsACopyOfTheStartupLine)
{
    prepare();
    storeProgramPaths("C:\\Old\\Kelvoria.exe");
    writeLogonEntry();
    EXPECT_EQ(stored(SETTINGS_KEY, "Launch"), sz("Yes"));
    EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), sz(startupLineOf("C:\\Old\\Kelvoria.exe")));
    prepare();
    EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), sz(startupLineOf("C:\\Old\\Kelvoria.exe"))) << "kept until written again";
    writeLogonEntry();
    EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), sz(startupLineOf(programFile())));
}

TEST_F(StoredSettings, OnlyAWholeNonEmptyStartupTextIsCopiedIntoTheLogonEntry)
{
    prepare();
    const struct {
        DWORD type;
        std::string bytes;
        std::string entry;
    } cases[] = {
        {REG_SZ, std::string(STARTUP_LINE_SIZE - 1, 's') + '\0', sz(std::string(STARTUP_LINE_SIZE - 1, 's'))},
        {REG_SZ, std::string(300, 's') + '\0', "<absent>"},
        {REG_SZ, std::string(STARTUP_LINE_SIZE, 's'), "<absent>"}, // fills the copy, no terminator
        {REG_SZ, "abc", sz("abc")},                                // stored without its terminator
        {REG_EXPAND_SZ, std::string("abc", 4), sz("abc")},
        {REG_SZ, "", "<absent>"},
        {REG_SZ, std::string(1, '\0'), "<absent>"},
        {REG_BINARY, "abc", "<absent>"},
        {REG_DWORD, std::string("abc", 4), "<absent>"},
    };
    for (const auto &c : cases) {
        forgetEverything();
        prepare();
        writeValue(STARTUP_KEY, "programPathStartup", c.type, c.bytes);
        writeLogonEntry();
        EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), c.entry) << c.bytes.size() << " bytes of type " << c.type;
    }
    forgetEverything();
    prepare();
    storeProgramPaths(("C:\\" + std::string(300, 'd')).c_str());
    writeLogonEntry();
    EXPECT_EQ(IsChosen("Launch"), 1);
    EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), "<absent>") << "no start-up line, no entry";
}

TEST_F(StoredSettings, RemovingTheLogonEntryStoresLaunchNo)
{
    prepare();
    writeLogonEntry();
    removeLogonEntry();
    EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), "<absent>");
    EXPECT_EQ(stored(SETTINGS_KEY, "Launch"), sz("No"));
    removeLogonEntry();
    EXPECT_EQ(IsChosen("Launch"), 0) << "removing an absent entry is harmless";
}

// What the registry holds, the volume read from it, and how far below full
// volume the engine plays it: 100 % for anything that is not a percentage.
TEST_F(StoredSettings, TheVolumeComesBackOnItsDecibelScale)
{
    prepare();
    EXPECT_EQ(storedVolume(), 100) << "absent";
    const struct {
        const char *stored;
        int percent;
        double db;
    } cases[] = {{"100", 100, 0.0}, {"95", 95, -2.52525}, {"50", 50, -25.25253}, {"1", 1, -50.0}, {"0", 0, -INFINITY},
                 {"101", 100, 0.0}, {"-5", 100, 0.0}, {"40%", 100, 0.0}, {"", 100, 0.0}};
    for (const auto &c : cases) {
        writeText(SETTINGS_KEY, "Volume", c.stored);
        EXPECT_EQ(storedVolume(), c.percent) << c.stored;
        double gain = std::pow(10.0, c.db / 20);
        EXPECT_NEAR(kelvoria::volumeGain(c.percent), gain, 1e-6 * gain) << c.percent; // 0.00001 dB
    }
    storeVolume(75);
    EXPECT_EQ(stored(SETTINGS_KEY, "Volume"), sz("75"));
}

// The stored choice as the engine is told it; "By order" follows shuffle,
// and nothing stored is off with clipping prevented.
TEST_F(StoredSettings, TheReplayGainChoiceReachesTheEngine)
{
    const struct {
        replayGainChoice choice;
        int shuffle;
        const char *told;
    } cases[] = {
        {{REPLAYGAIN_TRACK, -3, 6, false}, 0, "Kelvoria_SetReplayGain(1,-300,600,0)"},
        {{REPLAYGAIN_BY_ORDER, 15, -15, true}, 0, "Kelvoria_SetReplayGain(2,1500,-1500,1)"},
        {{REPLAYGAIN_BY_ORDER, 0, 0, true}, 1, "Kelvoria_SetReplayGain(1,0,0,1)"},
        {{-1, 0, 0, true}, 0, "Kelvoria_SetReplayGain(0,0,0,1)"},
    };
    for (const auto &c : cases) {
        prepare();
        if (c.choice.mode >= 0)
            storeReplayGain(c.choice);
        songList.shuffle = c.shuffle;
        fake_fmod::clearCalls();
        applyReplayGain();
        EXPECT_EQ(fake_fmod::calls(), std::vector<std::string>{c.told});
        forgetEverything();
    }
    songList.shuffle = 0;
}

TEST(FindFilePath, CutsAtTheLastBackslashInPlace)
{
    char song[] = "C:\\Music\\a.mp3", pattern[] = "C:\\*.*", root[] = "C:\\";
    char line[] = "C:\\Program Files\\Kelvoria.exe /startup", name[] = "song.mp3", empty[] = "";
    EXPECT_EQ(findFilePath(song), song);
    EXPECT_STREQ(song, "C:\\Music");
    EXPECT_STREQ(findFilePath(pattern), "C:");
    EXPECT_STREQ(findFilePath(root), "C:");
    EXPECT_STREQ(findFilePath(line), "C:\\Program Files");
    EXPECT_STREQ(findFilePath(name), "song.mp3");
    EXPECT_STREQ(findFilePath(empty), "");
}

} // namespace
