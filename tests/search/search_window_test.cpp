// The search window in-process, opened as the playlist window opens it, with
// the player's real playlist window as its owner, on the scripted engine.
// The drives it lists and scans are folders of the build mapped in the test
// prefix by make-search-drives.sh: L: a CD-ROM drive, M: 2,000 music files,
// R: none, S: two, T: one, U: none (D: is the end-to-end test's, E: the
// capacity test's). The "Done :" boxes are answered as a user would, with
// their OK button, and read first.
#include "dialog_answer.h"
#include "song_list_record.h"
#include "draw.h"
#include "frame.h"
#include "globals.h"
#include "player_windows.h"
#include "printed_output.h"
#include "search_window.h"
#include "songlist.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// The drive boxes: the auto check boxes among the window's children.
std::vector<HWND> driveBoxes(HWND dialog)
{
    std::vector<HWND> boxes;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
            boxes.push_back(child);
    return boxes;
}

HWND driveBox(HWND dialog, const std::string &root)
{
    for (HWND box : driveBoxes(dialog))
        if (textOf(box) == root)
            return box;
    ADD_FAILURE() << "no box for " << root;
    return NULL;
}

// A key as the dialog manager receives it, at the control with the focus.
void pressKey(HWND dialog, WPARAM key)
{
    HWND focus = GetFocus();
    PostMessageA(focus && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, key, 0);
}

// The real cursor at (x, y) of the window, in window coordinates.
void cursorAt(HWND dialog, int x, int y)
{
    RECT place;
    GetWindowRect(dialog, &place);
    SetCursorPos(place.left + x, place.top + y);
}

// The skin's outline, as the window should carry it.
bool hasTheSkinsOutline(HWND dialog)
{
    HRGN carried = CreateRectRgn(0, 0, 0, 0);
    HBITMAP skin = loadSkin(searchWindow);
    HRGN outline = BmpToRgn(skin, searchWindow.transparent);
    int kind = GetWindowRgn(dialog, carried);
    bool same = kind == COMPLEXREGION && outline && EqualRgn(carried, outline);
    DeleteObject(carried);
    DeleteObject(outline);
    DeleteObject(skin);
    return same;
}

const char REFUSED[] = "A scan is already running. Cancel it, or wait for its end, before starting another.";

class SearchWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { makePlayerWindows(); }

    // Three songs in the list, shown; also run before each case of a table.
    void SetUp() override
    {
        startFresh();
        addSongs(3, 1000);
        SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
    }

    void TearDown() override { forgetAnswers(); }

    // Opens the window as the playlist window does; `act` runs on it once it
    // is shown, from inside its modal loop. Returns when the window has ended.
    static INT_PTR open(std::function<void(HWND)> act)
    {
        actOnDialog(hPlaylistDialog, act);
        INT_PTR result = DialogBoxParamA(hInst, "Search", hPlaylistDialog, SearchProc, 0);
        EXPECT_TRUE(actedOnDialog());
        return result;
    }

    // Ticks the boxes of `roots` and starts: "Start" clicks the button,
    // "Enter" presses the key, "Start twice" clicks twice at once, so that
    // the second click lands while the first drive is walked; "Cancel" and
    // "Escape" follow Start at once. Gives the texts of the boxes shown,
    // all answered.
    static Texts scan(const Texts &roots, const std::string &how)
    {
        answerMessageBoxes(std::vector<int>(2 * roots.size(), IDOK));
        EXPECT_EQ(open([&](HWND dialog) {
                      for (const std::string &root : roots)
                          PostMessageA(driveBox(dialog, root), BM_CLICK, 0, 0);
                      if (how == "Enter")
                          pressKey(dialog, VK_RETURN);
                      for (int click = 0; click < (how == "Start twice" ? 2 : how != "Enter"); ++click)
                          PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                      if (how == "Cancel")
                          PostMessageA(dialog, WM_COMMAND, 3, 0);
                      if (how == "Cancel" || how == "Escape")
                          PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                  }),
                  0);
        Texts shown;
        for (const messageBoxSeen &box : messageBoxesSeen()) {
            EXPECT_EQ(box.caption, box.text == REFUSED ? "Scan running" : "Done :");
            EXPECT_EQ(box.icon, box.text == REFUSED ? "warning" : "information");
            shown.push_back(box.text);
        }
        // A refusal's box may be answered before or after a "Done :" box
        // shown within its own loop: it is put first.
        std::stable_partition(shown.begin(), shown.end(), [](const std::string &text) { return text == REFUSED; });
        return shown;
    }

    static Texts listedPaths()
    {
        Texts paths;
        for (int slot = 1; slot <= songList.songsNumber; ++slot)
            paths.push_back(songList.paths[slot]);
        return paths;
    }

    static std::string done(const char *root, int total)
    {
        return std::string("Scan of \"") + root + "\" finished : " + std::to_string(total) + " total songs found.";
    }
};

