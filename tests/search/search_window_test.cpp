// The search window in-process, opened as the playlist window opens it, with
// the player's real playlist window as its owner, on the scripted engine.
// The drives it lists and scans are folders of the build mapped in the test
// prefix by make-search-drives.sh: L: a CD-ROM drive, M: 2,000 music files,
// R: none, S: two, T: one, U: none (D: is the end-to-end test's). The
// "Done :" boxes are answered as a user would, with their OK button, and
// read first.
#include "dialog_answer.h"
#include "draw.h"
#include "frame.h"
#include "globals.h"
#include "player_windows.h"
#include "printed_output.h"
#include "search_window.h"
#include "songlist.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

std::string textOfWindow(HWND window)
{
    char text[100] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

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
        if (textOfWindow(box) == root)
            return box;
    ADD_FAILURE() << "no box for " << root;
    return NULL;
}

Texts fixedDrives()
{
    char list[260] = "";
    GetLogicalDriveStringsA(sizeof(list), list);
    Texts fixed;
    for (const char *root = list; *root; root += strlen(root) + 1)
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            fixed.push_back(root);
    return fixed;
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
    HBITMAP skin = loadSkin(searchWindow.skinFile);
    HRGN outline = BmpToRgn(skin, searchWindow.transparent);
    int kind = GetWindowRgn(dialog, carried);
    bool same = kind == COMPLEXREGION && outline && EqualRgn(carried, outline);
    DeleteObject(carried);
    DeleteObject(outline);
    DeleteObject(skin);
    return same;
}

// The playlist window's procedure, watched: the cursor each time the scan
// asks it to refill its list, that is while a drive is walked and tagged.
WNDPROC playlistProcedure;
std::vector<HCURSOR> cursorsAtRefill;

LRESULT CALLBACK watchingPlaylist(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
        cursorsAtRefill.push_back(GetCursor());
    return CallWindowProcA(playlistProcedure, window, message, wParam, lParam);
}

class SearchWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        makePlayerWindows();
        playlistProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hPlaylistDialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watchingPlaylist)));
    }
    static void TearDownTestSuite()
    {
        SetWindowLongPtrA(hPlaylistDialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(playlistProcedure));
    }

    // Three songs in the list, shown; also run before each case of a table.
    void SetUp() override
    {
        startFresh();
        addSongs(3, 1000);
        SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
        cursorsAtRefill.clear();
    }

    void TearDown() override { answerMessageBoxes(0); }

    // Opens the window as the playlist window does; `act` runs on it once it
    // is shown, from inside its modal loop. Returns when the window has ended.
    static INT_PTR open(std::function<void(HWND)> act)
    {
        actOnDialog(hPlaylistDialog, act);
        INT_PTR result = DialogBoxParamA(hInst, "Search", hPlaylistDialog, SearchProc, 0);
        EXPECT_TRUE(actedOnDialog());
        return result;
    }

    // Ticks the boxes of `roots` and starts, with the Start button or Enter;
    // gives the texts of the "Done :" boxes shown.
    static Texts scan(const Texts &roots, bool byEnter = false)
    {
        answerMessageBoxes(static_cast<int>(roots.size()));
        EXPECT_EQ(open([&](HWND dialog) {
                      for (const std::string &root : roots)
                          PostMessageA(driveBox(dialog, root), BM_CLICK, 0, 0);
                      if (byEnter)
                          pressKey(dialog, VK_RETURN);
                      else
                          PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                  }),
                  0);
        Texts shown;
        for (const messageBoxSeen &box : messageBoxesSeen()) {
            EXPECT_EQ(box.caption, "Done :");
            EXPECT_TRUE(box.information);
            shown.push_back(box.text);
        }
        return shown;
    }

    static Texts listedPaths()
    {
        Texts paths;
        for (int slot = 1; slot <= data.songsNumber; ++slot)
            paths.push_back(data.paths[slot]);
        return paths;
    }

    static std::string done(const char *root, int total)
    {
        return std::string("Scan of \"") + root + "\" finished : " + std::to_string(total) + " total songs found.";
    }
};

TEST_F(SearchWindow, EachOpeningListsTheFixedDrivesWithFreshBoxesAndItsOutline)
{
    Texts fixed = fixedDrives();
    ASSERT_EQ(fixed, (Texts{"C:\\", "D:\\", "K:\\", "M:\\", "R:\\", "S:\\", "T:\\", "U:\\", "Z:\\"}))
        << "the prefix as make-search-drives.sh leaves it";
    ASSERT_EQ(GetDriveTypeA("L:\\"), static_cast<UINT>(DRIVE_CDROM));

    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE("opening " + std::to_string(opening));
        std::string printed = printedBy([&] {
            open([&](HWND dialog) {
                EXPECT_TRUE(hasTheSkinsOutline(dialog));
                std::vector<HWND> boxes = driveBoxes(dialog);
                ASSERT_EQ(boxes.size(), fixed.size());
                for (size_t i = 0; i < boxes.size(); ++i) {
                    SCOPED_TRACE(fixed[i]);
                    RECT place;
                    GetWindowRect(boxes[i], &place);
                    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT *>(&place), 2);
                    EXPECT_EQ(textOfWindow(boxes[i]), fixed[i]);
                    EXPECT_EQ(GetWindowLongA(boxes[i], GWL_STYLE), static_cast<LONG>(WS_VISIBLE | 0x40000003));
                    EXPECT_EQ(GetDlgCtrlID(boxes[i]), 0);
                    EXPECT_EQ(place.left, 20);
                    EXPECT_EQ(place.top, 100 + 20 * static_cast<int>(i));
                    EXPECT_EQ(place.right - place.left, 40);
                    EXPECT_EQ(place.bottom - place.top, 12);
                    EXPECT_EQ(SendMessageA(boxes[i], BM_GETCHECK, 0, 0), BST_UNCHECKED);
                    EXPECT_EQ(SendMessageA(boxes[i], WM_GETFONT, 0, 0), 0) << "no font is set on the boxes";
                }
                // Ticked here, and fresh again at the next opening.
                SendMessageA(boxes[0], BM_CLICK, 0, 0);
                EXPECT_EQ(SendMessageA(boxes[0], BM_GETCHECK, 0, 0), BST_CHECKED);
                pressKey(dialog, VK_ESCAPE);
            });
        });
        EXPECT_EQ(printed, "temp : C:\\\n\n") << "one diagnostic line per opening";
    }
}

