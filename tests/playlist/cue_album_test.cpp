// Albums on the file system of the test prefix, through the real engine:
// sheets beside their images (and inside them) read into the list's track
// addresses and names, how the intake, the scan and the playlist files take
// them, and addresses as the list keeps them.
#include "album.h"
#include "cue_album.h"
#include "disk_scan.h"
#include "fmod.h"
#include "intake.h"
#include "playlist_file.h"
#include "playlist_formats.h"
#include "song_list_record.h"
#include "track_address.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string folder()
{
    char full[MAX_PATH];
    GetFullPathNameA("fixtures\\album\\", sizeof(full), full, nullptr);
    return full;
}

void writeSheet(const std::string &name, const std::string &text)
{
    std::ofstream(folder() + name, std::ios::binary) << text;
}

struct expectedTrack {
    std::string address; // after the folder
    std::string name;
};

struct albumCase {
    const char *sheet;
    std::string text; // written as `sheet` beside the images; none for an image
    std::vector<expectedTrack> tracks;
    std::string told;
};

class CueAlbum : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
        readAlbumsWith(readAlbumAt);
        readPlaylistsWith(readPlaylistInto, isPlaylistFileName);
    }
    static void TearDownTestSuite() { FSOUND_Close(); }
    void SetUp() override { list.reset(new st1()); }

    std::vector<std::string> rows(bool names = false) const
    {
        std::vector<std::string> out;
        for (int slot = 1; slot <= list->songsNumber; ++slot) {
            std::string path = list->paths[slot];
            if (path.compare(0, folder().size(), folder()) == 0)
                path = path.substr(folder().size());
            out.push_back(names ? std::string(list->names[slot]) : path);
        }
        return out;
    }

    std::unique_ptr<st1> list;
};

const char TWO_FILES[] = "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nTITLE A1\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nTITLE A2\n"
                         "INDEX 01 00:01:00\nFILE \"b.wav\" WAVE\nTRACK 03 AUDIO\nTITLE B1\nINDEX 01 00:00:00\n";
const char SIDE[] = "FILE \"CDImage.wav\" WAVE\nTRACK 1 AUDIO\nINDEX 01 00:00:00\nTRACK 2 AUDIO\nINDEX 01 00:01:00\n";

const char DISC[] = "PERFORMER \"Band\"\r\nTITLE \"Album\"\r\nREM REPLAYGAIN_ALBUM_GAIN -4.10 dB\r\n"
                    "FILE \"disc.wav\" WAVE\r\n"
                    "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    REM REPLAYGAIN_TRACK_GAIN -3.00 dB\r\n"
                    "    REM REPLAYGAIN_TRACK_PEAK 0.900000\r\n    INDEX 01 00:00:00\r\n"
                    "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    PERFORMER \"Guest\"\r\n"
                    "    INDEX 00 00:02:00\r\n    INDEX 01 00:02:30\r\n"
                    "  TRACK 03 AUDIO\r\n    INDEX 01 00:04:00\r\n";

TEST_F(CueAlbum, SheetsAndImagesGiveTheTracksTheyCanSoundlyList)
{
    const albumCase cases[] = {
        // Written for disc.wav, which now sits elsewhere: disc.flac, the
        // same base name in a music kind, is taken.
        {"disc.cue", DISC,
         {{"disc.flac|0-180|disc.cue|-300 900000 -410 -", "Band - One"},
          {"disc.flac|180-300|disc.cue|- - -410 -", "Guest - Two"},
          {"disc.flac|300-|disc.cue|- - -410 -", "\\disc.flac - 03"}},
         ""},
        {"side.flac.cue", SIDE,
         {{"side.flac|0-75|side.flac.cue|-", "\\side.flac - 01"}, {"side.flac|75-|side.flac.cue|-", "\\side.flac - 02"}},
         ""},
        {"two.cue", TWO_FILES,
         {{"a.wav|0-75|two.cue|-", "Artist unknown - A1"},
          {"a.wav|75-|two.cue|-", "Artist unknown - A2"},
          {"b.wav|0-|two.cue|-", "Artist unknown - B1"}},
         ""},
        // A path that climbs out is refused; a full path from the ripping
        // machine is taken by its name; a track past its file's end is not.
        {"hostile.cue", "FILE \"..\\..\\secret.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                        "FILE \"C:\\rips\\plain.flac\" WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"
                        "TRACK 03 AUDIO\nINDEX 01 99:00:00\n",
         {{"plain.flac|0-|hostile.cue|-", "\\plain.flac - 02"}},
         "hostile.cue: left out a FILE outside the sheet's folder (and 1 more)"},
        {"missing.cue", "FILE \"nowhere.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", {},
         "missing.cue: left out a FILE that is not there"},
        {"inside.flac", "",
         {{"inside.flac|0-150||-", "Inside Band - First"},
          {"inside.flac|150-300||-", "Inside Band - Second"},
          {"inside.flac|300-||-", "Inside Band - Third"}},
         ""},
        {"inside.wv", "",
         {{"inside.wv|0-150||-", "Inside Band - First"},
          {"inside.wv|150-300||-", "Inside Band - Second"},
          {"inside.wv|300-||-", "Inside Band - Third"}},
         ""},
    };
    for (const albumCase &c : cases) {
        SCOPED_TRACE(c.sheet);
        if (!c.text.empty())
            writeSheet(c.sheet, c.text);
        albumTracks album;
        ASSERT_TRUE(readAlbumAt((folder() + c.sheet).c_str(), MAX_SONGS, album));
        ASSERT_EQ(c.tracks.size(), album.tracks.size());
        for (size_t track = 0; track < c.tracks.size(); ++track) {
            EXPECT_EQ(folder() + c.tracks[track].address, album.tracks[track].address);
            EXPECT_EQ(c.tracks[track].name, album.tracks[track].name);
        }
        EXPECT_EQ(c.told, album.told);
    }
    albumTracks none;
    EXPECT_FALSE(readAlbumAt((folder() + "plain.flac").c_str(), MAX_SONGS, none)) << "no sheet: a song";
}

