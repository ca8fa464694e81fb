// fmod.dll in a process whose code page is UTF-8, as the player's manifest
// asks (this program links tests/support's test_utf8_code_page): file
// names arrive as UTF-8, and tag text must leave as UTF-8, unchanged when
// the file held UTF-8.
#include "fmod.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kDir = "fixtures\\engine\\";

std::string tagValue(FSOUND_STREAM *stream, const std::string &wanted)
{
    int count = 0;
    FSOUND_Stream_GetNumTagFields(stream, &count);
    for (int i = 0; i < count; ++i) {
        int type = 0, length = 0;
        char *name = nullptr;
        void *value = nullptr;
        if (FSOUND_Stream_GetTagField(stream, i, &type, &name, &value, &length) && name == wanted)
            return std::string(static_cast<const char *>(value), static_cast<size_t>(length));
    }
    return "<absent>";
}

TEST(EngineInUtf8, Utf8NamesOpenAndTagsComeOutAsUtf8)
{
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's code page did not take";
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    struct Case {
        const char *file;
        int ms;
        const char *title;
        const char *artist;
    } cases[] = {
        {"τραγούδι.flac", 2000, "Καλημέρα κόσμε", "Ελένη"},
        {"日本の歌.m4a", 2000, "さくらさくら", "山田花子"},
        {"🎵.opus", 2000, "Χαρά 🎵", "山田花子"},
        // What code page 1252 showed as "?ukasz" arrives whole.
        {"id3v2.mp3", 5000, "New Tag", "Łukasz"},
        // A tag in Latin-1 where UTF-8 belongs is taken as the user's legacy
        // code page (1252 here) and given as UTF-8.
        {"ape-latin1.mp3", 5000, "Old Café", "<absent>"},
    };
    for (const Case &c : cases) {
        FSOUND_STREAM *stream = FSOUND_Stream_Open((kDir + c.file).c_str(), 0, 0, 0);
        ASSERT_NE(stream, nullptr) << c.file;
        EXPECT_NEAR(FSOUND_Stream_GetLengthMs(stream), c.ms, 50) << c.file;
        EXPECT_EQ(tagValue(stream, "TITLE"), c.title) << c.file;
        EXPECT_EQ(tagValue(stream, "ARTIST"), c.artist) << c.file;
        FSOUND_Stream_Close(stream);
    }
    FSOUND_Close();
}

} // namespace
