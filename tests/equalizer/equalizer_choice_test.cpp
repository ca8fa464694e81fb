// The equalizer's one owner on the scripted engine, and what the registry
// keeps of it and of the listener's presets.
#include "equalizer_choice.h"
#include "presets.h"
#include "registry_state.h"
#include "stored_equalizer.h"

#include "fake_fmod.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

int told;
void countChange(equalizerChange, void *)
{
    ++told;
}

class Equalizer : public ::testing::Test {
protected:
    void SetUp() override
    {
        forgetEverything();
        RegCreateKeyA(HKEY_CURRENT_USER, SETTINGS_KEY, &settings);
        chooseEqualizer(flatEqualizer());
        fake_fmod::clearCalls();
        told = 0;
        listenToEqualizer(countChange, nullptr);
    }
    void TearDown() override
    {
        stopListeningToEqualizer(countChange, nullptr);
        RegCloseKey(settings);
        forgetEverything();
    }
    HKEY settings = nullptr;
};

TEST_F(Equalizer, AChangeReachesTheEngineOnceAndIsTold)
{
    equalizerChoice choice = flatEqualizer();
    choice.on = true;
    choice.preamp = -5000;
    choice.bands[5] = 350;
    choice.bands[9] = 99999;
    chooseEqualizer(choice);
    chooseEqualizer(choice);
    EXPECT_EQ(1, told) << "the same choice again tells nobody";
    ASSERT_EQ(1, fake_fmod::countCalls("Kelvoria_SetEqualizer("));
    EXPECT_EQ("Kelvoria_SetEqualizer(1,-1200,0,0,0,0,0,350,0,0,0,1200)", fake_fmod::calls().back())
        << "values beyond the sliders are held at their ends";
    EXPECT_EQ(1200, currentEqualizer().bands[9]);
}

TEST_F(Equalizer, TheRegistryKeepsItAndADamagedEntryGivesFlat)
{
    equalizerChoice choice = flatEqualizer();
    choice.on = true;
    choice.autoPreamp = true;
    choice.preamp = -250;
    for (int band = 0; band < EQUALIZER_BANDS; ++band)
        choice.bands[band] = band * 100 - 450;
    storeEqualizer(choice);
    equalizerChoice back = storedEqualizer();
    EXPECT_EQ(0, memcmp(&choice, &back, sizeof(back)));

    for (const char *bands : {"0,0,0", "0,0,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0,1201", "a,0,0,0,0,0,0,0,0,0",
                              "0,0,0,0,0,0,0,0,0,0 "}) {
        SCOPED_TRACE(bands);
        writeText(SETTINGS_KEY, "EqualizerBands", bands);
        back = storedEqualizer();
        equalizerChoice flat = flatEqualizer();
        EXPECT_EQ(0, memcmp(&flat, &back, sizeof(back)));
    }
}

TEST_F(Equalizer, TheListenersPresetsAreSavedListedAndDeleted)
{
    equalizerPreset mine = {"Late night", -300, {600, 300, 0, 0, 0, 0, 0, 0, -300, -600}};
    EXPECT_EQ(PRESET_SAVED, saveUserPreset(mine));
    equalizerPreset builtInName = mine;
    strcpy(builtInName.name, "rock");
    EXPECT_EQ(PRESET_NAME_BUILT_IN, saveUserPreset(builtInName)) << "built-in names are kept, in any case";
    equalizerPreset unnamed = mine;
    unnamed.name[0] = '\0';
    EXPECT_EQ(PRESET_NAME_EMPTY, saveUserPreset(unnamed));

    equalizerPreset listed[4];
    ASSERT_EQ(1, listUserPresets(listed, 4));
    EXPECT_STREQ(mine.name, listed[0].name);
    EXPECT_EQ(mine.preamp, listed[0].preamp);
    EXPECT_EQ(0, memcmp(mine.bands, listed[0].bands, sizeof(mine.bands)));
    writeText("Software\\Kelvoria\\Equalizer presets", "Broken", "1,2,3");
    EXPECT_EQ(1, listUserPresets(listed, 4)) << "a value that is not a whole preset is passed over";

    equalizerPreset found;
    ASSERT_TRUE(findPreset("Classical", found));
    EXPECT_EQ(-600, found.bands[9]);
    equalizerChoice chosen = choiceOfPreset(found, flatEqualizer());
    EXPECT_TRUE(chosen.on) << "a chosen preset is heard";
    EXPECT_TRUE(deleteUserPreset("Late night"));
    EXPECT_FALSE(findPreset("Late night", found));
}

} // namespace
