// The stored settings against the real registry of the test prefix. Each
// test starts from a registry without Software\Kelvoria and without the
// log-on entry, as on a first run.
#include "stored_settings.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const char SETTINGS_KEY[] = "Software\\Kelvoria\\Settings";
const char SHELL_KEY[] = "Software\\Kelvoria\\Shell";
const char STARTUP_KEY[] = "Software\\Kelvoria\\Shell\\Startup";
const char RUN_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct StoredValue {
    bool present;
    DWORD type;
    std::string bytes; // as stored, terminator included
};

StoredValue readValue(const char *keyPath, const char *name)
{
    StoredValue value = {false, 0, ""};
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    char bytes[1024];
    DWORD size = sizeof(bytes);
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE *>(bytes), &size) == ERROR_SUCCESS) {
        value.present = true;
        value.bytes.assign(bytes, size);
    }
    RegCloseKey(key);
    return value;
}

std::string textOf(const StoredValue &value)
{
    return value.present ? std::string(value.bytes.c_str()) : "<absent>";
}

void writeValue(const char *keyPath, const char *name, DWORD type, const void *bytes, DWORD size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(bytes), size);
    RegCloseKey(key);
}

void writeText(const char *keyPath, const char *name, const std::string &text)
{
    writeValue(keyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool keyExists(const char *keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void forgetEverything()
{
    for (const char *keyPath : {"Software\\Kelvoria\\Shell\\Startup", "Software\\Kelvoria\\Shell",
                                "Software\\Kelvoria\\Settings", "Software\\Kelvoria\\Playlist", "Software\\Kelvoria"})
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Kelvoria");
        RegCloseKey(run);
    }
}

std::string programFile()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        forgetEverything();
        ASSERT_FALSE(keyExists("Software\\Kelvoria"));
    }
    void TearDown() override { forgetEverything(); }

    void prepare()
    {
        char programPath[256];
        prepareRegistry(programPath, sizeof(programPath));
    }
};

// ---- yes/no settings ----

TEST_F(StoredSettings, FirstRunReadsEverySettingAsNotChosen)
{
    EXPECT_EQ(IsChosen("Launch"), 0);
    EXPECT_EQ(IsChosen("Minimize"), 0);
    EXPECT_EQ(IsChosen("Playlist"), 0);
}

TEST_F(StoredSettings, PreparedKeysWithoutValuesReadAsNotChosen)
{
    prepare();
    EXPECT_EQ(IsChosen("Launch"), 0);
    EXPECT_EQ(IsChosen("Minimize"), 0);
    EXPECT_EQ(IsChosen("Playlist"), 0);
}

TEST_F(StoredSettings, ChooseStoresTheTextWithItsTerminator)
{
    prepare();
    Choose("Minimize", "Yes");
    StoredValue stored = readValue(SETTINGS_KEY, "Minimize");
    ASSERT_TRUE(stored.present);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, std::string("Yes", 4));
    EXPECT_EQ(IsChosen("Minimize"), 1);

    Choose("Minimize", "No");
    EXPECT_EQ(readValue(SETTINGS_KEY, "Minimize").bytes, std::string("No", 3));
    EXPECT_EQ(IsChosen("Minimize"), 0);
}

TEST_F(StoredSettings, ChooseWithoutTheKeysWritesNothing)
{
    Choose("Playlist", "Yes");
    EXPECT_FALSE(keyExists(SETTINGS_KEY));
    EXPECT_EQ(IsChosen("Playlist"), 0);
}

