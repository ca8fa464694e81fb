// Opening files through fmod.dll: lengths, tags and their character set,
// and every kind of bad input.
#include "fmod.h"
#include "process_memory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kDir = "fixtures\\engine\\";

class EngineOpen : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    }
    static void TearDownTestSuite() { FSOUND_Close(); }

    static FSOUND_STREAM *open(const std::string &name) { return FSOUND_Stream_Open((kDir + name).c_str(), 0, 0, 0); }
};

struct Tag {
    std::string name;
    std::string value;
};

std::vector<Tag> readTags(FSOUND_STREAM *stream)
{
    std::vector<Tag> tags;
    int count = -1;
    EXPECT_TRUE(FSOUND_Stream_GetNumTagFields(stream, &count));
    for (int i = 0; i < count; ++i) {
        int type = -1, length = -1;
        char *name = nullptr;
        void *value = nullptr;
        EXPECT_TRUE(FSOUND_Stream_GetTagField(stream, i, &type, &name, &value, &length));
        EXPECT_NE(name, nullptr);
        EXPECT_NE(value, nullptr);
        const char *text = static_cast<const char *>(value);
        EXPECT_EQ(text[length], '\0') << name; // NUL-terminated at its length
        tags.push_back({name, std::string(text, static_cast<size_t>(length))});
    }
    return tags;
}

std::string tagValue(const std::vector<Tag> &tags, const std::string &name)
{
    for (const Tag &tag : tags)
        if (tag.name == name)
            return tag.value;
    return "<absent>";
}

TEST_F(EngineOpen, LengthsAreAccurateForEveryFormat)
{
    struct Case {
        const char *file;
        int ms;
    } cases[] = {
        {"tagged.mp3", 5000},    {"plain.mp3", 5000},   {"headerless.mp3", 5000}, {"vbr.mp3", 7500},
        {"short.mp3", 1500},     {"long.mp3", 60000},   {"tagged.ogg", 5000},     {"plain.ogg", 5000},
        {"tagged.wma", 5000},    {"plain.wma", 5000},   {"tagged.wav", 5000},     {"mono8.wav", 5000},
        {"adpcm_ms.wav", 5000},  {"adpcm_ima.wav", 5000}, {"tagged.flac", 5000},    {"plain.flac", 5000},
        {"flac.ogg", 5000},      {"tagged.m4a", 5000},  {"plain.m4a", 5000},      {"alac.m4a", 5000},
        {"tagged.opus", 5000},   {"plain.opus", 5000},  {"id3v2.aac", 5000},      {"ape.aac", 5000},
        {"plain.aac", 5000},     {"tagged.wv", 5000},
    };
    for (const Case &c : cases) {
        FSOUND_STREAM *stream = open(c.file);
        ASSERT_NE(stream, nullptr) << c.file;
        EXPECT_NEAR(FSOUND_Stream_GetLengthMs(stream), c.ms, 50) << c.file;
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0) << c.file;
        EXPECT_TRUE(FSOUND_Stream_Close(stream));
    }
}

TEST_F(EngineOpen, DescriptiveTagsAreConvertedToTheAnsiCodePage)
{
    const std::string title = "Caf\xE9 Ol\xE9", artist = "Zo\xEB M\xFCller";
    for (const char *file : {"tagged.mp3", "tagged.ogg", "tagged.wma", "tagged.wav", "tagged.flac", "flac.ogg",
                             "tagged.m4a", "alac.m4a", "tagged.opus", "id3v2.aac", "ape.aac", "tagged.wv"}) {
        FSOUND_STREAM *stream = open(file);
        ASSERT_NE(stream, nullptr) << file;
        std::vector<Tag> tags = readTags(stream);
        EXPECT_EQ(tagValue(tags, "TITLE"), title) << file;
        EXPECT_EQ(tagValue(tags, "ARTIST"), artist) << file;
        FSOUND_Stream_Close(stream);
    }
    FSOUND_STREAM *stream = open("tagged.mp3");
    EXPECT_EQ(tagValue(readTags(stream), "ALBUM"), "Stra\xDF"
                                                    "e");
    FSOUND_Stream_Close(stream);
}

TEST_F(EngineOpen, Id3v1Id3v2AndApeTagsAloneAreRead)
{
    FSOUND_STREAM *v1 = open("id3v1.mp3");
    ASSERT_NE(v1, nullptr);
    std::vector<Tag> tags = readTags(v1);
    EXPECT_EQ(tagValue(tags, "TITLE"), "Old Caf\xE9");
    EXPECT_EQ(tagValue(tags, "ARTIST"), "Old Artist");
    EXPECT_EQ(tagValue(tags, "ALBUM"), "Old Album");
    FSOUND_Stream_Close(v1);

    FSOUND_STREAM *ape = open("ape.mp3");
    ASSERT_NE(ape, nullptr);
    tags = readTags(ape);
    EXPECT_EQ(tagValue(tags, "TITLE"), "Ape Title");
    EXPECT_EQ(tagValue(tags, "ARTIST"), "Ape \xC5rtist");
    EXPECT_NEAR(FSOUND_Stream_GetLengthMs(ape), 5000, 50);
    FSOUND_Stream_Close(ape);

    FSOUND_STREAM *v2 = open("id3v2.mp3");
    ASSERT_NE(v2, nullptr);
    tags = readTags(v2);
    EXPECT_EQ(tagValue(tags, "TITLE"), "New Tag");
    EXPECT_EQ(tagValue(tags, "ARTIST"), "?ukasz"); // no Polish L in code page 1252
    FSOUND_Stream_Close(v2);
}

