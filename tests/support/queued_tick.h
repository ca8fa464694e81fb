// Delivers one WM_TIMER to a window through the message queue, as the
// system's timer does, so that the tick sees the cursor where the test has
// just put it (a tick reads the position that came with its message).
#ifndef KELVORIA_QUEUED_TICK_H
#define KELVORIA_QUEUED_TICK_H

#include <windows.h>

inline void tickThroughQueue(HWND window)
{
    // Posted messages leave the queue before the timer's own ticks, so the
    // first WM_TIMER found is this one.
    PostMessageA(window, WM_TIMER, 0, 0);
    MSG message;
    if (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
        DispatchMessageA(&message);
}

#endif
