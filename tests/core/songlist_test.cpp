// Adding the files chosen in the open dialog, and emptying the list.
#include "fake_fmod.h"
#include "song_list_record.h"
#include "music_names.h"
#include "intake.h"
#include "song_events.h"
#include "songlist.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

// The open dialog's result: texts separated by NULs, ending with two NULs.
std::string selection(std::initializer_list<std::string> texts)
{
    std::string joined;
    for (const std::string &text : texts)
        joined += text + '\0';
    return joined + '\0';
}

int load(st1 *list, const std::string &texts)
{
    std::string buffer = texts; // loadSongs takes a writable buffer
    return loadSongs(list, &buffer[0]);
}

class SongList : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&songList, 0, sizeof(songList));
        fake_fmod::reset();
    }

    // Fills the list to `count` songs without going through loadSongs.
    static void fillTo(int count)
    {
        for (int slot = songList.songsNumber + 1; slot <= count; ++slot) {
            snprintf(songList.paths[slot], PATH_SIZE, "C:\\fill\\%d.mp3", slot);
            snprintf(songList.names[slot], NAME_SIZE, "%d.mp3", slot);
        }
        songList.songsNumber = count;
    }
};

TEST_F(SongList, ASingleChosenFileIsShownFromItsLastBackslash)
{
    EXPECT_EQ(load(&songList, selection({"C:\\Music\\a.mp3"})), 1);
    EXPECT_STREQ(songList.paths[1], "C:\\Music\\a.mp3");
    EXPECT_STREQ(songList.names[1], "\\a.mp3");
    EXPECT_STREQ(songList.paths[0], "");
    EXPECT_STREQ(songList.names[0], "");
}

TEST_F(SongList, SeveralChosenFilesAreJoinedToTheirDirectoryAndShownBare)
{
    fillTo(3);
    EXPECT_EQ(load(&songList, selection({"C:\\Music", "a.mp3", "b.ogg"})), 5);
    EXPECT_STREQ(songList.paths[4], "C:\\Music\\a.mp3");
    EXPECT_STREQ(songList.paths[5], "C:\\Music\\b.ogg");
    EXPECT_STREQ(songList.names[4], "a.mp3");
    EXPECT_STREQ(songList.names[5], "b.ogg");
    EXPECT_STREQ(songList.paths[3], "C:\\fill\\3.mp3"); // earlier songs untouched

    EXPECT_EQ(load(&songList, selection({"E:\\", "root.wav"})), 6);
    EXPECT_STREQ(songList.paths[6], "E:\\\\root.wav"); // a drive root gives two backslashes, kept as they are
}

// Nothing after the first text means one full path, whatever that path
// holds: a folder named like a music file is a folder all the same.
TEST_F(SongList, TheShapeIsToldByTheDialogsConventionAndEveryNameByItsKind)
{
    EXPECT_EQ(load(&songList, selection({"D:\\old.ogg files", "a.mp3", "b.Flac"})), 2);
    EXPECT_STREQ(songList.paths[1], "D:\\old.ogg files\\a.mp3");
    EXPECT_STREQ(songList.paths[2], "D:\\old.ogg files\\b.Flac");
    EXPECT_EQ(load(&songList, std::string(2, '\0')), 2); // an empty selection adds nothing

    for (const musicName &entry : musicNames) {
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;   // the dialog gives files
        SCOPED_TRACE(entry.name);
        memset(&songList, 0, sizeof(songList));
        std::string single = std::string("C:\\x.mp3s\\") + entry.name;
        EXPECT_EQ(load(&songList, selection({single})), entry.taken ? 1 : 0) << "chosen alone";
        EXPECT_EQ(load(&songList, selection({"C:\\x.mp3s", entry.name})), entry.taken ? 2 : 0) << "chosen with others";
        if (entry.taken) {
            EXPECT_EQ(songList.names[1], "\\" + std::string(entry.name));
            EXPECT_STREQ(songList.names[2], entry.name);
        }
    }
}

TEST_F(SongList, APathWithoutBackslashIsItsOwnDisplayName)
{
    EXPECT_EQ(load(&songList, selection({"song.wma"})), 1);
    EXPECT_STREQ(songList.paths[1], "song.wma");
    EXPECT_STREQ(songList.names[1], "song.wma");
}

TEST_F(SongList, AdditionsStopAtCapacityAndWhatDoesNotFitIsLeftOut)
{
    fillTo(MAX_SONGS - 2);
    EXPECT_EQ(load(&songList, selection({"C:\\M", "1.mp3", "2.mp3", "3.mp3", "4.mp3"})), MAX_SONGS);
    EXPECT_STREQ(songList.paths[MAX_SONGS], "C:\\M\\2.mp3");
    EXPECT_STREQ(songList.names[MAX_SONGS], "2.mp3");
    EXPECT_STREQ(songList.paths[MAX_SONGS + 1], ""); // the path table's spare slots stay unused

    EXPECT_EQ(load(&songList, selection({"C:\\M\\5.mp3"})), MAX_SONGS);
    EXPECT_EQ(load(&songList, selection({"C:\\M", "6.mp3"})), MAX_SONGS);
    EXPECT_STREQ(songList.paths[MAX_SONGS + 1], "");
    EXPECT_STREQ(songList.names[MAX_SONGS], "2.mp3");
}

