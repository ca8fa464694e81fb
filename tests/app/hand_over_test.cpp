// A later start handing over to a running player that is played by a thread
// of the test: what the player answers, and what the start then does.
#include "hand_over_format.h"
#include "hand_over_queue.h"
#include "single_instance.h"
#include "songlist.h"

#include <gtest/gtest.h>

namespace {

typedef std::vector<std::string> texts;

struct blockCase {
    const char *what;
    uintptr_t tag;
    std::string bytes;
    bool read = false, show = false, add = false;
    texts paths = {};
};

std::string fields(const texts &all)
{
    std::string block;
    for (const std::string &field : all)
        block += field + '\0';
    return block;
}

TEST(HandOverFormat, ReadsItsOwnBlocksAndNothingElse)
{
    const std::string a = "C:\\Music\\a.mp3", b = "C:\\Music\\b.flac";
    const std::string tooLong(PATH_SIZE, 'x'), huge(HAND_OVER_MAX, 'x');
    const blockCase cases[] = {
        {"play", HAND_OVER_TAG, packHandOver({false, {a, b}}, 7, 1234), true, false, false, {a, b}},
        {"add", HAND_OVER_TAG, packHandOver({true, {b}}, 7, 1234), true, false, true, {b}},
        {"show", HAND_OVER_TAG, packHandOver({true, {}}, 7, 1234), true, true, false, {}},
        {"unusable path left out", HAND_OVER_TAG, fields({"play", "7", "1", "2", tooLong, a}), true, false, false, {a}},
        {"wrong tag", HAND_OVER_TAG + 1, packHandOver({false, {a}}, 7, 1), false},
        {"empty", HAND_OVER_TAG, "", false},
        {"oversized", HAND_OVER_TAG, fields({"play", "7", "1", "1", huge}), false},
        {"no terminator", HAND_OVER_TAG, fields({"play", "7", "1", "1"}) + a, false},
        {"truncated", HAND_OVER_TAG, fields({"play", "7"}), false},
        {"mode unknown", HAND_OVER_TAG, fields({"delete", "7", "1", "1", a}), false},
        {"process not a number", HAND_OVER_TAG, fields({"play", "-7", "1", "1", a}), false},
        {"process too large", HAND_OVER_TAG, fields({"play", "4294967296", "1", "1", a}), false},
        {"start too large", HAND_OVER_TAG, fields({"play", "7", "18446744073709551616", "1", a}), false},
        {"count too high", HAND_OVER_TAG, fields({"play", "7", "1", "3", a, b}), false},
        {"count too low", HAND_OVER_TAG, fields({"play", "7", "1", "1", a, b}), false},
        {"count beyond the block", HAND_OVER_TAG, fields({"play", "7", "1", "4294967295", a}), false},
        {"play without paths", HAND_OVER_TAG, fields({"play", "7", "1", "0"}), false},
        {"show with paths", HAND_OVER_TAG, fields({"show", "7", "1", "1", a}), false},
    };
    for (const blockCase &c : cases) {
        SCOPED_TRACE(c.what);
        bool show = false;
        handOver given;
        EXPECT_EQ(c.read, readHandOver(c.tag, c.bytes.data(), c.bytes.size(), show, given));
        if (!c.read)
            continue;
        EXPECT_EQ(c.show, show);
        EXPECT_EQ(c.add, given.request.add);
        EXPECT_EQ(c.paths, given.request.paths);
        EXPECT_EQ(7u, given.processId);
    }
}

volatile LONG handOversAnswered;

// The player's window takes hand-overs as the main window does.
LRESULT CALLBACK playerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        InterlockedIncrement(&handOversAnswered);
        return receiveHandOver(window, reinterpret_cast<const COPYDATASTRUCT *>(lParam)) ? TRUE : FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makePlayerWindow()
{
    WNDCLASSA windowClass = {0, playerProcedure, 0, 0, GetModuleHandleA(NULL), NULL, NULL, NULL, NULL,
                             "KelvoriaTestPlayer"};
    RegisterClassA(&windowClass);
    return CreateWindowA("KelvoriaTestPlayer", "player", 0, 0, 0, 10, 10, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

// A player that has begun to quit when the start finds it: it answers
// hand-overs until one came, then leaves the session and ends.
DWORD WINAPI quittingPlayer(LPVOID ready)
{
    EXPECT_TRUE(becomeTheRunningPlayer());
    HWND window = makePlayerWindow();
    publishMainWindow(window);
    stopTakingHandOvers();
    SetEvent(ready);
    DWORD start = GetTickCount();
    MSG message;
    while (!handOversAnswered && GetTickCount() - start < 30000) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    leaveSession();
    DestroyWindow(window);
    return 0;
}

TEST(HandOver, AStartWhosePlayerQuitsIsRefusedAndBecomesThePlayer)
{
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, quittingPlayer, ready, 0, NULL);
    WaitForSingleObject(ready, INFINITE);
    EXPECT_EQ(-1, handOverTo("C:\\Music\\a.mp3"));
    EXPECT_FALSE(handOversWaiting()) << "nothing was taken";
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(ready);
    leaveSession();
}

// A hand-over that cannot be queued for the player's loop is refused.
TEST(HandOver, OneThatCannotBeCarriedOutIsRefused)
{
    std::string block = packHandOver({false, {"C:\\a.mp3"}}, 1, 2);
    COPYDATASTRUCT copy = {HAND_OVER_TAG, static_cast<DWORD>(block.size()), &block[0]};
    EXPECT_FALSE(receiveHandOver(NULL, &copy)) << "no window to carry it out";
    EXPECT_FALSE(handOversWaiting());
}

} // namespace
