// Playlist files on the real file system of the test prefix: the bytes the
// writer produces, and what the reader makes of well-formed and malformed
// files.
#include "fmod.h"
#include "song_list_record.h"
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
    int slot = ++songList.songsNumber;
    snprintf(songList.paths[slot], PATH_SIZE, "%s", path.c_str());
    snprintf(songList.names[slot], NAME_SIZE, "%s", name);
}

class PlaylistFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&songList, 0, sizeof(songList));
        playlistWindow = createRecordingWindow();
        ASSERT_NE(playlistWindow, nullptr);
        // The playlist window answers command 15 by clearing the list.
        answerMessages([](const ReceivedMessage &message) {
            if (message.message == WM_COMMAND && message.wParam == 15)
                clearPlaylist(&songList);
        });
    }
    void TearDown() override { destroyRecordingWindow(playlistWindow); }

    int save() { return savePlaylist(&songList, FILE_PATH.c_str()); }
    int open() { return openPlaylist(&songList, FILE_PATH.c_str(), playlistWindow); }
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

    songList.songsNumber = -3;
    EXPECT_EQ(save(), 0);
    EXPECT_EQ(readBytes(FILE_PATH), "0\r\n") << "a count outside the capacity is written as what the list holds";
}

TEST_F(PlaylistFile, ReportsAFileThatWasNotWrittenWhole)
{
    addSong("C:\\a.mp3");
    EXPECT_EQ(savePlaylist(&songList, "no-such-folder\\Playlists\\Startup.m3P"), 1);
    EXPECT_EQ(GetFileAttributesA("no-such-folder"), INVALID_FILE_ATTRIBUTES) << "no folder is made";
    // /dev/full accepts the open and refuses every byte.
    FILE *device = fopen("Z:\\dev\\full", "w");
    ASSERT_NE(device, nullptr) << "the prefix's Z: drive reaches /dev/full";
    fclose(device);
    EXPECT_EQ(savePlaylist(&songList, "Z:\\dev\\full"), 1);
}

TEST_F(PlaylistFile, RoundTripKeepsPathsAndOrderAndRebuildsNames)
{
    addSong("C:\\Music\\z.mp3", "Someone - Zed");
    addSong("C:\\Music\\a.wav", "a.wav");
    addSong(u8"E:\\café\\été.ogg", u8"\\été.ogg");
    ASSERT_EQ(save(), 0);
    EXPECT_EQ(readBytes(FILE_PATH), u8"3\r\nC:\\Music\\z.mp3\r\nC:\\Music\\a.wav\r\nE:\\café\\été.ogg\r\n")
        << "UTF-8, the process code page, without a byte-order mark";
    EXPECT_EQ(open(), 0);
    ASSERT_EQ(songList.songsNumber, 3);
    EXPECT_STREQ(songList.paths[1], "C:\\Music\\z.mp3");
    EXPECT_STREQ(songList.paths[2], "C:\\Music\\a.wav");
    EXPECT_STREQ(songList.paths[3], u8"E:\\café\\été.ogg");
    EXPECT_STREQ(songList.names[1], "\\z.mp3");
    EXPECT_STREQ(songList.names[2], "\\a.wav");
    EXPECT_STREQ(songList.names[3], u8"\\été.ogg");
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
    ASSERT_EQ(songList.songsNumber, MAX_SONGS);
    EXPECT_STREQ(songList.paths[MAX_SONGS] + PATH_SIZE - 1 - 8, "1999.mp3");
    EXPECT_EQ(strlen(songList.names[1]), static_cast<size_t>(NAME_SIZE - 1)) << "the name is cut to its slot";
}

TEST_F(PlaylistFile, AFileThatCannotBeOpenedLeavesTheListAlone)
{
    addSong("C:\\keep.mp3");
    EXPECT_EQ(openPlaylist(&songList, "missing.m3P", playlistWindow), 1);
    EXPECT_TRUE(receivedMessages().empty());
    EXPECT_EQ(songList.songsNumber, 1);
    EXPECT_STREQ(songList.paths[1], "C:\\keep.mp3");
}

