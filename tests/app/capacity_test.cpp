// The song list's capacity through every way songs come in, on the player's
// own windows as start-up makes them (scripted engine): the open dialog of
// the main window, files dropped on the playlist window, a playlist file
// opened in its dialog, the disk scan of the search window, and the
// start-up playlist of "/startup". Each way is offered more than 1,999
// songs, with paths and display names at the edges of their slots among
// them; afterwards the list holds exactly the first 1,999 that are taken,
// the playlist window shows them, saving writes them, and the transport
// works at song 1,999.
#include "dialog_answer.h"
#include "song_list_record.h"
#include "fake_fmod.h"
#include "globals.h"
#include "main_window.h"
#include "player_windows.h"
#include "playlist_window.h"
#include "registry_state.h"
#include "songlist.h"
#include "startup.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> texts;

struct song {
    std::string path, name;
    bool operator==(const song &other) const { return path == other.path && name == other.name; }
};
typedef std::vector<song> songs;

void PrintTo(const song &s, std::ostream *out)
{
    *out << s.path << " (" << s.path.size() << ") as " << s.name << " (" << s.name.size() << ")";
}

// Files the open dialog and the save dialog work in; short, so that a file
// name of 255 characters still makes a path the dialogs take.
const char WORK[] = "C:\\kcap";
const char BATCH_FOLDER[] = "C:\\kcap\\o";

const char SENTINEL[] = "beyond the list";

std::string repeat(char c, size_t count) { return std::string(count, c); }

// A file name of `length` characters that the music tests take.
std::string musicName(char c, size_t length) { return repeat(c, length - 4) + ".mp3"; }

std::string cutToName(const std::string &text) { return text.substr(0, NAME_SIZE - 1); }

// The display name of a song known by its path alone, bounded to its slot.
std::string backslashName(const std::string &path)
{
    size_t last = path.rfind('\\');
    return cutToName(last == std::string::npos ? path : path.substr(last));
}

song single(const std::string &path) { return {path, backslashName(path)}; }

void makeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

void writeFile(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

texts linesOf(const std::string &bytes)
{
    texts lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start) + "<no line end>");
    return lines;
}

HWND rows() { return GetDlgItem(hPlaylistDialog, PLAYLIST_LIST_ID); }

