// The disk scan on real trees of drive K: (a folder of the build mapped in
// the test prefix), made here with the Windows calls. Each test walks a
// folder of its own, except the one about the drive's root. Wine lists a
// folder's entries sorted by name, which fixes the walk's order below.
#include "disk_scan.h"
#include "fmod.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

void makeFolder(const std::string &path, DWORD attributes = 0)
{
    CreateDirectoryA(path.c_str(), nullptr);
    if (attributes) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY)) << path;
        ASSERT_EQ(GetFileAttributesA(path.c_str()), attributes | FILE_ATTRIBUTE_DIRECTORY) << path;
    }
}

void makeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

void copyMusic(const char *fixture, const std::string &path)
{
    std::string from = std::string("fixtures\\scan\\") + fixture;
    ASSERT_TRUE(CopyFileA(from.c_str(), path.c_str(), FALSE)) << path;
}

// The songs appended so far, under the count convention of the walk:
// songsNumber names the first free slot.
std::vector<std::string> pathsDuringWalk()
{
    std::vector<std::string> paths;
    for (int slot = 1; slot < data.songsNumber; ++slot)
        paths.push_back(data.paths[slot]);
    return paths;
}

std::vector<std::string> sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

class DiskScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&data, 0, sizeof(data));
        data.songsNumber = 1; // raised by the search window before a drive's walk
    }

    // A fresh folder K:\<test name>, and its scan pattern.
    std::string folder()
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string path = "K:\\" + name;
        makeFolder(path);
        return path;
    }
    static std::string patternOf(const std::string &folder) { return folder + "\\*.*"; }
};

// ---- which entries are taken ----

TEST_F(DiskScan, FilesAreTakenByACaseSensitiveSubstringTest)
{
    std::string root = folder();
    for (const char *name : {"a.mp3", "b.wav", "c.wma", "d.ogg", "Song.MP3", "e.Ogg", "a.mp3.txt", "mix.wav.bak",
                             "track.mp3.lnk", "x.lnk.ogg", "notes.txt", "mp3", "ogg files"})
        makeFile(root + "\\" + name);
    EXPECT_EQ(exploreDirectory(patternOf(root).c_str(), &data), 1);
    EXPECT_EQ(pathsDuringWalk(), (std::vector<std::string>{root + "\\a.mp3", root + "\\a.mp3.txt", root + "\\b.wav",
                                                           root + "\\c.wma", root + "\\d.ogg",
                                                           root + "\\mix.wav.bak"}));
}

TEST_F(DiskScan, SongsAreStoredWithFullPathAndBareName)
{
    std::string root = folder();
    makeFolder(root + "\\Album");
    makeFile(root + "\\Album\\01 First.mp3");
    exploreDirectory(patternOf(root).c_str(), &data);
    ASSERT_EQ(data.songsNumber, 2);
    EXPECT_EQ(std::string(data.paths[1]), root + "\\Album\\01 First.mp3");
    EXPECT_STREQ(data.names[1], "01 First.mp3");
    EXPECT_STREQ(data.paths[0], "") << "slot 0 stays empty";
}

TEST_F(DiskScan, TheWalkIsDepthFirstInTheSystemsOrder)
{
    std::string root = folder();
    makeFile(root + "\\a.mp3");
    makeFolder(root + "\\b");
    makeFile(root + "\\b\\b1.mp3");
    makeFolder(root + "\\b\\c");
    makeFile(root + "\\b\\c\\c1.mp3");
    makeFile(root + "\\b\\d.mp3");
    makeFile(root + "\\e.mp3");
    exploreDirectory(patternOf(root).c_str(), &data);
    EXPECT_EQ(pathsDuringWalk(), (std::vector<std::string>{root + "\\a.mp3", root + "\\b\\b1.mp3",
                                                           root + "\\b\\c\\c1.mp3", root + "\\b\\d.mp3",
                                                           root + "\\e.mp3"}));
}

TEST_F(DiskScan, FoldersNamedWindowsInCapitalsAreSkippedAtEveryDepth)
{
    std::string root = folder();
    makeFolder(root + "\\WINDOWS");
    makeFile(root + "\\WINDOWS\\top.mp3");
    makeFolder(root + "\\deep");
    makeFolder(root + "\\deep\\er");
    makeFolder(root + "\\deep\\er\\WINDOWS");
    makeFile(root + "\\deep\\er\\WINDOWS\\deep.mp3");
    makeFolder(root + "\\deep\\Windows");
    makeFile(root + "\\deep\\Windows\\mixed.mp3");
    makeFolder(root + "\\winnt");
    makeFile(root + "\\winnt\\nt.mp3");
    exploreDirectory(patternOf(root).c_str(), &data);
    EXPECT_EQ(sorted(pathsDuringWalk()),
              (std::vector<std::string>{root + "\\deep\\Windows\\mixed.mp3", root + "\\winnt\\nt.mp3"}));
}

