/*
 * The settings kept in the current user's registry below
 * "Software\Kelvoria", the log-on entry, and the path helper that the
 * start-up code, the settings window and the disk scan share.
 */
#ifndef KELVORIA_STORED_SETTINGS_H
#define KELVORIA_STORED_SETTINGS_H

#include <windows.h>

#include "paths.h"   /* findFilePath */

/* Size of the buffer through which the log-on entry is copied. */
#define STARTUP_LINE_SIZE 260

/* The program file's path and the start-up playlist's path are both held
 * in buffers of this size. */
#define PROGRAM_PATH_SIZE 256
#define STARTUP_PLAYLIST "Playlists\\Startup.m3P"   /* below the program's folder */

/* 1 when the yes/no setting `name` ("Launch", "Minimize", "Playlist",
 * "Autoplay")
 * holds a text starting with 'Y'; 0 when it is absent or anything else. */
int IsChosen(const char *name);

/* Stores `text` ("Yes" or "No") as the setting `name`. */
void Choose(const char *name, const char *text);

/* Run at every start: creates the keys, then records where the program
 * file is ("programPath") and the line that starts it at log-on
 * ("programPathStartup"). `programPath` (of `size` bytes) receives the
 * program file's plain path, which findFilePath turns into its directory;
 * it is left empty when the path did not fit. */
void prepareRegistry(char *programPath, int size);

/* The two writes of prepareRegistry for a given program path: "programPath"
 * as it is, and "programPathStartup" as the quoted path followed by
 * " /startup". A start-up line that would not fit STARTUP_LINE_SIZE is not
 * written, and an older one is removed. */
void storeProgramPaths(const char *programPath);

/* The log-on entry of the settings window's Apply: written from
 * "programPathStartup" when Launch is ticked, removed when it is not. Both
 * record the box in "Launch". */
void writeLogonEntry(void);
void removeLogonEntry(void);

/* The listener's volume, 0 to 100 percent, as the text "Volume" holds it
 * ("75"). A missing value, one that is not a whole number, or one outside
 * 0..100 gives full volume. */
#define VOLUME_FULL 100
int storedVolume(void);
void storeVolume(int percent);

/* How songs are evened out: "ReplayGain" holds "Off", "Track", "Album" or
 * "By order" (album gain while the list plays in order, track gain while it
 * shuffles); "PreampTagged" and "PreampUntagged" hold whole decibels from
 * -15 to 15 ("-3"); "PreventClipping" holds "Yes" or "No". A missing or
 * unknown value gives its default: Off, 0 dB, 0 dB, and Yes. */
enum { REPLAYGAIN_OFF, REPLAYGAIN_TRACK, REPLAYGAIN_ALBUM, REPLAYGAIN_BY_ORDER, REPLAYGAIN_MODES };
#define PREAMP_LIMIT_DB 15
struct replayGainChoice {
    int mode;               /* REPLAYGAIN_* */
    int preampTaggedDb;
    int preampUntaggedDb;
    bool preventClipping;
};
extern const char *const REPLAYGAIN_MODE_NAMES[REPLAYGAIN_MODES];
replayGainChoice storedReplayGain(void);
void storeReplayGain(const replayGainChoice &choice);

/* Hands the stored choice to the engine, "By order" resolved by the song
 * list's shuffle switch as it stands. Run at start and whenever the choice
 * or the shuffle switch changes; each song takes it as it starts. */
void applyReplayGain(void);

/* From now on, every change of the shuffle switch applies the ReplayGain
 * choice again ("By order" follows it). */
void followSwitchesWithReplayGain(void);

/* The start-up playlist's path for the program file at `programPath`:
 * its directory followed by "\Playlists\Startup.m3P". False (and `path`
 * empty) when there is no program path or the result would not fit. */
bool startupPlaylistPath(const char *programPath, char *path, int size);

#endif
