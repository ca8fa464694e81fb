/*
 * Start-up and shutdown of the player, in their fixed order: the class,
 * COM for this thread, the main skin, the main window and its outline, the registry, the engine,
 * the "/startup" mode, the command line, the main window shown, the tool
 * windows, the random seed and the message loop.
 */
#ifndef KELVORIA_APP_STARTUP_H
#define KELVORIA_APP_STARTUP_H

#include <windows.h>

#include "stored_settings.h"   /* PROGRAM_PATH_SIZE, startupPlaylistPath */

#define STARTUP_ARGUMENT "/startup"

/* The whole run: returns the exit code (0), or 0 at once when the window
 * class cannot be registered. */
int runPlayer(HINSTANCE instance, const char *arguments);

/* The intake reads folders with the disk scan's walk and playlist files
 * with the playlist readers. */
void registerPathReaders();

/* The steps of runPlayer, in the order it takes them. */
bool registerMainClass(HINSTANCE instance);
void createPlayerWindows();     /* the main window, then the tool windows */
void createMainPlayerWindow();
void createToolWindows();
void startEngine();
bool isStartupMode(const char *arguments);
void honourStartupMode(const char *arguments, char *programPath);
/* Paths on the command line (command_line.h), gathered with the starts
 * made at the same moment and carried out from the message loop
 * (hand_over_queue.h); nothing under "/startup". */
void honourCommandLine(const char *arguments);
void showUnlessMinimised(const char *arguments);
int runMessageLoop();
/* COM (OLE) in a single-threaded apartment on this thread, the user
 * interface's, for the shell's dialogs; ended after the message loop.
 * True when it was started here and is to be ended. */
bool startInterfaceThread();
void endInterfaceThread(bool started);

/* Shutdown, the only one, run by the main window for the close area
 * (WM_DESTROY), WM_CLOSE (the tray's Quit) and WM_ENDSESSION: the scan
 * stops, the engine closes, the window's timer stops, the windows are
 * destroyed, the message loop is told to end with code 0. Done by the time
 * it returns, and only once. */
void quit(HWND window);

#endif
