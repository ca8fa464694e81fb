// The transport and the progress timer. All of it runs on the main window's
// thread, inside its message handling; a command may nest others (a tick
// sends Next, which sends Play, which sends the song display refresh).
#include "transport.h"

#include "song_events.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

FSOUND_STREAM *music;   // replaced at every start of a song, never closed otherwise
bool paused;            // only the toggle changes it, so it outlives songs and stops
bool playingShown;      // the status label shows a "Playing..." line
HWND mainWindow;
HWND hSlider;
HWND hStatus;

const char STOPPED_TEXT[] = "Stopped.";
const int SEEK_STEP_MS = 5000;

void sendToMain(UINT message)
{
    SendMessageA(mainWindow, message, 0, 0);
}

void sendCommandToMain(int id)
{
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void showStatus(const char *text)
{
    snprintf(data.statusText, sizeof(data.statusText), "%s", text);
    SetWindowTextA(hStatus, data.statusText);
    playingShown = false;
}

// A current song number outside the list (a list cleared and refilled with
// fewer songs, or a number set from outside) names slot 0, the empty text,
// which never opens: a slot past the count may still hold a path that the
// list does not show.
const char *currentPath()
{
    if (data.currentSong < 1 || data.currentSong > data.songsNumber || data.currentSong > MAX_SONGS)
        return data.paths[0];
    return data.paths[data.currentSong];
}

void chooseRandomSong()
{
    data.currentSong = 1 + rand() % data.songsNumber;
}

// A song can run out between two ticks before any of them saw its last
// second, when the thread was busy for a second or two (a long scan, a
// window that took its time to hide): its stream's time, kept at its very
// end, says so, and the end rule then moves on as for a song seen to its
// end. A song stopped before its end keeps the position last polled.
void catchUpWithAnEnd(st1 *list, FSOUND_STREAM *stream)
{
    if (list->songsNumber == 0 || list->position >= list->length - 1)
        return;
    int endMs = FSOUND_Stream_GetLengthMs(stream);
    if (endMs > 0 && FSOUND_Stream_GetTime(stream) >= endMs)
        list->position = endMs / 1000;
}

} // namespace

void transportAttach(HWND window, HWND slider, HWND status)
{
    mainWindow = window;
    hSlider = slider;
    hStatus = status;
}

bool transportCommand(int id)
{
    switch (id) {
    case CMD_PLAY: playSong(); return true;
    case CMD_NEXT: nextSong(); return true;
    case CMD_PREVIOUS: previousSong(); return true;
    case CMD_STOP: stopSong(); return true;
    case CMD_TOGGLE: togglePause(); return true;
    case CMD_SEEK_FORWARD: seekBy(SEEK_STEP_MS); return true;
    case CMD_SEEK_BACK: seekBy(-SEEK_STEP_MS); return true;
    default: return false;
    }
}

void playSong()
{
    if (data.songsNumber == 0)
        return;
    FSOUND_Stream_Close(music);
    music = FSOUND_Stream_Open(currentPath(), 0, 0, 0); // a failed open leaves null: the tick moves on
    data.position = 0;
    FSOUND_Stream_Play(0, music);
    FSOUND_SetVolume(0, 255);
    data.length = FSOUND_Stream_GetLengthMs(music) / 1000;
    sendToMain(MSG_SONG_DISPLAY);
    announceSongList(CURRENT_SONG_CHANGED);
}

void nextSong()
{
    if (data.shuffle == 1) {
        if (data.songsNumber == 0)
            return;
        chooseRandomSong();
    } else if (data.currentSong < data.songsNumber) {
        ++data.currentSong;
    } else if (data.restart) {
        data.currentSong = 1;
    } else {
        return; // the last song plays on to its end
    }
    sendCommandToMain(CMD_PLAY);
}

void previousSong()
{
    if (data.shuffle == 1) {
        if (data.songsNumber == 0)
            return;
        chooseRandomSong();
    } else if (data.currentSong <= 1) {
        return; // no wrap to the last song
    } else {
        --data.currentSong;
    }
    sendCommandToMain(CMD_PLAY);
}

void stopSong()
{
    FSOUND_StopSound(0);
    showStatus(STOPPED_TEXT);
    sendToMain(MSG_STATUS_ECHO);
    sendToMain(MSG_SONG_DISPLAY);
}

void togglePause()
{
    if (paused) {
        // The "Playing..." line comes back with the next whole second.
        paused = false;
        FSOUND_SetPaused(0, 0);
    } else if (FSOUND_IsPlaying(0)) {
        paused = true;
        showStatus("Paused.");
        sendToMain(MSG_STATUS_ECHO);
        sendToMain(MSG_SONG_DISPLAY);
        FSOUND_SetPaused(0, 1);
    } else {
        sendCommandToMain(CMD_PLAY);
    }
}

void seekSong()
{
    data.position = (int)SendMessageA(hSlider, TBM_GETPOS, 0, 0);
    int seconds = (int)SendMessageA(hSlider, TBM_GETPOS, 0, 0);
    FSOUND_Stream_SetTime(music, seconds * 1000);
}

// As a seek with the bar: a step into the last second lets the next tick
// move on.
void seekBy(int ms)
{
    int length = FSOUND_Stream_GetLengthMs(music);
    int time = FSOUND_Stream_GetTime(music) + ms;
    time = time < 0 ? 0 : time > length ? length : time;
    FSOUND_Stream_SetTime(music, time);
    data.position = time / 1000;
    SendMessageA(hSlider, TBM_SETPOS, 1, data.position);
}

// The "Playing..." line is shown once a second while a song plays. When the
// music ends by itself (the last song ran out, or its file vanished) the
// label says so at the tick that sees it; a tick whose Next has started
// another song says nothing, and idle ticks write no label at all.
void progressTick()
{
    int result = everyTimer(mainWindow, &data, music);
    if (result == 1) {
        sendToMain(MSG_STATUS_LINE);
        playingShown = true;
        SendMessageA(hSlider, TBM_SETPOS, 1, data.position);
    } else if (result == 2 && playingShown && !FSOUND_IsPlaying(0)) {
        showStatus(STOPPED_TEXT);
    }
}

void transportListCleared()
{
    showStatus(STOPPED_TEXT);
}

int everyTimer(HWND window, st1 *list, FSOUND_STREAM *stream)
{
    static int mem = 0; // the whole second progressText was last built for
    int result;
    if (FSOUND_IsPlaying(0)) {
        list->position = FSOUND_Stream_GetTime(stream) / 1000;
        if (list->position != mem) {
            mem = FSOUND_Stream_GetTime(stream) / 1000;
            snprintf(list->progressText, sizeof(list->progressText), "%d' %d / %d' %d", list->position / 60,
                     list->position % 60, list->length / 60, list->length % 60);
            result = 1;
        } else {
            result = 0;
        }
    } else {
        // Written once, not at every idle tick: the text is the same.
        if (strcmp(list->statusText, STOPPED_TEXT) != 0)
            snprintf(list->statusText, sizeof(list->statusText), "%s", STOPPED_TEXT);
        catchUpWithAnEnd(list, stream);
        result = 2;
    }
    // Whole seconds: the song is left once its last whole second is reached.
    if (list->position >= list->length - 1 && list->songsNumber != 0)
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_NEXT, 0), 0);
    return result;
}

FSOUND_STREAM *transportStream()
{
    return music;
}

bool transportPaused()
{
    return paused;
}
