#include "queued_tick.h"
#include "song_list_record.h"
#include "player_windows.h"

#include "fake_fmod.h"
#include "globals.h"
#include "main_window.h"
#include "songlist.h"
#include "startup.h"
#include "transport.h"

#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

namespace {

labelTexts createdLabels;

// A watched window: its own procedure, and what was sent to it meanwhile.
struct watch {
    HWND window;
    WNDPROC procedure;
    std::vector<std::string> sent;
};
watch watchedMain, watchedPlaylist;

watch &watchOf(HWND window)
{
    return window == watchedPlaylist.window ? watchedPlaylist : watchedMain;
}

LRESULT CALLBACK watchingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    watch &w = watchOf(window);
    switch (message) {
    case WM_COMMAND:
        w.sent.push_back("command " + std::to_string(LOWORD(wParam)));
        return 0;
    case WM_DESTROY:
        w.sent.push_back("destroy");
        return 0;
    case WM_CLOSE:
        w.sent.push_back("close");
        return 0;
    }
    return CallWindowProcA(w.procedure, window, message, wParam, lParam);
}

void startWatching(watch &w, HWND window)
{
    if (w.procedure)
        return;
    w.window = window;
    w.procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watchingProcedure)));
}

void stopWatching(watch &w)
{
    if (!w.procedure)
        return;
    SetWindowLongPtrA(w.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(w.procedure));
    w.procedure = NULL;
}

} // namespace

void makePlayerWindows()
{
    if (hwnd)
        return;
    SetCurrentDirectoryA(KELVORIA_TEST_RUN_DIR);   // the skins are relative to it
    hInst = GetModuleHandleA(NULL);
    registerMainClass(hInst);
    registerPathReaders();
    createPlayerWindows();
    HWND title = GetWindow(hwnd, GW_CHILD);
    createdLabels.title = textOf(title);
    createdLabels.status = textOf(GetWindow(title, GW_HWNDNEXT));
    startEngine();
    ShowWindow(hwnd, SW_SHOW);
}

const labelTexts &labelsAtCreation()
{
    return createdLabels;
}

void startFresh()
{
    stopWatchingMainWindow();
    stopWatchingPlaylistWindow();
    transportForget();          // nothing played, nothing held, no "Playing..." line shown
    memset(&songList, 0, sizeof(songList));
    fake_fmod::reset();
    transportAttach(hwnd);      // the engine forgot its callback
    fake_fmod::clearCalls();
    SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
    ShowWindow(hPlaylistDialog, SW_HIDE);
    ShowWindow(hSettingsDialog, SW_HIDE);
    ShowWindow(hEqualizerDialog, SW_HIDE);
    loaded = false;
    ShowWindow(hwnd, SW_SHOW);
    SetWindowPos(hwnd, NULL, 404, 618, 600, 119, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND child = GetWindow(hwnd, GW_CHILD);
    for (; child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        GetClassNameA(child, name, sizeof(name));
        if (lstrcmpiA(name, "STATIC") == 0)
            SetWindowTextA(child, "");
    }
    sentToMain().clear();
    sentToPlaylist().clear();
}

void addSongs(int count, int lengthMs)
{
    for (int i = 0; i < count; ++i) {
        int slot = ++songList.songsNumber;
        snprintf(songList.paths[slot], PATH_SIZE, "C:\\Music\\song%d.mp3", slot);
        snprintf(songList.names[slot], NAME_SIZE, "\\song%d.mp3", slot);
        fake_fmod::addFile(songList.paths[slot], lengthMs);
    }
}

void cursorAtWindow(int x, int y)
{
    RECT place;
    GetWindowRect(hwnd, &place);
    SetCursorPos(place.left + x, place.top + y);
    tickThroughQueue(hwnd);
}

std::string textOf(HWND window)
{
    char text[300] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

void watchMainWindow()
{
    startWatching(watchedMain, hwnd);
}

void stopWatchingMainWindow()
{
    stopWatching(watchedMain);
}

std::vector<std::string> &sentToMain()
{
    return watchedMain.sent;
}

void watchPlaylistWindow()
{
    startWatching(watchedPlaylist, hPlaylistDialog);
}

void stopWatchingPlaylistWindow()
{
    stopWatching(watchedPlaylist);
}

std::vector<std::string> &sentToPlaylist()
{
    return watchedPlaylist.sent;
}

bool pumpUntil(bool (*done)(), int deadlineSeconds)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(deadlineSeconds) * 1000)
            return false;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

HDROP dropOf(const std::vector<std::string> &paths)
{
    std::string names;
    for (const std::string &path : paths)
        names += path + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    DROPFILES *drop = static_cast<DROPFILES *>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char *>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string fileBytes(const std::string &path)
{
    std::string bytes;
    FILE *file = fopen(path.c_str(), "rb");
    for (int c; file && (c = fgetc(file)) != EOF;)
        bytes += static_cast<char>(c);
    if (file)
        fclose(file);
    return bytes;
}
