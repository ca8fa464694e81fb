// The shared frame on real windows under the display: right-button
// dragging with the offset sampled at the last tick, the fixed size, the
// left button, a release outside the window, clicks through the cut-away
// parts, painting from the skin, and a fresh outline for every opening of
// the search window. Timer ticks are sent by the tests, never waited for.
#include "queued_tick.h"
#include "draw.h"
#include "frame.h"
#include "sample_windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Handles messages until the condition holds, for at most `ms`
// milliseconds (a generous bound for an "eventually" condition).
bool pumpUntil(const std::function<bool()> &done, DWORD ms = 5000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        pumpMessages();
        Sleep(5);
    }
    return true;
}

void putCursor(int x, int y)
{
    SetCursorPos(x, y);
}

// Real input, as the user's hand would give it.
void realMouse(DWORD flags, int x, int y)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(in));
}

RECT windowRect(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

// Like the player's playlist window, the sample is created once and lives
// through all tests (its outline belongs to it from the first opening).
class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        enterSkinFolder();
        playlist = createPlaylistSample(NULL);
        ASSERT_NE(playlist, nullptr);
        stopFrameTimer(playlist);   // the tests send the ticks
        firstSize = windowRect(playlist);
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(playlist);
        pumpMessages();
    }
    // The playlist window at (x, y), raised, not dragging, with the cursor
    // parked far from it so that no move of the real mouse reaches it.
    void openPlaylist(int x, int y)
    {
        window = playlist;
        *playlistFrame.holding = false;
        SetCursorPos(1200, 1000);
        pumpMessages();
        SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        pumpMessages();
        ASSERT_EQ(windowRect(window).left, x);
        ASSERT_EQ(windowRect(window).top, y);
    }
    static HWND playlist;
    static RECT firstSize;
    HWND window = NULL;
};

HWND Frame::playlist;
RECT Frame::firstSize;

TEST_F(Frame, RightDragKeepsTheSampledOffsetAndGivesTheFixedSize)
{
    EXPECT_NE(firstSize.bottom - firstSize.top, 295) << "the template's own size comes first";
    openPlaylist(100, 100);

    putCursor(150, 130);
    tickThroughQueue(window);
    EXPECT_EQ(*playlistFrame.dx, 50);
    EXPECT_EQ(*playlistFrame.dy, 30);

    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 30));
    EXPECT_TRUE(*playlistFrame.holding);
    putCursor(310, 250);
    SendMessageA(window, WM_MOUSEMOVE, MK_RBUTTON, 0);
    RECT moved = windowRect(window);
    EXPECT_EQ(moved.left, 260);
    EXPECT_EQ(moved.top, 220);
    EXPECT_EQ(moved.right - moved.left, 353);
    EXPECT_EQ(moved.bottom - moved.top, 295);
    EXPECT_TRUE(IsWindowVisible(window));

    // Without a tick in between, the offset stays that of the last tick.
    putCursor(330, 260);
    SendMessageA(window, WM_MOUSEMOVE, MK_RBUTTON, 0);
    EXPECT_EQ(windowRect(window).left, 280);
    EXPECT_EQ(windowRect(window).top, 230);

    SendMessageA(window, WM_RBUTTONUP, 0, 0);
    EXPECT_FALSE(*playlistFrame.holding);
    putCursor(360, 300);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(windowRect(window).left, 280) << "the drag ended with the release";
}

TEST_F(Frame, TickAfterAMoveMakesTheNewOffsetTheDragOffset)
{
    openPlaylist(100, 100);
    putCursor(120, 110);
    tickThroughQueue(window);
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    putCursor(200, 110);        // the cursor ran ahead before a tick...
    tickThroughQueue(window);
    SendMessageA(window, WM_MOUSEMOVE, MK_RBUTTON, 0);
    EXPECT_EQ(windowRect(window).left, 100) << "...so the window keeps its place";
    EXPECT_EQ(*playlistFrame.dx, 100);
}

TEST_F(Frame, LeftButtonNeverDrags)
{
    openPlaylist(100, 100);
    putCursor(150, 130);
    tickThroughQueue(window);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 30));
    putCursor(250, 200);
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, 0);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(*playlistFrame.holding);
    EXPECT_EQ(windowRect(window).left, 100);
    EXPECT_EQ(windowRect(window).top, 100);
}

// With the real mouse: the release happens over another window, so this
// window never hears of it and the drag stays on; the window jumps under
// the cursor as soon as the cursor is over it again.
bool catcherSawRelease;

LRESULT CALLBACK catcherProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_RBUTTONUP)
        catcherSawRelease = true;
    return DefWindowProcA(w, m, wp, lp);
}