TEST_F(SongList, PathsLongerThanASlotAreRefusedNotCut)
{
    const std::string directory = "C:\\" + std::string(500, 'd');  // 503 characters
    const std::string fits = std::string(3, 'f') + ".mp3";          // joined: 503 + 1 + 7 = 511
    const std::string tooLong = std::string(4, 'g') + ".mp3";       // joined: 512
    EXPECT_EQ(load(&songList, selection({directory, tooLong, fits, tooLong})), 1);
    EXPECT_EQ(songList.paths[1], directory + "\\" + fits);
    EXPECT_STREQ(songList.names[1], fits.c_str());

    const std::string single511 = directory + "\\" + fits;
    const std::string single512 = directory + "\\" + tooLong;
    EXPECT_EQ(load(&songList, selection({single512})), 1);
    EXPECT_EQ(load(&songList, selection({single511})), 2);
    EXPECT_EQ(songList.paths[2], single511);
    EXPECT_STREQ(songList.names[2], ("\\" + fits).c_str());
}

TEST_F(SongList, LongDisplayNamesAreCutToTheirSlot)
{
    const std::string file255 = std::string(251, 'n') + ".mp3";
    memset(songList.names[2], 'x', NAME_SIZE - 1); // what follows slot 1 must not be overwritten
    EXPECT_EQ(load(&songList, selection({"C:\\" + file255})), 1);
    EXPECT_EQ(std::string(songList.names[1]), ("\\" + file255).substr(0, NAME_SIZE - 1));
    EXPECT_EQ(songList.names[2][0], 'x');

    memset(&songList, 0, sizeof(songList));
    const std::string file300 = std::string(296, 'm') + ".ogg";
    EXPECT_EQ(load(&songList, selection({"C:\\M", file300, "next.ogg"})), 2);
    EXPECT_EQ(std::string(songList.names[1]), file300.substr(0, NAME_SIZE - 1));
    EXPECT_STREQ(songList.names[2], "next.ogg");
    EXPECT_EQ(songList.paths[1], "C:\\M\\" + file300);
}

// A list control stand-in that notes whether the sound had been stopped
// when it was asked to empty itself.
int resetsSeen;
int stopsBeforeReset;

// Stands in for the playlist window, which empties its rows when it hears
// that the list was cleared.
void countClears(songListChange change, void *)
{
    if (change == LIST_CLEARED) {
        ++resetsSeen;
        stopsBeforeReset = fake_fmod::countCalls("StopSound(0)");
    }
}

class ClearList : public SongList {
protected:
    void SetUp() override
    {
        SongList::SetUp();
        ASSERT_TRUE(listenToSongList(countClears, nullptr));
        resetsSeen = 0;
        stopsBeforeReset = -1;
    }
    void TearDown() override { stopListeningToSongList(countClears, nullptr); }
};

TEST_F(ClearList, AnEmptyListIsLeftAloneAndTheSongPlaysOn)
{
    songList.currentSong = 4;
    clearPlaylist(&songList);
    EXPECT_TRUE(fake_fmod::calls().empty());
    EXPECT_EQ(resetsSeen, 0);
    EXPECT_EQ(songList.currentSong, 4);
}

TEST_F(ClearList, ANonEmptyListEmptiesEverySlotAndSaysSo)
{
    fillTo(5);
    songList.currentSong = 3;
    songList.shuffle = 1;
    songList.restart = true;

    clearPlaylist(&songList);

    // The transport, which listens, stops the sound; the list touches no engine.
    EXPECT_TRUE(fake_fmod::calls().empty());
    EXPECT_EQ(resetsSeen, 1);
    EXPECT_EQ(songList.songsNumber, 0);
    for (int slot = 0; slot <= 5; ++slot) {
        EXPECT_STREQ(songList.paths[slot], "") << slot;
        EXPECT_STREQ(songList.names[slot], "") << slot;
    }
    // The rest of the record, the current song included, is kept.
    EXPECT_EQ(songList.currentSong, 3);
    EXPECT_EQ(songList.shuffle, 1);
    EXPECT_TRUE(songList.restart);
}

TEST_F(ClearList, AClearedListFillsAgainFromSlotOne)
{
    fillTo(MAX_SONGS);
    clearPlaylist(&songList);
    EXPECT_STREQ(songList.paths[MAX_SONGS], "");
    EXPECT_EQ(load(&songList, selection({"C:\\new.mp3"})), 1);
    EXPECT_STREQ(songList.paths[1], "C:\\new.mp3");
}

} // namespace