TEST_F(PlaylistFile, AFileThatOpensReplacesTheListWithoutAWordToTheWindow)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3\r\n"), 0);
    addSong("C:\\second.mp3");
    addSong("C:\\third.mp3");
    EXPECT_EQ(open("1\r\nC:\\new.mp3\r\n"), 0);
    EXPECT_EQ(songList.songsNumber, 1);
    EXPECT_STREQ(songList.paths[1], "C:\\new.mp3");
    EXPECT_STREQ(songList.paths[2], "") << "emptied by the clearing, not by the file";

    addSong("C:\\again.mp3");
    EXPECT_EQ(open("0\r\n"), 0);
    EXPECT_EQ(songList.songsNumber, 0) << "a file without songs replaces the list too";
    EXPECT_TRUE(receivedMessages().empty()) << "reading a file sends the playlist window nothing";
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
        {"more lines than the count: not stored", "1\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n", 1, {"C:\\a.mp3", ""}},
        {"no number on line 1", "songs\r\nC:\\a.mp3\r\nC:\\b.mp3\r\n", 0, {"", ""}},
        {"the rest of line 1", "2 songs follow\r\nC:\\a.mp3\r\n", 2, {"C:\\a.mp3"}},
        {"a line longer than a slot: refused, its song empty", "2\r\n" + longLine + "\r\nC:\\n.mp3\r\n", 2,
         {"", "C:\\n.mp3"}},
        {"a line as long as a slot", "2\r\n" + longestPath + "\r\nC:\\n.mp3\r\n", 2, {longestPath, "C:\\n.mp3"}},
        {"carriage returns before a line end or none", "2\r\nC:\\a.mp3\r\r\r\nC:\\b.mp3\r", 2, {"C:\\a.mp3", "C:\\b.mp3"}},
        {"a negative count", "-5\r\nC:\\a.mp3\r\n", 0, {""}},
        {"a byte-order mark before the count", "\xEF\xBB\xBF" "1\r\nC:\\a.mp3\r\n", 1, {"C:\\a.mp3"}},
        {"a count above the capacity", "5000\r\nC:\\a.mp3\r\n", MAX_SONGS, {"C:\\a.mp3"}},
        {"a count beyond any int", "99999999999999999999\r\n", MAX_SONGS, {""}},
    };
    for (const ReaderCase &c : cases) {
        memset(&songList, 0, sizeof(songList));
        EXPECT_EQ(open(c.bytes), 0) << c.what;
        EXPECT_EQ(songList.songsNumber, c.count) << c.what;
        for (size_t slot = 0; slot < c.slots.size(); ++slot)
            EXPECT_EQ(songList.paths[slot + 1], c.slots[slot]) << c.what << ", slot " << slot + 1;
    }
}

TEST_F(PlaylistFile, PathLinesBeyondTheCapacityAreNotStored)
{
    std::string file = "2100\n";
    for (int line = 1; line <= 2100; ++line)
        file += "C:\\song" + std::to_string(line) + ".mp3\n";
    snprintf(songList.paths[MAX_SONGS + 1], PATH_SIZE, "untouched");
    EXPECT_EQ(open(file), 0);
    EXPECT_EQ(songList.songsNumber, MAX_SONGS);
    EXPECT_STREQ(songList.paths[MAX_SONGS], "C:\\song1999.mp3");
    EXPECT_STREQ(songList.paths[MAX_SONGS + 1], "untouched");
}

TEST_F(PlaylistFile, DisplayNamesAreRebuiltWithinTheirSlot)
{
    std::string longName(300, 'n');
    snprintf(songList.names[4], NAME_SIZE, "next slot");
    EXPECT_EQ(open("3\r\nC:\\Music\\a.mp3\r\nsong.mp3\r\nC:\\" + longName + "\r\n"), 0);
    EXPECT_STREQ(songList.names[1], "\\a.mp3");
    EXPECT_STREQ(songList.names[2], "song.mp3") << "a line without a backslash is shown whole";
    EXPECT_EQ(songList.names[3], ("\\" + longName).substr(0, NAME_SIZE - 1));
    EXPECT_STREQ(songList.names[4], "next slot");
}