// A plain top-level window of our own that notes a right-button release.
HWND createCatcher(int x, int y, int width, int height)
{
    static bool registered;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = catcherProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
        wc.lpszClassName = "SkinTestCatcher";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND catcher = CreateWindowExA(0, "SkinTestCatcher", "catcher", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                   NULL, NULL, GetModuleHandleA(NULL), NULL);
    pumpMessages();
    return catcher;
}

TEST_F(Frame, ReleaseOutsideTheWindowLeavesTheDragOn)
{
    HWND catcher = createCatcher(600, 100, 200, 200);
    openPlaylist(100, 100);
    catcherSawRelease = false;

    // (150, 10) of the window is its title strip, the frame's own face.
    realMouse(0, 250, 110);
    ASSERT_TRUE(pumpUntil([] {
        POINT p;
        GetCursorPos(&p);
        return p.x == 250 && p.y == 110;
    }));
    tickThroughQueue(window);
    realMouse(MOUSEEVENTF_RIGHTDOWN, 250, 110);
    ASSERT_TRUE(pumpUntil([] { return *playlistFrame.holding; }));

    realMouse(0, 700, 200);
    realMouse(MOUSEEVENTF_RIGHTUP, 700, 200);
    ASSERT_TRUE(pumpUntil([] { return catcherSawRelease; }));
    EXPECT_TRUE(*playlistFrame.holding);
    EXPECT_EQ(windowRect(window).left, 100);

    // Back over the window, no button held: it jumps under the cursor.
    realMouse(0, 300, 112);
    EXPECT_TRUE(pumpUntil([&] { return windowRect(window).left == 150; }));
    EXPECT_EQ(windowRect(window).top, 102);
    realMouse(MOUSEEVENTF_RIGHTUP, 300, 112);
    EXPECT_TRUE(pumpUntil([] { return !*playlistFrame.holding; }));
    DestroyWindow(catcher);
}

TEST_F(Frame, ClicksOnTheCutAwayPartReachTheWindowBelow)
{
    HWND below = createCatcher(50, 50, 500, 400);
    openPlaylist(100, 100);
    SetWindowPos(below, window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pumpMessages();
    HWND next = window;
    while (next && next != below)
        next = GetWindow(next, GW_HWNDNEXT);
    ASSERT_EQ(next, below) << "the playlist window lies on top";
    // (1, 290) of the playlist skin is black, (200, 270) is the face beside
    // the search tab... and (60, 268) the search tab itself.
    POINT cut = {100 + 1, 100 + 290};
    POINT face = {100 + 200, 100 + 150};
    POINT tab = {100 + 60, 100 + 268};
    POINT beside = {100 + 200, 100 + 285};
    EXPECT_EQ(WindowFromPoint(cut), below);
    EXPECT_EQ(WindowFromPoint(beside), below);
    HWND onFace = WindowFromPoint(face);
    EXPECT_TRUE(onFace == window || GetParent(onFace) == window);
    EXPECT_EQ(WindowFromPoint(tab), window);
    DestroyWindow(below);
}

TEST_F(Frame, MissingSkinLeavesTheFullRectangleAndIsNotRetried)
{
    HBITMAP skin = NULL;
    bool loadedOnce = false;
    const skinnedWindow missing = {"Skins/NoSuchSkin.bmp", 0, 1, 1};
    loadSkinOnce(skin, loadedOnce, missing);
    EXPECT_EQ(skin, nullptr);
    EXPECT_TRUE(loadedOnce);
    loadSkinOnce(skin, loadedOnce, mainWindow);
    EXPECT_EQ(skin, nullptr) << "the load happens once per run";

    HRGN region = NULL;
    bool builtOnce = false;
    buildOutlineOnce(region, builtOnce, skin, 0);
    EXPECT_EQ(region, nullptr);
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
    giveOutline(plain, region);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(plain, probe), ERROR) << "no region: the whole rectangle";
    DeleteObject(probe);
    DestroyWindow(plain);
}

// A plain 24-bit bitmap file of the given size, for telling two skins of
// the same name apart.
void writeBitmapFile(const std::string &path, int width, int height, size_t cutBytes = 0)
{
    int rowBytes = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + rowBytes * height;
    std::string pixels(rowBytes * height - cutBytes, '\x40');
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(out, &file, sizeof(file), &written, NULL);
    WriteFile(out, &info, sizeof(info), &written, NULL);
    WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, NULL);
    CloseHandle(out);
}

SIZE sizeOf(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    SIZE size = {info.bmWidth, info.bmHeight};
    return size;
}

