// The registry layout below HKEY_CURRENT_USER\Software\Kelvoria and the
// per-user "Run" entry that starts the program at log-on.
#include "stored_settings.h"

#include "fmod.h"
#include "registry_values.h"
#include "song_events.h"
#include "songlist.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char SHELL_KEY[] = "Software\\Kelvoria\\Shell";
const char STARTUP_KEY[] = "Software\\Kelvoria\\Shell\\Startup";
const char RUN_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char RUN_VALUE[] = "Kelvoria";

const char *const KEYS_MADE_AT_START[] = {
    "Software\\Kelvoria",
    "Software\\Kelvoria\\Settings",
    "Software\\Kelvoria\\Shell",
    "Software\\Kelvoria\\Shell\\Startup",
    "Software\\Kelvoria\\Playlist",
};

int readReplayGainMode()
{
    char text[16];
    if (!readText(SETTINGS_KEY, "ReplayGain", text, sizeof(text)))
        return REPLAYGAIN_OFF;
    for (int mode = 0; mode < REPLAYGAIN_MODES; ++mode)
        if (strcmp(text, REPLAYGAIN_MODE_NAMES[mode]) == 0)
            return mode;
    return REPLAYGAIN_OFF;
}

int clampPreamp(int db)
{
    return db < -PREAMP_LIMIT_DB ? -PREAMP_LIMIT_DB : db > PREAMP_LIMIT_DB ? PREAMP_LIMIT_DB : db;
}

} // namespace

const char *const REPLAYGAIN_MODE_NAMES[REPLAYGAIN_MODES] = {"Off", "Track", "Album", "By order"};

int storedVolume(void)
{
    return readNumber("Volume", 0, VOLUME_FULL, VOLUME_FULL);
}

void storeVolume(int percent)
{
    writeNumber("Volume", percent < 0 ? 0 : percent > VOLUME_FULL ? VOLUME_FULL : percent);
}

replayGainChoice storedReplayGain(void)
{
    replayGainChoice choice;
    choice.mode = readReplayGainMode();
    choice.preampTaggedDb = readNumber("PreampTagged", -PREAMP_LIMIT_DB, PREAMP_LIMIT_DB, 0);
    choice.preampUntaggedDb = readNumber("PreampUntagged", -PREAMP_LIMIT_DB, PREAMP_LIMIT_DB, 0);
    char text[4];
    choice.preventClipping = !readText(SETTINGS_KEY, "PreventClipping", text, sizeof(text)) || text[0] == 'Y';
    return choice;
}

void storeReplayGain(const replayGainChoice &choice)
{
    int mode = choice.mode >= 0 && choice.mode < REPLAYGAIN_MODES ? choice.mode : REPLAYGAIN_OFF;
    writeText(SETTINGS_KEY, "ReplayGain", REPLAYGAIN_MODE_NAMES[mode]);
    writeNumber("PreampTagged", clampPreamp(choice.preampTaggedDb));
    writeNumber("PreampUntagged", clampPreamp(choice.preampUntaggedDb));
    writeText(SETTINGS_KEY, "PreventClipping", choice.preventClipping ? "Yes" : "No");
}

void applyReplayGain(void)
{
    replayGainChoice choice = storedReplayGain();
    int mode = KELVORIA_REPLAYGAIN_OFF;
    switch (choice.mode) {
    case REPLAYGAIN_TRACK: mode = KELVORIA_REPLAYGAIN_TRACK; break;
    case REPLAYGAIN_ALBUM: mode = KELVORIA_REPLAYGAIN_ALBUM; break;
    case REPLAYGAIN_BY_ORDER:
        mode = data.shuffle == 1 ? KELVORIA_REPLAYGAIN_TRACK : KELVORIA_REPLAYGAIN_ALBUM;
        break;
    }
    Kelvoria_SetReplayGain(mode, choice.preampTaggedDb * 100, choice.preampUntaggedDb * 100,
                           choice.preventClipping ? 1 : 0);
}

namespace {
void applyOnSwitches(songListChange change, void *)
{
    if (change == SWITCHES_CHANGED)
        applyReplayGain();
}
} // namespace

void followSwitchesWithReplayGain(void)
{
    listenToSongList(applyOnSwitches, nullptr);
}

int IsChosen(const char *name)
{
    HKEY key = openKey(SETTINGS_KEY);
    if (!key)
        return 0;
    // Four bytes hold "Yes" and its NUL; anything longer reads as not chosen.
    char text[4] = {0, 0, 0, 0};
    DWORD size = sizeof(text);
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && text[0] == 'Y' ? 1 : 0;
}

void Choose(const char *name, const char *text)
{
    writeText(SETTINGS_KEY, name, text);
}

void storeProgramPaths(const char *programPath)
{
    writeText(SHELL_KEY, "programPath", programPath);
    // The path is quoted so that one with blanks in it cannot be taken for
    // another program followed by arguments when it is run at log-on.
    char startupLine[STARTUP_LINE_SIZE];
    int length = snprintf(startupLine, sizeof(startupLine), "\"%s\" /startup", programPath);
    if (length < 0 || length >= static_cast<int>(sizeof(startupLine))) {
        // Too long to be copied into the log-on entry whole: a line left
        // from an earlier place of the program must not be copied either.
        deleteValue(STARTUP_KEY, "programPathStartup");
        return;
    }
    writeText(STARTUP_KEY, "programPathStartup", startupLine);
}

void prepareRegistry(char *programPath, int size)
{
    for (const char *keyPath : KEYS_MADE_AT_START) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    if (size <= 0)
        return;
    if (!programFile(programPath, size)) {
        // A cut path names no program: record nothing rather than a wrong place.
        deleteValue(STARTUP_KEY, "programPathStartup");
        return;
    }
    storeProgramPaths(programPath);
}

void writeLogonEntry(void)
{
    Choose("Launch", "Yes");
    char startupLine[STARTUP_LINE_SIZE];
    if (!readText(STARTUP_KEY, "programPathStartup", startupLine, sizeof(startupLine)))
        return;
    writeText(RUN_KEY, RUN_VALUE, startupLine);
}

void removeLogonEntry(void)
{
    Choose("Launch", "No");
    deleteValue(RUN_KEY, RUN_VALUE);
}

bool startupPlaylistPath(const char *programPath, char *path, int size)
{
    path[0] = '\0';
    if (!programPath[0])
        return false;       // no program path: no directory to look in
    char directory[PROGRAM_PATH_SIZE];
    snprintf(directory, sizeof(directory), "%s", programPath);
    findFilePath(directory);
    return joinPath(path, size, directory, STARTUP_PLAYLIST);   // never cut: it would name another file
}