texts rowTexts()
{
    texts shown;
    int count = static_cast<int>(SendMessageA(rows(), LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char text[2 * NAME_SIZE] = "";
        if (SendMessageA(rows(), LB_GETTEXTLEN, row, 0) < static_cast<LRESULT>(sizeof(text)))
            SendMessageA(rows(), LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        shown.push_back(text);
    }
    return shown;
}

songs listed()
{
    songs list;
    for (int slot = 1; slot <= songList.songsNumber && slot <= MAX_SONGS; ++slot)
        list.push_back({songList.paths[slot], songList.names[slot]});
    return list;
}

// ---- The ways in ------------------------------------------------------------

// The open dialog of the main window, answered by typing as a user does: a
// folder, then the names. True when the dialog was there to answer.
bool openFilesTyping(const texts &typed)
{
    answerFileDialog(hwnd, typed);
    SendMessageA(hwnd, WM_COMMAND, CMD_OPEN_FILES, 0);
    forgetAnswers();
    return answered();
}

std::string quoted(const texts &names)
{
    std::string line;
    for (const std::string &name : names)
        line += (line.empty() ? "\"" : " \"") + name + "\"";
    return line;
}

// The names of the batch folder: as many as one selection holds, and two
// more. The selection is the folder, each name, every text with its NUL,
// and the NUL that ends them; the dialog is told 2,998 characters.
std::string batchName(int i)
{
    char name[16];
    snprintf(name, sizeof(name), "%04d.mp3", i);
    return name;
}
const int BATCH_FITS = (OPEN_FILES_CAPACITY - (sizeof(BATCH_FOLDER) - 1 + 1) - 1) / (8 + 1);

texts batchNames(int count)
{
    texts names;
    for (int i = 1; i <= count; ++i)
        names.push_back(batchName(i));
    return names;
}

// Files in the root of C:, where a name of 255 characters still makes a
// path that the dialog takes.
const std::string ROOT_NAME_254 = musicName('a', 254);
const std::string ROOT_NAME_255 = musicName('b', 255);

songs throughTheOpenDialog()
{
    songs expected;
    // One chosen file is shown from its backslash: 255 and 256 characters.
    EXPECT_TRUE(openFilesTyping({"C:\\" + ROOT_NAME_254}));
    expected.push_back(single("C:\\" + ROOT_NAME_254));
    EXPECT_TRUE(openFilesTyping({"C:\\" + ROOT_NAME_255}));
    expected.push_back(single("C:\\" + ROOT_NAME_255));
    // Several are shown by their bare names, joined to the root with two
    // backslashes.
    EXPECT_TRUE(openFilesTyping({"C:\\", quoted({ROOT_NAME_254, ROOT_NAME_255})}));
    expected.push_back({"C:\\\\" + ROOT_NAME_254, ROOT_NAME_254});
    expected.push_back({"C:\\\\" + ROOT_NAME_255, ROOT_NAME_255});
    // A selection longer than the dialog's capacity adds nothing, although
    // Wine's dialog returns it cut to that capacity: one name over leaves
    // out only its ending NUL, two names over end the cut after a name.
    for (int over = 1; over <= 2; ++over) {
        EXPECT_TRUE(openFilesTyping({BATCH_FOLDER, quoted(batchNames(BATCH_FITS + over))}));
        EXPECT_EQ(static_cast<int>(expected.size()), songList.songsNumber) << over << " name(s) too many for the buffer";
    }
    // Full selections, until the list is full and past it.
    while (expected.size() < MAX_SONGS + 10u) {
        EXPECT_TRUE(openFilesTyping({BATCH_FOLDER, quoted(batchNames(BATCH_FITS))}));
        for (const std::string &name : batchNames(BATCH_FITS))
            expected.push_back({std::string(BATCH_FOLDER) + "\\" + name, name});
    }
    return expected;
}

// Paths that need not exist: 511 and 512 characters, display names of 255
// and 256 characters, then more short ones than the list holds.
const std::string PATH_511 = "C:\\" + musicName('p', PATH_SIZE - 1 - 3);
const std::string PATH_512 = "C:\\" + musicName('q', PATH_SIZE - 3);
const std::string NAME_255 = "C:\\Music\\" + musicName('n', NAME_SIZE - 2);
const std::string NAME_256 = "C:\\Music\\" + musicName('m', NAME_SIZE - 1);

texts fillers(int count)
{
    texts paths;
    for (int i = 1; i <= count; ++i)
        paths.push_back("C:\\Music\\song" + std::to_string(i) + ".mp3");
    return paths;
}

songs throughADrop()
{
    texts dropped = {PATH_511, PATH_512, NAME_255, NAME_256};
    for (const std::string &path : fillers(MAX_SONGS + 2))
        dropped.push_back(path);
    SendMessageA(hPlaylistDialog, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(dropped)), 0);
    // A path too long for its slot is left out, not cut.
    songs expected;
    for (const std::string &path : dropped)
        if (path != PATH_512)
            expected.push_back(single(path));
    // Onto a full list.
    SendMessageA(hPlaylistDialog, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf({"C:\\late.mp3"})), 0);
    return expected;
}

// The playlist file of both file ways: more lines than the list holds, and
// a count to match them. A line too long for a slot is refused, never cut:
// its song is an empty one, so that every later line keeps its place.
std::string playlistText()
{
    texts lines = {PATH_511, PATH_512, NAME_255, NAME_256};
    for (const std::string &path : fillers(MAX_SONGS + 2))
        lines.push_back(path);
    std::string text = std::to_string(lines.size()) + "\r\n";
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

songs playlistSongs()
{
    songs expected = {single(PATH_511), song{"", ""}, single(NAME_255), single(NAME_256)};
    for (const std::string &path : fillers(MAX_SONGS + 2))
        expected.push_back(single(path));
    return expected;
}

songs throughAPlaylistFile()
{
    std::string file = std::string(WORK) + "\\long.m3P";
    writeFile(file, playlistText());
    answerFileDialog(hPlaylistDialog, {file});
    SendMessageA(hPlaylistDialog, WM_COMMAND, PLAYLIST_CMD_OPEN, 0);
    forgetAnswers();
    EXPECT_TRUE(answered());
    return playlistSongs();
}

// Puts back a setting as stored() read it before the test.
void restoreSetting(const char *name, const std::string &before)
{
    if (before.rfind("sz:", 0) == 0) {
        writeValue(SETTINGS_KEY, name, REG_SZ, before.substr(3));
        return;
    }
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

// "/startup" with "Use current playlist" chosen, for a program in WORK.
songs throughTheStartupPlaylist()
{
    std::string folder = std::string(WORK) + "\\Playlists";
    CreateDirectoryA(folder.c_str(), NULL);
    writeFile(folder + "\\Startup.m3P", playlistText());
    std::string minimize = stored(SETTINGS_KEY, "Minimize"), playlist = stored(SETTINGS_KEY, "Playlist");
    writeText(SETTINGS_KEY, "Minimize", "No");
    writeText(SETTINGS_KEY, "Playlist", "Yes");
    char programPath[PROGRAM_PATH_SIZE];
    snprintf(programPath, sizeof(programPath), "%s\\Kelvoria.exe", WORK);
    honourStartupMode(STARTUP_ARGUMENT, programPath);
    restoreSetting("Minimize", minimize);
    restoreSetting("Playlist", playlist);
    return playlistSongs();
}

HWND driveBox(HWND dialog, const char *root)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX && textOf(child) == root)
            return child;
    ADD_FAILURE() << "no box for " << root;
    return NULL;
}

