// One player at a time: the mutex that tells a later start it is not the
// first, the shared block that names the running player's window, and the
// hand-over of a later start's command line.
#include "single_instance.h"

#include "command_line.h"
#include "hand_over_selection.h"
#include "messages.h"
#include "paths.h"
#include "songlist.h"
#include "text.h"

#include <tlhelp32.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

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
const UINT SELECTION_TICK_MS = 50;
const DWORD MAX_HAND_OVER = 4 * 1024 * 1024;

// The same layout for 32-bit and 64-bit players: window handles are 32-bit
// values in either.
struct publishedPlayer {
    uint32_t processId;
    uint32_t window;
};

HANDLE runningMutex;
HANDLE windowBlock;
HANDLE publishedEvent;
std::vector<std::string> receivedHandOvers;
selections gathered;

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

uint64_t momentOf(const FILETIME &time)
{
    return ((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

uint64_t momentNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return momentOf(now);
}

// When the process began: starts Explorer makes at once began together,
// however long each then took to come this far. 0 when unknown.
uint64_t startOfProcess(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    return GetProcessTimes(process, &created, &ended, &kernel, &user) ? momentOf(created) : 0;
}

// The mode, the sender's process id and start, then the paths, each ended
// by a NUL.
std::string handOverOf(const pathRequest &request)
{
    std::string message = request.paths.empty() ? "show" : request.add ? "add" : "play";
    message += '\0';
    message += std::to_string(GetCurrentProcessId()) + '\0';
    message += std::to_string(startOfProcess(GetCurrentProcess())) + '\0';
    for (const std::string &path : request.paths)
        message += utf8Of(path) + '\0';
    return message;
}

// True when the player took it; false when it did not answer in time.
bool send(HWND window, const publishedPlayer &player, const std::string &message)
{
    AllowSetForegroundWindow(player.processId);     // so that it may come to the front
    COPYDATASTRUCT copy = {HAND_OVER_TAG, static_cast<DWORD>(message.size()), const_cast<char *>(message.data())};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, ANSWER_MS, &answer) && answer;
}

void tellNoAnswer()
{
    MessageBoxA(NULL,
                "Kelvoria is already running but does not answer.\n"
                "Wait until it answers, or end it, then try again.",
                "Kelvoria", MB_ICONWARNING);
}

// The next NUL-ended field from `at`, which moves past it.
std::string fieldOf(const std::string &message, size_t &at)
{
    size_t end = std::min(message.find('\0', at), message.size());
    std::string field = at < end ? message.substr(at, end - at) : std::string();
    at = end + 1;
    return field;
}

handOver handOverOfMessage(const std::string &message)
{
    handOver given;
    size_t at = 0;
    given.request.add = fieldOf(message, at) == "add";
    given.processId = strtoul(fieldOf(message, at).c_str(), NULL, 10);
    given.started = strtoull(fieldOf(message, at).c_str(), NULL, 10);
    given.arrived = momentNow();
    while (at < message.size()) {
        std::string path;
        if (fromUtf8(fieldOf(message, at), path) && !path.empty() && path.size() < PATH_SIZE)
            given.request.paths.push_back(path);
    }
    return given;
}

void showPlayer(HWND window)
{
    SendMessageA(window, WM_COMMAND, CMD_RESTORE, 0);
    SetForegroundWindow(window);
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

bool sameSession(DWORD processId)
{
    DWORD own = 0, other = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &own) && ProcessIdToSessionId(processId, &other) &&
           own == other;
}

// A start of this program, of the selection's moment, that runs but has not
// handed over yet.
bool isPendingStart(const selection &waiting, const PROCESSENTRY32 &entry, const char *ownName)
{
    if (_stricmp(entry.szExeFile, ownName) != 0 || entry.th32ProcessID == GetCurrentProcessId() ||
        std::count(waiting.processIds.begin(), waiting.processIds.end(), entry.th32ProcessID) ||
        !sameSession(entry.th32ProcessID))
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process)
        return false;
    uint64_t started = startOfProcess(process);
    CloseHandle(process);
    return started && startsTogether(waiting.earliestStart, waiting.latestStart, started);
}

bool startsPending(const selection &waiting)
{
    char own[MAX_PATH] = "";
    GetModuleFileNameA(NULL, own, sizeof(own));
    const char *ownName = strrchr(own, '\\') ? strrchr(own, '\\') + 1 : own;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    bool pending = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !pending; more = Process32Next(snapshot, &entry))
        pending = isPendingStart(waiting, entry, ownName);
    CloseHandle(snapshot);
    return pending;
}

// The process list is read only once the selection has been quiet.
bool firstSelectionReady()
{
    uint64_t now = momentNow();
    return firstSelectionDue(gathered, now, false) &&
           firstSelectionDue(gathered, now, startsPending(gathered.waiting.front()));
}

void gather(HWND window, const handOver &given)
{
    gatherHandOver(gathered, given);
    SetTimer(window, SELECTION_TIMER, SELECTION_TICK_MS, NULL);
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
    // The starts that waited for the window hand over right after this:
    // what was gathered before waits for them.
    uint64_t now = momentNow();
    for (selection &waiting : gathered.waiting)
        waiting.lastArrival = std::max(waiting.lastArrival, now);
}

int handOverTo(const char *arguments)
{
    char folder[PATH_SIZE];
    currentFolder(folder, sizeof(folder));    // empty when too long: relative paths then name nothing
    std::string message = handOverOf(requestOf(arguments, folder));
    DWORD start = GetTickCount();
    do {
        publishedPlayer player = readPublishedPlayer();
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(player.window));
        if (player.window && IsWindow(window)) {
            if (send(window, player, message))
                return 0;
            if (IsWindow(window)) {
                tellNoAnswer();
                return 0;
            }
        }
        if (becomeTheRunningPlayer())
            return -1;      // the other player has ended meanwhile
        waitForPublication();
    } while (GetTickCount() - start < STARTING_MS);
    tellNoAnswer();
    return 0;
}

bool receiveHandOver(HWND window, const COPYDATASTRUCT *copy)
{
    if (!copy || copy->dwData != HAND_OVER_TAG || !copy->lpData || copy->cbData > MAX_HAND_OVER)
        return false;
    receivedHandOvers.emplace_back(static_cast<const char *>(copy->lpData), copy->cbData);
    PostMessageA(window, MSG_HAND_OVER, 0, 0);
    return true;
}

void carryOutHandOvers(HWND window)
{
    std::vector<std::string> handOvers;
    handOvers.swap(receivedHandOvers);
    for (const std::string &message : handOvers) {
        if (message.compare(0, 5, std::string("show\0", 5)) == 0)
            showPlayer(window);
        else
            gather(window, handOverOfMessage(message));
    }
}

void gatherOwnRequest(HWND window, const pathRequest &request)
{
    if (request.paths.empty())
        return;
    handOver own;
    own.started = startOfProcess(GetCurrentProcess());
    own.arrived = momentNow();
    own.processId = GetCurrentProcessId();
    own.request = request;
    gather(window, own);
}

void carryOutDueSelections(HWND window)
{
    static bool carrying;   // a box of the intake runs a loop that ticks too
    if (carrying)
        return;
    carrying = true;
    while (firstSelectionReady())
        carryOut(takeFirstSelection(gathered));
    if (gathered.waiting.empty())
        KillTimer(window, SELECTION_TIMER);
    carrying = false;
}

bool handOversWaiting()
{
    return !receivedHandOvers.empty() || !gathered.waiting.empty();
}

void leaveSession()
{
    gathered = selections();
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
