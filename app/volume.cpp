#include "volume.h"

#include "fmod.h"
#include "messages.h"
#include "main_window.h"
#include "transport.h"
#include "stored_settings.h"

#include <stdio.h>
#include <string.h>

namespace {

struct volumeLine {
    bool shown;
    DWORD since;
    char text[32];                          // "Volume: N%" as shown
    char before[sizeof(playing.statusText)];   // the label's text when it began
    char statusBefore[sizeof(playing.statusText)];
};

volumeLine &line()
{
    static volumeLine state;
    return state;
}

int &volume()
{
    static int percent = VOLUME_FULL;
    return percent;
}

void showVolume(HWND hStatus)
{
    volumeLine &shown = line();
    if (!shown.shown) {
        GetWindowTextA(hStatus, shown.before, sizeof(shown.before));
        snprintf(shown.statusBefore, sizeof(shown.statusBefore), "%s", statusLineText());
    }
    snprintf(shown.text, sizeof(shown.text), "Volume: %d%%", volume());
    SetWindowTextA(hStatus, shown.text);
    shown.shown = true;
    shown.since = GetTickCount();
}

} // namespace

void restoreVolume(void)
{
    volume() = storedVolume();
    Kelvoria_SetVolume(volume());
    applyReplayGain();
}

bool volumeCommand(int id, HWND hStatus)
{
    if (id != CMD_VOLUME_UP && id != CMD_VOLUME_DOWN)
        return false;
    int percent = volume() + (id == CMD_VOLUME_UP ? VOLUME_STEP : -VOLUME_STEP);
    volume() = percent < 0 ? 0 : percent > VOLUME_FULL ? VOLUME_FULL : percent;
    Kelvoria_SetVolume(volume());
    storeVolume(volume());
    showVolume(hStatus);
    return true;
}

void sendWheelNotches(HWND window, WPARAM wParam)
{
    static int turned; // of a notch, from fine wheels
    turned += GET_WHEEL_DELTA_WPARAM(wParam);
    for (; turned >= WHEEL_DELTA; turned -= WHEEL_DELTA)
        SendMessageA(window, WM_COMMAND, CMD_VOLUME_UP, 0);
    for (; turned <= -WHEEL_DELTA; turned += WHEEL_DELTA)
        SendMessageA(window, WM_COMMAND, CMD_VOLUME_DOWN, 0);
}

bool volumeLineShown(void)
{
    return line().shown;
}

// What the label would show now: the status written meanwhile, or, when
// nothing was, what it showed before. A label that something else wrote
// meanwhile ("Stopped.") keeps that.
void volumeLineTick(HWND hStatus)
{
    volumeLine &shown = line();
    if (!shown.shown || GetTickCount() - shown.since < VOLUME_LINE_MS)
        return;
    shown.shown = false;
    char now[sizeof(shown.text)];
    GetWindowTextA(hStatus, now, sizeof(now));
    if (strcmp(now, shown.text) != 0)
        return;
    bool rewritten = strcmp(statusLineText(), shown.statusBefore) != 0;
    SetWindowTextA(hStatus, rewritten ? statusLineText() : shown.before);
}
