// The start-up argument and the start-up playlist's path, and shutdown:
// the close area closes the engine, destroys the windows and ends the
// message loop with code 0.
#include "fake_fmod.h"
#include "globals.h"
#include "player_windows.h"
#include "startup.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

namespace {

TEST(StartupArgument, OnlyTheExactWholeTextSelectsTheMode)
{
    EXPECT_TRUE(isStartupMode("/startup"));
    for (const char *other : {"", "/startup ", " /startup", "/startup x", "/STARTUP", "/Startup", "startup",
                              "\"/startup\"", "/startup\t"})
        EXPECT_FALSE(isStartupMode(other)) << "[" << other << "]";
    EXPECT_FALSE(isStartupMode(NULL));
}

TEST(StartupPlaylistPath, IsTheProgramsDirectoryAndPlaylistsStartup)
{
    char path[PROGRAM_PATH_SIZE];
    ASSERT_TRUE(startupPlaylistPath("C:\\Program Files\\Kelvoria\\Kelvoria.exe", path, sizeof(path)));
    EXPECT_STREQ("C:\\Program Files\\Kelvoria\\Playlists\\Startup.m3P", path);
}

TEST(StartupPlaylistPath, IsRefusedWithoutAProgramPathOrWhenItWouldNotFit)
{
    char path[PROGRAM_PATH_SIZE] = "old";
    EXPECT_FALSE(startupPlaylistPath("", path, sizeof(path)));
    EXPECT_STREQ("", path) << "an empty program path would name a file at the drive's root";

    // 240 characters of directory: with "\Playlists\Startup.m3P" it would
    // pass the 256 bytes, and a cut path names some other file.
    std::string program = "C:\\" + std::string(236, 'd') + "\\K.exe";
    snprintf(path, sizeof(path), "old");
    EXPECT_FALSE(startupPlaylistPath(program.c_str(), path, sizeof(path)));
    EXPECT_STREQ("", path);

    std::string fits = "C:\\" + std::string(256 - 1 - 3 - 22, 'd') + "\\K.exe";
    EXPECT_TRUE(startupPlaylistPath(fits.c_str(), path, sizeof(path)));
    EXPECT_EQ(255u, strlen(path));
}

// The shell's folder dialog needs this thread in a single-threaded
// apartment: a second start of one then only counts.
TEST(InterfaceThread, StartsComInASingleThreadedApartmentAndEndsIt)
{
    bool started = startInterfaceThread();
    ASSERT_TRUE(started);
    EXPECT_EQ(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED), S_FALSE) << "already in this apartment";
    CoUninitialize();
    endInterfaceThread(started);
    EXPECT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), S_OK) << "ended: any apartment may come";
    CoUninitialize();
}

// The close area's WM_DESTROY reaches a window that still stands: quit
// destroys it, with the tool windows it owns, and once only.
TEST(Shutdown, TheCloseAreaClosesTheEngineDestroysTheWindowsAndEndsTheLoopWithZero)
{
    makePlayerWindows();
    fake_fmod::reset();
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, fake_fmod::countCalls("Close()"));
    EXPECT_TRUE(hBmp == NULL) << "the skin was released";
    EXPECT_FALSE(IsWindow(hwnd) || IsWindow(hPlaylistDialog) || IsWindow(hSettingsDialog));
    EXPECT_EQ(0, runMessageLoop());
}

} // namespace