// Start replaces the list: it is emptied first, then each ticked drive adds
// its songs in turn, and after each a box tells the total so far.
TEST_F(SearchWindow, StartScansTheTickedDrivesInTurnAndTellsTheTotalAfterEach)
{
    struct scanCase {
        const char *what;
        Texts ticked;
        bool byEnter;
        Texts messages;
        Texts songs;
    };
    const scanCase cases[] = {
        {"no box ticked: the list is emptied, no box shown", {}, false, {}, {}},
        {"one drive, by Enter", {"S:\\"}, true, {done("S:\\", 2)}, {"S:\\first.mp3", "S:\\live\\second.ogg"}},
        {"two drives, in the table's order whatever the ticking order", {"T:\\", "S:\\"}, false,
         {done("S:\\", 2), done("T:\\", 3)}, {"S:\\first.mp3", "S:\\live\\second.ogg", "T:\\third.wav"}},
        {"drives without music", {"R:\\", "S:\\", "U:\\"}, false, {done("R:\\", 0), done("S:\\", 2), done("U:\\", 2)},
         {"S:\\first.mp3", "S:\\live\\second.ogg"}},
    };
    for (const scanCase &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        EXPECT_EQ(scan(c.ticked, c.byEnter), c.messages);
        EXPECT_EQ(listedPaths(), c.songs);
        EXPECT_EQ(SendDlgItemMessageA(hPlaylistDialog, 10, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.songs.size()))
            << "the playlist window shows the new list";
        EXPECT_STREQ(data.paths[0], "");
    }
}

// The walk runs inside one message and nothing repaints meanwhile: the wait
// cursor shows for that time, and the normal one is back for the box.
TEST_F(SearchWindow, TheWaitCursorShowsWhileADriveIsScanned)
{
    EXPECT_EQ(scan({"S:\\", "T:\\"}).size(), 2u);
    HCURSOR wait = LoadCursorA(NULL, IDC_WAIT);
    EXPECT_EQ(cursorsAtRefill, (std::vector<HCURSOR>{wait, wait}));
    for (const messageBoxSeen &box : messageBoxesSeen())
        EXPECT_EQ(box.cursor, LoadCursorA(NULL, IDC_ARROW));
}

// M: holds 2,000 music files; the list holds 1,999. The scan stops when the
// list is full, the message tells the true count, and a later drive adds
// nothing.
TEST_F(SearchWindow, AFullListStopsTheScanAndLaterDrivesAddNothing)
{
    EXPECT_EQ(scan({"M:\\", "S:\\"}), (Texts{done("M:\\", MAX_SONGS), done("S:\\", MAX_SONGS)}));
    ASSERT_EQ(data.songsNumber, MAX_SONGS);
    EXPECT_STREQ(data.paths[1], "M:\\album00\\track00.mp3");
    EXPECT_STREQ(data.paths[MAX_SONGS], "M:\\album19\\track98.mp3");
    EXPECT_STREQ(data.names[MAX_SONGS], "track98.mp3");
    EXPECT_STREQ(data.paths[MAX_SONGS + 1], "") << "nothing past the capacity";
}

// Escape and the close area end the window; the list stays as it was. The
// hand cursor shows over the close area, both ends included, and a click
// just outside it does nothing.
TEST_F(SearchWindow, EscapeAndTheCloseAreaLeaveTheListUntouched)
{
    Texts before = listedPaths();
    answerMessageBoxes(1);
    open([](HWND dialog) { pressKey(dialog, VK_ESCAPE); });
    EXPECT_EQ(listedPaths(), before);

    std::vector<std::string> outside;
    open([&](HWND dialog) {
        const POINT inside[] = {{211, 40}, {228, 54}, {220, 47}, {211, 54}, {228, 40}};
        const POINT beside[] = {{210, 47}, {229, 47}, {220, 39}, {220, 55}};
        for (POINT at : inside) {
            SCOPED_TRACE(std::to_string(at.x) + ", " + std::to_string(at.y));
            showArrowCursor();
            cursorAt(dialog, at.x, at.y);
            SendMessageA(dialog, WM_MOUSEMOVE, 0, 0);
            EXPECT_EQ(GetCursor(), LoadCursorA(NULL, IDC_HAND));
        }
        for (POINT at : beside) {
            SCOPED_TRACE(std::to_string(at.x) + ", " + std::to_string(at.y));
            showArrowCursor();
            cursorAt(dialog, at.x, at.y);
            SendMessageA(dialog, WM_MOUSEMOVE, 0, 0);
            EXPECT_EQ(GetCursor(), LoadCursorA(NULL, IDC_ARROW));
            SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            if (!IsWindowVisible(dialog))
                outside.push_back(std::to_string(at.x) + ", " + std::to_string(at.y));
        }
        cursorAt(dialog, 228, 54);
        PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    });
    EXPECT_TRUE(outside.empty());
    EXPECT_EQ(listedPaths(), before);
    EXPECT_TRUE(messageBoxesSeen().empty()) << "closing tells nothing";
}

} // namespace
