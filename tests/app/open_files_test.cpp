// The open-files command with the real file dialog, answered by the test
// as a user would answer it: one file, several files of a folder, cancel.
#include "dialog_answer.h"
#include "song_list_record.h"
#include "fake_fmod.h"
#include "globals.h"
#include "main_window.h"
#include "player_windows.h"
#include "songlist.h"

#include "tags_read.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

namespace {

std::string musicFolder;

void makeFile(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    fputs("not really music: the engine double plays it", file);
    fclose(file);
}

HWND playlistRows() { return GetDlgItem(hPlaylistDialog, 10); }

std::string rowText(int row)
{
    char text[300] = "";
    SendMessageA(playlistRows(), LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    return text;
}

class OpenFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        makePlayerWindows();
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof(temp), temp);
        musicFolder = std::string(temp) + "kelvoria-open-files";
        CreateDirectoryA(musicFolder.c_str(), NULL);
        makeFile(musicFolder + "\\a.mp3");
        makeFile(musicFolder + "\\b.ogg");
    }
    void SetUp() override { startFresh(); }

    static void openFilesAnswering(const std::vector<std::string> &typed)
    {
        answerFileDialog(hwnd, typed);
        SendMessageA(hwnd, WM_COMMAND, CMD_OPEN_FILES, 0);
        EXPECT_TRUE(answered()) << "the dialog closed before the test answered it";
    }
};

TEST_F(OpenFiles, OneChosenFileIsAddedWithItsBackslashName)
{
    openFilesAnswering({musicFolder + "\\a.mp3"});
    EXPECT_EQ("Music file", filterSeen().substr(0, 10));
    ASSERT_EQ(1, songList.songsNumber);
    EXPECT_EQ(musicFolder + "\\a.mp3", songList.paths[1]);
    EXPECT_STREQ("\\a.mp3", songList.names[1]);
    ASSERT_EQ(1, SendMessageA(playlistRows(), LB_GETCOUNT, 0, 0));
    EXPECT_EQ("\\a.mp3", rowText(0));
}

TEST_F(OpenFiles, SeveralFilesOfAFolderAreAddedAfterTheListByName)
{
    addSongs(1, 10000);
    openFilesAnswering({musicFolder, "\"a.mp3\" \"b.ogg\""});
    ASSERT_EQ(3, songList.songsNumber);
    EXPECT_EQ(musicFolder + "\\a.mp3", songList.paths[2]);
    EXPECT_EQ(musicFolder + "\\b.ogg", songList.paths[3]);
    EXPECT_STREQ("a.mp3", songList.names[2]);
    EXPECT_STREQ("b.ogg", songList.names[3]);
    EXPECT_EQ(3, SendMessageA(playlistRows(), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, SendMessageA(playlistRows(), LB_GETCURSEL, 0, 0)) << "the last row is selected";
}

TEST_F(OpenFiles, ChosenFilesAreRelabelledByTheirTags)
{
    std::string path = musicFolder + "\\a.mp3";
    fake_fmod::addFile(path, 5000);
    fake_fmod::addTag(path, "TITLE", "Tune");
    fake_fmod::addTag(path, "ARTIST", "Band");
    openFilesAnswering({path});
    EXPECT_STREQ("\\a.mp3", songList.names[1]) << "the file name first";
    ASSERT_TRUE(waitForTags());
    EXPECT_STREQ("Band - Tune", songList.names[1]);
    EXPECT_EQ("Band - Tune", rowText(0));
}

TEST_F(OpenFiles, AddingWhileASongPlaysDoesNotInterruptIt)
{
    addSongs(1, 100000);
    SendMessageA(hwnd, WM_COMMAND, 5, 0);
    FSOUND_STREAM *playing = fake_fmod::channelStream();
    openFilesAnswering({musicFolder + "\\b.ogg"});
    EXPECT_EQ(2, songList.songsNumber);
    EXPECT_EQ(playing, fake_fmod::channelStream());
    EXPECT_TRUE(fake_fmod::channelPlaying());
    EXPECT_EQ(1, songList.currentSong);
}

TEST_F(OpenFiles, CancelAddsNothingAndEndsADrag)
{
    addSongs(1, 10000);
    cursorAtWindow(100, 50);
    SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    openFilesAnswering({});
    EXPECT_EQ(1, songList.songsNumber);

    RECT before;
    GetWindowRect(hwnd, &before);
    SetCursorPos(before.left + 150, before.top + 60);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, 0);
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(before.left, after.left) << "the drag ended with the dialog";
}

} // namespace
