// The analyser area on the scripted engine: its timer runs only while a
// song is heard in a window that shows the area, a tick draws the frames
// heard and a stop gives the empty recess back, and the area's click goes
// on to the next mode and keeps it. Ticks are sent by the test.
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

class Analyser : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }
    void SetUp() override
    {
        startFresh();
        notifyShell = noShell;
        while (analyserModeNow() != ANALYSER_BARS)
            SendMessageA(hwnd, WM_COMMAND, CMD_ANALYSER_MODE, 0);
    }
    void TearDown() override
    {
        notifyShell = Shell_NotifyIconA;
        SendMessageA(hwnd, WM_COMMAND, CMD_STOP, 0);
        tickThroughQueue(hwnd);
    }
    static void startSong()
    {
        addSongs(1, 600000);
        tickThroughQueue(hwnd);     // song 1 starts; the tick after it sees it play
        tickThroughQueue(hwnd);
    }
};

// Wine leaves the covering of one top-level window by another to the X
// server, and so does a composing desktop: what the window's drawing
// surface shows of the area is nothing only off the screen.
void moveTo(int x, int y)
{
    SetWindowPos(hwnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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

std::string storedMode()
{
    char text[16] = "";
    return readText(SETTINGS_KEY, "Analyser", text, sizeof(text)) ? text : "";
}

TEST_F(Analyser, ItsTimerRunsOnlyWhileASongIsHeardInAWindowThatShowsTheArea)
{
    EXPECT_FALSE(analyserRunning()) << "nothing plays";
    startSong();
    const struct { const char *what; void (*act)(); bool running; } steps[] = {
        {"a song plays in the shown window", [] {}, true},
        {"hidden in the tray", [] { SendMessageA(hwnd, WM_COMMAND, CMD_MINIMISE_TO_TRAY, 0); }, false},
        {"back from the tray", [] { SendMessageA(hwnd, WM_COMMAND, CMD_RESTORE, 0); }, true},
        {"minimised", [] { ShowWindow(hwnd, SW_MINIMIZE); }, false},
        {"restored", [] { ShowWindow(hwnd, SW_RESTORE); }, true},
        {"off the screen, seen at its tick", [] {
             moveTo(-2000, 618);
             SendMessageA(hwnd, WM_TIMER, ANALYSER_TIMER, 0);
         }, false},
        {"still off the screen, ticks later", [] {
             for (int tick = 0; tick < 5; ++tick)
                 tickThroughQueue(hwnd);
         }, false},
        {"back on the screen", [] { moveTo(404, 618); }, true},
        {"paused", [] { SendMessageA(hwnd, WM_COMMAND, CMD_TOGGLE, 0); }, false},
        {"playing on", [] { SendMessageA(hwnd, WM_COMMAND, CMD_TOGGLE, 0); }, true},
        {"the analyser off", [] { SendMessageA(hwnd, WM_COMMAND, CMD_ANALYSER_MODE, 0);
                                  SendMessageA(hwnd, WM_COMMAND, CMD_ANALYSER_MODE, 0); }, false},
        {"the analyser on again", [] { SendMessageA(hwnd, WM_COMMAND, CMD_ANALYSER_MODE, 0); }, true},
        {"stopped", [] { SendMessageA(hwnd, WM_COMMAND, CMD_STOP, 0); }, false},
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
        SCOPED_TRACE(mode);
        ASSERT_EQ(mode, analyserModeNow());
        SendMessageA(hwnd, WM_TIMER, ANALYSER_TIMER, 0);
        EXPECT_NE(empty, areaPixels());
        SendMessageA(hwnd, WM_COMMAND, CMD_ANALYSER_MODE, 0);
    }
    SendMessageA(hwnd, WM_COMMAND, CMD_ANALYSER_MODE, 0);     // bars again
    SendMessageA(hwnd, WM_TIMER, ANALYSER_TIMER, 0);
    SendMessageA(hwnd, WM_COMMAND, CMD_STOP, 0);
    tickThroughQueue(hwnd);
    EXPECT_EQ(empty, areaPixels());
}

// The click is read where the last tick saw the cursor, as the other areas'.
TEST_F(Analyser, AClickGoesOnToTheNextModeAndTheRegistryKeepsIt)
{
    // The player's start makes the key; a prefix of tests alone may lack it.
    HKEY key = openKey(SETTINGS_KEY);
    bool made = !key && RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                                        NULL) == ERROR_SUCCESS;
    if (key)
        RegCloseKey(key);
    const char *const following[] = {"Scope", "Off", "Bars"};
    for (const char *mode : following) {
        cursorAtWindow(ANALYSER_LEFT + 10, ANALYSER_BOTTOM - 3);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
        EXPECT_EQ(mode, storedMode());
    }
    EXPECT_EQ(ANALYSER_BARS, analyserModeNow());
    if (made)
        RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
    else
        deleteValue(SETTINGS_KEY, "Analyser");
}

} // namespace
