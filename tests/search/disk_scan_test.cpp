// The disk scan on real trees of drive K: (a folder of the build mapped in
// the test prefix), made here with the Windows calls. Each test walks a
// folder of its own, except the one about the drive's root. Wine lists a
// folder's entries sorted by name, which fixes the walk's order below.
#include "background_scan.h"
#include "tag_reader.h"
#include "song_list_record.h"
#include "disk_scan.h"
#include "fmod.h"
#include "intake.h"
#include "music_names.h"
#include "printed_output.h"
#include "song_events.h"
#include "tags_read.h"

#include <gtest/gtest.h>

#include <io.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;

void makeFolder(const std::string &path, DWORD attributes = 0)
{
    CreateDirectoryA(path.c_str(), nullptr);
    if (attributes) {
        SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY);
        ASSERT_EQ(GetFileAttributesA(path.c_str()), attributes | FILE_ATTRIBUTE_DIRECTORY) << path;
    }
}

// Through the wide calls and the "\\?\" prefix, which pass the ANSI calls'
// limit of MAX_PATH characters.
void makeFile(const std::string &path)
{
    std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

void makeLongFolder(const std::string &path)
{
    std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    CreateDirectoryW(wide.c_str(), nullptr);
}

void copyMusic(const char *fixture, const std::string &path)
{
    ASSERT_TRUE(CopyFileA((std::string("fixtures\\scan\\") + fixture).c_str(), path.c_str(), FALSE)) << path;
}

Paths listedPaths()
{
    Paths paths;
    for (int slot = 1; slot <= songList.songsNumber; ++slot)
        paths.push_back(songList.paths[slot]);
    return paths;
}

class DiskScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&songList, 0, sizeof(songList));
        root = "K:\\" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
        makeFolder(root);
    }

    Paths walk()
    {
        EXPECT_EQ(exploreDirectory((root + "\\*.*").c_str(), &songList), 1);
        return listedPaths();
    }

    std::string root; // a folder of this test's own
};

TEST_F(DiskScan, FilesAreTakenByTheirKindWhateverItsCaseAndFoldersNever)
{
    makeMusicNames(root);   // Wine keeps no read-only word on a folder: see the test below
    Paths taken;
    for (const std::string &name : takenMusicNames())
        taken.push_back(root + "\\" + name);
    EXPECT_EQ(walk(), taken);
    EXPECT_STREQ(songList.names[1], bareNameOf(songList.paths[1])) << "shown by the bare name";
    EXPECT_STREQ(songList.paths[0], "") << "slot 0 stays empty";
}

TEST_F(DiskScan, TheWalkIsDepthFirstInTheSystemsOrder)
{
    for (const char *folder : {"\\b", "\\b\\c"})
        makeFolder(root + folder);
    for (const char *file : {"\\a.mp3", "\\b\\b1.mp3", "\\b\\c\\c1.mp3", "\\b\\d.mp3", "\\e.mp3"})
        makeFile(root + file);
    EXPECT_EQ(walk(), (Paths{root + "\\a.mp3", root + "\\b\\b1.mp3", root + "\\b\\c\\c1.mp3", root + "\\b\\d.mp3",
                             root + "\\e.mp3"}));
}

TEST_F(DiskScan, FoldersNamedWindowsInCapitalsAreSkippedAtEveryDepth)
{
    for (const char *folder : {"\\WINDOWS", "\\deep", "\\deep\\er", "\\deep\\er\\WINDOWS", "\\deep\\Windows", "\\winnt"})
        makeFolder(root + folder);
    for (const char *file : {"\\WINDOWS\\top.mp3", "\\deep\\er\\WINDOWS\\deep.mp3", "\\deep\\Windows\\mixed.mp3",
                             "\\winnt\\nt.mp3"})
        makeFile(root + file);
    EXPECT_EQ(walk(), (Paths{root + "\\deep\\Windows\\mixed.mp3", root + "\\winnt\\nt.mp3"}));
}

