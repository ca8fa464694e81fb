// One player at a time: the mutex that tells a later start it is not the
// first, the shared block that names the running player's window, the
// event a later start waits on for it, and the start's side of the
// hand-over.
#include "single_instance.h"

#include "command_line.h"
#include "hand_over_format.h"
#include "hand_over_queue.h"
#include "paths.h"
#include "songlist.h"
#include "start_probe.h"

#include <stdint.h>
#include <string.h>

#include <string>

namespace {

// "Local\": one player per session (and so per user logged on in it).
const char MUTEX_NAME[] = "Local\\Kelvoria.Player";
const char WINDOW_BLOCK_NAME[] = "Local\\Kelvoria.Player.Window";
// Set once the published window answers: starts wait on it, not in a poll.
const char PUBLISHED_EVENT_NAME[] = "Local\\Kelvoria.Player.Published";
const DWORD ANSWER_MS = 4000;       // a player that takes longer to answer is hung
// A player publishes its window once its loop runs; one still starting
// (twenty starts at once on a busy machine start it slowly) is waited for.
const DWORD STARTING_MS = 60000;
const DWORD LOOK_AGAIN_MS = 250;    // the mutex is looked at again: its player may have ended

// The same layout for 32-bit and 64-bit players: window handles are 32-bit
// values in either.
struct publishedPlayer {
    uint32_t processId;
    uint32_t window;
};

enum class answer { taken, refused, none };

HANDLE runningMutex;
HANDLE windowBlock;
HANDLE publishedEvent;

bool writeBlock(HANDLE block, const publishedPlayer &player)
{
    void *view = MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(player));
    if (!view)
        return false;
    memcpy(view, &player, sizeof(player));
    UnmapViewOfFile(view);
    return true;
}

publishedPlayer readPublishedPlayer()
{
    publishedPlayer player = {0, 0};
    HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, WINDOW_BLOCK_NAME);
    if (!block)
        return player;
    const void *view = MapViewOfFile(block, FILE_MAP_READ, 0, 0, sizeof(player));
    if (view) {
        memcpy(&player, view, sizeof(player));
        UnmapViewOfFile(view);
    }
    CloseHandle(block);
    return player;
}

answer send(HWND window, const publishedPlayer &player, const std::string &block)
{
    AllowSetForegroundWindow(player.processId);     // so that it may come to the front
    COPYDATASTRUCT copy = {HAND_OVER_TAG, static_cast<DWORD>(block.size()), const_cast<char *>(block.data())};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             ANSWER_MS, &result))
        return answer::none;
    return result ? answer::taken : answer::refused;
}

void tellNoAnswer()
{
    MessageBoxA(NULL,
                "Kelvoria is already running but does not answer.\n"
                "Wait until it answers, or end it, then try again.",
                "Kelvoria", MB_ICONWARNING);
}

void tellRefused()
{
    MessageBoxA(NULL,
                "Kelvoria is already running but did not take the files.\n"
                "Wait until it has ended, or end it, then try again.",
                "Kelvoria", MB_ICONWARNING);
}

// The event starts wait on for the player's window, made by whoever comes
// first.
HANDLE publishedEventOnce()
{
    if (!publishedEvent)
        publishedEvent = CreateEventA(NULL, TRUE, FALSE, PUBLISHED_EVENT_NAME);
    return publishedEvent;
}

// A start waiting for a player that has not published its window yet.
void waitForPublication()
{
    HANDLE published = publishedEventOnce();
    if (!published || WaitForSingleObject(published, LOOK_AGAIN_MS) != WAIT_TIMEOUT)
        Sleep(50);      // set, yet no window read: it is being published anew
}

std::string ownHandOver(const char *arguments)
{
    char folder[PATH_SIZE];
    currentFolder(folder, sizeof(folder));    // empty when too long: relative paths then name nothing
    return packHandOver(requestOf(arguments, folder), GetCurrentProcessId(), startOfProcess(GetCurrentProcess()));
}

} // namespace

bool becomeTheRunningPlayer()
{
    HANDLE mutex = CreateMutexA(NULL, FALSE, MUTEX_NAME);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    runningMutex = mutex;   // null when the system refused one: this player runs alone
    takeHandOvers();
    return true;
}

void publishMainWindow(HWND window)
{
    if (!windowBlock)
        windowBlock = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(publishedPlayer),
                                         WINDOW_BLOCK_NAME);
    publishedPlayer player = {GetCurrentProcessId(), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window))};
    if (windowBlock)
        writeBlock(windowBlock, player);
    if (publishedEventOnce())
        SetEvent(publishedEvent);
    holdGatheredForLateStarts();
}

// A refusal comes from a player that quits: it is asked again until it has
// left the session, when this start takes its place.
int handOverTo(const char *arguments)
{
    std::string block = ownHandOver(arguments);
    DWORD start = GetTickCount();
    bool refused = false;
    do {
        publishedPlayer player = readPublishedPlayer();
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(player.window));
        if (player.window && IsWindow(window)) {
            answer given = send(window, player, block);
            if (given == answer::taken)
                return 0;
            refused = given == answer::refused;
            if (!refused && IsWindow(window)) {
                tellNoAnswer();
                return 0;
            }
        }
        if (becomeTheRunningPlayer())
            return -1;      // the other player has ended meanwhile
        waitForPublication();
    } while (GetTickCount() - start < STARTING_MS);
    refused ? tellRefused() : tellNoAnswer();
    return 0;
}

void leaveSession()
{
    forgetHandOvers();
    if (windowBlock) {
        writeBlock(windowBlock, publishedPlayer{0, 0});
        CloseHandle(windowBlock);
        windowBlock = NULL;
    }
    if (publishedEvent) {
        ResetEvent(publishedEvent);
        CloseHandle(publishedEvent);
        publishedEvent = NULL;
    }
    if (runningMutex) {
        CloseHandle(runningMutex);
        runningMutex = NULL;
    }
}