// E: (make-search-drives.sh) holds two files in its root with names of 254
// and 255 characters and one below a folder too deep for the system's
// walk; M: holds 2,000 music files.
std::string mSong(int song)
{
    char path[40];
    snprintf(path, sizeof(path), "M:\\album%02d\\track%02d.mp3", song / 100, song % 100);
    return path;
}

songs throughTheScan()
{
    answerMessageBoxes({IDOK, IDOK});
    actOnDialog(hPlaylistDialog, [](HWND dialog) {
        PostMessageA(driveBox(dialog, "E:\\"), BM_CLICK, 0, 0);
        PostMessageA(driveBox(dialog, "M:\\"), BM_CLICK, 0, 0);
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    SendMessageA(hPlaylistDialog, WM_COMMAND, PLAYLIST_CMD_SEARCH, 0);
    EXPECT_TRUE(actedOnDialog());
    EXPECT_TRUE(messageBoxesAnswered());
    forgetAnswers();
    std::string name254 = musicName('e', 254), name255 = musicName('f', 255);
    songs expected = {{"E:\\" + name254, name254}, {"E:\\" + name255, name255}};
    for (int song = 0; song < 2000; ++song)
        expected.push_back({mSong(song), mSong(song).substr(mSong(song).rfind('\\') + 1)});
    return expected;
}

// ---- What every way must leave -----------------------------------------------

void savedThroughThePlaylistWindow(const std::string &file)
{
    DeleteFileA((file + ".m3P").c_str());
    answerFileDialog(hPlaylistDialog, {file});
    answerMessageBoxes({IDOK});
    SendMessageA(hPlaylistDialog, WM_COMMAND, PLAYLIST_CMD_SAVE, 0);
    forgetAnswers();
    EXPECT_EQ(lastMessageBox().caption, "Playlist successfully saved in :");
    texts lines = linesOf(fileBytes(file + ".m3P"));
    ASSERT_EQ(lines.size(), MAX_SONGS + 1u);
    EXPECT_EQ(lines[0], std::to_string(MAX_SONGS));
    for (int slot = 1; slot <= MAX_SONGS; ++slot)
        ASSERT_EQ(lines[slot], songList.paths[slot]) << "line " << slot + 1;
}

void command(int id) { SendMessageA(hwnd, WM_COMMAND, id, 0); }

int selectedRow() { return static_cast<int>(SendMessageA(rows(), LB_GETCURSEL, 0, 0)); }

// The path the transport opened last; empty when it opened none.
std::string openedPath()
{
    const std::vector<std::string> &calls = fake_fmod::calls();
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
        if (call->rfind("Stream_Open(", 0) == 0)
            return call->substr(12, call->size() - 12 - 7);   // less ",0,0,0)"
    return "";
}

// Commands sent straight to the main window: no message loop runs, so the
// timer's ticks cannot send commands of their own in between.
void transportWorksAtTheLastSong()
{
    struct step {
        const char *what;
        int shuffle, restart, from, id, current, opened;
    };
    const step steps[] = {
        {"Next onto the last song", 0, 0, MAX_SONGS - 1, CMD_NEXT, MAX_SONGS, MAX_SONGS},
        {"Play of the last song", 0, 0, MAX_SONGS, CMD_PLAY, MAX_SONGS, MAX_SONGS},
        {"Next at the last song stays there", 0, 0, MAX_SONGS, CMD_NEXT, MAX_SONGS, 0},
        {"Previous from the last song", 0, 0, MAX_SONGS, CMD_PREVIOUS, MAX_SONGS - 1, MAX_SONGS - 1},
        {"Next at the last song with restart", 0, 1, MAX_SONGS, CMD_NEXT, 1, 1},
    };
    for (const step &s : steps) {
        SCOPED_TRACE(s.what);
        songList.shuffle = s.shuffle;
        songList.restart = s.restart;
        songList.currentSong = s.from;
        fake_fmod::clearCalls();
        command(s.id);
        EXPECT_EQ(songList.currentSong, s.current);
        EXPECT_EQ(openedPath(), s.opened ? songList.paths[s.opened] : "");
        if (s.opened) {
            EXPECT_EQ(selectedRow(), s.opened - 1);
        }
    }
    // Shuffle from the last song: any song of the list, the last included.
    songList.shuffle = 1;
    songList.restart = 0;
    int highest = 0;
    for (int draw = 0; draw < 400; ++draw) {
        songList.currentSong = MAX_SONGS;
        fake_fmod::clearCalls();
        command(draw % 2 ? CMD_PREVIOUS : CMD_NEXT);
        ASSERT_GE(songList.currentSong, 1);
        ASSERT_LE(songList.currentSong, MAX_SONGS);
        ASSERT_EQ(openedPath(), songList.paths[songList.currentSong]);
        ASSERT_EQ(selectedRow(), songList.currentSong - 1);
        highest = std::max(highest, songList.currentSong);
    }
    EXPECT_GT(highest, MAX_SONGS * 9 / 10) << "shuffle reaches the end of the list";
    songList.shuffle = 0;
}

struct way {
    const char *what;
    std::function<songs()> offer;   // returns the songs offered, in the order taken
};

class Capacity : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        makePlayerWindows();
        CreateDirectoryA(WORK, NULL);
        CreateDirectoryA(BATCH_FOLDER, NULL);
        for (int i = 1; i <= BATCH_FITS + 2; ++i)
            makeFile(std::string(BATCH_FOLDER) + "\\" + batchName(i));
        makeFile("C:\\" + ROOT_NAME_254);
        makeFile("C:\\" + ROOT_NAME_255);
    }
    static void TearDownTestSuite()
    {
        DeleteFileA(("C:\\" + ROOT_NAME_254).c_str());
        DeleteFileA(("C:\\" + ROOT_NAME_255).c_str());
    }
    void TearDown() override { forgetAnswers(); }
};

