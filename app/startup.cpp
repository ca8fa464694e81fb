#include "startup.h"

#include "stored_double_size.h"
#include "window_scale.h"

#include "draw.h"
#include "frame.h"
#include "fmod.h"
#include "globals.h"
#include "main_window.h"
#include "command_line.h"
#include "album.h"
#include "background_scan.h"
#include "cue_album.h"
#include "disk_scan.h"
#include "equalizer_window.h"
#include "intake.h"
#include "keyboard.h"
#include "kept_place.h"
#include "media_keys.h"
#include "paths.h"
#include "playlist_file.h"
#include "playlist_formats.h"
#include "playlist_window.h"
#include "settings_window.h"
#include "hand_over_queue.h"
#include "single_instance.h"
#include "songlist.h"
#include "stored_equalizer.h"
#include "stored_settings.h"
#include "volume.h"

#include <ole2.h>
#include <windowsx.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

bool registerMainClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass;
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "icone");
    windowClass.hIconSm = LoadIconA(instance, "icone");
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = MAIN_CLASS_NAME;
    return RegisterClassExA(&windowClass) != 0;
}

// The skin comes first: the main window's creation puts it on its drawing
// surface.
void createMainPlayerWindow()
{
    hBmp = loadSkin(mainWindow);
    hwnd = CreateWindowExA(0, MAIN_CLASS_NAME, MAIN_WINDOW_TITLE, 0x80000800, 404, 618, 600, 119, NULL,
                           NULL, hInst, NULL);
    SetWindowRgn(hwnd, BmpToRgnAtScale(hBmp, mainWindow.transparent, windowScale(hwnd)), TRUE);
}

// The tool windows start hidden, owned by the main window; the playlist
// window shows the list as it stands when it is made.
// A dialog gives its first control the focus as it is made, hidden or not,
// and so takes the activation from the main window shown before it: the keys
// would then go to a hidden check box. The focus goes back where it was.
void createToolWindows()
{
    HWND focus = GetFocus();
    hPlaylistDialog = CreateDialogParamA(hInst, "Playlist", hwnd, PlaylistProc, 0);
    ShowWindow(hPlaylistDialog, SW_HIDE);
    hSettingsDialog = CreateDialogParamA(hInst, "Settings", hwnd, SettingsProc, 0);
    ShowWindow(hSettingsDialog, SW_HIDE);
    hEqualizerDialog = CreateDialogParamA(hInst, "Equalizer", hwnd, EqualizerProc, 0);
    ShowWindow(hEqualizerDialog, SW_HIDE);
    if (focus && GetFocus() != focus)
        SetFocus(focus);
}

void createPlayerWindows()
{
    createMainPlayerWindow();
    createToolWindows();
}

void startEngine()
{
    FSOUND_Init(44100, 32, 0);
    FSOUND_SetOutput(2);
    FSOUND_SetDriver(0);
}

bool isStartupMode(const char *arguments)
{
    return arguments && strcmp(arguments, STARTUP_ARGUMENT) == 0;
}

void honourStartupMode(const char *arguments, char *programPath)
{
    if (!isStartupMode(arguments))
        return;
    if (IsChosen("Minimize"))
        SendMessageA(hwnd, WM_COMMAND, CMD_MINIMISE_TO_TRAY, 0);
    if (!IsChosen("Playlist"))
        return;
    char playlistPath[PROGRAM_PATH_SIZE] = {0};
    if (startupPlaylistPath(programPath, playlistPath, sizeof(playlistPath)))
        intakePaths({playlistPath}, FROM_OPEN_DIALOG, INTAKE_REPLACE);
}

void showUnlessMinimised(const char *arguments)
{
    if (isStartupMode(arguments) && IsChosen("Minimize"))
        return;
    ShowWindow(hwnd, SW_SHOW);
}

