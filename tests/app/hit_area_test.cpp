// The main window's face under the real cursor: the ten hit areas in their
// order, the shared block of Previous and play/pause, the gaps, the hover
// cursor and the right-button drag. The main window is watched, so what a
// release sends is recorded instead of run.
#include "queued_tick.h"
#include "globals.h"
#include "main_window.h"
#include "player_windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class HitAreas : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }
    void SetUp() override
    {
        startFresh();
        watchMainWindow();
    }
    void TearDown() override { stopWatchingMainWindow(); }

    static std::vector<std::string> releaseAt(int x, int y)
    {
        cursorAtWindow(x, y);
        sentToMain().clear();
        SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
        return sentToMain();
    }
};

typedef std::vector<std::string> sends;

struct releaseCase {
    int x, y;
    sends expected;
};

TEST_F(HitAreas, EachReleaseSendsTheEffectsOfTheAreasAroundIt)
{
    const releaseCase cases[] = {
        {570, 20, {"destroy"}},
        {560, 19, {"destroy"}}, {579, 27, {"destroy"}},
        {570, 40, {"command 3"}},
        {565, 60, {"command 3"}}, {565, 61, {"command 9"}},
        {570, 70, {"command 9"}}, {590, 94, {"command 9"}},
        {473, 53, {"command 8"}}, {504, 71, {"command 8"}},
        {467, 76, {"command 7"}}, {512, 111, {"command 7"}},
        {420, 81, {"command 6"}},
        {516, 44, {"command 5"}}, {556, 80, {"command 5"}},
        {510, 10, {"command 31"}},
        {561, 98, {"command 13"}}, {582, 107, {"command 13"}},
        {426, 86, {"command 46"}}, {456, 98, {"command 46"}},
        // Previous and play/pause share x 460-462, y 42-47: both, in that order.
        {461, 45, {"command 6", "command 31"}},
        {460, 42, {"command 6", "command 31"}}, {462, 47, {"command 6", "command 31"}},
    };
    for (const releaseCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        EXPECT_EQ(c.expected, releaseAt(c.x, c.y));
    }
}

TEST_F(HitAreas, ReleasesInTheGapsAndJustOutsideDoNothing)
{
    const int outside[][2] = {
        {590, 95},              // between settings and minimise
        {10, 10}, {300, 60},    // the labels and the bar
        {580, 19}, {559, 27}, {570, 28},    // around the close area
        {591, 40}, {419, 60}, {463, 48},    // beside playlist, previous, the shared block
        {505, 71}, {513, 111}, {515, 60},   // right of open, stop, left of next
        {557, 80}, {583, 107}, {561, 108},
        {425, 90}, {457, 90}, {440, 85}, {440, 99},     // around the equalizer area
    };
    for (const auto &p : outside) {
        SCOPED_TRACE(std::to_string(p[0]) + ", " + std::to_string(p[1]));
        EXPECT_TRUE(releaseAt(p[0], p[1]).empty());
    }
}

TEST_F(HitAreas, OnlyTheReleaseCountsAtTheLastTicksPlace)
{
    cursorAtWindow(570, 40);
    SendMessageA(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(570, 40));
    EXPECT_TRUE(sentToMain().empty());
    // The message's own coordinates point at the settings area; the tick
    // saw the cursor over the playlist area, and that is what counts.
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(570, 70));
    EXPECT_EQ(sends{"command 3"}, sentToMain());
}

TEST_F(HitAreas, TheHandShowsOverAnAreaOnly)
{
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    cursorAtWindow(530, 60);
    SetCursor(arrow);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(hand, GetCursor());

    cursorAtWindow(300, 60);
    SetCursor(arrow);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(arrow, GetCursor());
}

TEST_F(HitAreas, RightButtonDragsTheWindowAndTheLeftNever)
{
    cursorAtWindow(100, 50);
    SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SetCursorPos(404 + 100 + 40, 618 + 50 - 30);
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_RBUTTON, 0);
    RECT place;
    GetWindowRect(hwnd, &place);
    EXPECT_EQ(404 + 40, place.left);
    EXPECT_EQ(618 - 30, place.top);
    EXPECT_EQ(600, place.right - place.left);
    EXPECT_EQ(119, place.bottom - place.top);

    SendMessageA(hwnd, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(LoadCursorA(NULL, IDC_ARROW), GetCursor());
    tickThroughQueue(hwnd);
    SetCursorPos(place.left + 100 + 70, place.top + 50);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, 0);
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(place.left, after.left);
    EXPECT_EQ(place.top, after.top);
}

} // namespace