TEST_F(StoredSettings, OnlyTheFirstByteDecides)
{
    prepare();
    writeText(SETTINGS_KEY, "Launch", "yes");
    EXPECT_EQ(IsChosen("Launch"), 0) << "lower case is not chosen";
    writeText(SETTINGS_KEY, "Launch", "Y");
    EXPECT_EQ(IsChosen("Launch"), 1);
    writeText(SETTINGS_KEY, "Launch", "");
    EXPECT_EQ(IsChosen("Launch"), 0);

    const unsigned char binary[] = {0x59, 0x00};
    writeValue(SETTINGS_KEY, "Minimize", REG_BINARY, binary, sizeof(binary));
    EXPECT_EQ(IsChosen("Minimize"), 1) << "the type is not looked at";
    DWORD number = 0x59;
    writeValue(SETTINGS_KEY, "Playlist", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(IsChosen("Playlist"), 1);
}

TEST_F(StoredSettings, AValueLongerThanFourBytesReadsAsNotChosen)
{
    prepare();
    writeText(SETTINGS_KEY, "Launch", "Yesterday");
    EXPECT_EQ(IsChosen("Launch"), 0);
}

// ---- preparation at start ----

TEST_F(StoredSettings, PreparationCreatesTheFiveKeysAndKeepsTheirValues)
{
    writeText(SETTINGS_KEY, "Minimize", "Yes");
    prepare();
    for (const char *keyPath : {"Software\\Kelvoria", SETTINGS_KEY, SHELL_KEY, STARTUP_KEY, "Software\\Kelvoria\\Playlist"})
        EXPECT_TRUE(keyExists(keyPath)) << keyPath;
    EXPECT_EQ(IsChosen("Minimize"), 1);
    EXPECT_FALSE(readValue(SETTINGS_KEY, "Launch").present) << "no setting is written at start";
}

TEST_F(StoredSettings, PreparationRecordsThePlainPathAndAQuotedStartupLine)
{
    char programPath[256];
    prepareRegistry(programPath, sizeof(programPath));
    std::string program = programFile();
    EXPECT_EQ(std::string(programPath), program) << "the caller's buffer holds the plain path";

    StoredValue path = readValue(SHELL_KEY, "programPath");
    EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path.bytes, program + '\0');
    StoredValue line = readValue(STARTUP_KEY, "programPathStartup");
    EXPECT_EQ(line.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(line.bytes, "\"" + program + "\" /startup" + '\0');
}

TEST_F(StoredSettings, EveryStartRewritesTheProgramPaths)
{
    prepare();
    storeProgramPaths("C:\\Old Place\\Kelvoria.exe");
    EXPECT_EQ(textOf(readValue(STARTUP_KEY, "programPathStartup")), "\"C:\\Old Place\\Kelvoria.exe\" /startup");
    prepare();
    EXPECT_EQ(textOf(readValue(SHELL_KEY, "programPath")), programFile());
    EXPECT_EQ(textOf(readValue(STARTUP_KEY, "programPathStartup")), "\"" + programFile() + "\" /startup");
}

TEST_F(StoredSettings, AStartupLineThatFitsTheCopyBufferExactlyIsWritten)
{
    prepare();
    // Quotes, blank and "/startup" take 11 bytes; with the NUL, 248
    // characters of path fill the 260 bytes.
    std::string path = "C:\\" + std::string(239, 'd') + "\\k.exe";
    ASSERT_EQ(path.size(), 248u);
    storeProgramPaths(path.c_str());
    EXPECT_EQ(textOf(readValue(STARTUP_KEY, "programPathStartup")), "\"" + path + "\" /startup");
}

TEST_F(StoredSettings, AStartupLineTooLongForTheCopyIsNotWrittenAndTheOldOneGoes)
{
    prepare();
    std::string path = "C:\\" + std::string(240, 'd') + "\\k.exe";
    ASSERT_EQ(path.size(), 249u);
    storeProgramPaths(path.c_str());
    EXPECT_EQ(textOf(readValue(SHELL_KEY, "programPath")), path);
    EXPECT_FALSE(readValue(STARTUP_KEY, "programPathStartup").present);
}

TEST_F(StoredSettings, PreparationWithATinyBufferRecordsNoCutPath)
{
    prepare();
    char programPath[8];
    memset(programPath, 'x', sizeof(programPath));
    prepareRegistry(programPath, sizeof(programPath));
    EXPECT_STREQ(programPath, "");
    EXPECT_FALSE(readValue(STARTUP_KEY, "programPathStartup").present);
}

// ---- the log-on entry of Apply ----

TEST_F(StoredSettings, WritingTheLogonEntryCopiesTheStartupLine)
{
    prepare();
    writeLogonEntry();
    EXPECT_EQ(textOf(readValue(SETTINGS_KEY, "Launch")), "Yes");
    StoredValue entry = readValue(RUN_KEY, "Kelvoria");
    EXPECT_EQ(entry.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(entry.bytes, "\"" + programFile() + "\" /startup" + '\0');
}

TEST_F(StoredSettings, TheLogonEntryKeepsItsPathUntilWrittenAgain)
{
    prepare();
    storeProgramPaths("C:\\Old\\Kelvoria.exe");
    writeLogonEntry();
    prepare();
    EXPECT_EQ(textOf(readValue(RUN_KEY, "Kelvoria")), "\"C:\\Old\\Kelvoria.exe\" /startup");
    writeLogonEntry();
    EXPECT_EQ(textOf(readValue(RUN_KEY, "Kelvoria")), "\"" + programFile() + "\" /startup");
}

TEST_F(StoredSettings, WithoutAStartupLineNoLogonEntryIsWritten)
{
    prepare();
    storeProgramPaths(("C:\\" + std::string(300, 'd')).c_str());
    writeLogonEntry();
    EXPECT_EQ(IsChosen("Launch"), 1);
    EXPECT_FALSE(readValue(RUN_KEY, "Kelvoria").present);
}

TEST_F(StoredSettings, AnOverlongStoredStartupLineIsNotCopied)
{
    prepare();
    writeText(STARTUP_KEY, "programPathStartup", std::string(300, 's'));
    writeLogonEntry();
    EXPECT_FALSE(readValue(RUN_KEY, "Kelvoria").present);
}

TEST_F(StoredSettings, TheLongestStoredStartupLineIsCopiedWhole)
{
    prepare();
    std::string line(STARTUP_LINE_SIZE - 1, 's');
    writeText(STARTUP_KEY, "programPathStartup", line);
    writeLogonEntry();
    EXPECT_EQ(textOf(readValue(RUN_KEY, "Kelvoria")), line);
}

TEST_F(StoredSettings, AStartupLineStoredWithoutTerminatorIsCopiedTerminated)
{
    prepare();
    writeValue(STARTUP_KEY, "programPathStartup", REG_BINARY, "abc", 3);
    writeLogonEntry();
    EXPECT_EQ(readValue(RUN_KEY, "Kelvoria").bytes, std::string("abc", 4));
}

TEST_F(StoredSettings, RemovingTheLogonEntryStoresLaunchNo)
{
    prepare();
    writeLogonEntry();
    removeLogonEntry();
    EXPECT_FALSE(readValue(RUN_KEY, "Kelvoria").present);
    EXPECT_EQ(textOf(readValue(SETTINGS_KEY, "Launch")), "No");
    removeLogonEntry();
    EXPECT_FALSE(readValue(RUN_KEY, "Kelvoria").present) << "removing an absent entry is harmless";
    EXPECT_EQ(IsChosen("Launch"), 0);
}

// ---- findFilePath ----

TEST(FindFilePath, CutsAtTheLastBackslashInPlace)
{
    char song[] = "C:\\Music\\a.mp3";
    EXPECT_EQ(findFilePath(song), song);
    EXPECT_STREQ(song, "C:\\Music");
    char pattern[] = "C:\\*.*";
    EXPECT_STREQ(findFilePath(pattern), "C:");
    char root[] = "C:\\";
    EXPECT_STREQ(findFilePath(root), "C:");
}

TEST(FindFilePath, TheStartupLineGivesTheProgramDirectory)
{
    char line[] = "C:\\Program Files\\Kelvoria\\Kelvoria.exe /startup";
    EXPECT_STREQ(findFilePath(line), "C:\\Program Files\\Kelvoria");
}

TEST(FindFilePath, ATextWithoutBackslashIsUnchanged)
{
    char name[] = "song.mp3";
    EXPECT_STREQ(findFilePath(name), "song.mp3");
    char empty[] = "";
    EXPECT_STREQ(findFilePath(empty), "");
}

} // namespace