TEST_F(Capacity, EveryWayInStopsAtTheLastSlotAndTheListWorksThere)
{
    const way ways[] = {
        {"the open dialog", throughTheOpenDialog},
        {"dropped files", throughADrop},
        {"a playlist file", throughAPlaylistFile},
        {"the disk scan", throughTheScan},
        {"the start-up playlist", throughTheStartupPlaylist},
    };
    for (const way &w : ways) {
        SCOPED_TRACE(w.what);
        startFresh();
        snprintf(songList.paths[MAX_SONGS + 1], PATH_SIZE, "%s", SENTINEL);
        songs offered = w.offer();
        ASSERT_GT(offered.size(), static_cast<size_t>(MAX_SONGS)) << "the way is offered more than the list holds";
        songs expected(offered.begin(), offered.begin() + MAX_SONGS);

        ASSERT_EQ(songList.songsNumber, MAX_SONGS);
        EXPECT_STREQ(songList.paths[MAX_SONGS + 1], SENTINEL) << "nothing is written past the last slot";
        EXPECT_STREQ(songList.paths[0], "");
        EXPECT_STREQ(songList.names[0], "");
        songs got = listed();
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(got[i], expected[i]) << "slot " << i + 1;

        texts shown = rowTexts();
        ASSERT_EQ(shown.size(), static_cast<size_t>(MAX_SONGS)) << "one row per song";
        for (int row = 0; row < MAX_SONGS; ++row)
            ASSERT_EQ(shown[row], songList.names[row + 1]) << "row " << row;

        savedThroughThePlaylistWindow(std::string(WORK) + "\\saved");
        transportWorksAtTheLastSong();
    }
}

} // namespace
