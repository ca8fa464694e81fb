// Playlist files on the real file system of the test prefix: the bytes the
// writer produces, and what the reader makes of well-formed and malformed
// files.
#include "playlist_file.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const char FOLDER[] = "playlist-files";

std::string fileIn(const char *name)
{
    return std::string(FOLDER) + "\\" + name;
}

void writeBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string readBytes(const std::string &path)
{
    std::string bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return "<missing>";
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

void addSong(const char *path, const char *name)
{
    int slot = ++data.songsNumber;
    snprintf(data.paths[slot], PATH_SIZE, "%s", path);
    snprintf(data.names[slot], NAME_SIZE, "%s", name);
}

// The playlist window's answer to command 15: it clears the list.
void clearOnCommand15(const ReceivedMessage &message)
{
    if (message.message == WM_COMMAND && LOWORD(message.wParam) == 15)
        clearPlaylist(&data, nullptr);
}

class PlaylistFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&data, 0, sizeof(data));
        CreateDirectoryA(FOLDER, nullptr);
        playlistWindow = createRecordingWindow();
        ASSERT_NE(playlistWindow, nullptr);
        answerMessages(clearOnCommand15);
    }
    void TearDown() override { destroyRecordingWindow(playlistWindow); }

    int open(const std::string &bytes)
    {
        std::string path = fileIn("read.m3P");
        writeBytes(path, bytes);
        return openPlaylist(&data, path.c_str(), playlistWindow);
    }

    HWND playlistWindow = nullptr;
};

// ---- writing ----

TEST_F(PlaylistFile, EmptyListIsTheCountAndOneLineEnd)
{
    std::string path = fileIn("empty.m3P");
    EXPECT_EQ(savePlaylist(&data, path.c_str()), 0);
    EXPECT_EQ(readBytes(path), "0\r\n");
}

TEST_F(PlaylistFile, WritesCountThenOnePathPerCrLfLine)
{
    addSong("C:\\Music\\a.mp3", "\\a.mp3");
    addSong("D:\\with blanks\\b.ogg", "Artist - Title");
    std::string path = fileIn("two.m3P");
    EXPECT_EQ(savePlaylist(&data, path.c_str()), 0);
    EXPECT_EQ(readBytes(path), "2\r\nC:\\Music\\a.mp3\r\nD:\\with blanks\\b.ogg\r\n");
}

TEST_F(PlaylistFile, SavingTruncatesAnOlderLongerFile)
{
    std::string path = fileIn("shrink.m3P");
    writeBytes(path, std::string(2000, 'x'));
    addSong("C:\\a.mp3", "\\a.mp3");
    EXPECT_EQ(savePlaylist(&data, path.c_str()), 0);
    EXPECT_EQ(readBytes(path), "1\r\nC:\\a.mp3\r\n");
}

