// Relabelling songs from their TITLE and ARTIST fields, against the
// scripted engine.
#include "fake_fmod.h"
#include "transport.h"
#include "song_list_record.h"
#include "tags.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

class Tags : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&songList, 0, sizeof(songList));
        fake_fmod::reset();
    }

    // Adds a song that opens, with the display name it entered the list with.
    static std::string addSong(const std::string &name)
    {
        int slot = ++songList.songsNumber;
        std::string path = "C:\\Music\\" + std::to_string(slot) + ".mp3";
        snprintf(songList.paths[slot], PATH_SIZE, "%s", path.c_str());
        snprintf(songList.names[slot], NAME_SIZE, "%s", name.c_str());
        fake_fmod::addFile(path, 3000);
        return path;
    }
};

TEST_F(Tags, ArtistAndTitleMakeTheNameAndFurtherRunsKeepIt)
{
    std::string path = addSong("\\a.mp3");
    fake_fmod::addTag(path, "ARTIST", "A");
    fake_fmod::addTag(path, "TITLE", "T");
    queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "A - T");
    queryTags(&songList);
    queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "A - T");
}

TEST_F(Tags, AMissingFieldFallsBackToTheUnknownArtistOrTheFormerName)
{
    fake_fmod::addTag(addSong("\\t.mp3"), "TITLE", "Only Title");
    fake_fmod::addTag(addSong("\\a.mp3"), "ARTIST", "Only Artist");
    fake_fmod::addTag(addSong("\\album.mp3"), "ALBUM", "Some Album");
    queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "Artist unknown - Only Title");
    EXPECT_STREQ(songList.names[2], "Only Artist - \\a.mp3");
    EXPECT_STREQ(songList.names[3], "Artist unknown - \\album.mp3");
    // Relabelled again, the former name is the relabelled one.
    queryTags(&songList);
    EXPECT_STREQ(songList.names[3], "Artist unknown - Artist unknown - \\album.mp3");
}

TEST_F(Tags, SongsWithoutFieldsOrThatDoNotOpenKeepTheirNames)
{
    addSong("\\plain.mp3");                    // no fields at all
    fake_fmod::addTag(addSong("\\count.mp3"), "TITLE", "Hidden");
    fake_fmod::failTagCount("C:\\Music\\2.mp3"); // the count call answers zero
    std::string missing = addSong("\\gone.mp3");
    fake_fmod::failOpen(missing);
    for (int run = 0; run < 3; ++run)
        queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "\\plain.mp3");
    EXPECT_STREQ(songList.names[2], "\\count.mp3");
    EXPECT_STREQ(songList.names[3], "\\gone.mp3");
    EXPECT_EQ(fake_fmod::countCalls("Stream_GetTagField("), 0);
}

TEST_F(Tags, FieldNamesMatchExactlyAndTheLastOfAKindWins)
{
    std::string path = addSong("\\x.mp3");
    fake_fmod::addTag(path, "Title", "lower-case title");
    fake_fmod::addTag(path, "artist", "lower-case artist");
    fake_fmod::addTag(path, "TITLE ", "trailing space");
    queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "Artist unknown - \\x.mp3");

    std::string twice = addSong("\\y.mp3");
    fake_fmod::addTag(twice, "ARTIST", "First");
    fake_fmod::addTag(twice, "TITLE", "One");
    fake_fmod::addTag(twice, "ARTIST", "Second");
    fake_fmod::addTag(twice, "TITLE", "Two");
    queryTags(&songList);
    EXPECT_STREQ(songList.names[2], "Second - Two");
}

TEST_F(Tags, FieldTextsEndAtTheirLengthOrFirstNulAndAreCutTo99Bytes)
{
    std::string longValue(150, 'v');
    fake_fmod::addTag(addSong("\\1"), "ARTIST", longValue);
    fake_fmod::addTag(addSong("\\2"), "ARTIST", "ABCDEF", 3);             // the length ends it
    fake_fmod::addTag(addSong("\\3"), "ARTIST", std::string("AB\0CD", 5)); // the NUL ends it
    fake_fmod::addTag(addSong("\\4"), "ARTIST", "Zo\xEB");                 // bytes taken as they are
    fake_fmod::addTag(addSong("\\5"), "ARTIST", "XY", 0);
    fake_fmod::addTag(addSong("\\6"), "ARTIST", "XY", -5);
    queryTags(&songList);
    EXPECT_EQ(std::string(songList.names[1]), std::string(99, 'v') + " - \\1");
    EXPECT_STREQ(songList.names[2], "ABC - \\2");
    EXPECT_STREQ(songList.names[3], "AB - \\3");
    EXPECT_STREQ(songList.names[4], "Zo\xEB - \\4");
    EXPECT_STREQ(songList.names[5], " - \\5");
    EXPECT_STREQ(songList.names[6], " - \\6"); // a negative length gives an empty text
}

TEST_F(Tags, AShortTagLeavesNothingOfTheDefaultBehind)
{
    std::string path = addSong("\\a rather long former display name.mp3");
    fake_fmod::addTag(path, "ARTIST", "Me");
    fake_fmod::addTag(path, "TITLE", "Hi");
    queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "Me - Hi");
}

TEST_F(Tags, TheFormerNameIsCutTo99CharactersAndTheResultFitsItsSlot)
{
    std::string former(255, 'n');
    std::string path = addSong(former);
    fake_fmod::addTag(path, "ARTIST", std::string(200, 'a'));
    memset(songList.names[2], 'x', NAME_SIZE - 1);
    queryTags(&songList);
    EXPECT_EQ(std::string(songList.names[1]), std::string(99, 'a') + " - " + std::string(99, 'n'));
    EXPECT_EQ(songList.names[2][0], 'x');
}

TEST_F(Tags, EverySongIsOpenedOnceAndClosedAndNothingBeyondTheList)
{
    fake_fmod::addTag(addSong("\\1"), "TITLE", "t");
    addSong("\\2");
    std::string failing = addSong("\\3");
    fake_fmod::failOpen(failing);
    snprintf(songList.paths[4], PATH_SIZE, "C:\\Music\\beyond.mp3"); // past songsNumber
    fake_fmod::addFile("C:\\Music\\beyond.mp3", 1000);
    fake_fmod::addFile("", 1000);                                  // slot 0's empty path

    queryTags(&songList);
    EXPECT_EQ(fake_fmod::countCalls("Stream_Open("), 3);
    EXPECT_EQ(fake_fmod::countCalls("Stream_Close("), 2);
    EXPECT_EQ(fake_fmod::openStreams(), 0);
    EXPECT_EQ(fake_fmod::calls()[0], "Stream_Open(C:\\Music\\1.mp3,0,0,0)");
}

TEST_F(Tags, ThePlayingStreamIsLeftAlone)
{
    fake_fmod::addFile("C:\\playing.mp3", 60000);
    FSOUND_STREAM *playing = FSOUND_Stream_Open("C:\\playing.mp3", 0, 0, 0);
    FSOUND_Stream_Play(0, playing);
    fake_fmod::advance(5000);
    fake_fmod::addTag(addSong("\\1"), "TITLE", "t");
    queryTags(&songList);
    EXPECT_TRUE(fake_fmod::channelPlaying());
    EXPECT_EQ(fake_fmod::channelStream(), playing);
    EXPECT_EQ(fake_fmod::streamTime(playing), 5000);
}

} // namespace
