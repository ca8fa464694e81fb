// The playlist window in-process, as start-up makes it, on the scripted
// engine: its list, the areas under the real cursor, drops of real drop
// handles, the real file dialogs and message boxes answered as a user
// answers them. The double-click, the search window and hiding are tested
// end to end (e2e/playlist_window_test.py).
#include "dialog_answer.h"
#include "song_list_record.h"
#include "fake_fmod.h"
#include "globals.h"
#include "music_names.h"
#include "player_windows.h"
#include "playlist_window.h"
#include "queued_tick.h"
#include "songlist.h"

#include "tags_read.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> texts;
std::string folder;

HWND rows() { return GetDlgItem(hPlaylistDialog, PLAYLIST_LIST_ID); }
int selectedRow() { return static_cast<int>(SendMessageA(rows(), LB_GETCURSEL, 0, 0)); }

texts rowTexts()
{
    texts shown;
    int count = static_cast<int>(SendMessageA(rows(), LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char text[NAME_SIZE] = "";
        SendMessageA(rows(), LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        shown.push_back(text);
    }
    return shown;
}

texts listedPaths()
{
    return texts(songList.paths + 1, songList.paths + 1 + songList.songsNumber);
}

void writeFile(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    fputs(bytes.c_str(), file);
    fclose(file);
}

void runCommand(WORD id) { SendMessageA(hPlaylistDialog, WM_COMMAND, id, 0); }

class PlaylistWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        makePlayerWindows();
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof(temp), temp);
        folder = std::string(temp) + "kelvoria-playlist-window";
        CreateDirectoryA(folder.c_str(), NULL);
        CreateDirectoryA((folder + "\\locked.m3P").c_str(), NULL);  // no file can be written there
    }
    void SetUp() override
    {
        startFresh();
        SendMessageA(hPlaylistDialog, WM_RBUTTONUP, 0, 0);
        SetWindowPos(hPlaylistDialog, NULL, 60, 40, 353, 295, SWP_NOZORDER | SWP_SHOWWINDOW);
        loaded = true;
    }
    void TearDown() override { forgetAnswers(); }

    static POINT at(int x, int y)
    {
        RECT place;
        GetWindowRect(hPlaylistDialog, &place);
        POINT screen = {place.left + x, place.top + y};
        return screen;
    }
};

TEST_F(PlaylistWindow, CloseShowsTheSlotsSelectsTheLastRowAndNeverClosesTheWindow)
{
    addSongs(3, 10000);
    strcpy(songList.names[2], "Band - Tune");
    SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
    EXPECT_EQ((texts{"\\song1.mp3", "Band - Tune", "\\song3.mp3"}), rowTexts());
    EXPECT_EQ(2, selectedRow());
    SendMessageA(hPlaylistDialog, WM_SYSCOMMAND, SC_CLOSE, 0);    // Alt+F4
    EXPECT_TRUE(IsWindowVisible(hPlaylistDialog));

    songList.songsNumber = 0;
    SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(rowTexts().empty());
    EXPECT_EQ(LB_ERR, selectedRow());
}

TEST_F(PlaylistWindow, TheListIsBlueBehindTheDefaultText)
{
    HDC dc = CreateCompatibleDC(NULL);
    COLORREF text = GetTextColor(dc);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageA(hPlaylistDialog, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(rows())));
    LOGBRUSH painted = {};
    ASSERT_TRUE(GetObjectA(brush, sizeof(painted), &painted));
    EXPECT_EQ(0xAB4E17u, painted.lbColor);
    EXPECT_EQ(0xAB4E17u, GetBkColor(dc));
    EXPECT_EQ(text, GetTextColor(dc));
    DeleteDC(dc);
}

struct areaCase {
    int x, y;
    const char *sends;  // "" for nothing
    bool hand;
};

