// The transport and the progress timer. All of it runs on the main window's
// thread, inside its message handling; a command may nest others (a tick
// sends Next, which sends Play, which sends the song display refresh).
#include "transport.h"

#include "song_events.h"
#include "text.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

FSOUND_STREAM *music;   // replaced at every start of a song, never closed otherwise
bool paused;            // only the toggle changes it, so it outlives songs and stops
bool playingShown;      // the status label shows a "Playing..." line
int mem;                // the whole second progressText was last built for

// The song that follows the one heard, opened ahead and queued in the engine
// so that it follows with no gap; it becomes `music` and currentSong when
// its first sample is heard.
struct FollowingSong {
    FSOUND_STREAM *stream;
    int song;
    int shuffle;       // the switches it was chosen under
    bool restart;
    int passedOver;    // the last song that failed to open on the way to it; 0 none
    bool chooseAgain;  // the list changed since it was chosen
} following;

// The place the last run was left at: song currentSong is held at `ms`
// until the first Play (or play/pause) goes on from there. `path` tells
// whether the song played then is still that song.
struct ComeBackPoint {
    bool held;
    int ms;
    playState state;    // paused or stopped
    char path[PATH_SIZE];
} comeBack;

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

// A song number outside the list (a list cleared and refilled with
// fewer songs, or a number set from outside) names slot 0, the empty text,
// which never opens: a slot past the count may still hold a path that the
// list does not show.
const char *pathOfSong(int song)
{
    if (song < 1 || song > data.songsNumber || song > MAX_SONGS)
        return data.paths[0];
    return data.paths[song];
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

// The song the rules name after `song` when it runs out; 0 for none.
int songAfter(int song)
{
    if (data.songsNumber == 0)
        return 0;
    if (data.shuffle == 1)
        return 1 + rand() % data.songsNumber;
    if (song < data.songsNumber)
        return song + 1;
    return data.restart ? 1 : 0;
}

void dropFollowingSong()
{
    if (following.stream)
        FSOUND_Stream_Close(following.stream);
    following = FollowingSong{};
}

// Opens the song that follows and queues it, one try per tick: a song that
// fails to open is passed over, and the next tick tries the one after it.
void queueFollowingSong()
{
    int song = songAfter(following.passedOver ? following.passedOver : data.currentSong);
    if (!song)
        return;
    following.shuffle = data.shuffle;
    following.restart = data.restart;
    FSOUND_STREAM *stream = FSOUND_Stream_Open(pathOfSong(song), 0, 0, 0);
    if (!stream) {
        following.passedOver = song;
        return;
    }
    if (!Kelvoria_Stream_Queue(stream)) {
        FSOUND_Stream_Close(stream);
        return;
    }
    following.stream = stream;
    following.song = song;
}

bool switchesChanged()
{
    return following.shuffle != data.shuffle || following.restart != data.restart;
}

// The first sample of the queued song is heard: it is the current song now.
void followHeardSong()
{
    if (!following.stream || Kelvoria_GetHeardStream() != following.stream)
        return;
    FSOUND_Stream_Close(music); // heard to its end
    music = following.stream;
    data.currentSong = following.song;
    following = FollowingSong{};
    data.position = 0;
    data.length = FSOUND_Stream_GetLengthMs(music) / 1000;
    mem = -1; // the progress text and the status line follow at this tick
    sendToMain(MSG_SONG_DISPLAY);
    announceSongList(SONG_HEARD_CHANGED);
}

// Keeps the queued song the one the list and the switches name. Songs
// appended change it only where the list used to end after the current song
// (nothing or song 1 follows); a random choice stays good.
void followListChanges(songListChange change, void *)
{
    if (change == LIST_EDITED || change == LIST_CLEARED)
        following.chooseAgain = true;
    else if (change == SONGS_ADDED && data.shuffle != 1 && following.song != data.currentSong + 1)
        following.chooseAgain = true;
}

// The position a Play starts the current song from: where the last run
// left it, once, when it is that song; 0 otherwise. Any Play lets go of it.
int takeComeBackPoint()
{
    bool same = comeBack.held && strcmp(comeBack.path, pathOfSong(data.currentSong)) == 0;
    comeBack.held = false;
    return same ? comeBack.ms : 0;
}

void keepFollowingSongQueued()
{
    if (following.chooseAgain || (following.stream && switchesChanged()))
        dropFollowingSong();
    if (!following.stream && data.songsNumber != 0 && FSOUND_IsPlaying(0))
        queueFollowingSong();
}

} // namespace

