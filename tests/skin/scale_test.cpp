// Whole-number scales: the choice from the DPI, the outline at n times, and
// a real window that follows double size on and off again.
#include "draw.h"
#include "scale_choice.h"
#include "window_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ScaleChoice, FollowsTheDpiInWholeSteps)
{
    const struct {
        unsigned dpi;
        bool doubled;
        int scale;
    } cases[] = {
        {96, false, 1},  {120, false, 1}, {143, false, 1}, {144, false, 2}, {192, false, 2},
        {239, false, 2}, {240, false, 3}, {288, false, 3}, {96, true, 2},   {192, true, 4},
    };
    for (const auto &c : cases)
        EXPECT_EQ(chooseScale(c.dpi, c.doubled), c.scale) << c.dpi << (c.doubled ? " doubled" : "");
}

TEST(ScaleChoice, KeepsTheSkinPointUnderTheCursor)
{
    POINT from = {100, 200}, cursor = {160, 230};
    POINT to = placeKeepingCursor(from, cursor, 1, 2);      // skin point (60, 30)
    EXPECT_EQ(to.x, 40);
    EXPECT_EQ(to.y, 170);
    to = placeKeepingCursor(to, cursor, 2, 1);
    EXPECT_EQ(to.x, from.x);
    EXPECT_EQ(to.y, from.y);
}

// A 6 x 4 picture with a notch and a hole: at scale n each pixel is an
// n x n square of the outline, and nothing else is.
TEST(ScaledOutline, EachPixelBecomesAWholeSquare)
{
    const char *rows[] = {"..####", ".#####", "###.##", "######"};
    std::vector<DWORD> pixels;
    for (const char *row : rows)
        for (int x = 0; x < 6; x++)
            pixels.push_back(row[x] == '#' ? 0x20406A : 0);
    HBITMAP bitmap = CreateBitmap(6, 4, 1, 32, pixels.data());
    for (int n = 1; n <= 3; n++) {
        HRGN region = BmpToRgnAtScale(bitmap, 0, n);
        ASSERT_TRUE(region);
        RECT box = {};
        GetRgnBox(region, &box);
        EXPECT_EQ(box.right, 6 * n);
        EXPECT_EQ(box.bottom, 4 * n);
        for (int y = 0; y < 4 * n; y++)
            for (int x = 0; x < 6 * n; x++)
                EXPECT_EQ(PtInRegion(region, x, y) != FALSE, rows[y / n][x / n] == '#')
                    << "scale " << n << " at " << x << "," << y;
        DeleteObject(region);
    }
    DeleteObject(bitmap);
}

const skinnedWindow sample = {"none.bmp", 0x000000, 120, 60};

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (answerScaleMessage(window, message, wParam, lParam))
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

RECT childPlace(HWND parent, HWND child)
{
    RECT place = {};
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&place), 2);
    return place;
}

LONG fontHeight(HWND child)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

TEST(WindowScale, DoubleSizeGrowsEverythingAndComesBackExactly)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = plainProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "ScaleSample";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ScaleSample", "", WS_POPUP | WS_VISIBLE, 50, 40, 120, 60, NULL, NULL,
                                  windowClass.hInstance, NULL);
    HWND label = CreateWindowExA(0, "STATIC", "text", WS_CHILD | WS_VISIBLE, 10, 20, 30, 12, window, NULL,
                                 windowClass.hInstance, NULL);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    followScale(window, sample, NULL);
    LONG height = fontHeight(label);

    // Double size on, off and on; then moved onto a monitor of 192 DPI and
    // back, away from the cursor, where the system's suggested corner is taken.
    SetCursorPos(0, 0);
    const struct {
        bool doubled;
        unsigned movedToDpi;
        int scale;
    } steps[] = {{true, 0, 2}, {false, 0, 1}, {true, 0, 2}, {false, 192, 2}, {false, 96, 1}};
    for (const auto &step : steps) {
        chooseDoubleSize(step.doubled);
        RECT suggested = {70, 30, 250, 120}, outer = {};
        if (step.movedToDpi)
            SendMessageA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(step.movedToDpi, step.movedToDpi),
                         reinterpret_cast<LPARAM>(&suggested));
        int n = step.scale;
        RECT place = childPlace(window, label);
        GetWindowRect(window, &outer);
        EXPECT_EQ(windowScale(window), n);
        if (step.movedToDpi) {
            EXPECT_EQ(outer.left, 70);
        }
        EXPECT_EQ(outer.right - outer.left, 120 * n);
        EXPECT_EQ(outer.bottom - outer.top, 60 * n);
        EXPECT_EQ(place.left, 10 * n);
        EXPECT_EQ(place.top, 20 * n);
        EXPECT_EQ(place.right - place.left, 30 * n);
        EXPECT_EQ(place.bottom - place.top, 12 * n);
        EXPECT_EQ(fontHeight(label), height * n);
        POINT at = skinPoint(window, POINT{2 * n + n - 1, 3 * n});
        EXPECT_EQ(at.x, 2);
        EXPECT_EQ(at.y, 3);
    }
    stopFollowingScale(window);
    DestroyWindow(window);
}

} // namespace
