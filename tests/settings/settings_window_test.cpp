// The settings window on real windows under the display, against the real
// registry of the test prefix: what creation reads, the box rules tick by
// tick, Apply, the close area, and "This one !" with its real message boxes.
// The start-up playlist goes beside this test program, in its own
// Playlists folder, made and removed by the tests.
#include "dialog_answer.h"
#include "song_list_record.h"
#include "globals.h"
#include "player_windows.h"
#include "queued_tick.h"
#include "registry_state.h"
#include "settings_window.h"
#include "songlist.h"
#include "stored_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int DEADLINE_SECONDS = 20;
const char FAR_COPY_VARIABLE[] = "KELVORIA_FAR_COPY";

std::string playlistsFolder()
{
    std::string folder = programFile();
    return folder.substr(0, folder.rfind('\\')) + "\\Playlists";
}

std::string startupPlaylist()
{
    return playlistsFolder() + "\\Startup.m3P";
}

bool fileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string fileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool ticked(HWND window, int id)
{
    return IsDlgButtonChecked(window, id) == BST_CHECKED;
}

bool usable(HWND window, int id)
{
    return IsWindowEnabled(GetDlgItem(window, id)) != FALSE;
}

// The "At Startup" part as the user sees it: which of Launch, Minimize and
// Use current playlist are ticked, then which of Minimize, Use current
// playlist and "This one !" are usable, as "ticked 100 usable 110".
std::string startupBoxes(HWND window)
{
    std::string text = "ticked ";
    for (int id : {SETTINGS_LAUNCH, SETTINGS_MINIMIZE, SETTINGS_PLAYLIST})
        text += ticked(window, id) ? '1' : '0';
    text += " usable ";
    for (int id : {SETTINGS_MINIMIZE, SETTINGS_PLAYLIST, SETTINGS_THIS_ONE})
        text += usable(window, id) ? '1' : '0';
    return text;
}

// A click on a control, as the user can make it: only on a shown, usable one.
void clickControl(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    ASSERT_TRUE(IsWindowVisible(control) && IsWindowEnabled(control)) << "control " << id << " cannot be clicked";
    SendMessageA(control, BM_CLICK, 0, 0);
}

void setBox(HWND window, int id, bool on)
{
    CheckDlgButton(window, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// The window procedure's statics serve one window at a time, as in the
// program: the one start-up made is replaced, never doubled.
HWND createSettingsWindow()
{
    if (hSettingsDialog)
        DestroyWindow(hSettingsDialog);
    hSettingsDialog = CreateDialogParamA(hInst, "Settings", hwnd, SettingsProc, 0);
    return hSettingsDialog;
}

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        makePlayerWindows();
        startFresh();
        forgetEverything();
        CreateDirectoryA(playlistsFolder().c_str(), NULL);
        DeleteFileA(startupPlaylist().c_str());
    }

    void TearDown() override
    {
        forgetAnswers();
        memset(&songList, 0, sizeof(songList));
        forgetEverything();
        DeleteFileA(startupPlaylist().c_str());
        RemoveDirectoryA(playlistsFolder().c_str());
    }

    // A settings window made as start-up makes it, from the registry as it
    // stands now, then shown as the main window's command shows it.
    HWND shownWindow()
    {
        window = createSettingsWindow();
        ShowWindow(window, SW_HIDE);
        ShowWindow(window, SW_SHOW);
        return window;
    }

    // Clicks "This one !" and answers the message box it shows.
    messageBoxSeen saveWithThisOne()
    {
        answerMessageBoxes({IDOK});
        clickControl(window, SETTINGS_THIS_ONE);
        EXPECT_TRUE(messageBoxesAnswered()) << "a message box was shown";
        return lastMessageBox();
    }

    HWND window = NULL;
};