void transportAttach(HWND window, HWND slider, HWND status)
{
    mainWindow = window;
    hSlider = slider;
    hStatus = status;
    listenToSongList(followListChanges, nullptr);
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
    dropFollowingSong();
    int startMs = takeComeBackPoint();
    FSOUND_Stream_Close(music);
    music = FSOUND_Stream_Open(pathOfSong(data.currentSong), 0, 0, 0); // a failed open leaves null: the tick moves on
    data.position = startMs / 1000;
    if (startMs)
        FSOUND_Stream_SetTime(music, startMs);
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
    comeBack.held = false;
    FSOUND_StopSound(0);
    dropFollowingSong();
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
    if (comeBack.held)
        comeBack.ms = seconds * 1000;
}

// As a seek with the bar: a step into the last second lets the next tick
// move on.
void seekBy(int ms)
{
    int length = FSOUND_Stream_GetLengthMs(music);
    int time = (comeBack.held ? comeBack.ms : FSOUND_Stream_GetTime(music)) + ms;
    time = time < 0 ? 0 : time > length ? length : time;
    FSOUND_Stream_SetTime(music, time);
    if (comeBack.held)
        comeBack.ms = time;
    data.position = time / 1000;
    SendMessageA(hSlider, TBM_SETPOS, 1, data.position);
}

// The "Playing..." line is shown once a second while a song plays. When the
// music ends by itself (the last song ran out, or its file vanished) the
// label says so at the tick that sees it; a tick whose Next has started
// another song says nothing, and idle ticks write no label at all.
void progressTick()
{
    if (comeBack.held && !FSOUND_IsPlaying(0))
        return;     // held where the last run left off: nothing moves on by itself
    followHeardSong();
    int result = everyTimer(mainWindow, &data, music);
    if (result == 1) {
        sendToMain(MSG_STATUS_LINE);
        playingShown = true;
        SendMessageA(hSlider, TBM_SETPOS, 1, data.position);
    } else if (result == 2 && playingShown && !FSOUND_IsPlaying(0)) {
        showStatus(STOPPED_TEXT);
    }
    keepFollowingSongQueued();
}

void transportListCleared()
{
    comeBack.held = false;
    showStatus(STOPPED_TEXT);
}

void transportTell(const char *text)
{
    showStatus(text);
}

void comeBackTo(int ms, playState state)
{
    comeBack.held = true;
    comeBack.ms = ms;
    comeBack.state = state;
    copyText(comeBack.path, sizeof(comeBack.path), pathOfSong(data.currentSong));
    if (state == PLAY_PLAYING) {
        sendCommandToMain(CMD_PLAY);
        return;
    }
    FSOUND_Stream_Close(music);
    music = FSOUND_Stream_Open(comeBack.path, 0, 0, 0);
    data.length = FSOUND_Stream_GetLengthMs(music) / 1000;
    data.position = ms / 1000;
    sendToMain(MSG_SONG_DISPLAY);
    SendMessageA(hSlider, TBM_SETPOS, 1, data.position);
    showStatus(state == PLAY_PAUSED ? "Paused." : STOPPED_TEXT);
    announceSongList(CURRENT_SONG_CHANGED);
}

int transportHeardMs()
{
    if (comeBack.held)
        return comeBack.ms;
    return FSOUND_IsPlaying(0) ? FSOUND_Stream_GetTime(music) : 0;
}

playState transportPlayState()
{
    if (comeBack.held)
        return comeBack.state;
    if (!FSOUND_IsPlaying(0))
        return PLAY_STOPPED;
    return paused ? PLAY_PAUSED : PLAY_PLAYING;
}

int everyTimer(HWND window, st1 *list, FSOUND_STREAM *stream)
{
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
        // A song that plays, paused or not, is heard to its end; one that no
        // longer plays within its last second (ran out, failed to open,
        // stopped there) is left for the next one.
        if (list->position >= list->length - 1 && list->songsNumber != 0)
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_NEXT, 0), 0);
    }
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
