#include "recording_window.h"

namespace {

const char CLASS_NAME[] = "KelvoriaTestRecorder";

std::vector<ReceivedMessage> received;
std::function<void(const ReceivedMessage &)> answer;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_CLOSE) {
        ReceivedMessage entry = {message, wParam, lParam};
        received.push_back(entry);
        if (answer)
            answer(entry);
        return 0; // WM_CLOSE must not destroy it, as with the playlist window
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClassOnce()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = CLASS_NAME;
    registered = RegisterClassA(&windowClass) != 0;
}

} // namespace

HWND createRecordingWindow()
{
    registerClassOnce();
    received.clear();
    answer = nullptr;
    return CreateWindowExA(0, CLASS_NAME, "recorder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void destroyRecordingWindow(HWND window)
{
    answer = nullptr;
    DestroyWindow(window);
}

const std::vector<ReceivedMessage> &receivedMessages()
{
    return received;
}

void forgetReceivedMessages()
{
    received.clear();
}

void answerMessages(std::function<void(const ReceivedMessage &)> newAnswer)
{
    answer = newAnswer;
}