TEST_F(CueAlbum, TheScanListsAnAlbumsTracksAndNotItsImage)
{
    writeSheet("disc.cue", DISC);
    writeSheet("two.cue", TWO_FILES);
    writeSheet("side.flac.cue", SIDE);
    for (const char *other : {"hostile.cue", "missing.cue"})
        DeleteFileA((folder() + other).c_str());
    addFolderMusic(list.get(), folder().c_str());
    std::vector<std::string> found = rows();
    for (const char *image : {"disc.flac", "inside.flac", "inside.wv", "a.wav", "b.wav", "side.flac"})
        EXPECT_EQ(0, std::count(found.begin(), found.end(), std::string(image))) << image;
    for (const char *kept : {"plain.flac", "disc.wv", "wav\\disc.wav"})
        EXPECT_EQ(1, std::count(found.begin(), found.end(), std::string(kept))) << kept;
    for (const char *track : {"disc.flac|180-300|disc.cue|- - -410 -", "inside.wv|300-||-", "b.wav|0-|two.cue|-"})
        EXPECT_EQ(1, std::count(found.begin(), found.end(), std::string(track))) << track;
}

TEST_F(CueAlbum, PlaylistsKeepTheTracksAndOtherPlayersGetTheAlbum)
{
    writeSheet("disc.cue", DISC);
    writeSheet("two.cue", "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nTITLE A1\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
                          "TITLE A2\nINDEX 01 00:01:00\n");
    ASSERT_EQ(3, takePath(list.get(), (folder() + "disc.cue").c_str(), FROM_COMMAND_LINE));
    ASSERT_EQ(2, takePath(list.get(), (folder() + "two.cue").c_str(), FROM_DROP));
    ASSERT_EQ(3, takePath(list.get(), (folder() + "inside.flac").c_str(), FROM_COMMAND_LINE));
    ASSERT_EQ(1, takePath(list.get(), (folder() + "plain.flac").c_str(), FROM_COMMAND_LINE));
    // Only the second track of two.cue, and inside.flac whole.
    std::unique_ptr<st1> saved(new st1());
    for (int slot : {1, 2, 3, 5, 6, 7, 8, 9})
        takeSong(saved.get(), list->paths[slot], list->names[slot]);
    std::swap(list, saved);
    std::vector<std::string> paths = rows(), names = rows(true);
    for (const char *file : {"album-test.m3u8", "album-test.m3P"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(0, savePlaylist(list.get(), file));
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (std::string(file).find("m3u8") != std::string::npos) {
            EXPECT_NE(std::string::npos, text.find("\r\n" + folder() + "disc.cue\r\n")) << text;
            EXPECT_NE(std::string::npos, text.find("\r\n" + folder() + "inside.flac\r\n")) << text;
            EXPECT_NE(std::string::npos, text.find("#EXT-X-KELVORIA-TRACK:75-|two.cue|-\r\n" + folder() + "a.wav"))
                << text;
        }
        std::unique_ptr<st1> opened(new st1());
        std::swap(list, opened);
        EXPECT_EQ(0, takePath(list.get(), file, FROM_COMMAND_LINE) < 0);
        EXPECT_EQ(paths, rows());
        if (std::string(file).find("m3u8") != std::string::npos) {
            EXPECT_EQ(names, rows(true));
        }
        std::swap(list, opened);
    }
}

TEST(TrackAddress, ReadsWhatItWritesAndNothingDamaged)
{
    trackAddress track;
    track.file = "C:\\Music\\Album.flac";
    track.first = 150;
    track.end = 23700;
    track.sheet = "Album.cue";
    track.trackGain = -310;
    track.albumPeak = 988000;
    char slot[PATH_SIZE];
    ASSERT_TRUE(writeTrackAddress(track, slot, sizeof(slot)));
    EXPECT_STREQ("C:\\Music\\Album.flac|150-23700|Album.cue|-310 - - 988000", slot);
    trackAddress back;
    ASSERT_TRUE(readTrackAddress(slot, back));
    EXPECT_EQ(track.file, back.file);
    EXPECT_EQ(23700, back.end);
    EXPECT_EQ(-310, back.trackGain);
    EXPECT_EQ(TRACK_NO_VALUE, back.trackPeak);
    EXPECT_EQ("C:\\Music\\Album.cue", sheetPathOf(back));
    EXPECT_FALSE(writeTrackAddress(track, slot, 20)) << "never cut";
    for (const char *damaged : {"C:\\a.flac", "C:\\a.flac|", "C:\\a.flac|5-5||-", "C:\\a.flac|9-3||-",
                                "C:\\a.flac|-1-||-", "C:\\a.flac|x-||-", "C:\\a.flac|0-||1 2 3", "|0-||-",
                                "C:\\a.flac|0-||- - - - -", "C:\\a.flac|0-|||-", "C:\\a.flac|99999999999-||-",
                                "C:\\a.flac|0-||-2147483648 - - -"}) {
        EXPECT_FALSE(readTrackAddress(damaged, back)) << damaged;
    }
    EXPECT_EQ("C:\\a.flac", fileOfSong("C:\\a.flac|0-||-"));
}

} // namespace