TEST_F(EngineOpen, FilesWithoutDescriptiveTagsReportNoFields)
{
    // Encoders still write their own name, a LAME header or a vendor string.
    for (const char *file : {"plain.mp3", "bare.mp3", "headerless.mp3", "vbr.mp3", "plain.ogg", "plain.wma", "mono8.wav",
                             "plain.flac", "plain.m4a", "plain.opus", "plain.aac"}) {
        FSOUND_STREAM *stream = open(file);
        ASSERT_NE(stream, nullptr) << file;
        std::vector<Tag> tags = readTags(stream);
        EXPECT_TRUE(tags.empty()) << file << ": first field " << (tags.empty() ? "" : tags[0].name);
        FSOUND_Stream_Close(stream);
    }
}

TEST_F(EngineOpen, TagFieldsOutOfRangeOrOnBadHandlesAreNeutral)
{
    FSOUND_STREAM *stream = open("tagged.mp3");
    ASSERT_NE(stream, nullptr);
    int count = 0, type = 7, length = 7;
    char *name = reinterpret_cast<char *>(1);
    void *value = reinterpret_cast<void *>(1);
    ASSERT_TRUE(FSOUND_Stream_GetNumTagFields(stream, &count));
    EXPECT_FALSE(FSOUND_Stream_GetTagField(stream, count, &type, &name, &value, &length));
    EXPECT_FALSE(FSOUND_Stream_GetTagField(stream, -1, &type, &name, &value, &length));
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(length, 0);
    FSOUND_Stream_Close(stream);
    count = 5;
    EXPECT_FALSE(FSOUND_Stream_GetNumTagFields(nullptr, &count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(FSOUND_Stream_GetNumTagFields(stream, &count)); // closed
    EXPECT_FALSE(FSOUND_Stream_GetTagField(stream, 0, &type, &name, &value, &length));
}

TEST_F(EngineOpen, AnAnsiPathWithAccentedLettersOpens)
{
    FSOUND_STREAM *stream = open("caf\xE9.mp3");
    ASSERT_NE(stream, nullptr);
    EXPECT_NEAR(FSOUND_Stream_GetLengthMs(stream), 5000, 50);
    FSOUND_Stream_Close(stream);
}

TEST_F(EngineOpen, BadPathsGiveNoStream)
{
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open("", 0, 0, 0), nullptr);
    EXPECT_EQ(open("missing.mp3"), nullptr);
    EXPECT_EQ(open("folder.mp3"), nullptr);
    EXPECT_EQ(open("empty.mp3"), nullptr);
    EXPECT_EQ(open("text.mp3"), nullptr);
    std::string longPath = "C:\\" + std::string(504, 'a') + ".mp3";
    ASSERT_EQ(longPath.size(), 511u);
    EXPECT_EQ(FSOUND_Stream_Open(longPath.c_str(), 0, 0, 0), nullptr);
}

TEST_F(EngineOpen, DamagedFilesGiveNoStreamOrAShortOne)
{
    for (const char *file : {"garbage.mp3", "garbage.ogg", "noisy.mp3", "truncated.mp3", "truncated.ogg",
                             "truncated.wma", "truncated.wav", "truncated.flac", "truncated.m4a", "truncated.opus",
                             "truncated.aac"}) {
        FSOUND_STREAM *stream = open(file);
        if (stream) {
            EXPECT_GE(FSOUND_Stream_GetLengthMs(stream), 0) << file;
            EXPECT_TRUE(FSOUND_Stream_Close(stream)) << file;
        }
    }
}

TEST_F(EngineOpen, NullAndClosedHandlesGetNeutralAnswers)
{
    EXPECT_EQ(FSOUND_Stream_GetLengthMs(nullptr), 0);
    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
    EXPECT_FALSE(FSOUND_Stream_SetTime(nullptr, 100));
    EXPECT_EQ(FSOUND_Stream_Play(0, nullptr), -1);
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
    FSOUND_STREAM *stream = open("plain.mp3");
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(FSOUND_Stream_Close(stream));
    EXPECT_FALSE(FSOUND_Stream_Close(stream));
    EXPECT_EQ(FSOUND_Stream_GetLengthMs(stream), 0);
    EXPECT_EQ(FSOUND_Stream_Play(0, stream), -1);
}

TEST_F(EngineOpen, OpeningAndClosingAgainAndAgainLeaksNothing)
{
    const char *files[] = {"tagged.mp3", "tagged.ogg", "tagged.wma",  "tagged.wav",    "tagged.flac",
                           "tagged.m4a", "tagged.opus", "id3v2.aac", "garbage.mp3",   "noisy.mp3",
                           "text.mp3",   "empty.mp3",  "truncated.ogg", "truncated.m4a", "missing.mp3"};
    auto openAll = [&](int rounds) {
        for (int round = 0; round < rounds; ++round)
            for (const char *file : files)
                if (FSOUND_STREAM *stream = open(file))
                    FSOUND_Stream_Close(stream);
    };
    openAll(20); // the allocator settles
    size_t before = privateBytes();
    openAll(200);
    size_t grown = privateBytes() > before ? privateBytes() - before : 0;
    EXPECT_LT(grown, 1u << 20) << "grew by " << grown << " bytes over 3,000 opens";
}

} // namespace