TEST_F(PlaylistWindow, EachPressSendsItsAreasCommandAndTheHandShowsOverTheAreas)
{
    const areaCase cases[] = {
        {324, 9, "command 14", true}, {344, 16, "command 14", true},
        {323, 12, "", false}, {345, 12, "", false}, {334, 8, "", false}, {334, 17, "", false},
        {12, 245, "command 12", false},     // pressed, though no hand shows there
        {13, 241, "command 12", true}, {116, 253, "command 12", true}, {117, 247, "", false},
        {60, 240, "", false}, {60, 254, "", false},
        {123, 241, "command 11", true}, {228, 253, "command 11", true}, {122, 247, "", false},
        {229, 247, "", false}, {232, 247, "", false},
        {233, 241, "command 15", true}, {339, 253, "command 15", true}, {340, 247, "", false},
        {39, 261, "command 33", true}, {88, 273, "command 33", true}, {38, 265, "", false},
        {89, 265, "", false}, {60, 274, "", false}, {11, 247, "", false},
        {150, 100, "", false},
    };
    watchPlaylistWindow();
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    for (const areaCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        POINT screen = at(c.x, c.y);
        SetCursorPos(screen.x, screen.y);
        SetCursor(arrow);
        SendMessageA(hPlaylistDialog, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(c.hand, GetCursor() == LoadCursorA(NULL, IDC_HAND));
        sentToPlaylist().clear();
        SendMessageA(hPlaylistDialog, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_EQ(*c.sends ? texts{c.sends} : texts{}, sentToPlaylist());
    }
}

// A dropped file is a song whatever its kind; a dropped folder adds the
// music below it as the scan finds it, and a dropped playlist its songs.
TEST_F(PlaylistWindow, DroppedItemsFollowTheListInDropOrderAndAreTagged)
{
    addSongs(5, 10000);
    std::string tree = folder + "\\dropped";
    CreateDirectoryA(tree.c_str(), NULL);
    CreateDirectoryA((tree + "\\sub").c_str(), NULL);
    makeMusicNames(tree + "\\sub");
    writeFile(folder + "\\list.m3u", "x.flac\r\nhttp://radio/a.mp3\r\n");
    texts dropped = {folder + "\\a.mp3", folder + "\\notes.txt", tree, folder + "\\list.m3u"};
    fake_fmod::addFile(dropped[0], 5000);
    fake_fmod::addTag(dropped[0], "TITLE", "Tune");
    fake_fmod::addTag(dropped[0], "ARTIST", "Band");
    SendMessageA(hPlaylistDialog, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(dropped)), 0);

    texts paths = {dropped[0], dropped[1]}, names = {"Band - Tune", "\\notes.txt"};
    for (const std::string &name : takenMusicNames()) {
        paths.push_back(tree + "\\sub\\" + name);
        names.push_back(name);
    }
    paths.push_back(folder + "\\x.flac");
    names.push_back("\\x.flac");
    ASSERT_TRUE(waitForTags());
    ASSERT_EQ(5 + paths.size(), static_cast<size_t>(songList.songsNumber));
    EXPECT_EQ(paths, texts(songList.paths + 6, songList.paths + 6 + paths.size()));
    EXPECT_EQ(names, texts(songList.names + 6, songList.names + 6 + names.size()));
    EXPECT_EQ(static_cast<size_t>(songList.songsNumber), rowTexts().size());
    EXPECT_EQ(songList.songsNumber - 1, selectedRow());
}

TEST_F(PlaylistWindow, ADropKeepsToTheCapacityAndLeavesOutPathsTooLongForASlot)
{
    songList.songsNumber = MAX_SONGS - 3;
    std::string tooLong = "C:\\" + std::string(PATH_SIZE - 3, 'x');     // 512 characters
    std::string longest = "C:\\" + std::string(PATH_SIZE - 4, 'y');     // 511 characters
    texts dropped = {tooLong, longest, "C:\\b.mp3", "C:\\c.mp3", "C:\\d.mp3"};
    SendMessageA(hPlaylistDialog, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(dropped)), 0);
    EXPECT_EQ(MAX_SONGS, songList.songsNumber);
    EXPECT_EQ(MAX_SONGS - 1, selectedRow());
    EXPECT_GT(SendMessageA(rows(), LB_GETTOPINDEX, 0, 0), MAX_SONGS - 20) << "the last row is in view";
    EXPECT_EQ((texts{longest, "C:\\b.mp3", "C:\\c.mp3"}), texts(songList.paths + MAX_SONGS - 2, songList.paths + MAX_SONGS + 1));
    EXPECT_STREQ("", songList.paths[MAX_SONGS + 1]);
    EXPECT_EQ("\\" + std::string(NAME_SIZE - 2, 'y'), songList.names[MAX_SONGS - 2]) << "cut to the slot";
}

