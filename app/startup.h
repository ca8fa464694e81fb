/*
 * Start-up and shutdown of the player, in their fixed order: the class,
 * the main skin, the windows, the outline, the registry, the engine, the
 * "/startup" mode, the random seed and the message loop.
 */
#ifndef KELVORIA_APP_STARTUP_H
#define KELVORIA_APP_STARTUP_H

#include <windows.h>

#define STARTUP_ARGUMENT "/startup"
#define PROGRAM_PATH_SIZE 256
#define STARTUP_PLAYLIST "\\Playlists\\Startup.m3P"

/* The whole run: returns the exit code (0), or 0 at once when the window
 * class cannot be registered. */
int runPlayer(HINSTANCE instance, const char *arguments);

/* The steps of runPlayer, in the order it takes them. */
bool registerMainClass(HINSTANCE instance);
void createPlayerWindows();
void startEngine();
bool isStartupMode(const char *arguments);
void honourStartupMode(const char *arguments, char *programPath);
void showUnlessMinimised(const char *arguments);
int runMessageLoop();

/* The start-up playlist's path for the program file at `programPath`:
 * its directory followed by "\Playlists\Startup.m3P". False (and `path`
 * empty) when there is no program path or the result would not fit. */
bool startupPlaylistPath(const char *programPath, char *path, int size);

/* Shutdown, run by the main window at WM_DESTROY: the engine closes, the
 * window's timer stops, the message loop is told to end with code 0. */
void quit(HWND window);

#endif