TEST_F(DiskScan, OnlyPlainAndSystemFoldersAreWalked)
{
    std::string root = folder();
    makeFolder(root + "\\hidden", FILE_ATTRIBUTE_HIDDEN);
    makeFile(root + "\\hidden\\inside.mp3");
    makeFolder(root + "\\system", FILE_ATTRIBUTE_SYSTEM);
    makeFile(root + "\\system\\inside.mp3");
    makeFolder(root + "\\plain");
    makeFile(root + "\\plain\\inside.mp3");
    exploreDirectory(patternOf(root).c_str(), &data);
    EXPECT_EQ(sorted(pathsDuringWalk()),
              (std::vector<std::string>{root + "\\plain\\inside.mp3", root + "\\system\\inside.mp3"}));
}

TEST_F(DiskScan, AnUnwalkedFolderWithAMusicNameIsTakenForASong)
{
    std::string root = folder();
    makeFolder(root + "\\hidden.mp3", FILE_ATTRIBUTE_HIDDEN);
    makeFile(root + "\\hidden.mp3\\inside.ogg");
    makeFolder(root + "\\walked.mp3");
    makeFile(root + "\\walked.mp3\\inside.ogg");
    exploreDirectory(patternOf(root).c_str(), &data);
    EXPECT_EQ(pathsDuringWalk(),
              (std::vector<std::string>{root + "\\hidden.mp3", root + "\\walked.mp3\\inside.ogg"}));
}