struct saveCase {
    int songs;
    const char *existing;       // a file that holds "old" before the save, or ""
    texts typed;                // into the save dialog; none: no dialog may open
    std::vector<int> pressed;   // in the message boxes, the dialog's own question included
    const char *question;       // the name our replace question is about, or ""
    messageBoxSeen last;        // the last message box
    const char *written;        // the file the list is in afterwards, or ""
};

// The extension is added only when the chosen name lacks it, in any case,
// and a file that the added extension names is replaced only after a Yes.
TEST_F(PlaylistWindow, SavingAddsAMissingExtensionAndAsksBeforeReplacingAFile)
{
    std::string mylist = folder + "\\mylist.m3P";
    const messageBoxSeen saved = {"Playlist successfully saved in :", mylist, "information"};
    const messageBoxSeen question = {"Confirm Save As", "mylist.m3P already exists.\nDo you want to replace it?",
                                     "warning"};
    const saveCase cases[] = {
        {0, "", {}, {IDOK}, "", {"Nothing to save", "No songs loaded.", "warning"}, ""},
        {2, "", {folder + "\\mylist"}, {IDOK}, "", saved, "mylist.m3P"},
        {2, "mylist.m3P", {folder + "\\mylist"}, {IDYES, IDOK}, "mylist.m3P", saved, "mylist.m3P"},
        {2, "mylist.m3P", {folder + "\\mylist"}, {IDNO}, "mylist.m3P", question, ""},
        // Chosen with its extension: the dialog asks, and that name is written.
        {2, "mylist.m3P", {mylist}, {IDYES, IDOK}, "", saved, "mylist.m3P"},
        {2, "", {folder + "\\MYLIST.M3P"}, {IDOK}, "", {saved.caption, folder + "\\MYLIST.M3P", saved.icon},
         "mylist.m3P"},
        {2, "", {folder + "\\locked"}, {IDOK}, "", {"Failure", "Failed to save", "warning"}, ""},
    };
    for (const saveCase &c : cases) {
        SCOPED_TRACE(c.last.text + " after " + (c.typed.empty() ? "" : c.typed[0]));
        startFresh();
        DeleteFileA(mylist.c_str());
        DeleteFileA((mylist + ".m3P").c_str());
        if (*c.existing)
            writeFile(folder + "\\" + c.existing, "old");
        addSongs(c.songs, 10000);
        answerFileDialog(hPlaylistDialog, c.typed);
        answerMessageBoxes(c.pressed);
        runCommand(PLAYLIST_CMD_SAVE);
        EXPECT_EQ(!c.typed.empty(), answered()) << "a file dialog opens only for a list with songs";
        forgetAnswers();
        ASSERT_TRUE(messageBoxesAnswered());
        std::vector<messageBoxSeen> seen = messageBoxesSeen();
        EXPECT_EQ(c.last.caption, seen.back().caption);
        EXPECT_EQ(c.last.text, seen.back().text);
        EXPECT_EQ(c.last.icon, seen.back().icon);
        int asked = 0;
        for (const messageBoxSeen &box : seen)
            asked += box.caption == question.caption && box.text == question.text;
        EXPECT_EQ(*c.question ? 1 : 0, asked);
        if (!c.typed.empty()) {
            EXPECT_EQ("Mp3 Playlist", filterSeen().substr(0, 12));
        }
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((mylist + ".m3P").c_str()));
        if (*c.written) {
            EXPECT_EQ("2\r\nC:\\Music\\song1.mp3\r\nC:\\Music\\song2.mp3\r\n",
                      fileBytes(folder + "\\" + c.written));
        } else if (*c.existing) {
            EXPECT_EQ("old", fileBytes(folder + "\\" + c.existing));
        }
    }
}

