// The player's own windows, made once per test program by the start-up
// procedures themselves (class, skin, main window, hidden tool windows,
// outline) on the scripted engine, and helpers to watch what the main
// window sends itself.
#ifndef KELVORIA_TEST_PLAYER_WINDOWS_H
#define KELVORIA_TEST_PLAYER_WINDOWS_H

#include <windows.h>

#include <string>
#include <vector>

// Creates the windows the first time; later calls only return.
void makePlayerWindows();

// The labels' texts right after the main window was created.
struct labelTexts {
    std::string title;
    std::string status;
};
const labelTexts &labelsAtCreation();

// Empties the song list, the engine double and the labels, hides the tool
// windows, clears `loaded`, and stops watching the windows.
void startFresh();

// Appends `count` songs that the engine double opens, `lengthMs` long,
// named C:\Music\songN.mp3 with the display name \songN.mp3.
void addSongs(int count, int lengthMs);

// Puts the real cursor at (x, y) of the main window and lets a tick sample
// it, as the window's timer would.
void cursorAtWindow(int x, int y);

std::string textOf(HWND window);

// While watching, WM_COMMAND, WM_DESTROY and WM_CLOSE sent to the main
// window are written to sentToMain() ("command 5", "destroy", "close") and
// swallowed: the test sees what would run without running it.
void watchMainWindow();
void stopWatchingMainWindow();
std::vector<std::string> &sentToMain();

// The same for the playlist window.
void watchPlaylistWindow();
void stopWatchingPlaylistWindow();
std::vector<std::string> &sentToPlaylist();

// The whole content of a file; empty when it cannot be read.
std::string fileBytes(const std::string &path);

// A drop handle as the shell hands one over: DROPFILES, then the ANSI
// paths, each NUL-terminated, and an empty one. The receiver frees it.
HDROP dropOf(const std::vector<std::string> &paths);

// Runs the message loop until `done` or the deadline passes (seconds of
// real time, generous: only a broken program runs into it).
bool pumpUntil(bool (*done)(), int deadlineSeconds);

#endif