// Started at log-on, the program's current directory is not its own: a
// skin missing there is taken from beside the program, and a "Skins"
// folder in the current directory still comes first, unless its file is
// cut short or smaller than the window it is for.
TEST(SkinFiles, AreFoundBesideTheProgramWhenTheCurrentDirectoryHasNone)
{
    char program[MAX_PATH] = "", temp[MAX_PATH] = "", before[MAX_PATH] = "";
    GetModuleFileNameA(NULL, program, sizeof(program));
    std::string besideProgram = std::string(program).substr(0, std::string(program).rfind('\\')) + "\\Skins";
    GetTempPathA(sizeof(temp), temp);
    std::string elsewhere = std::string(temp) + "kelvoria-another-directory";
    std::string elsewhereSkins = elsewhere + "\\Skins";
    GetCurrentDirectoryA(sizeof(before), before);
    for (const std::string &folder : {besideProgram, elsewhere, elsewhereSkins})
        CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));

    const struct {
        const char *name;
        int besideWidth, currentWidth;  // 0: no such file there
        size_t currentCut;              // bytes missing at the end of the current one
        int foundWidth;                 // 0: no skin
    } cases[] = {
        {"OnlyBeside.bmp", 3, 0, 0, 3},
        {"InBoth.bmp", 3, 5, 0, 5},
        {"OnlyCurrent.bmp", 0, 5, 0, 5},
        {"Nowhere.bmp", 0, 0, 0, 0},
        {"CutInCurrent.bmp", 3, 5, 1, 3},
        {"OnlyCutInCurrent.bmp", 0, 5, 1, 0},
        {"NarrowInCurrent.bmp", 3, 2, 0, 3},
    };
    for (const auto &c : cases) {
        if (c.besideWidth)
            writeBitmapFile(besideProgram + "\\" + c.name, c.besideWidth, 2);
        if (c.currentWidth)
            writeBitmapFile(elsewhereSkins + "\\" + c.name, c.currentWidth, 2, c.currentCut);
        std::string skinFile = "Skins/" + std::string(c.name);
        const skinnedWindow table = {skinFile.c_str(), 0, 3, 2};
        HBITMAP found = loadSkin(table);
        EXPECT_EQ(found ? sizeOf(found).cx : 0, c.foundWidth) << c.name;
        if (found)
            DeleteObject(found);
        DeleteFileA((besideProgram + "\\" + c.name).c_str());
        DeleteFileA((elsewhereSkins + "\\" + c.name).c_str());
    }

    SetCurrentDirectoryA(before);
    for (const std::string &folder : {elsewhereSkins, elsewhere, besideProgram})
        RemoveDirectoryA(folder.c_str());
}

// Every frame timer is restarted when another starts, so that all fall due
// together; a stopped or destroyed window's timer is left alone, and windows
// past the table's size still get their timer.
TEST(FrameTimers, StartingOneRestartsTheOthersAndLeavesStoppedOnesStopped)
{
    auto plainWindow = [] {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, NULL, NULL, NULL, NULL);
    };
    auto hasTimer = [](HWND window) { return KillTimer(window, 0) != FALSE; };
    HWND first = plainWindow(), second = plainWindow();

    // The first window's timer is long due when the second one starts; just
    // after, it is not due, because it was started again. A try on which the
    // machine paused for half a period or more proves nothing and is redone.
    bool judged = false;
    for (int attempt = 0; attempt < 20 && !judged; attempt++) {
        startFrameTimer(first);
        Sleep(40);
        LARGE_INTEGER frequency, started, peeked;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&started);
        startFrameTimer(second);
        MSG tick;
        BOOL due = PeekMessageA(&tick, first, WM_TIMER, WM_TIMER, PM_REMOVE);
        QueryPerformanceCounter(&peeked);
        if ((peeked.QuadPart - started.QuadPart) * 1000 >= 5 * frequency.QuadPart)
            continue;
        EXPECT_FALSE(due) << "the first window's timer was not started again";
        judged = true;
    }
    EXPECT_TRUE(judged) << "the machine was too busy to judge";

    stopFrameTimer(first);
    DestroyWindow(second);
    HWND windows[FRAME_TIMERS_MAX + 2];
    for (HWND &window : windows) {
        window = plainWindow();
        startFrameTimer(window);
    }
    EXPECT_FALSE(hasTimer(first)) << "a stopped timer was started again";
    for (HWND window : windows) {
        EXPECT_TRUE(hasTimer(window));
        stopFrameTimer(window);
        DestroyWindow(window);
    }
    DestroyWindow(first);
    pumpMessages();
}