TEST_F(SettingsWindow, CreationTicksTheBoxesFromTheFlagsAndTheRegistry)
{
    const struct {
        const char *state;
        const char *launch, *minimize, *playlist;   // null: no value
        int shuffle;
        bool restart;
        const char *expected;                       // Shuffle Restart Launch Minimize Playlist
    } cases[] = {
        {"first run, no keys", nullptr, nullptr, nullptr, 0, false, "00000"},
        {"No for Launch, Yes for Minimize", "No", "Yes", "No", 0, false, "00010"},
        {"all Yes", "Yes", "Yes", "Yes", 1, true, "11111"},
        {"lower-case yes", "yes", "yes", "yes", 0, false, "00000"},
        {"the single letter Y", "Y", "No", "Y", 0, false, "00101"},
        {"shuffle other than 1", "No", "No", "No", 2, false, "00000"},
    };
    for (const auto &c : cases) {
        forgetEverything();
        const char *names[] = {"Launch", "Minimize", "Playlist"};
        const char *texts[] = {c.launch, c.minimize, c.playlist};
        for (int i = 0; i < 3; ++i)
            if (texts[i])
                writeText(SETTINGS_KEY, names[i], texts[i]);
        songList.shuffle = c.shuffle;
        songList.restart = c.restart;

        HWND made = createSettingsWindow();
        ASSERT_TRUE(made != NULL) << c.state;
        std::string seen;
        for (int id : {SETTINGS_SHUFFLE, SETTINGS_RESTART, SETTINGS_LAUNCH, SETTINGS_MINIMIZE, SETTINGS_PLAYLIST})
            seen += ticked(made, id) ? '1' : '0';
        EXPECT_EQ(seen, c.expected) << c.state;
        for (int id : {SETTINGS_APPLY, SETTINGS_SHUFFLE, SETTINGS_RESTART, SETTINGS_LAUNCH, SETTINGS_MINIMIZE,
                       SETTINGS_PLAYLIST, SETTINGS_THIS_ONE})
            EXPECT_TRUE(usable(made, id)) << c.state << ": control " << id << " starts usable";
        EXPECT_FALSE(IsWindowVisible(made)) << c.state;
        if (!c.launch && !c.minimize && !c.playlist) {
            EXPECT_FALSE(keyExists(SETTINGS_KEY)) << c.state << ": reading the settings makes no key";
        }
    }
}

TEST_F(SettingsWindow, BoxRulesActAtTheNextTickOnChangesOnly)
{
    // One row per user action; "tick" alone lets one timer tick pass. The
    // state is checked right after the action and again after the tick.
    const struct {
        const char *step;
        int clicked;            // 0: none
        const char *before, *after;
    } steps[] = {
        {"created with Launch No, Minimize Yes", 0, "ticked 010 usable 111", "ticked 010 usable 111"},
        {"tick Launch", SETTINGS_LAUNCH, "ticked 110 usable 111", "ticked 110 usable 111"},
        {"untick Launch", SETTINGS_LAUNCH, "ticked 010 usable 111", "ticked 000 usable 000"},
        {"tick", 0, "ticked 000 usable 000", "ticked 000 usable 000"},
        {"tick Launch again", SETTINGS_LAUNCH, "ticked 100 usable 000", "ticked 100 usable 110"},
        {"tick Use current playlist", SETTINGS_PLAYLIST, "ticked 101 usable 110", "ticked 101 usable 111"},
        {"untick Use current playlist", SETTINGS_PLAYLIST, "ticked 100 usable 111", "ticked 100 usable 110"},
        {"tick", 0, "ticked 100 usable 110", "ticked 100 usable 110"},
        {"tick it again", SETTINGS_PLAYLIST, "ticked 101 usable 110", "ticked 101 usable 111"},
        {"tick Minimize", SETTINGS_MINIMIZE, "ticked 111 usable 111", "ticked 111 usable 111"},
        {"untick Launch with both ticked", SETTINGS_LAUNCH, "ticked 011 usable 111", "ticked 000 usable 000"},
    };
    writeText(SETTINGS_KEY, "Launch", "No");
    writeText(SETTINGS_KEY, "Minimize", "Yes");
    shownWindow();
    for (const auto &s : steps) {
        if (s.clicked)
            clickControl(window, s.clicked);
        EXPECT_EQ(startupBoxes(window), s.before) << s.step << ", before the tick";
        tickThroughQueue(window);
        EXPECT_EQ(startupBoxes(window), s.after) << s.step << ", after the tick";
    }
}