TEST_F(PlaylistFile, SavingIntoAMissingFolderFailsAndWritesNothing)
{
    addSong("C:\\a.mp3", "\\a.mp3");
    EXPECT_EQ(savePlaylist(&data, "no-such-folder\\Playlists\\Startup.m3P"), 1);
    EXPECT_EQ(GetFileAttributesA("no-such-folder"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PlaylistFile, SavingOntoAFullDeviceFails)
{
    // /dev/full accepts the open and refuses every byte: the writer must not
    // report such a file as saved.
    FILE *device = fopen("Z:\\dev\\full", "w");
    ASSERT_NE(device, nullptr) << "the prefix's Z: drive reaches /dev/full";
    fclose(device);
    addSong("C:\\a.mp3", "\\a.mp3");
    EXPECT_EQ(savePlaylist(&data, "Z:\\dev\\full"), 1);
}

TEST_F(PlaylistFile, ACountOutsideTheCapacityIsWrittenAsWhatTheListHolds)
{
    data.songsNumber = -3;
    std::string path = fileIn("negative.m3P");
    EXPECT_EQ(savePlaylist(&data, path.c_str()), 0);
    EXPECT_EQ(readBytes(path), "0\r\n");
}

// ---- round trips ----

TEST_F(PlaylistFile, RoundTripKeepsPathsAndOrderAndRebuildsNames)
{
    addSong("C:\\Music\\z.mp3", "Someone - Zed");
    addSong("C:\\Music\\a.wav", "a.wav");
    addSong("E:\\caf\xE9\\\xE9t\xE9.ogg", "\\\xE9t\xE9.ogg");
    std::string path = fileIn("trip.m3P");
    ASSERT_EQ(savePlaylist(&data, path.c_str()), 0);

    EXPECT_EQ(openPlaylist(&data, path.c_str(), playlistWindow), 0);
    ASSERT_EQ(data.songsNumber, 3);
    EXPECT_STREQ(data.paths[1], "C:\\Music\\z.mp3");
    EXPECT_STREQ(data.paths[2], "C:\\Music\\a.wav");
    EXPECT_STREQ(data.paths[3], "E:\\caf\xE9\\\xE9t\xE9.ogg");
    EXPECT_STREQ(data.names[1], "\\z.mp3");
    EXPECT_STREQ(data.names[2], "\\a.wav");
    EXPECT_STREQ(data.names[3], "\\\xE9t\xE9.ogg");
}

TEST_F(PlaylistFile, RoundTripOfAFullListWithLongestPaths)
{
    for (int slot = 1; slot <= MAX_SONGS; ++slot) {
        char path[PATH_SIZE];
        snprintf(path, sizeof(path), "C:\\%0*d.mp3", PATH_SIZE - 1 - 7, slot);
        addSong(path, "x");
    }
    std::string file = fileIn("full.m3P");
    ASSERT_EQ(savePlaylist(&data, file.c_str()), 0);
    EXPECT_EQ(openPlaylist(&data, file.c_str(), playlistWindow), 0);
    ASSERT_EQ(data.songsNumber, MAX_SONGS);
    EXPECT_EQ(strlen(data.paths[MAX_SONGS]), static_cast<size_t>(PATH_SIZE - 1));
    EXPECT_STREQ(data.paths[MAX_SONGS] + PATH_SIZE - 1 - 8, "1999.mp3");
    EXPECT_EQ(strlen(data.names[1]), static_cast<size_t>(NAME_SIZE - 1)) << "cut to the slot";
    EXPECT_STREQ(data.paths[MAX_SONGS + 1], "");
}

// ---- reading: the list it replaces ----

TEST_F(PlaylistFile, AFileThatCannotBeOpenedLeavesTheListAlone)
{
    addSong("C:\\keep.mp3", "\\keep.mp3");
    data.currentSong = 1;
    EXPECT_EQ(openPlaylist(&data, "playlist-files\\missing.m3P", playlistWindow), 1);
    EXPECT_TRUE(receivedMessages().empty());
    EXPECT_EQ(data.songsNumber, 1);
    EXPECT_STREQ(data.paths[1], "C:\\keep.mp3");
}

TEST_F(PlaylistFile, ANonEmptyListIsClearedThroughCommand15BeforeReading)
{
    addSong("C:\\old1.mp3", "\\old1.mp3");
    addSong("C:\\old2.mp3", "\\old2.mp3");
    addSong("C:\\old3.mp3", "\\old3.mp3");
    int songsWhenCleared = -1;
    answerMessages([&](const ReceivedMessage &message) {
        songsWhenCleared = data.songsNumber;
        clearOnCommand15(message);
    });
    EXPECT_EQ(open("1\r\nC:\\new.mp3\r\n"), 0);
    ASSERT_EQ(receivedMessages().size(), 1u);
    EXPECT_EQ(receivedMessages()[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(receivedMessages()[0].wParam, 15u);
    EXPECT_EQ(receivedMessages()[0].lParam, 0);
    EXPECT_EQ(songsWhenCleared, 3) << "nothing was read before the clearing";
    EXPECT_EQ(data.songsNumber, 1);
    EXPECT_STREQ(data.paths[1], "C:\\new.mp3");
    EXPECT_STREQ(data.paths[2], "") << "emptied by the clearing";
}

TEST_F(PlaylistFile, AFileWithNoSongsStillReplacesANonEmptyList)
{
    addSong("C:\\old.mp3", "\\old.mp3");
    EXPECT_EQ(open("0\r\n"), 0);
    EXPECT_EQ(receivedMessages().size(), 1u);
    EXPECT_EQ(data.songsNumber, 0);
}

TEST_F(PlaylistFile, AnEmptyListIsNotClearedAgain)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3\r\n"), 0);
    EXPECT_TRUE(receivedMessages().empty());
    EXPECT_EQ(data.songsNumber, 1);
}

// ---- reading: tolerance of malformed files ----

TEST_F(PlaylistFile, BareLineFeedsReadLikeCrLf)
{
    EXPECT_EQ(open("2\nC:\\a.mp3\nC:\\b.mp3\n"), 0);
    ASSERT_EQ(data.songsNumber, 2);
    EXPECT_STREQ(data.paths[1], "C:\\a.mp3");
    EXPECT_STREQ(data.paths[2], "C:\\b.mp3");
}

TEST_F(PlaylistFile, LastLineWithoutLineEndIsRead)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3"), 0);
    EXPECT_STREQ(data.paths[1], "C:\\a.mp3");
    EXPECT_STREQ(data.names[1], "\\a.mp3");
}

TEST_F(PlaylistFile, AnEmptyFileGivesAnEmptyList)
{
    EXPECT_EQ(open(""), 0);
    EXPECT_EQ(data.songsNumber, 0);
    EXPECT_STREQ(data.paths[1], "");
}

TEST_F(PlaylistFile, FewerLinesThanTheCountStillSetTheCount)
{
    EXPECT_EQ(open("3\r\nC:\\a.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, 3);
    EXPECT_STREQ(data.paths[1], "C:\\a.mp3");
    EXPECT_STREQ(data.paths[2], "");
    EXPECT_STREQ(data.paths[3], "");
}

TEST_F(PlaylistFile, MoreLinesThanTheCountLandBeyondTheList)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, 1);
    EXPECT_STREQ(data.paths[2], "C:\\b.mp3");
}

TEST_F(PlaylistFile, AFirstLineWithoutANumberIsLost)
{
    EXPECT_EQ(open("songs\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, 0);
    EXPECT_STREQ(data.paths[1], "C:\\a.mp3");
    EXPECT_STREQ(data.paths[2], "C:\\b.mp3");
}

TEST_F(PlaylistFile, TheRestOfTheCountLineIsDiscarded)
{
    EXPECT_EQ(open("2 songs follow\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, 2);
    EXPECT_STREQ(data.paths[1], "C:\\a.mp3");
}

TEST_F(PlaylistFile, ALongLineIsSplitIntoTwoSlots)
{
    std::string longPath = "C:\\" + std::string(597, 'p');
    EXPECT_EQ(open("2\r\n" + longPath + "\r\nC:\\next.mp3\r\n"), 0);
    EXPECT_EQ(std::string(data.paths[1]), longPath.substr(0, PATH_SIZE - 1));
    EXPECT_EQ(std::string(data.paths[2]), longPath.substr(PATH_SIZE - 1));
    EXPECT_STREQ(data.paths[3], "C:\\next.mp3");
}

TEST_F(PlaylistFile, ALineOfTheLongestPathFitsOneSlot)
{
    std::string path = "C:\\" + std::string(PATH_SIZE - 1 - 3, 'p');
    EXPECT_EQ(open("2\r\n" + path + "\r\nC:\\next.mp3\r\n"), 0);
    EXPECT_EQ(std::string(data.paths[1]), path);
    EXPECT_STREQ(data.paths[2], "C:\\next.mp3");
}

// ---- reading: limits ----

TEST_F(PlaylistFile, ANegativeCountGivesAnEmptyList)
{
    EXPECT_EQ(open("-5\r\nC:\\a.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, 0);
}

TEST_F(PlaylistFile, ACountAboveTheCapacityIsCutToIt)
{
    EXPECT_EQ(open("5000\r\nC:\\a.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, MAX_SONGS);
    EXPECT_EQ(open("99999999999999999999\r\nC:\\a.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, MAX_SONGS);
}

TEST_F(PlaylistFile, PathLinesBeyondTheCapacityAreNotStored)
{
    std::string file = "2100\n";
    for (int line = 1; line <= 2100; ++line)
        file += "C:\\song" + std::to_string(line) + ".mp3\n";
    snprintf(data.paths[MAX_SONGS + 1], PATH_SIZE, "untouched");
    EXPECT_EQ(open(file), 0);
    EXPECT_EQ(data.songsNumber, MAX_SONGS);
    EXPECT_STREQ(data.paths[MAX_SONGS], "C:\\song1999.mp3");
    EXPECT_STREQ(data.paths[MAX_SONGS + 1], "untouched");
}

TEST_F(PlaylistFile, ALineWithoutABackslashIsShownWhole)
{
    EXPECT_EQ(open("2\r\nsong.mp3\r\n\r\n"), 0);
    EXPECT_STREQ(data.names[1], "song.mp3");
    EXPECT_STREQ(data.paths[2], "");
    EXPECT_STREQ(data.names[2], "");
}

TEST_F(PlaylistFile, ALongFileNameIsCutToTheNameSlot)
{
    std::string name(300, 'n');
    snprintf(data.names[2], NAME_SIZE, "next slot");
    EXPECT_EQ(open("1\r\nC:\\" + name + "\r\n"), 0);
    EXPECT_EQ(std::string(data.names[1]), ("\\" + name).substr(0, NAME_SIZE - 1));
    EXPECT_STREQ(data.names[2], "next slot");
}

} // namespace
