// Playlist files on the real file system of the test prefix: the bytes the
// writer produces, and what the reader makes of well-formed and malformed
// files.
#include "playlist_file.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string FILE_PATH = "playlist-test.m3P";

void writeBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string &path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void addSong(const std::string &path, const char *name = "name")
{
    int slot = ++data.songsNumber;
    snprintf(data.paths[slot], PATH_SIZE, "%s", path.c_str());
    snprintf(data.names[slot], NAME_SIZE, "%s", name);
}

class PlaylistFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&data, 0, sizeof(data));
        playlistWindow = createRecordingWindow();
        ASSERT_NE(playlistWindow, nullptr);
        // The playlist window answers command 15 by clearing the list.
        answerMessages([](const ReceivedMessage &message) {
            if (message.message == WM_COMMAND && message.wParam == 15)
                clearPlaylist(&data, nullptr);
        });
    }
    void TearDown() override { destroyRecordingWindow(playlistWindow); }

    int save() { return savePlaylist(&data, FILE_PATH.c_str()); }
    int open() { return openPlaylist(&data, FILE_PATH.c_str(), playlistWindow); }
    int open(const std::string &bytes)
    {
        writeBytes(FILE_PATH, bytes);
        return open();
    }

    HWND playlistWindow = nullptr;
};

TEST_F(PlaylistFile, WritesTheCountThenOnePathPerCrLfLine)
{
    writeBytes(FILE_PATH, std::string(2000, 'x'));
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(readBytes(FILE_PATH), "0\r\n") << "an empty list, over an older longer file";

    addSong("C:\\Music\\a.mp3", "\\a.mp3");
    addSong("D:\\with blanks\\b.ogg", "Artist - Title");
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(readBytes(FILE_PATH), "2\r\nC:\\Music\\a.mp3\r\nD:\\with blanks\\b.ogg\r\n");

    data.songsNumber = -3;
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(readBytes(FILE_PATH), "0\r\n") << "a count outside the capacity is written as what the list holds";
}

TEST_F(PlaylistFile, ReportsAFileThatWasNotWrittenWhole)
{
    addSong("C:\\a.mp3");
    EXPECT_EQ(savePlaylist(&data, "no-such-folder\\Playlists\\Startup.m3P"), 1);
    EXPECT_EQ(GetFileAttributesA("no-such-folder"), INVALID_FILE_ATTRIBUTES) << "no folder is made";
    // /dev/full accepts the open and refuses every byte.
    FILE *device = fopen("Z:\\dev\\full", "w");
    ASSERT_NE(device, nullptr) << "the prefix's Z: drive reaches /dev/full";
    fclose(device);
    EXPECT_EQ(savePlaylist(&data, "Z:\\dev\\full"), 1);
}

TEST_F(PlaylistFile, RoundTripKeepsPathsAndOrderAndRebuildsNames)
{
    addSong("C:\\Music\\z.mp3", "Someone - Zed");
    addSong("C:\\Music\\a.wav", "a.wav");
    addSong("E:\\caf\xE9\\\xE9t\xE9.ogg", "\\\xE9t\xE9.ogg");
    ASSERT_EQ(save(), 0);
    EXPECT_EQ(open(), 0);
    ASSERT_EQ(data.songsNumber, 3);
    EXPECT_STREQ(data.paths[1], "C:\\Music\\z.mp3");
    EXPECT_STREQ(data.paths[2], "C:\\Music\\a.wav");
    EXPECT_STREQ(data.paths[3], "E:\\caf\xE9\\\xE9t\xE9.ogg");
    EXPECT_STREQ(data.names[1], "\\z.mp3");
    EXPECT_STREQ(data.names[2], "\\a.wav");
    EXPECT_STREQ(data.names[3], "\\\xE9t\xE9.ogg");
}

TEST_F(PlaylistFile, RoundTripOfAFullListOfLongestPaths)
{
    // A path of 511 characters fills its slot up to the line end: it must
    // still come back as one line, or every later song would shift.
    for (int slot = 1; slot <= MAX_SONGS; ++slot) {
        char path[PATH_SIZE];
        snprintf(path, sizeof(path), "C:\\%0*d.mp3", PATH_SIZE - 1 - 7, slot);
        addSong(path);
    }
    ASSERT_EQ(save(), 0);
    EXPECT_EQ(open(), 0);
    ASSERT_EQ(data.songsNumber, MAX_SONGS);
    EXPECT_STREQ(data.paths[MAX_SONGS] + PATH_SIZE - 1 - 8, "1999.mp3");
    EXPECT_EQ(strlen(data.names[1]), static_cast<size_t>(NAME_SIZE - 1)) << "the name is cut to its slot";
}

