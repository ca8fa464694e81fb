// The kept list's file: what it holds comes back as it was, anything
// else is damaged, and the file on disk is replaced whole or set aside.
#include "kept_list.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <fstream>
#include <sstream>

namespace {

st1 list;
const keptPlace PLACE = {3, 65432, KEPT_PAUSED, 1, true};

std::string keptText(const std::vector<std::string> &paths, const std::vector<std::string> &names)
{
    list.songsNumber = static_cast<int>(paths.size());
    for (int slot = 1; slot <= list.songsNumber; ++slot) {
        snprintf(list.paths[slot], PATH_SIZE, "%s", paths[slot - 1].c_str());
        snprintf(list.names[slot], NAME_SIZE, "%s", names[slot - 1].c_str());
    }
    return keptListText(&list, PLACE);
}

// Three songs: a name in UTF-8, an empty slot, and an album's track with a
// name with a line break.
const std::string GOOD = keptText({"C:\\Music\\01 \xC3\xA9t\xC3\xA9.mp3", "", "C:\\Music\\02.flac|150-|02.cue|-"},
                                  {"\\01 \xC3\xA9t\xC3\xA9.mp3", "", "Artist - Two\nlines"});

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    return text.replace(text.find(from), from.size(), to);
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
    ASSERT_TRUE(readKeptListText(GOOD, kept));
    EXPECT_EQ(kept.names[2], "Artist - Two lines");   // a line break would end the line
    EXPECT_EQ(keptText(kept.paths, kept.names), GOOD);
    EXPECT_NE(GOOD.find("\r\n#EXT-X-KELVORIA-TRACK:150-|02.cue|-\r\nC:\\Music\\02.flac\r\n"), std::string::npos)
        << "other players that open the list play the track's file";
    EXPECT_TRUE(kept.place.song == PLACE.song && kept.place.ms == PLACE.ms && kept.place.state == PLACE.state &&
                kept.place.shuffle == PLACE.shuffle && kept.place.restart == PLACE.restart);
}

TEST(KeptList, AnythingElseIsDamaged)
{
    const std::pair<const char *, std::string> damaged[] = {
        {"empty", ""},
        {"cut in the middle", GOOD.substr(0, GOOD.size() / 2)},
        {"cut before the end line's break", GOOD.substr(0, GOOD.size() - 2)},
        {"a line after the end", GOOD + "C:\\x.mp3\r\n"},
        {"another header", replaced(GOOD, "#EXTM3U", "#EXTM3V")},
        {"more songs counted", replaced(GOOD, "count=3", "count=4")},
        {"fewer songs counted", replaced(GOOD, "count=3", "count=2")},
        {"a song past the count", replaced(GOOD, "song=3", "song=4")},
        {"an unknown state", replaced(GOOD, "state=paused", "state=resting")},
        {"a negative position", replaced(GOOD, "ms=65432", "ms=-5")},
        {"a position past any song", replaced(GOOD, "ms=65432", "ms=99999999999")},
        {"a song without its name line", replaced(GOOD, "#EXTINF:-1,\r\n", "#EXTINF\r\n")},
        {"text that is not UTF-8", replaced(GOOD, "02.flac", "02\xFF.flac")},
        {"a track line with no address", replaced(GOOD, "150-|02.cue|-", "")},
        {"a track line with no file after it", replaced(GOOD, "C:\\Music\\02.flac\r\n", "")},
    };
    for (const auto &text : damaged) {
        keptList kept;
        EXPECT_FALSE(readKeptListText(text.second, kept)) << text.first;
    }
}

TEST(KeptList, TheFileIsReplacedWholeAndADamagedOneSetAside)
{
    const char path[] = "kept-test.m3u8";
    const char *asides[] = {"kept-test.m3u8.damaged", "kept-test.m3u8.damaged-2"};
    for (const char *old : asides)
        DeleteFileA(old);
    ASSERT_TRUE(writeFileWhole(path, "first") && writeFileWhole(path, GOOD));
    EXPECT_EQ(fileBytes(path), GOOD);
    EXPECT_EQ(GetFileAttributesA("kept-test.m3u8.new"), INVALID_FILE_ATTRIBUTES);
    for (const char *aside : asides) {
        ASSERT_TRUE(writeFileWhole(path, aside) && setAsideDamaged(path));
        EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(fileBytes(aside), aside);   // never overwritten by a later one
    }
}
