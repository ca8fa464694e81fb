// A real, hidden top-level window that records the messages sent to it, and
// can answer one of them the way the player's window would.
#ifndef KELVORIA_TEST_RECORDING_WINDOW_H
#define KELVORIA_TEST_RECORDING_WINDOW_H

#include <windows.h>

#include <functional>
#include <vector>

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Creates the window; messages received from then on are kept in order.
HWND createRecordingWindow();
void destroyRecordingWindow(HWND window);

// The messages WM_COMMAND and WM_CLOSE received so far (the window
// manager's own traffic is left out).
const std::vector<ReceivedMessage> &receivedMessages();
void forgetReceivedMessages();

// Runs `answer` inside the send of every recorded message.
void answerMessages(std::function<void(const ReceivedMessage &)> answer);

#endif