TEST_F(PlaylistFile, AnEarlierFilesUncountedLinesNeverComeBack)
{
    EXPECT_EQ(open("1\r\nC:\\a.mp3\r\nC:\\stale.mp3\r\n"), 0);
    EXPECT_EQ(open("3\r\nC:\\c.mp3\r\n"), 0);
    EXPECT_EQ(songList.songsNumber, 3);
    EXPECT_STREQ(songList.paths[1], "C:\\c.mp3");
    for (int slot : {2, 3}) {
        EXPECT_STREQ(songList.paths[slot], "") << "slot " << slot;
        EXPECT_STREQ(songList.names[slot], "") << "slot " << slot;
    }
}

// Lists of other players, and files of an earlier version, as a user has
// them: each file's bytes and the full paths they give, in order. Names in
// Greek, Cyrillic, Japanese and an emoji; one file in the legacy code page.
TEST_F(PlaylistFile, EveryKindIsReadIntoFullLocalPathsInTheProcessCodePage)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    const std::string folder = std::string(temp) + "kelvoria-lists";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string here = folder + "\\";
    struct listCase {
        const char *name;
        std::string bytes;
        std::vector<std::string> paths;
    };
    const std::vector<listCase> cases = {
        {"mixed.m3u8",
         u8"#EXTM3U\r\n#EXTINF:123,Άλφα - Τραγούδι\r\nΆλφα/τραγούδι.FLAC\r\n  C:\\Music\\日本語.mp3  \r\n"
         "https://radio.example/stream.mp3\r\nfile:///C:/Music/tune%20%F0%9F%8E%B5.ogg\r\nnotes.txt\r\n\r\n"
         "file://server/share/x.opus\r\n..\\..\\..\\..\\..\\..\\..\\..\\climb.mp3\n#last\n",
         {here + u8"Άλφα\\τραγούδι.FLAC", u8"C:\\Music\\日本語.mp3", u8"C:\\Music\\tune 🎵.ogg",
          "\\\\server\\share\\x.opus", "C:\\climb.mp3"}},
        {"legacy.m3u", "C:\\Beyonc\xE9.mp3\r\nsub\\Caf\xE9.wav", {u8"C:\\Beyoncé.mp3", here + u8"sub\\Café.wav"}},
        {"marked.m3u", u8"\xEF\xBB\xBF" u8"Кириллица.wav\r\n", {here + u8"Кириллица.wav"}},
        {"numbered.pls", "[playlist]\r\nFile2=b.mp3\r\nfile1 = a.m4a\r\nTitle1=A\r\nFile10=c.Opus\r\nNumberOfEntries=3\r\n",
         {here + "a.m4a", here + "b.mp3", here + "c.Opus"}},
        {"older.m3P", "1\r\nC:\\Beyonc\xE9.mp3\r\n", {u8"C:\\Beyoncé.mp3"}},
        {"newer.m3P", u8"1\r\nC:\\Ωμέγα.mp3\r\n", {u8"C:\\Ωμέγα.mp3"}},
    };
    for (const listCase &c : cases) {
        SCOPED_TRACE(c.name);
        memset(&songList, 0, sizeof(songList));
        writeBytes(here + c.name, c.bytes);
        EXPECT_EQ(openPlaylist(&songList, (here + c.name).c_str(), playlistWindow), 0);
        std::vector<std::string> paths(songList.paths + 1, songList.paths + 1 + songList.songsNumber);
        EXPECT_EQ(paths, c.paths);
        if (songList.songsNumber > 0) {
            EXPECT_STREQ(songList.names[1], strrchr(songList.paths[1], '\\'));
        }
    }
}