TEST_F(SettingsWindow, ThisOneStaysUsableUntilUseCurrentPlaylistIsTickedOnce)
{
    writeText(SETTINGS_KEY, "Launch", "Yes");
    shownWindow();
    tickThroughQueue(window);
    tickThroughQueue(window);
    EXPECT_EQ(startupBoxes(window), "ticked 100 usable 111");
    clickControl(window, SETTINGS_PLAYLIST);
    tickThroughQueue(window);
    clickControl(window, SETTINGS_PLAYLIST);
    tickThroughQueue(window);
    EXPECT_EQ(startupBoxes(window), "ticked 100 usable 110");
}

TEST_F(SettingsWindow, TheRulesHoldHiddenAndAtTheFirstTickShownAgain)
{
    writeText(SETTINGS_KEY, "Launch", "Yes");
    writeText(SETTINGS_KEY, "Minimize", "Yes");
    shownWindow();
    tickThroughQueue(window);

    // Unticked just before the window was hidden: the window's own timer
    // goes on while it is hidden and still applies the rule.
    setBox(window, SETTINGS_LAUNCH, false);
    ShowWindow(window, SW_HIDE);
    static HWND watched;
    watched = window;
    EXPECT_TRUE(pumpUntil([] { return startupBoxes(watched) == "ticked 000 usable 000"; }, DEADLINE_SECONDS))
        << "hidden, the timer went on: " << startupBoxes(window);

    // Shown again, the next tick acts on what the user does.
    ShowWindow(window, SW_SHOW);
    clickControl(window, SETTINGS_LAUNCH);
    tickThroughQueue(window);
    EXPECT_EQ(startupBoxes(window), "ticked 100 usable 110");
    clickControl(window, SETTINGS_LAUNCH);
    EXPECT_TRUE(pumpUntil([] { return startupBoxes(watched) == "ticked 000 usable 000"; }, DEADLINE_SECONDS))
        << "shown, the timer runs: " << startupBoxes(window);
}

TEST_F(SettingsWindow, ApplyStoresEachBoxAndHidesWithoutAMessage)
{
    char programPath[PROGRAM_PATH_SIZE];
    prepareRegistry(programPath, sizeof(programPath));
    const struct {
        bool shuffle, restart, launch, minimize, playlist;
        const char *entry;      // the "Run" value "Kelvoria" afterwards; null: absent
    } cases[] = {
        {true, true, true, true, true, "written"},
        {false, false, false, false, false, nullptr},   // all three No, the entry removed
        {true, false, true, false, true, "written"},
        {false, true, false, true, false, nullptr},
        {false, false, false, false, false, nullptr},   // removing an absent entry
    };
    shownWindow();
    for (const auto &c : cases) {
        const bool boxes[] = {c.shuffle, c.restart, c.launch, c.minimize, c.playlist};
        const int ids[] = {SETTINGS_SHUFFLE, SETTINGS_RESTART, SETTINGS_LAUNCH, SETTINGS_MINIMIZE, SETTINGS_PLAYLIST};
        for (int i = 0; i < 5; ++i)
            setBox(window, ids[i], boxes[i]);
        std::string row = std::to_string(&c - cases);
        ShowWindow(window, SW_SHOW);
        answerMessageBoxes({IDOK});
        clickControl(window, SETTINGS_APPLY);
        EXPECT_FALSE(messageBoxesAnswered()) << row << ": no message box";
        forgetAnswers();

        EXPECT_EQ(songList.shuffle, c.shuffle ? 1 : 0) << row;
        EXPECT_EQ(songList.restart, c.restart) << row;
        EXPECT_EQ(stored(SETTINGS_KEY, "Launch"), sz(c.launch ? "Yes" : "No")) << row;
        EXPECT_EQ(stored(SETTINGS_KEY, "Minimize"), sz(c.minimize ? "Yes" : "No")) << row;
        EXPECT_EQ(stored(SETTINGS_KEY, "Playlist"), sz(c.playlist ? "Yes" : "No")) << row;
        EXPECT_EQ(stored(RUN_KEY, "Kelvoria"), c.entry ? sz(startupLineOf(programFile())) : "<absent>") << row;
        EXPECT_FALSE(IsWindowVisible(window)) << row;
    }
}