// The search window is destroyed at every closing, and its region with it;
// each opening must get a region of its own.
TEST_F(Frame, EverySearchWindowGetsAnOutlineOfItsOwn)
{
    for (int opening = 0; opening < 3; opening++) {
        HWND search = createSearchSample(NULL);
        ASSERT_NE(search, nullptr);
        HRGN probe = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(GetWindowRgn(search, probe), COMPLEXREGION) << "opening " << opening;
        EXPECT_FALSE(PtInRegion(probe, 349, 0));
        EXPECT_TRUE(PtInRegion(probe, 220, 47));
        DeleteObject(probe);
        DestroyWindow(search);
        pumpMessages();
    }
}

// The main window's background and its children's backgrounds come from
// the skin on the lifelong memory surface.
TEST_F(Frame, MainWindowPaintsItselfAndItsChildrenFromTheSkin)
{
    HWND window = createMainSample(50, 600);
    ASSERT_NE(window, nullptr);
    HBITMAP reference = loadSkin(mainWindow);
    HDC refDc = CreateCompatibleDC(NULL);
    HGDIOBJ refOld = SelectObject(refDc, reference);

    HDC screen = GetDC(NULL);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 600, 119);
    HGDIOBJ old = SelectObject(target, canvas);
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0), 1);
    for (int y = 0; y < 119; y += 7)
        for (int x = 0; x < 600; x += 13)
            ASSERT_EQ(GetPixel(target, x, y), GetPixel(refDc, x, y)) << x << ", " << y;

    // The status label at (35, 75) gets the skin from there on.
    HWND status = FindWindowExA(window, NULL, "STATIC", NULL);
    status = FindWindowExA(window, status, "STATIC", NULL);
    ASSERT_NE(status, nullptr);
    RECT all = {0, 0, 600, 119};
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    LRESULT brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(target),
                                 reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetTextColor(target), RGB(255, 255, 255));
    EXPECT_EQ(GetBkMode(target), TRANSPARENT);
    for (int y = 0; y < 17; y += 4)
        for (int x = 0; x < 339; x += 11)
            ASSERT_EQ(GetPixel(target, x, y), GetPixel(refDc, 35 + x, 75 + y)) << x << ", " << y;

    SelectObject(target, old);
    DeleteObject(canvas);
    DeleteDC(target);
    ReleaseDC(NULL, screen);
    SelectObject(refDc, refOld);
    DeleteDC(refDc);
    DeleteObject(reference);
    DestroyWindow(window);
}

// The settings window has a one-pixel border around its client area; its
// picture still lies where its outline and hit areas are.
TEST_F(Frame, DialogSkinLinesUpWithItsOutline)
{
    HWND settings = createSettingsSample(NULL);
    ASSERT_NE(settings, nullptr);
    SetWindowPos(settings, HWND_TOP, 300, 300, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(settings, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    pumpMessages();
    POINT origin = {0, 0};
    ClientToScreen(settings, &origin);
    ASSERT_EQ(origin.x, 301) << "the template's border";

    HBITMAP reference = loadSkin(settingsWindow);
    HDC refDc = CreateCompatibleDC(NULL);
    HGDIOBJ refOld = SelectObject(refDc, reference);
    HDC windowDc = GetWindowDC(settings);
    // Along the left and top edges of the outline, and a few face pixels
    // that no control covers.
    const POINT probes[] = {{26, 150}, {27, 150}, {28, 150}, {200, 56}, {200, 57}, {200, 58},
                            {44, 73}, {330, 76}, {454, 200}};
    for (const POINT &p : probes)
        EXPECT_EQ(GetPixel(windowDc, p.x, p.y), GetPixel(refDc, p.x, p.y)) << p.x << ", " << p.y;
    ReleaseDC(settings, windowDc);
    SelectObject(refDc, refOld);
    DeleteDC(refDc);
    DeleteObject(reference);
    DestroyWindow(settings);
}

TEST_F(Frame, TeardownReleasesTheSurfaceAndTheSkin)
{
    HWND w = NULL;
    HBITMAP skin = loadSkin(mainWindow);
    HDC hdcBis = NULL;
    HBITMAP hOldBmp = NULL;
    keepSkinOnSurface(w, skin, hdcBis, hOldBmp);
    ASSERT_NE(hdcBis, nullptr);
    EXPECT_EQ(GetCurrentObject(hdcBis, OBJ_BITMAP), skin);
    releaseSkinSurface(hdcBis, hOldBmp, skin);
    EXPECT_EQ(hdcBis, nullptr);
    EXPECT_EQ(hOldBmp, nullptr);
    EXPECT_EQ(skin, nullptr);
}

}  // namespace