TEST_F(DiskScan, ReadOnlyFoldersAreNotWalked)
{
    // Made read-only by the fixture setup, through the folders' mode bits.
    ASSERT_EQ(GetFileAttributesA("K:\\readonly\\Locked"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    exploreDirectory("K:\\readonly\\*.*", &data);
    EXPECT_EQ(pathsDuringWalk(), (std::vector<std::string>{"K:\\readonly\\locked.ogg"}));
}

TEST(WalkedDirectory, AnyFurtherAttributeBitMakesAFolderAFile)
{
    // Words that Wine cannot put on a folder of this machine: archive and
    // junctions among them.
    EXPECT_TRUE(isWalkedDirectory(0x10));
    EXPECT_TRUE(isWalkedDirectory(0x14));
    EXPECT_FALSE(isWalkedDirectory(0x11));
    EXPECT_FALSE(isWalkedDirectory(0x12));
    EXPECT_FALSE(isWalkedDirectory(0x16));
    EXPECT_FALSE(isWalkedDirectory(0x30));
    EXPECT_FALSE(isWalkedDirectory(0x410));
    EXPECT_FALSE(isWalkedDirectory(0x20));
    EXPECT_FALSE(isWalkedDirectory(0x80));
}

// ---- the drive's root ----

TEST_F(DiskScan, AFileInTheRootHasTheDriveAndOneBackslash)
{
    makeFile("K:\\root song.mp3");
    makeFolder("K:\\WINDOWS");
    makeFile("K:\\WINDOWS\\system song.mp3");
    EXPECT_EQ(exploreDirectory("K:\\*.*", &data), 1);
    std::vector<std::string> paths = pathsDuringWalk();
    EXPECT_NE(std::find(paths.begin(), paths.end(), "K:\\root song.mp3"), paths.end());
    for (const std::string &path : paths)
        EXPECT_EQ(path.find("K:\\WINDOWS\\"), std::string::npos) << path;
}

// ---- failures and limits ----

TEST_F(DiskScan, APatternThatCannotBeOpenedAddsNothing)
{
    EXPECT_EQ(exploreDirectory("K:\\no such folder\\*.*", &data), 0);
    EXPECT_EQ(data.songsNumber, 1);
    EXPECT_EQ(exploreDirectory(("K:\\" + std::string(600, 'p') + "\\*.*").c_str(), &data), 0);
}

TEST_F(DiskScan, AFullListEndsTheWalk)
{
    std::string root = folder();
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
        makeFile(root + "\\" + name);
    makeFolder(root + "\\sub");
    makeFile(root + "\\sub\\d.mp3");
    data.songsNumber = MAX_SONGS; // 1,998 songs: one free slot
    snprintf(data.paths[MAX_SONGS + 1], PATH_SIZE, "untouched");
    snprintf(data.names[MAX_SONGS], NAME_SIZE, "stale");
    EXPECT_EQ(exploreDirectory(patternOf(root).c_str(), &data), 1);
    EXPECT_EQ(data.songsNumber, MAX_SONGS + 1);
    EXPECT_EQ(std::string(data.paths[MAX_SONGS]), root + "\\a.mp3");
    EXPECT_STREQ(data.names[MAX_SONGS], "a.mp3");
    EXPECT_STREQ(data.paths[MAX_SONGS + 1], "untouched");
}

// Made with the wide calls and the "\\?\" prefix, which pass the ANSI
// calls' limit of MAX_PATH characters.
void makeLongFolder(const std::string &path)
{
    std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    CreateDirectoryW(wide.c_str(), nullptr);
}

void makeLongFile(const std::string &path)
{
    std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

TEST_F(DiskScan, AFolderTooDeepToOpenIsSkippedAndTheWalkGoesOn)
{
    std::string root = folder();
    std::string path = root;
    for (int level = 1; level <= 4; ++level) {
        path += "\\" + std::string(99, static_cast<char>('a' + level)) + std::to_string(level);
        makeLongFolder(path);
    }
    makeLongFile(path + "\\deep.mp3");
    makeFile(root + "\\z after.mp3");
    exploreDirectory(patternOf(root).c_str(), &data);
    EXPECT_EQ(pathsDuringWalk(), (std::vector<std::string>{root + "\\z after.mp3"}));
}

TEST_F(DiskScan, TheLongestFileNameIsStoredWhole)
{
    std::string root = folder();
    std::string name = std::string(NAME_SIZE - 1 - 4, 'n') + ".mp3";
    makeLongFile(root + "\\" + name);
    exploreDirectory(patternOf(root).c_str(), &data);
    ASSERT_EQ(data.songsNumber, 2);
    EXPECT_EQ(std::string(data.names[1]), name);
    EXPECT_EQ(std::string(data.paths[1]), root + "\\" + name);
}

TEST_F(DiskScan, AListWithoutAFreeSlotMarkIsNotWritten)
{
    std::string root = folder();
    makeFile(root + "\\a.mp3");
    data.songsNumber = 0; // not raised: slot 0 must stay empty
    exploreDirectory(patternOf(root).c_str(), &data);
    EXPECT_EQ(data.songsNumber, 0);
    EXPECT_STREQ(data.paths[0], "");
}

// ---- one drive's scan ----

class DriveScan : public DiskScan {
protected:
    static void SetUpTestSuite()
    {
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    }
    static void TearDownTestSuite() { FSOUND_Close(); }

    void SetUp() override
    {
        DiskScan::SetUp();
        playlistWindow = createRecordingWindow();
        ASSERT_NE(playlistWindow, nullptr);
    }
    void TearDown() override { destroyRecordingWindow(playlistWindow); }

    HWND playlistWindow = nullptr;
};

TEST_F(DriveScan, PutsTheCountBackReadsTagsAndRefillsThePlaylistWindow)
{
    std::string root = folder();
    copyMusic("tagged.mp3", root + "\\a tagged.mp3");
    copyMusic("plain.ogg", root + "\\b plain.ogg");
    int songsAtRefill = -1;
    std::string nameAtRefill;
    answerMessages([&](const ReceivedMessage &) {
        songsAtRefill = data.songsNumber;
        nameAtRefill = data.names[1];
    });
    EXPECT_EQ(searchDiskForMF(patternOf(root).c_str(), &data, playlistWindow), 1);
    EXPECT_EQ(data.songsNumber, 2);
    EXPECT_STREQ(data.names[1], "Scan Artist - Scan Title");
    EXPECT_STREQ(data.names[2], "b plain.ogg");
    ASSERT_EQ(receivedMessages().size(), 1u);
    EXPECT_EQ(receivedMessages()[0].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(receivedMessages()[0].wParam, 0u);
    EXPECT_EQ(receivedMessages()[0].lParam, 0);
    EXPECT_EQ(songsAtRefill, 2) << "the count is put back before the refill";
    EXPECT_EQ(nameAtRefill, "Scan Artist - Scan Title") << "the tags are read before the refill";
}

TEST_F(DriveScan, ADriveWithoutMusicLeavesTheCountAsItWas)
{
    std::string root = folder();
    makeFile(root + "\\readme.txt");
    data.songsNumber = 0;
    ++data.songsNumber;
    searchDiskForMF(patternOf(root).c_str(), &data, playlistWindow);
    EXPECT_EQ(data.songsNumber, 0);
    EXPECT_EQ(receivedMessages().size(), 1u);
}

TEST_F(DriveScan, ASecondDriveAppendsAfterTheFirstAndRelabelsBoth)
{
    std::string first = folder() + "\\first";
    std::string second = folder() + "\\second";
    makeFolder(first);
    makeFolder(second);
    copyMusic("tagged.mp3", first + "\\one.mp3");
    makeFile(second + "\\two.wav");
    data.songsNumber = 0;
    ++data.songsNumber;
    searchDiskForMF(patternOf(first).c_str(), &data, playlistWindow);
    snprintf(data.names[1], NAME_SIZE, "one.mp3"); // as if shown bare again
    ++data.songsNumber;
    searchDiskForMF(patternOf(second).c_str(), &data, playlistWindow);
    ASSERT_EQ(data.songsNumber, 2);
    EXPECT_EQ(std::string(data.paths[1]), first + "\\one.mp3");
    EXPECT_EQ(std::string(data.paths[2]), second + "\\two.wav");
    EXPECT_STREQ(data.names[1], "Scan Artist - Scan Title") << "earlier drives are read again";
    EXPECT_EQ(receivedMessages().size(), 2u);
}

TEST_F(DriveScan, AFullListEndsWithTheCapacity)
{
    std::string root = folder();
    makeFile(root + "\\a.mp3");
    makeFile(root + "\\b.mp3");
    data.songsNumber = MAX_SONGS + 1; // the list is full
    searchDiskForMF(patternOf(root).c_str(), &data, playlistWindow);
    EXPECT_EQ(data.songsNumber, MAX_SONGS);
}

// ---- fixed drives ----

// Runs `action` with the process's standard output going to a file, and
// returns what it printed.
template <typename Action> std::string printedBy(Action action)
{
    fflush(stdout);
    int saved = _dup(1);
    FILE *capture = fopen("scan-stdout.txt", "w");
    _dup2(_fileno(capture), 1);
    action();
    fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    fclose(capture);
    std::string printed;
    FILE *file = fopen("scan-stdout.txt", "rb");
    char chunk[512];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        printed.append(chunk, got);
    fclose(file);
    return printed;
}

TEST(FixedDrives, ListsTheFixedRootsInLetterOrderWithTheDiagnosticLine)
{
    char volumes[VOLUME_ROWS][VOLUME_SIZE];
    memset(volumes, 0, sizeof(volumes));
    int rows = 0;
    std::string printed = printedBy([&] { rows = queryVolumes(volumes); });

    char driveList[260] = "";
    GetLogicalDriveStringsA(sizeof(driveList), driveList);
    printed.erase(std::remove(printed.begin(), printed.end(), '\r'), printed.end()); // text-mode line ends
    EXPECT_EQ(printed, std::string("temp : ") + driveList + "\n\n");

    std::vector<std::string> expected;
    for (const char *root = driveList; *root; root += strlen(root) + 1)
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            expected.push_back(root);
    ASSERT_EQ(rows, static_cast<int>(expected.size()));
    EXPECT_NE(std::find(expected.begin(), expected.end(), "K:\\"), expected.end()) << "the test drive is fixed";
    for (int row = 0; row < rows; ++row)
        EXPECT_EQ(volumes[row], expected[row]);
}

TEST(FixedDrives, MoreThanTenFixedDrivesFillTenRows)
{
    std::string list;
    for (int drive = 0; drive < 12; ++drive)
        list += std::string("C:\\") + '\0';
    list += '\0';
    char volumes[VOLUME_ROWS + 1][VOLUME_SIZE];
    memset(volumes, 0, sizeof(volumes));
    snprintf(volumes[VOLUME_ROWS], VOLUME_SIZE, "guard");
    EXPECT_EQ(pickFixedDrives(list.data(), static_cast<int>(list.size()), volumes), VOLUME_ROWS);
    EXPECT_STREQ(volumes[VOLUME_ROWS - 1], "C:\\");
    EXPECT_STREQ(volumes[VOLUME_ROWS], "guard");
}

TEST(FixedDrives, AFixedDriveAfterManyOtherRootsIsStillFound)
{
    DWORD mapped = GetLogicalDrives();
    std::string list;
    int others = 0;
    for (char letter = 'D'; letter <= 'Y'; ++letter)
        if (!(mapped & (1u << (letter - 'A')))) {
            list += std::string(1, letter) + ":\\" + '\0';
            ++others;
        }
    ASSERT_GT(others, 14);
    list += std::string("C:\\") + '\0' + "C:\\much\\too\\long\\" + '\0' + '\0';
    char volumes[VOLUME_ROWS][VOLUME_SIZE];
    memset(volumes, 0, sizeof(volumes));
    EXPECT_EQ(pickFixedDrives(list.data(), static_cast<int>(list.size()), volumes), 1);
    EXPECT_STREQ(volumes[0], "C:\\");
}

TEST(FixedDrives, AListWithoutItsEndIsReadOnlyToItsLength)
{
    const char list[] = {'C', ':', '\\', '\0', 'C', ':', '\\'};
    char volumes[VOLUME_ROWS][VOLUME_SIZE];
    memset(volumes, 0, sizeof(volumes));
    EXPECT_EQ(pickFixedDrives(list, sizeof(list), volumes), 1);
}

} // namespace