TEST_F(SettingsWindow, TheCloseAreaHidesAndKeepsWhatWasNotApplied)
{
    writeText(SETTINGS_KEY, "Minimize", "Yes");
    shownWindow();
    RECT place;
    GetWindowRect(window, &place);
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    auto pressAt = [&](int x, int y) {     // (x, y) in window coordinates
        LPARAM at = MAKELPARAM(place.left + x - client.x, place.top + y - client.y);
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    };
    const struct {
        int x, y;
        bool closes;
    } presses[] = {
        {321, 69, false}, {322, 68, false}, {340, 83, false}, {339, 84, false}, {200, 150, false},
        {322, 69, true},  {339, 83, true},  {330, 75, true},
    };
    clickControl(window, SETTINGS_SHUFFLE);
    clickControl(window, SETTINGS_MINIMIZE);
    for (const auto &p : presses) {
        ShowWindow(window, SW_SHOW);
        pressAt(p.x, p.y);
        EXPECT_EQ(!IsWindowVisible(window), p.closes) << "press at " << p.x << ", " << p.y;
    }
    ShowWindow(window, SW_SHOW);
    EXPECT_TRUE(ticked(window, SETTINGS_SHUFFLE) && !ticked(window, SETTINGS_MINIMIZE)) << "the user's changes stay";
    EXPECT_EQ(songList.shuffle, 0) << "nothing was applied";
    EXPECT_EQ(stored(SETTINGS_KEY, "Minimize"), sz("Yes"));

    // A request to close comes back from the dialog manager as the same id 2.
    SendMessageA(window, WM_CLOSE, 0, 0);
    static HWND closing;
    closing = window;
    EXPECT_TRUE(pumpUntil([] { return !IsWindowVisible(closing); }, DEADLINE_SECONDS));
}

TEST_F(SettingsWindow, TheHandOverTheCloseAreaAndWhiteControls)
{
    shownWindow();
    SetWindowPos(window, HWND_TOP, 50, 50, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND);
    const struct {
        int x, y;
        bool overClose;
    } places[] = {{330, 75, true}, {322, 69, true}, {339, 83, true}, {321, 75, false}, {100, 60, false}};
    for (const auto &p : places) {
        SetCursor(LoadCursorA(NULL, IDC_ARROW));
        SetCursorPos(50 + p.x, 50 + p.y);
        SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(GetCursor() == hand, p.overClose) << p.x << ", " << p.y;
    }
    HWND box = GetDlgItem(window, SETTINGS_LAUNCH);
    HDC dc = GetDC(box);
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box)),
              reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(box, dc);
}