// The system gives a wheel's turn to the window with the focus; a turn over
// the main window or the playlist window is the volume's, whichever of the
// player's windows has the focus, and the playlist's list does not scroll.
void sendWheelToVolume(MSG &message)
{
    if (message.message != WM_MOUSEWHEEL)
        return;
    POINT at = {GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
    HWND under = WindowFromPoint(at);
    HWND top = under ? GetAncestor(under, GA_ROOT) : NULL;
    if (top && (top == hwnd || top == hPlaylistDialog))
        message.hwnd = hwnd;
}

int runMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0)) {
        sendWheelToVolume(message);
        if (takeKeyboardMessage(message))
            continue;   // a key of the player, or a tool window's dialog keys
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void honourCommandLine(const char *arguments)
{
    if (isStartupMode(arguments))
        return;
    char folder[PATH_SIZE];
    currentFolder(folder, sizeof(folder));    // empty when too long: relative paths then name nothing
    gatherOwnRequest(hwnd, requestOf(arguments, folder));
}

void registerPathReaders()
{
    readFoldersWith(addFolderMusic);
    readPlaylistsWith(readPlaylistInto, isPlaylistFileName);
    readAlbumsWith(readAlbumAt);
}

// A start that names no paths comes back where the last run left off; a
// start-up playlist chosen in the settings wins over the kept list.
void honourKeptPlace(const char *arguments)
{
    if (isStartupMode(arguments) && IsChosen("Playlist"))
        return;
    for (const std::string &argument : splitArguments(arguments))
        if (!argument.empty() && argument[0] != '/')
            return;
    comeBackToKeptPlace();
}

// The shell's dialogs (the search window's folder dialog among them) need
// COM in a single-threaded apartment on the thread that shows them.
bool startInterfaceThread()
{
    return SUCCEEDED(OleInitialize(NULL));
}

void endInterfaceThread(bool started)
{
    if (started)
        OleUninitialize();
}

int runPlayer(HINSTANCE instance, const char *arguments)
{
    char programPath[PROGRAM_PATH_SIZE] = {0};
    hInst = instance;
    if (!becomeTheRunningPlayer()) {
        int code = isStartupMode(arguments) ? 0 : handOverTo(arguments);
        if (code >= 0)
            return code;    // the running player has it
    }
    if (!registerMainClass(instance))
        return 0;
    registerPathReaders();
    followSwitchesWithReplayGain();
    bool comStarted = startInterfaceThread();
    restoreAndKeepDoubleSize();
    createMainPlayerWindow();
    prepareRegistry(programPath, sizeof(programPath));
    startEngine();
    restoreVolume();
    restoreAndKeepEqualizer();
    registerMediaKeys(hwnd);
    honourStartupMode(arguments, programPath);
    honourCommandLine(arguments);
    showUnlessMinimised(arguments);
    honourKeptPlace(arguments);
    // The face first: nothing the listener sees waits for the tool
    // windows, which no message has reached before the loop runs.
    createToolWindows();
    srand(static_cast<unsigned>(time(NULL)));
    publishMainWindow(hwnd);    // later starts wait for it until it answers
    int code = runMessageLoop();
    endInterfaceThread(comStarted);
    return code;
}

// The one way out, whichever asked for it: the close area, the tray's Quit,
// WM_CLOSE and the end of the session all come here, once. Each step stops
// what would still use the next: the scan's threads open songs through the
// engine and post to the windows; the engine joins its threads and closes
// the sound device, whose own threads in the system then have nothing left
// to do when the process ends; the windows (the tool windows, the search
// window and an open dialog go with the main window) are destroyed while
// every DLL they draw with is still there, not left to the end of the
// process. Their destruction comes back here, and is let through.
void quit(HWND window)
{
    static bool quitting;
    if (quitting)
        return;
    quitting = true;
    stopTakingHandOvers();  // a later start then waits for this one to end
    keepPlace();        // while the engine still knows the position
    stopScanning();
    FSOUND_Close();
    stopFrameTimer(window);
    releaseMediaKeys(window);
    leaveSession();
    DestroyWindow(window);
    PostQuitMessage(0);
}