// The save dialog's second file type writes extended M3U under ".m3u8",
// with the same rules for the name.
TEST_F(PlaylistWindow, SavingAsM3u8WritesExtendedM3uUnderItsOwnExtension)
{
    std::string written = folder + "\\mylist.m3u8";
    DeleteFileA(written.c_str());
    addSongs(2, 10000);
    answerFileDialog(hPlaylistDialog, {folder + "\\mylist"}, 2);
    answerMessageBoxes({IDOK});
    runCommand(PLAYLIST_CMD_SAVE);
    forgetAnswers();
    ASSERT_TRUE(messageBoxesAnswered());
    EXPECT_EQ(written, lastMessageBox().text);
    EXPECT_EQ("#EXTM3U\r\n#EXTINF:10,song1.mp3\r\nC:\\Music\\song1.mp3\r\n"
              "#EXTINF:10,song2.mp3\r\nC:\\Music\\song2.mp3\r\n",
              fileBytes(written));
}

TEST_F(PlaylistWindow, OpeningReplacesTheListStopsTheSongAndShowsTheTaggedNames)
{
    std::string file = folder + "\\two.m3P";
    writeFile(file, "2\r\nC:\\New\\x.ogg\r\nC:\\New\\y.mp3\r\n");
    fake_fmod::addFile("C:\\New\\y.mp3", 5000);
    fake_fmod::addTag("C:\\New\\y.mp3", "TITLE", "Why");
    fake_fmod::addTag("C:\\New\\y.mp3", "ARTIST", "Band");
    addSongs(3, 100000);
    SendMessageA(hwnd, WM_COMMAND, 5, 0);
    ASSERT_TRUE(fake_fmod::channelPlaying());

    answerFileDialog(hPlaylistDialog, {});
    runCommand(PLAYLIST_CMD_OPEN);
    EXPECT_EQ(3, songList.songsNumber) << "a cancelled dialog changes nothing";
    EXPECT_TRUE(fake_fmod::channelPlaying());

    answerFileDialog(hPlaylistDialog, {file});
    runCommand(PLAYLIST_CMD_OPEN);
    EXPECT_TRUE(answered());
    EXPECT_EQ((texts{"C:\\New\\x.ogg", "C:\\New\\y.mp3"}), listedPaths());
    EXPECT_EQ((texts{"\\x.ogg", "\\y.mp3"}), rowTexts()) << "file names first";
    ASSERT_TRUE(waitForTags());
    EXPECT_EQ((texts{"\\x.ogg", "Band - Why"}), rowTexts());
    EXPECT_EQ(1, selectedRow());
    EXPECT_FALSE(fake_fmod::channelPlaying());
}

TEST_F(PlaylistWindow, BothFileCommandsEndADragWhateverTheAnswer)
{
    struct { WORD command; int songs; } commands[] = {
        {PLAYLIST_CMD_SAVE, 0}, {PLAYLIST_CMD_SAVE, 1}, {PLAYLIST_CMD_OPEN, 1}};
    for (const auto &c : commands) {
        SCOPED_TRACE(c.command);
        startFresh();
        addSongs(c.songs, 10000);
        SetWindowPos(hPlaylistDialog, NULL, 60, 40, 353, 295, SWP_NOZORDER | SWP_SHOWWINDOW);
        POINT grip = at(150, 100);
        SetCursorPos(grip.x, grip.y);
        tickThroughQueue(hPlaylistDialog);
        SendMessageA(hPlaylistDialog, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        answerFileDialog(hPlaylistDialog, {});
        answerMessageBoxes({IDOK});
        runCommand(c.command);
        forgetAnswers();
        SetCursorPos(grip.x + 40, grip.y + 20);
        SendMessageA(hPlaylistDialog, WM_MOUSEMOVE, 0, 0);
        RECT place;
        GetWindowRect(hPlaylistDialog, &place);
        EXPECT_EQ(60, place.left);
        EXPECT_EQ(40, place.top);
    }
}

} // namespace