// A drive box as the test reads it back: root, place in the client area,
// size, style, check state and font.
std::string describeBox(HWND dialog, HWND box)
{
    RECT place;
    GetWindowRect(box, &place);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT *>(&place), 2);
    char text[120];
    snprintf(text, sizeof(text), "%s at %ld,%ld %ldx%ld id %d style %lx check %d font %d",
             textOf(box).c_str(), place.left, place.top, place.right - place.left, place.bottom - place.top,
             GetDlgCtrlID(box), GetWindowLongA(box, GWL_STYLE),
             static_cast<int>(SendMessageA(box, BM_GETCHECK, 0, 0)), SendMessageA(box, WM_GETFONT, 0, 0) != 0);
    return text;
}

TEST_F(SearchWindow, EachOpeningListsTheFixedDrivesWithFreshBoxesAndItsOutline)
{
    // The fixed drives of the prefix as make-search-drives.sh leaves it, and
    // one of another kind, which has no box.
    const Texts fixed = {"C:\\", "D:\\", "E:\\", "K:\\", "M:\\", "R:\\", "S:\\", "T:\\", "U:\\", "Z:\\"};
    ASSERT_EQ(GetDriveTypeA("L:\\"), static_cast<UINT>(DRIVE_CDROM));
    Texts expected;
    for (size_t row = 0; row < fixed.size(); ++row)
        expected.push_back(fixed[row] + " at 20," + std::to_string(100 + 20 * row) +
                           " 40x12 id 0 style 50010003 check 0 font 0");

    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE("opening " + std::to_string(opening));
        std::string printed = printedBy([&] {
            open([&](HWND dialog) {
                EXPECT_TRUE(hasTheSkinsOutline(dialog));
                Texts boxes;
                for (HWND box : driveBoxes(dialog))
                    boxes.push_back(describeBox(dialog, box));
                EXPECT_EQ(boxes, expected);
                SendMessageA(driveBoxes(dialog)[0], BM_CLICK, 0, 0);    // ticked now, fresh next time
                pressKey(dialog, VK_ESCAPE);
            });
        });
        EXPECT_EQ(printed, "temp : C:\\\n\n") << "one diagnostic line per opening";
    }
}

// M: holds 2,000 music files, the list 1,999 songs.
Texts firstSongsOfM()
{
    Texts paths;
    for (int song = 0; song < MAX_SONGS; ++song) {
        char path[40];
        snprintf(path, sizeof(path), "M:\\album%02d\\track%02d.mp3", song / 100, song % 100);
        paths.push_back(path);
    }
    return paths;
}