TEST_F(PlaylistFile, AFileThatCannotBeOpenedLeavesTheListAlone)
{
    addSong("C:\\keep.mp3");
    EXPECT_EQ(openPlaylist(&data, "missing.m3P", playlistWindow), 1);
    EXPECT_TRUE(receivedMessages().empty());
    EXPECT_EQ(data.songsNumber, 1);
    EXPECT_STREQ(data.paths[1], "C:\\keep.mp3");
}

TEST_F(PlaylistFile, ANonEmptyListIsClearedThroughCommand15BeforeReading)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3\r\n"), 0);
    EXPECT_TRUE(receivedMessages().empty()) << "an empty list is not cleared";

    addSong("C:\\second.mp3");
    addSong("C:\\third.mp3");
    EXPECT_EQ(open("1\r\nC:\\new.mp3\r\n"), 0);
    ASSERT_EQ(receivedMessages().size(), 1u);
    EXPECT_EQ(receivedMessages()[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(receivedMessages()[0].wParam, 15u);
    EXPECT_EQ(receivedMessages()[0].lParam, 0);
    EXPECT_EQ(data.songsNumber, 1);
    EXPECT_STREQ(data.paths[1], "C:\\new.mp3");
    EXPECT_STREQ(data.paths[2], "") << "emptied by the clearing, not by the file";

    addSong("C:\\again.mp3");
    EXPECT_EQ(open("0\r\n"), 0);
    EXPECT_EQ(receivedMessages().size(), 2u) << "a file without songs replaces the list too";
    EXPECT_EQ(data.songsNumber, 0);
}

struct ReaderCase {
    const char *what;
    std::string bytes;
    int count;
    std::vector<std::string> slots; // paths of slots 1, 2, ...
};

TEST_F(PlaylistFile, TheReaderTakesWhateverNumberAndLinesItFinds)
{
    std::string longLine = "C:\\" + std::string(597, 'p');
    std::string longestPath = "C:\\" + std::string(PATH_SIZE - 1 - 3, 'p');
    const std::vector<ReaderCase> cases = {
        {"bare line feeds", "2\nC:\\a.mp3\nC:\\b.mp3\n", 2, {"C:\\a.mp3", "C:\\b.mp3"}},
        {"no line end after the last path", "1\r\nC:\\a.mp3", 1, {"C:\\a.mp3", ""}},
        {"an empty file", "", 0, {""}},
        {"fewer lines than the count", "3\r\nC:\\a.mp3\r\n", 3, {"C:\\a.mp3", "", ""}},
        {"more lines than the count", "1\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n", 1, {"C:\\a.mp3", "C:\\b.mp3"}},
        {"no number on line 1", "songs\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n", 0, {"C:\\a.mp3", "C:\\b.mp3"}},
        {"the rest of line 1", "2 songs follow\r\nC:\\a.mp3\r\n", 2, {"C:\\a.mp3"}},
        {"a line longer than a slot", "2\r\n" + longLine + "\r\nC:\\n.mp3\r\n", 2,
         {longLine.substr(0, PATH_SIZE - 1), longLine.substr(PATH_SIZE - 1), "C:\\n.mp3"}},
        {"a line as long as a slot", "2\r\n" + longestPath + "\r\nC:\\n.mp3\r\n", 2, {longestPath, "C:\\n.mp3"}},
        {"carriage returns before a line end or none", "2\r\nC:\\a.mp3\r\r\r\nC:\\b.mp3\r", 2, {"C:\\a.mp3", "C:\\b.mp3"}},
        {"a negative count", "-5\r\nC:\\a.mp3\r\n", 0, {"C:\\a.mp3"}},
        {"a count above the capacity", "5000\r\nC:\\a.mp3\r\n", MAX_SONGS, {"C:\\a.mp3"}},
        {"a count beyond any int", "99999999999999999999\r\n", MAX_SONGS, {""}},
    };
    for (const ReaderCase &c : cases) {
        memset(&data, 0, sizeof(data));
        EXPECT_EQ(open(c.bytes), 0) << c.what;
        EXPECT_EQ(data.songsNumber, c.count) << c.what;
        for (size_t slot = 0; slot < c.slots.size(); ++slot)
            EXPECT_EQ(data.paths[slot + 1], c.slots[slot]) << c.what << ", slot " << slot + 1;
    }
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

TEST_F(PlaylistFile, DisplayNamesAreRebuiltWithinTheirSlot)
{
    std::string longName(300, 'n');
    snprintf(data.names[4], NAME_SIZE, "next slot");
    EXPECT_EQ(open("3\r\nC:\\Music\\a.mp3\r\nsong.mp3\r\nC:\\" + longName + "\r\n"), 0);
    EXPECT_STREQ(data.names[1], "\\a.mp3");
    EXPECT_STREQ(data.names[2], "song.mp3") << "a line without a backslash is shown whole";
    EXPECT_EQ(data.names[3], ("\\" + longName).substr(0, NAME_SIZE - 1));
    EXPECT_STREQ(data.names[4], "next slot");
}

TEST_F(PlaylistFile, AnEarlierFilesUncountedLinesNeverComeBack)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3\r\nC:\\stale.mp3\r\n"), 0);
    EXPECT_EQ(open("3\r\nC:\\c.mp3\r\n"), 0);
    EXPECT_EQ(data.songsNumber, 3);
    EXPECT_STREQ(data.paths[1], "C:\\c.mp3");
    for (int slot : {2, 3}) {
        EXPECT_STREQ(data.paths[slot], "") << "slot " << slot;
        EXPECT_STREQ(data.names[slot], "") << "slot " << slot;
    }
}

// Damages a well-formed file the ways disks, editors and other programs do:
// flipped bits, overwritten runs (line ends, NULs, end-of-file marks), cuts,
// duplicated and deleted blocks, and an extreme count in place of line 1.
std::string mutated(std::string bytes, std::mt19937 &random)
{
    auto pick = [&random](size_t below) { return below ? random() % below : 0; };
    const char *const counts[] = {"-1", "-2147483648", "2147483647", "1999", "2000", "99999999999999", "x"};
    const char runBytes[] = {'\0', '\r', '\n', '\x1a', '\\', '\xff'};
    for (int step = 1 + pick(4); step > 0 && !bytes.empty(); --step) {
        size_t at = pick(bytes.size()), length = 1 + pick(600);
        switch (pick(6)) {
        case 0: bytes[at] ^= static_cast<char>(1 << pick(8)); break;
        case 1: bytes.replace(at, length, length, runBytes[pick(sizeof(runBytes))]); break;
        case 2: bytes.resize(at); break;
        case 3: bytes.insert(at, bytes.substr(at, length)); break;
        case 4: bytes.erase(at, length); break;
        default: bytes.replace(0, bytes.find('\n'), counts[pick(7)]); break;
        }
    }
    return bytes;
}

bool terminatedWithin(const char *slot, size_t width) { return memchr(slot, '\0', width) != nullptr; }

// Every slot of both arrays must hold a terminated text whatever was read.
void expectListIsSound(const std::string &what)
{
    ASSERT_GE(data.songsNumber, 0) << what;
    ASSERT_LE(data.songsNumber, MAX_SONGS) << what;
    for (size_t slot = 0; slot < PATH_SLOTS; ++slot)
        ASSERT_TRUE(terminatedWithin(data.paths[slot], PATH_SIZE)) << what << ", path slot " << slot;
    for (size_t slot = 0; slot < NAME_SLOTS; ++slot)
        ASSERT_TRUE(terminatedWithin(data.names[slot], NAME_SIZE)) << what << ", name slot " << slot;
}

TEST_F(PlaylistFile, HostileFilesLeaveASoundListThatSurvivesASaveAndReopen)
{
    std::string wellFormed = "6\r\n";
    for (size_t length : {10, 509, 510, 511, 512, 40})
        wellFormed += "C:\\" + std::string(length - 3, static_cast<char>('a' + length % 26)) + "\r\n";
    std::string fiveThousandLines = "5000\r\n";
    for (int line = 1; line <= 5000; ++line)
        fiveThousandLines += "C:\\" + std::to_string(line) + "\r\n";
    std::vector<std::pair<std::string, std::string>> files = {
        {"no line end at all", "3"},
        {"a line of 100,000 characters", "2\r\n" + std::string(100000, 'x') + "\r\nC:\\b.mp3\r\n"},
        {"a first line of 100,000 characters", "2" + std::string(100000, ' ') + "\r\nC:\\b.mp3\r\n"},
        {"NUL bytes", std::string("2\r\nC:\\a\0b.mp3\r\n\0\0\r\nC:\\c.mp3", 26)},
        {"5,000 lines", fiveThousandLines},
    };
    std::mt19937 random(13);
    std::string junk(3000, '\0');
    for (char &byte : junk)
        byte = static_cast<char>(random());
    files.push_back({"binary junk", junk});
    for (int file = 0; file < 300; ++file)
        files.push_back({"mutation " + std::to_string(file) + " of seed 13", mutated(wellFormed, random)});

    static st1 firstRead;
    for (const auto &file : files) {
        memset(&data, 0, sizeof(data));
        ASSERT_EQ(open(file.second), 0) << file.first;
        expectListIsSound(file.first);
        firstRead = data;
        ASSERT_EQ(save(), 0) << file.first;
        ASSERT_EQ(open(), 0) << file.first;
        expectListIsSound(file.first + ", reopened");
        ASSERT_EQ(data.songsNumber, firstRead.songsNumber) << file.first;
        for (int slot = 1; slot <= data.songsNumber; ++slot) {
            ASSERT_STREQ(data.paths[slot], firstRead.paths[slot]) << file.first << ", slot " << slot;
            ASSERT_STREQ(data.names[slot], firstRead.names[slot]) << file.first << ", slot " << slot;
        }
    }
}

} // namespace
