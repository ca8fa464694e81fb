// One player at a time: the mutex that tells a later start it is not the
// first, the shared block that names the running player's window, and the
// hand-over of a later start's command line.
#include "single_instance.h"

#include "command_line.h"
#include "messages.h"
#include "paths.h"
#include "songlist.h"
#include "text.h"

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// "Local\": one player per session (and so per user logged on in it).
const char MUTEX_NAME[] = "Local\\Kelvoria.Player";
const char WINDOW_BLOCK_NAME[] = "Local\\Kelvoria.Player.Window";
const DWORD ANSWER_MS = 4000;   // a player that takes longer to answer is hung
const DWORD FIND_MS = 5000;     // a player still starting publishes its window within this
const DWORD MAX_HAND_OVER = 4 * 1024 * 1024;

// The same layout for 32-bit and 64-bit players: window handles are 32-bit
// values in either.
struct publishedPlayer {
    uint32_t processId;
    uint32_t window;
};

HANDLE runningMutex;
HANDLE windowBlock;
std::vector<std::string> receivedHandOvers;

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

// The mode, then the paths, each ended by a NUL.
std::string handOverOf(const pathRequest &request)
{
    std::string message = request.paths.empty() ? "show" : request.add ? "add" : "play";
    message += '\0';
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

pathRequest requestOfHandOver(const std::string &message)
{
    pathRequest request;
    size_t end = message.find('\0');
    request.add = message.compare(0, end, "add") == 0;
    for (size_t at = end + 1; end != std::string::npos && at < message.size(); at = end + 1) {
        end = message.find('\0', at);
        if (end == std::string::npos)
            end = message.size();
        std::string path;
        if (fromUtf8(message.substr(at, end - at), path) && !path.empty() && path.size() < PATH_SIZE)
            request.paths.push_back(path);
    }
    return request;
}

void showPlayer(HWND window)
{
    SendMessageA(window, WM_COMMAND, CMD_RESTORE, 0);
    SetForegroundWindow(window);
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
        Sleep(50);
    } while (GetTickCount() - start < FIND_MS);
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
            carryOut(requestOfHandOver(message));
    }
}

void leaveSession()
{
    if (windowBlock) {
        writeBlock(windowBlock, publishedPlayer{0, 0});
        CloseHandle(windowBlock);
        windowBlock = NULL;
    }
    if (runningMutex) {
        CloseHandle(runningMutex);
        runningMutex = NULL;
    }
}