// Start replaces the list: it is emptied first, then each ticked drive adds
// its songs in turn, and after each a box tells the total so far. A full
// list ends the scan at its capacity: the box tells the true count and
// later drives add nothing.
TEST_F(SearchWindow, StartScansTheTickedDrivesInTurnAndTellsTheTotalAfterEach)
{
    struct scanCase {
        const char *what;
        Texts ticked;
        const char *how;
        Texts messages;
        Texts songs;
    };
    const scanCase cases[] = {
        {"no box ticked: the list is emptied, no box shown", {}, "Start", {}, {}},
        {"one drive, by Enter", {"S:\\"}, "Enter", {done("S:\\", 2)}, {"S:\\first.mp3", "S:\\live\\second.ogg"}},
        {"two drives, in the table's order whatever the ticking order", {"T:\\", "S:\\"}, "Start",
         {done("S:\\", 2), done("T:\\", 3)}, {"S:\\first.mp3", "S:\\live\\second.ogg", "T:\\third.wav"}},
        {"drives without music", {"R:\\", "S:\\", "U:\\"}, "Start", {done("R:\\", 0), done("S:\\", 2), done("U:\\", 2)},
         {"S:\\first.mp3", "S:\\live\\second.ogg"}},
        {"a second Start during the run is refused", {"S:\\", "T:\\"}, "Start twice",
         {REFUSED, done("S:\\", 2), done("T:\\", 3)}, {"S:\\first.mp3", "S:\\live\\second.ogg", "T:\\third.wav"}},
        {"a drive that fills the list", {"M:\\", "S:\\"}, "Start", {done("M:\\", MAX_SONGS), done("S:\\", MAX_SONGS)},
         firstSongsOfM()},
    };
    for (const scanCase &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        EXPECT_EQ(scan(c.ticked, c.how), c.messages);
        EXPECT_EQ(listedPaths(), c.songs);
        EXPECT_EQ(SendDlgItemMessageA(hPlaylistDialog, 10, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.songs.size()))
            << "the playlist window shows the new list";
        EXPECT_STREQ(songList.paths[0], "");
        EXPECT_STREQ(songList.paths[MAX_SONGS + 1], "");
        EXPECT_EQ(textOf(GetWindow(GetWindow(hwnd, GW_CHILD), GW_HWNDNEXT)), "Stopped.") << "the status label";
    }
}

// Cancel, or closing the window, right after Start: the walk stops where it
// is, no box tells anything, and the songs found so far stay, in order.
TEST_F(SearchWindow, CancelOrClosingDuringTheWalkKeepsWhatWasFound)
{
    for (const char *how : {"Cancel", "Escape"}) {
        SCOPED_TRACE(how);
        SetUp();
        EXPECT_EQ(scan({"M:\\"}, how), Texts());
        Texts kept = listedPaths(), all = firstSongsOfM();
        ASSERT_LE(kept.size(), all.size());
        EXPECT_EQ(kept, Texts(all.begin(), all.begin() + kept.size()));
        EXPECT_EQ(SendDlgItemMessageA(hPlaylistDialog, 10, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(kept.size()));
    }
}

// Escape and the close area end the window and leave the list as it was.
// The hand cursor shows over the close area, both ends included; a click
// beside it does nothing.
TEST_F(SearchWindow, EscapeAndTheCloseAreaLeaveTheListUntouched)
{
    Texts before = listedPaths();
    answerMessageBoxes({IDOK});
    open([](HWND dialog) { pressKey(dialog, VK_ESCAPE); });
    EXPECT_EQ(listedPaths(), before);

    open([&](HWND dialog) {
        const struct { int x, y; bool inside; } points[] = {
            {211, 40, true}, {228, 54, true}, {211, 54, true}, {228, 40, true},
            {210, 47, false}, {229, 47, false}, {220, 39, false}, {220, 55, false},
        };
        for (const auto &p : points) {
            SCOPED_TRACE(std::to_string(p.x) + ", " + std::to_string(p.y));
            showArrowCursor();
            cursorAt(dialog, p.x, p.y);
            SendMessageA(dialog, WM_MOUSEMOVE, 0, 0);
            EXPECT_EQ(GetCursor(), LoadCursorA(NULL, p.inside ? IDC_HAND : IDC_ARROW));
            if (!p.inside)
                SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        }
        EXPECT_TRUE(IsWindowVisible(dialog)) << "clicks beside the close area do nothing";
        cursorAt(dialog, 228, 54);
        PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    });
    EXPECT_EQ(listedPaths(), before);
    EXPECT_TRUE(messageBoxesSeen().empty()) << "closing tells nothing";
}

} // namespace
