// Tag reading through fmod.dll itself, on generated files of the four kinds.
#include "fmod.h"
#include "song_list_record.h"
#include "tags.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

class TagsWithEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    }
    static void TearDownTestSuite() { FSOUND_Close(); }

    void SetUp() override { memset(&songList, 0, sizeof(songList)); }

    static void addSong(const std::string &file)
    {
        int slot = ++songList.songsNumber;
        snprintf(songList.paths[slot], PATH_SIZE, "fixtures\\engine\\%s", file.c_str());
        snprintf(songList.names[slot], NAME_SIZE, "\\%s", file.c_str());
    }
};

TEST_F(TagsWithEngine, TaggedFilesOfEveryKindAreRelabelledInTheAnsiCodePage)
{
    for (const char *file : {"tagged.mp3", "tagged.ogg", "tagged.wma", "tagged.wav", "id3v1.mp3"})
        addSong(file);
    queryTags(&songList);
    const char *expected = "Zo\xEB M\xFCller - Caf\xE9 Ol\xE9";
    for (int slot = 1; slot <= 4; ++slot)
        EXPECT_STREQ(songList.names[slot], expected) << songList.paths[slot];
    EXPECT_STREQ(songList.names[5], "Old Artist - Old Caf\xE9");
}

TEST_F(TagsWithEngine, UntaggedMissingAndDamagedFilesKeepTheirNames)
{
    for (const char *file : {"plain.mp3", "plain.ogg", "plain.wma", "mono8.wav", "missing.mp3", "text.mp3", "garbage.ogg"})
        addSong(file);
    queryTags(&songList);
    queryTags(&songList);
    EXPECT_STREQ(songList.names[1], "\\plain.mp3");
    EXPECT_STREQ(songList.names[2], "\\plain.ogg");
    EXPECT_STREQ(songList.names[3], "\\plain.wma");
    EXPECT_STREQ(songList.names[4], "\\mono8.wav");
    EXPECT_STREQ(songList.names[5], "\\missing.mp3");
    EXPECT_STREQ(songList.names[6], "\\text.mp3");
    EXPECT_STREQ(songList.names[7], "\\garbage.ogg");
}

} // namespace