// The save dialog's second kind: extended M3U in UTF-8, the length when the
// engine can tell it (-1 otherwise) and the display name, then the path.
TEST_F(PlaylistFile, M3u8IsWrittenAsExtendedM3uThatReadsBackTheSame)
{
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    FSOUND_Init(44100, 32, 0);
    char tagged[MAX_PATH];
    GetFullPathNameA("fixtures\\engine\\tagged.mp3", sizeof(tagged), tagged, nullptr);
    addSong(tagged, "Zoë Müller - Café Olé");
    addSong(u8"C:\\Музыка\\песня.flac", u8"\\песня.flac");
    EXPECT_EQ(savePlaylist(&songList, "written.m3u8"), 0);
    FSOUND_Close();
    EXPECT_EQ(readBytes("written.m3u8"), std::string("#EXTM3U\r\n#EXTINF:5,Zoë Müller - Café Olé\r\n") + tagged +
                                             u8"\r\n#EXTINF:-1,песня.flac\r\nC:\\Музыка\\песня.flac\r\n");
    memset(&songList, 0, sizeof(songList));
    EXPECT_EQ(openPlaylist(&songList, "written.m3u8", playlistWindow), 0);
    ASSERT_EQ(songList.songsNumber, 2);
    EXPECT_STREQ(songList.paths[1], tagged);
    EXPECT_STREQ(songList.paths[2], u8"C:\\Музыка\\песня.flac");
    EXPECT_EQ(savePlaylist(&songList, "read-only kind.pls"), 1) << "a kind that is only read is never written";
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
    ASSERT_GE(songList.songsNumber, 0) << what;
    ASSERT_LE(songList.songsNumber, MAX_SONGS) << what;
    for (size_t slot = 0; slot < PATH_SLOTS; ++slot)
        ASSERT_TRUE(terminatedWithin(songList.paths[slot], PATH_SIZE)) << what << ", path slot " << slot;
    for (size_t slot = 0; slot < NAME_SLOTS; ++slot)
        ASSERT_TRUE(terminatedWithin(songList.names[slot], NAME_SIZE)) << what << ", name slot " << slot;
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

    // Other players' kinds get the same files and their own worst: a list
    // that names itself, a megabyte line, invalid UTF-8, 10,000 entries and
    // paths that climb above the root.
    std::string tenThousand = "[playlist]\n";
    for (int entry = 1; entry <= 10000; ++entry)
        tenThousand += "File" + std::to_string(entry) + "=..\\..\\..\\..\\" + std::to_string(entry) + ".mp3\n";
    const std::vector<std::string> others = {"self.m3u\r\nself.m3u8\r\n" + std::string(1 << 20, 'z') + ".mp3\r\n",
                                             "\xC3\x28.mp3\n\xF0\x9F.ogg\nok.wav", tenThousand,
                                             std::string("a\0b.mp3\r\n\0\0", 12)};
    for (const char *kind : {"self.m3u", "self.m3u8", "self.pls"}) {
        for (const std::string &bytes : others) {
            memset(&songList, 0, sizeof(songList));
            writeBytes(kind, bytes);
            ASSERT_EQ(openPlaylist(&songList, kind, playlistWindow), 0) << kind;
            expectListIsSound(kind);
        }
    }

    static st1 firstRead;
    for (const auto &file : files) {
        memset(&songList, 0, sizeof(songList));
        ASSERT_EQ(open(file.second), 0) << file.first;
        expectListIsSound(file.first);
        firstRead = data;
        ASSERT_EQ(save(), 0) << file.first;
        ASSERT_EQ(open(), 0) << file.first;
        expectListIsSound(file.first + ", reopened");
        ASSERT_EQ(songList.songsNumber, firstRead.songsNumber) << file.first;
        for (int slot = 1; slot <= songList.songsNumber; ++slot) {
            ASSERT_STREQ(songList.paths[slot], firstRead.paths[slot]) << file.first << ", slot " << slot;
            ASSERT_STREQ(songList.names[slot], firstRead.names[slot]) << file.first << ", slot " << slot;
        }
    }
}

} // namespace