// Every folder is walked but hidden ones and reparse points, whatever else
// its attribute word says; none is ever a song.
TEST_F(DiskScan, EveryFolderButHiddenOnesAndReparsePointsIsWalked)
{
    makeFolder(root + "\\hidden", FILE_ATTRIBUTE_HIDDEN);
    makeFolder(root + "\\hidden.mp3", FILE_ATTRIBUTE_HIDDEN);
    makeFolder(root + "\\plain.mp3");
    makeFolder(root + "\\system", FILE_ATTRIBUTE_SYSTEM);
    for (const char *folder : {"\\hidden", "\\hidden.mp3", "\\plain.mp3", "\\system"})
        makeFile(root + folder + "\\inside.ogg");
    EXPECT_EQ(walk(), (Paths{root + "\\plain.mp3\\inside.ogg", root + "\\system\\inside.ogg"}));

    // Wine ignores FILE_ATTRIBUTE_READONLY set on a folder and shows it from
    // the mode bits: the fixture setup made these two read-only.
    ASSERT_EQ(GetFileAttributesA("K:\\readonly\\Locked"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    songList.songsNumber = 0;
    exploreDirectory("K:\\readonly\\*.*", &songList);
    EXPECT_EQ(listedPaths(), (Paths{"K:\\readonly\\Locked\\inside.mp3", "K:\\readonly\\locked.ogg\\inside.mp3"}));

    // Words Wine cannot put on a folder here.
    for (DWORD word : {FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_COMPRESSED, FILE_ATTRIBUTE_ENCRYPTED, FILE_ATTRIBUTE_OFFLINE,
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED})
        EXPECT_TRUE(isWalkedDirectory(FILE_ATTRIBUTE_DIRECTORY | word)) << word;
    EXPECT_FALSE(isWalkedDirectory(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_FALSE(isWalkedDirectory(FILE_ATTRIBUTE_NORMAL));
}

TEST_F(DiskScan, AFileInTheDrivesRootHasTheDriveAndOneBackslash)
{
    makeFile("K:\\root song.mp3");
    makeFolder("K:\\WINDOWS");
    makeFile("K:\\WINDOWS\\system song.mp3");
    EXPECT_EQ(exploreDirectory("K:\\*.*", &songList), 1);
    Paths paths = listedPaths();
    EXPECT_NE(std::find(paths.begin(), paths.end(), "K:\\root song.mp3"), paths.end());
    for (const std::string &path : paths)
        EXPECT_EQ(path.find("K:\\WINDOWS\\"), std::string::npos) << path;
}

TEST_F(DiskScan, WhatCannotBeOpenedIsSkippedAndTheWalkGoesOn)
{
    EXPECT_EQ(exploreDirectory("K:\\no such folder\\*.*", &songList), 0);
    EXPECT_EQ(exploreDirectory(("K:\\" + std::string(600, 'p') + "\\*.*").c_str(), &songList), 0);
    // Four folders of 100 characters: too deep for the ANSI calls.
    std::string deep = root;
    for (int level = 1; level <= 4; ++level) {
        deep += "\\" + std::string(99, static_cast<char>('a' + level)) + std::to_string(level);
        makeLongFolder(deep);
    }
    makeFile(deep + "\\deep.mp3");
    std::string longestName = std::string(NAME_SIZE - 1 - 4, 'n') + ".mp3";
    makeFile(root + "\\" + longestName);
    EXPECT_EQ(walk(), (Paths{root + "\\" + longestName}));
    EXPECT_EQ(songList.names[1], longestName) << "the longest name fits its slot whole";
}

TEST_F(DiskScan, AFullListEndsTheWalk)
{
    makeFolder(root + "\\sub");
    for (const char *file : {"\\a.mp3", "\\b.mp3", "\\sub\\c.mp3"})
        makeFile(root + file);
    songList.songsNumber = MAX_SONGS - 1; // one free slot left
    snprintf(songList.paths[MAX_SONGS + 1], PATH_SIZE, "untouched");
    walk();
    EXPECT_EQ(songList.songsNumber, MAX_SONGS);
    EXPECT_EQ(songList.paths[MAX_SONGS], root + "\\a.mp3");
    EXPECT_STREQ(songList.paths[MAX_SONGS + 1], "untouched");
    walk();
    EXPECT_EQ(songList.songsNumber, MAX_SONGS) << "a full list takes nothing more";
    EXPECT_STREQ(songList.paths[0], "");
}

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
        heard.clear();
        listenToSongList(hear, nullptr);
    }
    void TearDown() override { stopListeningToSongList(hear, nullptr); }

    // The count and the first name as each announcement finds them.
    static void hear(songListChange change, void *)
    {
        heard.push_back(std::to_string(change) + ":" + std::to_string(songList.songsNumber) + songList.names[1]);
    }

    // One drive's scan on this thread, and the tags of what it found.
    void scan(const std::string &folder)
    {
        EXPECT_EQ(searchDiskForMF((folder + "\\*.*").c_str(), &songList), 1);
        EXPECT_TRUE(waitForTags());
    }

    static std::vector<std::string> heard;
};
std::vector<std::string> DriveScan::heard;

TEST_F(DriveScan, AnnouncesTheSongsAddedThenTheNamesTheirTagsGive)
{
    copyMusic("tagged.mp3", root + "\\a tagged.mp3");
    copyMusic("plain.ogg", root + "\\b plain.ogg");
    scan(root);
    EXPECT_EQ(songList.songsNumber, 2);
    EXPECT_STREQ(songList.names[1], "Scan Artist - Scan Title");
    EXPECT_STREQ(songList.names[2], "b plain.ogg");
    EXPECT_EQ(heard, (Paths{std::to_string(SONGS_ADDED) + ":2a tagged.mp3",
                            std::to_string(NAMES_CHANGED) + ":2Scan Artist - Scan Title"}))
        << "the songs show their file names at once, and their tags' names once read";
}

TEST_F(DriveScan, DrivesAppendInTurnAndEarlierOnesAreNotReadAgain)
{
    for (const char *folder : {"\\first", "\\empty", "\\second"})
        makeFolder(root + folder);
    copyMusic("tagged.mp3", root + "\\first\\one.mp3");
    makeFile(root + "\\empty\\readme.txt");
    makeFile(root + "\\second\\two.wav");
    scan(root + "\\first");
    snprintf(songList.names[1], NAME_SIZE, "one.mp3");
    scan(root + "\\empty");
    EXPECT_EQ(songList.songsNumber, 1) << "a drive without music leaves the count as it was";
    EXPECT_STREQ(songList.names[1], "one.mp3") << "only the new songs' tags are read";
    scan(root + "\\second");
    ASSERT_EQ(songList.songsNumber, 2);
    EXPECT_EQ(songList.paths[2], root + "\\second\\two.wav");
    EXPECT_EQ(heard.size(), 4u) << "three drives added, one name changed";

    songList.songsNumber = MAX_SONGS;
    scan(root + "\\second");
    EXPECT_EQ(songList.songsNumber, MAX_SONGS) << "a full list stays at the capacity";
}

// Names the code page cannot hold: the ANSI calls show '?' for each such
// character (and best-fit letters for some Greek ones). The scan stores the
// path with the short name, which the real engine opens; the list shows the
// long name as the system gave it; a folder so named is walked through its
// short name too. A name the code page holds keeps its long form.
TEST_F(DriveScan, NamesTheCodePageCannotHoldAreStoredByTheirShortNames)
{
    std::wstring wideRoot(root.begin(), root.end());
    std::wstring fixtures = L"fixtures\\scan\\";
    ASSERT_TRUE(CopyFileW((fixtures + L"tagged.mp3").c_str(),
                          (wideRoot + L"\\\x0391\x03bb\x03c6\x03b1.mp3").c_str(), FALSE));   // Αλφα.mp3
    ASSERT_TRUE(CreateDirectoryW((wideRoot + L"\\\x65e5\x672c").c_str(), nullptr));         // 日本
    ASSERT_TRUE(CopyFileW((fixtures + L"plain.ogg").c_str(),
                          (wideRoot + L"\\\x65e5\x672c\\\x6b4c.ogg").c_str(), FALSE));       // 日本\歌.ogg
    copyMusic("plain.ogg", root + "\\caf\xE9.wav");
    scan(root);

    ASSERT_EQ(songList.songsNumber, 3);
    std::vector<std::string> shown;
    for (int slot = 1; slot <= 3; ++slot) {
        SCOPED_TRACE(songList.paths[slot]);
        EXPECT_EQ(strchr(songList.paths[slot], '?'), nullptr);
        EXPECT_NE(GetFileAttributesA(songList.paths[slot]), INVALID_FILE_ATTRIBUTES) << "the stored path opens";
        shown.push_back(songList.names[slot]);
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Paths{"?.ogg", "Scan Artist - Scan Title", "caf\xE9.wav"}))
        << "the engine read the tags through the short name";
    EXPECT_NE(std::find(songList.paths + 1, songList.paths + 4, root + "\\caf\xE9.wav"), songList.paths + 4);
}

// The walk on a thread of its own, its songs taken as the search window
// takes them, on this thread, from the messages it posts.
class BackgroundScan : public DriveScan {
protected:
    void SetUp() override
    {
        DriveScan::SetUp();
        window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        DriveScan::TearDown();
    }

    // This thread's messages until `done` holds (false at a generous bound).
    bool runUntil(std::function<bool()> done)
    {
        for (ULONGLONG end = GetTickCount64() + 120000; !done() && GetTickCount64() < end;) {
            MSG m;
            if (!PeekMessageA(&m, NULL, 0, 0, PM_REMOVE))
                MsgWaitForMultipleObjects(0, NULL, FALSE, 100, QS_ALLINPUT);
            else if (m.hwnd == window && m.message == MSG_SCAN_FOUND)
                takeFoundSongs();
            else if (m.hwnd == window && m.message == MSG_SCAN_WALKED && isRunningWalk(m.wParam))
                finishWalk();
            else
                DispatchMessageA(&m);
        }
        return done();
    }

    void scanAway()
    {
        ASSERT_TRUE(startWalk(window, root.c_str()));
        EXPECT_FALSE(startWalk(window, root.c_str())) << "one walk at a time";
        EXPECT_TRUE(runUntil([] { return !walkRunning() && tagsWaiting() == 0; }));
    }

    // `folders` folders, each with a text file and `songs` songs (the first
    // tagged); a hidden folder and a WINDOWS one hold a song each.
    void makeTree(int folders, int songs)
    {
        for (const char *skipped : {"\\WINDOWS", "\\.hidden"}) {
            makeFolder(root + skipped, skipped[1] == '.' ? FILE_ATTRIBUTE_HIDDEN : 0);
            makeFile(root + skipped + "\\no.mp3");
        }
        for (int folder = 0; folder < folders; ++folder) {
            std::string path = root + "\\f" + std::to_string(folder);
            makeFolder(path);
            makeFile(path + "\\notes.txt");
            copyMusic("tagged.mp3", path + "\\0 tagged.mp3");
            for (int song = 1; song < songs; ++song)
                makeFile(path + "\\" + std::to_string(song) + ".ogg");
        }
    }

    // Each song as "path|name".
    Paths listedSongs()
    {
        Paths songs = listedPaths();
        for (int slot = 1; slot <= songList.songsNumber; ++slot)
            songs[slot - 1] += std::string("|") + songList.names[slot];
        return songs;
    }

    HWND window = NULL;
};

TEST_F(BackgroundScan, GivesTheListOfTheScanOnThisThreadAndHoldsTheLimit)
{
    makeTree(6, 30);
    scan(root);
    Paths songs = listedSongs();
    ASSERT_EQ(songs.size(), 180u);
    EXPECT_EQ(songs[0], root + "\\f0\\0 tagged.mp3|Scan Artist - Scan Title");
    memset(&songList, 0, sizeof(songList));
    heard.clear();
    scanAway();
    EXPECT_EQ(listedSongs(), songs);
    EXPECT_EQ(heard.back().substr(0, 2), std::to_string(NAMES_CHANGED) + ":") << "names from tags are announced";
    EXPECT_EQ(currentWalkProgress().folders, 7) << "the tree and its six folders";
    EXPECT_EQ(currentWalkProgress().musicFiles, 180);

    songList.songsNumber = MAX_SONGS - 3;
    scanAway();
    EXPECT_EQ(songList.songsNumber, MAX_SONGS);
    EXPECT_EQ(listedSongs().back(), songs[2]) << "a full list takes exactly what fits";
    EXPECT_STREQ(songList.paths[MAX_SONGS + 1], "");
}

// Asked to stop, the walk ends at once: deterministically from within, and
// from this thread with what it found kept, in the walk's order.
TEST_F(BackgroundScan, CancelStopsTheWalkAndKeepsWhatWasFound)
{
    makeTree(40, 30);
    folderWalk walk = {};
    walk.handOver = [](folderWalk *w) { w->stopRequested = true; return true; };
    walkFolderTree((root + "\\*.*").c_str(), &walk);
    EXPECT_EQ(walk.musicFiles, SONG_BATCH_SIZE);
    EXPECT_EQ(walk.folders, 4) << "the tree and the three folders the first batch came from";

    scan(root);
    Paths all = listedPaths();
    memset(&songList, 0, sizeof(songList));
    ASSERT_TRUE(startWalk(window, root.c_str()));
    EXPECT_TRUE(runUntil([] { return songList.songsNumber > 0; }));
    cancelWalk();
    EXPECT_FALSE(walkRunning());
    Paths kept = listedPaths();
    ASSERT_LE(kept.size(), all.size());
    EXPECT_EQ(kept, Paths(all.begin(), all.begin() + kept.size()));
    EXPECT_TRUE(runUntil([] { return tagsWaiting() == 0; }));
    EXPECT_EQ(listedPaths(), kept) << "nothing comes after the cancel";
}

// A name read goes back only to a slot that still holds the song's path.
TEST_F(BackgroundScan, ATagNameGoesOnlyToTheSongItWasReadFor)
{
    copyMusic("tagged.mp3", root + "\\t.mp3");
    for (int slot : {1, 2}) {
        takeSong(&songList, (root + "\\t.mp3").c_str(), "t.mp3");
        readTagsLater(slot, songList.paths[slot], songList.names[slot]);
    }
    snprintf(songList.paths[2], PATH_SIZE, "%s\\other.mp3", root.c_str());     // edited meanwhile
    EXPECT_TRUE(runUntil([] { return tagsWaiting() == 0; }));
    EXPECT_STREQ(songList.names[1], "Scan Artist - Scan Title");
    EXPECT_STREQ(songList.names[2], "t.mp3");
}

// A walk held inside a folder (as by a network that does not answer) does
// not hold up the end: quit's stop of the scan comes back within its bound,
// and the walk, let go, posts nothing once it is freed. Last of the scan's
// tests: after it no walk starts in this process.
HANDLE walkHeld, walkFreed;

void holdInFirstFolder(const char *)
{
    SetEvent(walkHeld);
    WaitForSingleObject(walkFreed, 60000);
}

class WalkAtQuit : public BackgroundScan {};

TEST_F(WalkAtQuit, AHeldWalkIsLetGoWithinTheBoundAndPostsNothingAfter)
{
    makeTree(3, 2);
    walkHeld = CreateEventA(NULL, TRUE, FALSE, NULL);
    walkFreed = CreateEventA(NULL, TRUE, FALSE, NULL);
    setWalkFolderHook(holdInFirstFolder);
    ASSERT_TRUE(startWalk(window, root.c_str()));
    ASSERT_EQ(WaitForSingleObject(walkHeld, 30000), WAIT_OBJECT_0);
    ULONGLONG before = GetTickCount64();
    stopScanning();
    EXPECT_LT(GetTickCount64() - before, 1000u) << "quit has the engine and the windows still to close";
    EXPECT_FALSE(walkRunning());
    EXPECT_EQ(walkThreadsLeft(), 1) << "let go, not destroyed";
    EXPECT_FALSE(startWalk(window, root.c_str()));

    SetEvent(walkFreed);
    for (ULONGLONG end = GetTickCount64() + 30000; walkThreadsLeft() > 0 && GetTickCount64() < end;)
        Sleep(10);
    EXPECT_EQ(walkThreadsLeft(), 0);
    MSG posted;
    EXPECT_FALSE(PeekMessageA(&posted, window, 0, 0, PM_REMOVE)) << "posted after quit: " << posted.message;
    setWalkFolderHook(nullptr);
}

TEST(FixedDrives, ListsTheFixedRootsInLetterOrderWithTheDiagnosticLine)
{
    char volumes[VOLUME_ROWS][VOLUME_SIZE] = {};
    int rows = 0;
    std::string printed = printedBy([&] { rows = queryVolumes(volumes); });
    char driveList[260] = "";
    GetLogicalDriveStringsA(sizeof(driveList), driveList);
    EXPECT_EQ(printed, std::string("temp : ") + driveList + "\n\n");
    Paths expected, listed;
    for (const char *root = driveList; *root; root += strlen(root) + 1)
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            expected.push_back(root);
    for (int row = 0; row < rows; ++row)
        listed.push_back(volumes[row]);
    EXPECT_EQ(listed, expected);
    EXPECT_NE(std::find(listed.begin(), listed.end(), "K:\\"), listed.end()) << "the test drive is fixed";
}

TEST(FixedDrives, TheTableNeverOverflows)
{
    std::string twelveFixed;
    for (int drive = 0; drive < 12; ++drive)
        twelveFixed += std::string("C:\\") + '\0';
    char volumes[VOLUME_ROWS + 1][VOLUME_SIZE] = {};
    snprintf(volumes[VOLUME_ROWS], VOLUME_SIZE, "guard");
    EXPECT_EQ(pickFixedDrives(twelveFixed.c_str(), static_cast<int>(twelveFixed.size() + 1), volumes), VOLUME_ROWS);
    EXPECT_STREQ(volumes[VOLUME_ROWS], "guard");

    // Many roots before the fixed one, a root too long for a row, and a list
    // cut without its end.
    std::string many;
    DWORD mapped = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Y'; ++letter)
        if (!(mapped & (1u << (letter - 'A'))))
            many += std::string(1, letter) + ":\\" + '\0';
    ASSERT_GT(many.size(), 14u * 4);
    many += std::string("C:\\much\\too\\long\\") + '\0' + "C:\\" + '\0' + "C:\\";
    memset(volumes, 0, sizeof(volumes));
    EXPECT_EQ(pickFixedDrives(many.data(), static_cast<int>(many.size()), volumes), 1);
    EXPECT_STREQ(volumes[0], "C:\\");
}

} // namespace