TEST_F(SettingsWindow, ThisOneSavesTheListOrSaysWhyNot)
{
    shownWindow();
    messageBoxSeen box = saveWithThisOne();
    EXPECT_EQ(box.text, "Nothing to save.");
    EXPECT_EQ(box.caption, "Information");
    EXPECT_EQ(box.icon, "warning");
    EXPECT_TRUE(box.owner == NULL);
    EXPECT_FALSE(fileExists(startupPlaylist())) << "an empty list writes no file";

    addSongs(3, 60000);
    box = saveWithThisOne();
    EXPECT_EQ(box.text, "Startup playlist successfully saved.");
    EXPECT_EQ(box.caption, "Success !");
    EXPECT_EQ(box.icon, "information");
    EXPECT_TRUE(box.owner == NULL);
    EXPECT_EQ(fileBytes(startupPlaylist()),
              "3\r\nC:\\Music\\song1.mp3\r\nC:\\Music\\song2.mp3\r\nC:\\Music\\song3.mp3\r\n");
    EXPECT_TRUE(IsWindowVisible(window)) << "the window stays open";

    // Without the Playlists folder beside the program the file cannot be
    // written, and the user is told so.
    DeleteFileA(startupPlaylist().c_str());
    ASSERT_TRUE(RemoveDirectoryA(playlistsFolder().c_str()));
    box = saveWithThisOne();
    EXPECT_EQ(box.text, "Failed to save");
    EXPECT_EQ(box.caption, "Failure");
    EXPECT_EQ(box.icon, "warning");
    EXPECT_FALSE(fileExists(startupPlaylist()));
    EXPECT_TRUE(IsWindowVisible(window));
}

// Run in a copy of this program whose folder leaves no room for
// "\Playlists\Startup.m3P" in the 256 bytes of the path (the test below
// makes it); skipped elsewhere.
TEST_F(SettingsWindow, FarFromItsPlaylistsThisOneStaysGreyedAndSavesNowhere)
{
    if (!getenv(FAR_COPY_VARIABLE))
        GTEST_SKIP() << "runs in the far copy made by ProgramDirectoryTooLong";
    ASSERT_GT(playlistsFolder().size() - strlen("\\Playlists"), 233u);
    writeText(SETTINGS_KEY, "Launch", "Yes");
    shownWindow();
    EXPECT_EQ(startupBoxes(window), "ticked 100 usable 110");
    clickControl(window, SETTINGS_PLAYLIST);
    tickThroughQueue(window);
    EXPECT_EQ(startupBoxes(window), "ticked 101 usable 110") << "Use current playlist does not ungrey it";

    addSongs(2, 60000);
    answerMessageBoxes({IDOK});
    SendMessageA(window, WM_COMMAND, SETTINGS_THIS_ONE, 0);
    ASSERT_TRUE(messageBoxesAnswered());
    EXPECT_EQ(lastMessageBox().text, "Failed to save");
    EXPECT_EQ(lastMessageBox().caption, "Failure");
}

TEST(ProgramDirectoryTooLong, GreysThisOneInACopyOfThisProgram)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "kelvoria-far";
    std::vector<std::string> made = {folder};
    while (folder.size() < 240) {
        folder += "\\" + std::string(std::min<size_t>(100, 240 - folder.size() - 1), 'f');
        made.push_back(folder);
    }
    ASSERT_EQ(folder.size(), 240u);
    for (const std::string &f : made)
        CreateDirectoryA(f.c_str(), NULL);
    std::string copy = folder + "\\far.exe";
    ASSERT_TRUE(CopyFileA(programFile().c_str(), copy.c_str(), FALSE));

    std::string line = "\"" + copy + "\" --gtest_color=no --gtest_filter=*FarFromItsPlaylists*";
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableA(FAR_COPY_VARIABLE, "1");
    ASSERT_TRUE(CreateProcessA(copy.c_str(), commandLine.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process));
    SetEnvironmentVariableA(FAR_COPY_VARIABLE, NULL);
    // This program's windows keep answering while the copy runs.
    static HANDLE running;
    running = process.hProcess;
    EXPECT_TRUE(pumpUntil([] { return WaitForSingleObject(running, 0) == WAIT_OBJECT_0; }, 180)) << "the copy ends";
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u) << "the copy's test passed (its output is above)";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    DeleteFileA(copy.c_str());
    for (auto f = made.rbegin(); f != made.rend(); ++f)
        RemoveDirectoryA(f->c_str());
}

} // namespace
