// The analyser area on the scripted engine: its timer runs only while a
// song is heard in a window that shows the area, a tick draws the frames
// heard and a stop gives the empty recess back, and a click goes on to the
// next mode, which the registry keeps. Ticks are sent by the test.
#include "queued_tick.h"
#include "analyser_area.h"
#include "fake_fmod.h"
#include "frequency_bars.h"
#include "globals.h"
#include "player_windows.h"
#include "registry_values.h"
#include "tray.h"

#include <gtest/gtest.h>

#include <math.h>

#include <string>
#include <vector>

namespace {

BOOL WINAPI noShell(DWORD, PNOTIFYICONDATAA) { return TRUE; }
void send(UINT message, WPARAM wParam) { SendMessageA(hwnd, message, wParam, 0); }
// Wine leaves the covering of one top-level window by another to the X
// server, as a composing desktop does: the window's surface shows nothing
// of the area only off the screen.
void moveTo(int x) { SetWindowPos(hwnd, NULL, x, 618, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }

class Analyser : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }
    void SetUp() override
    {
        startFresh();
        notifyShell = noShell;
        while (analyserModeNow() != ANALYSER_BARS)
            send(WM_COMMAND, CMD_ANALYSER_MODE);
    }
    void TearDown() override
    {
        notifyShell = Shell_NotifyIconA;
        send(WM_COMMAND, CMD_STOP);
        tickThroughQueue(hwnd);
    }
    static void startSong()
    {
        addSongs(1, 600000);
        tickThroughQueue(hwnd);     // song 1 starts; the tick after it sees it play
        tickThroughQueue(hwnd);
    }
};

std::vector<COLORREF> areaPixels()
{
    UpdateWindow(hwnd);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(hwnd);
    for (int y = ANALYSER_TOP; y <= ANALYSER_BOTTOM; ++y)
        for (int x = ANALYSER_LEFT; x <= ANALYSER_RIGHT; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return pixels;
}

TEST_F(Analyser, ItsTimerRunsOnlyWhileASongIsHeardInAWindowThatShowsTheArea)
{
    EXPECT_FALSE(analyserRunning()) << "nothing plays";
    startSong();
    const struct { const char *what; void (*act)(); bool running; } steps[] = {
        {"a song plays in the shown window", [] {}, true},
        {"hidden in the tray", [] { send(WM_COMMAND, CMD_MINIMISE_TO_TRAY); }, false},
        {"back from the tray", [] { send(WM_COMMAND, CMD_RESTORE); }, true},
        {"minimised", [] { ShowWindow(hwnd, SW_MINIMIZE); }, false},
        {"restored", [] { ShowWindow(hwnd, SW_RESTORE); }, true},
        {"off the screen, seen at its tick", [] { moveTo(-2000); send(WM_TIMER, ANALYSER_TIMER); }, false},
        {"still off the screen, ticks later", [] { tickThroughQueue(hwnd); tickThroughQueue(hwnd); }, false},
        {"back on the screen", [] { moveTo(404); }, true},
        {"paused", [] { send(WM_COMMAND, CMD_TOGGLE); }, false},
        {"playing on", [] { send(WM_COMMAND, CMD_TOGGLE); }, true},
        {"the analyser off", [] { send(WM_COMMAND, CMD_ANALYSER_MODE); send(WM_COMMAND, CMD_ANALYSER_MODE); }, false},
        {"the analyser on again", [] { send(WM_COMMAND, CMD_ANALYSER_MODE); }, true},
        {"stopped", [] { send(WM_COMMAND, CMD_STOP); }, false},
    };
    for (const auto &step : steps) {
        step.act();
        tickThroughQueue(hwnd);
        EXPECT_EQ(step.running, analyserRunning()) << step.what;
    }
}

TEST_F(Analyser, ATickDrawsWhatIsHeardAndAStopGivesTheEmptyRecessBack)
{
    std::vector<COLORREF> empty = areaPixels();
    std::vector<short> heard(BARS_FRAMES * 2);
    for (int i = 0; i < BARS_FRAMES * 2; ++i)
        heard[i] = static_cast<short>(20000 * sin(2 * M_PI * 1000 * (i / 2) / 44100));
    fake_fmod::setHeardSamples(heard);
    startSong();
    for (analyserMode mode : {ANALYSER_BARS, ANALYSER_SCOPE}) {
        ASSERT_EQ(mode, analyserModeNow());
        send(WM_TIMER, ANALYSER_TIMER);
        EXPECT_NE(empty, areaPixels()) << "mode " << mode;
        send(WM_COMMAND, CMD_ANALYSER_MODE);
    }
    send(WM_COMMAND, CMD_ANALYSER_MODE);     // bars again, drawn at once
    send(WM_COMMAND, CMD_STOP);
    tickThroughQueue(hwnd);
    EXPECT_EQ(empty, areaPixels());
}

// The click is read where the last tick saw the cursor, as the other areas'.
// The player's start makes the settings key; a prefix of tests may lack it.
TEST_F(Analyser, AClickGoesOnToTheNextModeAndTheRegistryKeepsIt)
{
    HKEY key = openKey(SETTINGS_KEY);
    bool made = !key && RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                                        NULL) == ERROR_SUCCESS;
    RegCloseKey(key);
    for (std::string mode : {"Scope", "Off", "Bars"}) {
        cursorAtWindow(ANALYSER_LEFT + 10, ANALYSER_BOTTOM - 3);
        send(WM_LBUTTONUP, 0);
        char stored[16] = "";
        EXPECT_TRUE(readText(SETTINGS_KEY, "Analyser", stored, sizeof(stored)) && mode == stored) << mode;
    }
    EXPECT_EQ(ANALYSER_BARS, analyserModeNow());
    deleteValue(SETTINGS_KEY, "Analyser");
    if (made)
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
}

} // namespace
