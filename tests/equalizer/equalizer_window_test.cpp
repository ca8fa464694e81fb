// The equalizer window in-process on the player's own windows and the
// scripted engine: its controls follow the equalizer whoever changes it,
// the keyboard reaches and moves every slider, and the presets' buttons.
#include "equalizer_choice.h"
#include "equalizer_window.h"
#include "globals.h"
#include "keyboard.h"
#include "player_windows.h"
#include "registry_state.h"

#include "fake_fmod.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

HWND item(int id)
{
    return GetDlgItem(hEqualizerDialog, id);
}

int sliderPlace(int id)
{
    return static_cast<int>(SendMessageA(item(id), TBM_GETPOS, 0, 0));
}

void press(HWND target, WPARAM key)
{
    MSG message = {target, WM_KEYDOWN, key, 0, 0, {0, 0}};
    if (!takeKeyboardMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class EqualizerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        makePlayerWindows();
        startFresh();
        forgetEverything();
        chooseEqualizer(flatEqualizer());
        ShowWindow(hEqualizerDialog, SW_SHOW);
        SetForegroundWindow(hEqualizerDialog);
        fake_fmod::clearCalls();
    }
    void TearDown() override
    {
        chooseEqualizer(flatEqualizer());
        forgetEverything();
    }
};

TEST_F(EqualizerWindow, TheSlidersFollowTheEqualizerWhoeverChangesIt)
{
    equalizerChoice choice = flatEqualizer();
    choice.on = true;
    choice.preamp = -600;
    choice.bands[0] = 1200;
    choice.bands[9] = -350;     // between two half-decibel places: the nearer
    chooseEqualizer(choice);
    EXPECT_EQ(36, sliderPlace(EQUALIZER_PREAMP));
    EXPECT_EQ(0, sliderPlace(EQUALIZER_FIRST_BAND));
    EXPECT_EQ(31, sliderPlace(EQUALIZER_FIRST_BAND + 9));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hEqualizerDialog, EQUALIZER_ON));

    HWND presets = item(EQUALIZER_PRESETS);
    LRESULT rock = SendMessageA(presets, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>("Rock"));
    ASSERT_NE(CB_ERR, rock);
    SendMessageA(presets, CB_SETCURSEL, rock, 0);
    SendMessageA(hEqualizerDialog, WM_COMMAND, MAKEWPARAM(EQUALIZER_PRESETS, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(presets));
    EXPECT_EQ(500, currentEqualizer().bands[0]) << "the preset is chosen";
    EXPECT_EQ(0, currentEqualizer().preamp);
    EXPECT_EQ(sliderPlaceOfHundredths(500), sliderPlace(EQUALIZER_FIRST_BAND));
    EXPECT_EQ("Kelvoria_SetEqualizer(1,0,500,300,-300,-500,-200,200,600,700,700,700)",
              fake_fmod::calls().back());
}

TEST_F(EqualizerWindow, TabReachesEverySliderAndUpAndDownMoveHalfADecibel)
{
    std::set<int> reached;
    SetFocus(hEqualizerDialog);
    for (int presses = 0; presses < 40; ++presses) {
        press(GetFocus() ? GetFocus() : hEqualizerDialog, VK_TAB);
        reached.insert(GetDlgCtrlID(GetFocus()));
    }
    for (int id = EQUALIZER_PREAMP; id < EQUALIZER_FIRST_BAND + EQUALIZER_BANDS; ++id)
        EXPECT_TRUE(reached.count(id)) << "slider " << id;
    for (int id : {EQUALIZER_ON, EQUALIZER_AUTO, EQUALIZER_SAVE, EQUALIZER_DELETE, EQUALIZER_IMPORT, EQUALIZER_EXPORT})
        EXPECT_TRUE(reached.count(id)) << "control " << id;

    HWND kilohertz = item(EQUALIZER_FIRST_BAND + 5);
    SetFocus(kilohertz);
    for (WPARAM key : {VK_UP, VK_UP, VK_UP, VK_DOWN})
        press(kilohertz, key);
    EXPECT_EQ(100, currentEqualizer().bands[5]) << "three steps up, one down: +1.0 dB";
}

TEST_F(EqualizerWindow, APresetIsSavedUnderTheTypedNameAndDeleted)
{
    HWND presets = item(EQUALIZER_PRESETS);
    HWND status = item(EQUALIZER_STATUS);
    const struct {
        const char *typed;
        int button;
        const char *status;
        bool listed;    // "Evening" among the presets after the step
    } steps[] = {
        {"Flat", EQUALIZER_SAVE, "That name is a built-in preset's: choose another.", false},
        {"  ", EQUALIZER_SAVE, "Type a name for the preset first.", false},
        {"Evening", EQUALIZER_SAVE, "Saved.", true},
        {"Flat", EQUALIZER_DELETE, "A built-in preset stays.", true},
        {"Evening", EQUALIZER_DELETE, "Deleted.", false},
        {"Evening", EQUALIZER_DELETE, "No preset of yours has that name.", false},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(std::string(step.typed) + " " + std::to_string(step.button));
        SetWindowTextA(presets, step.typed);
        SendMessageA(hEqualizerDialog, WM_COMMAND, MAKEWPARAM(step.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(item(step.button)));
        EXPECT_EQ(step.status, textOf(status));
        bool listed = SendMessageA(presets, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>("Evening")) != CB_ERR;
        EXPECT_EQ(step.listed, listed);
    }
}

} // namespace
