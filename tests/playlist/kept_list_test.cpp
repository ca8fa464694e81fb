// The kept list's file: what it holds comes back as it was, anything
// else is damaged, and the file on disk is replaced whole or set aside.
#include "kept_list.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

st1 list;

std::string keptText()
{
    memset(&list, 0, sizeof(list));
    const char *songs[][2] = {{"C:\\Music\\01 \xC3\xA9t\xC3\xA9.mp3", "\\01 \xC3\xA9t\xC3\xA9.mp3"},
                              {"", ""},
                              {"C:\\Music\\02.flac", "Artist - Two\nlines"}};
    for (auto &song : songs) {
        ++list.songsNumber;
        snprintf(list.paths[list.songsNumber], PATH_SIZE, "%s", song[0]);
        snprintf(list.names[list.songsNumber], NAME_SIZE, "%s", song[1]);
    }
    return keptListText(&list, keptPlace{3, 65432, KEPT_PAUSED, 1, true});
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string fileBytes(const char *path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace

TEST(KeptList, ComesBackAsItWasKept)
{
    keptList kept;
    ASSERT_TRUE(readKeptListText(keptText(), kept));
    EXPECT_EQ(kept.place.song, 3);
    EXPECT_EQ(kept.place.ms, 65432);
    EXPECT_EQ(kept.place.state, KEPT_PAUSED);
    EXPECT_EQ(kept.place.shuffle, 1);
    EXPECT_TRUE(kept.place.restart);
    ASSERT_EQ(kept.paths.size(), 3u);
    for (int song = 0; song < 3; ++song)
        EXPECT_EQ(kept.paths[song], list.paths[song + 1]);
    EXPECT_EQ(kept.names[0], list.names[1]);
    EXPECT_EQ(kept.names[1], "");
    EXPECT_EQ(kept.names[2], "Artist - Two lines");   // a line break would end the line
}

TEST(KeptList, AnythingElseIsDamaged)
{
    const std::string good = keptText();
    const struct {
        const char *what;
        std::string text;
    } damaged[] = {
        {"empty", ""},
        {"cut in the middle", good.substr(0, good.size() / 2)},
        {"cut before the end line's break", good.substr(0, good.size() - 2)},
        {"a line after the end", good + "C:\\x.mp3\r\n"},
        {"another header", replaced(good, "#EXTM3U", "#EXTM3V")},
        {"more songs counted", replaced(good, "count=3", "count=4")},
        {"fewer songs counted", replaced(good, "count=3", "count=2")},
        {"a song past the count", replaced(good, "song=3", "song=4")},
        {"an unknown state", replaced(good, "state=paused", "state=resting")},
        {"a negative position", replaced(good, "ms=65432", "ms=-5")},
        {"a position past any song", replaced(good, "ms=65432", "ms=99999999999")},
        {"a song without its name line", replaced(good, "#EXTINF:-1,\r\n", "#EXTINF\r\n")},
        {"text that is not UTF-8", replaced(good, "02.flac", "02\xFF.flac")},
    };
    for (const auto &text : damaged) {
        keptList kept;
        EXPECT_FALSE(readKeptListText(text.text, kept)) << text.what;
    }
}

TEST(KeptList, TheFileIsReplacedWholeAndADamagedOneSetAside)
{
    const char path[] = "kept-test.m3u8";
    for (const char *old : {"kept-test.m3u8.damaged", "kept-test.m3u8.damaged-2", "kept-test.m3u8.damaged-3"})
        DeleteFileA(old);
    ASSERT_TRUE(writeFileWhole(path, "first"));
    ASSERT_TRUE(writeFileWhole(path, keptText()));
    EXPECT_EQ(fileBytes(path), keptText());
    EXPECT_EQ(GetFileAttributesA("kept-test.m3u8.new"), INVALID_FILE_ATTRIBUTES);

    for (const char *aside : {"kept-test.m3u8.damaged", "kept-test.m3u8.damaged-2"}) {
        ASSERT_TRUE(writeFileWhole(path, aside));
        ASSERT_TRUE(setAsideDamaged(path));
        EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(fileBytes(aside), aside);   // never overwritten by a later one
    }
}
