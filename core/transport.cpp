// The transport and the progress timer. All of it runs on the main window's
// thread, inside its message handling; a command may nest others (a tick
// sends Next, which sends Play). Only the engine's word that the song heard
// changed comes from another thread, and it is only posted on.
#include "transport.h"

#include "list_edit.h"
#include "playing_record.h"
#include "listener_table.h"
#include "song_events.h"
#include "song_list_record.h"
#include "song_stream.h"
#include "text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

playingNow nowPlaying;

namespace {

playingNow &now = nowPlaying;
FSOUND_STREAM *music;   // replaced at every start of a song, never closed otherwise
bool paused;            // what plays is paused; a song started plays
bool playingShown;      // the status label shows a "Playing..." line
bool toldHeld;          // a told text holds the status line, from toldAt on
DWORD toldAt;
const DWORD TOLD_HELD_MS = 4000;
int mem;                // the whole second progressText was last built for

listenerTable<transportChange, MAX_TRANSPORT_LISTENERS> listeners;

// The song that follows the one heard, opened ahead and queued in the engine
// so that it follows with no gap; it becomes `music` and currentSong when
// its first sample is heard.
struct FollowingSong {
    FSOUND_STREAM *stream;
    int song;
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

const char STOPPED_TEXT[] = "Stopped.";
const char PAUSED_TEXT[] = "Paused.";
const int SEEK_STEP_MS = 5000;

void sendCommandToMain(int id)
{
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void showStatus(const char *text)
{
    snprintf(now.statusText, sizeof(now.statusText), "%s", text);
    playingShown = false;
    toldHeld = false;
    listeners.tell(STATUS_SHOWN);
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

int randomSong()
{
    return 1 + rand() % data.songsNumber;
}

// A song can run out between two ticks before any of them saw its last
// second, when the thread was busy for a second or two (a long scan, a
// window that took its time to hide): its stream's time, kept at its very
// end, says so, and the end rule then moves on as for a song seen to its
// end. A song stopped before its end keeps the position last polled.
void catchUpWithAnEnd(FSOUND_STREAM *stream)
{
    if (data.songsNumber == 0 || now.position >= now.length - 1)
        return;
    int endMs = FSOUND_Stream_GetLengthMs(stream);
    if (endMs > 0 && FSOUND_Stream_GetTime(stream) >= endMs)
        now.position = endMs / 1000;
}

// The song the rules name after `song` when it runs out; 0 for none.
int songAfter(int song)
{
    if (data.songsNumber == 0)
        return 0;
    if (data.shuffle == 1)
        return randomSong();
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

// Opens the song that follows and queues it; songs that fail to open are
// passed over, each at most once.
void queueFollowingSong()
{
    int song = data.currentSong;
    for (int tries = 0; tries < data.songsNumber; ++tries) {
        song = songAfter(song);
        if (!song)
            return;
        FSOUND_STREAM *stream = openSongStream(pathOfSong(song));
        if (!stream)
            continue;
        if (!Kelvoria_Stream_Queue(stream)) {
            FSOUND_Stream_Close(stream);
            return;
        }
        following.stream = stream;
        following.song = song;
        return;
    }
}

// The queued song is chosen again whenever what names it changed: the list,
// the switches, the song heard, a Play.
void queueFollowingSongAgain()
{
    dropFollowingSong();
    if (data.songsNumber != 0 && FSOUND_IsPlaying(0))
        queueFollowingSong();
}

// Songs appended change the queued song only where the list used to end
// after the current song (nothing or song 1 follows); a random choice
// stays good.
bool changesFollowingSong(songListChange change)
{
    switch (change) {
    case LIST_EDITED:
    case SWITCHES_CHANGED:
        return true;
    case SONGS_ADDED:
        return data.shuffle != 1 && following.song != data.currentSong + 1;
    default:
        return false;
    }
}

void stopForAClearedList()
{
    comeBack.held = false;
    paused = false;
    dropFollowingSong();
    FSOUND_StopSound(0);
    showStatus(STOPPED_TEXT);
}

void followListChanges(songListChange change, void *)
{
    if (change == LIST_CLEARED)
        stopForAClearedList();
    else if (changesFollowingSong(change))
        queueFollowingSongAgain();
}

// The position a Play starts the current song from: where the last run
// left it, once, when it is that song; 0 otherwise. Any Play lets go of it.
int takeComeBackPoint()
{
    bool same = comeBack.held && strcmp(comeBack.path, pathOfSong(data.currentSong)) == 0;
    comeBack.held = false;
    return same ? comeBack.ms : 0;
}

// Called on one of the engine's threads: only posted on.
void F_CALLBACKAPI engineHeard(FSOUND_STREAM *, int, void *)
{
    PostMessageA(mainWindow, MSG_SONG_HEARD, 0, 0);
}

void showNewSong()
{
    now.length = FSOUND_Stream_GetLengthMs(music) / 1000;
    listeners.tell(SONG_SHOWN);
}

// The song a Play starts: the current one, or, when the current song was
// taken out of the list while nothing played, the song that followed it.
int songToPlay()
{
    int song = data.currentSong;
    if (currentSongTakenOut() && !FSOUND_IsPlaying(0))
        song = song < data.songsNumber ? song + 1 : 1;
    return song;
}

void buildProgressText()
{
    snprintf(now.progressText, sizeof(now.progressText), "%d' %d / %d' %d", now.position / 60,
             now.position % 60, now.length / 60, now.length % 60);
}

} // namespace

const playingNow &playing = nowPlaying;

void announceTransport(transportChange change)
{
    listeners.tell(change);
}

bool listenToTransport(transportListener listener, void *context)
{
    return listeners.add(listener, context);
}

void stopListeningToTransport(transportListener listener, void *context)
{
    listeners.remove(listener, context);
}

void transportAttach(HWND window)
{
    mainWindow = window;
    listenToSongList(followListChanges, nullptr);
    Kelvoria_SetHeardCallback(engineHeard, nullptr);
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
    int song = songToPlay();
    if (song != data.currentSong)
        setCurrentSong(&songList, song);
    else
        announceSongList(CURRENT_SONG_CHANGED);
    int startMs = takeComeBackPoint();
    FSOUND_Stream_Close(music);
    music = openSongStream(pathOfSong(data.currentSong)); // a failed open leaves null: the tick moves on
    now.position = startMs / 1000;
    if (startMs)
        FSOUND_Stream_SetTime(music, startMs);
    FSOUND_Stream_Play(0, music);
    FSOUND_SetVolume(0, 255);
    paused = false;     // a song started plays, whatever was paused before
    showNewSong();
    queueFollowingSongAgain();
}

void playSongAt(int slot)
{
    setCurrentSong(&songList, slot);
    sendCommandToMain(CMD_PLAY);
}

void nextSong()
{
    int song;
    if (data.shuffle == 1) {
        if (data.songsNumber == 0)
            return;
        song = randomSong();
    } else if (data.currentSong < data.songsNumber) {
        song = data.currentSong + 1;
    } else if (data.restart) {
        song = 1;
    } else {
        return; // the last song plays on to its end
    }
    setCurrentSong(&songList, song);
    sendCommandToMain(CMD_PLAY);
}

void previousSong()
{
    int song;
    if (data.shuffle == 1) {
        if (data.songsNumber == 0)
            return;
        song = randomSong();
    } else if (data.currentSong <= 1) {
        return; // no wrap to the last song
    } else {
        song = data.currentSong - 1;
    }
    setCurrentSong(&songList, song);
    sendCommandToMain(CMD_PLAY);
}

void stopSong()
{
    comeBack.held = false;
    FSOUND_StopSound(0);
    dropFollowingSong();
    paused = false;
    showStatus(STOPPED_TEXT);
    listeners.tell(SONG_SHOWN);
}

void togglePause()
{
    if (paused) {
        // The "Playing..." line comes back with the next whole second.
        paused = false;
        FSOUND_SetPaused(0, 0);
    } else if (FSOUND_IsPlaying(0)) {
        paused = true;
        showStatus(PAUSED_TEXT);
        listeners.tell(SONG_SHOWN);
        FSOUND_SetPaused(0, 1);
    } else {
        sendCommandToMain(CMD_PLAY);
    }
}

void seekSong(int seconds)
{
    now.position = seconds;
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
    now.position = time / 1000;
    listeners.tell(PROGRESS_SHOWN);
}

// The first sample of the queued song is heard: it is the current song now,
// shown at its own position. Any other word (the end of what plays) is
// left to the tick, which moves on when nothing plays.
void transportSongHeard()
{
    if (!following.stream || Kelvoria_GetHeardStream() != following.stream)
        return;
    FSOUND_Stream_Close(music); // heard to its end
    music = following.stream;
    songList.currentSong = following.song;
    following = FollowingSong{};
    now.position = FSOUND_Stream_GetTime(music) / 1000;
    mem = -1; // the progress text and the status line follow at the next tick
    showNewSong();
    announceSongList(SONG_HEARD_CHANGED);
    queueFollowingSongAgain();
}

// The "Playing..." line is shown once a second while a song plays. When the
// music ends by itself (the last song ran out, or its file vanished) the
// label says so at the tick that sees it; a tick whose Next has started
// another song says nothing, and idle ticks write no label at all.
void progressTick()
{
    if (comeBack.held && !FSOUND_IsPlaying(0))
        return;     // held where the last run left off: nothing moves on by itself
    int result = everyTimer(mainWindow, music);
    if (result == 1) {
        playingShown = true;
        listeners.tell(PROGRESS_SHOWN);
    } else if (result == 2 && playingShown && !FSOUND_IsPlaying(0)) {
        showStatus(STOPPED_TEXT);
    }
}

void transportTell(const char *text)
{
    showStatus(text);
    toldAt = GetTickCount();
    toldHeld = true;
}

bool statusToldLately()
{
    if (toldHeld && GetTickCount() - toldAt >= TOLD_HELD_MS)
        toldHeld = false;
    return toldHeld;
}

void comeBackTo(int slot, int ms, playState state)
{
    comeBack.held = true;
    comeBack.ms = ms;
    comeBack.state = state;
    setCurrentSong(&songList, slot);
    copyText(comeBack.path, sizeof(comeBack.path), pathOfSong(data.currentSong));
    if (state == PLAY_PLAYING) {
        sendCommandToMain(CMD_PLAY);
        return;
    }
    FSOUND_Stream_Close(music);
    music = openSongStream(comeBack.path);
    now.position = ms / 1000;
    showNewSong();
    listeners.tell(PROGRESS_SHOWN);
    showStatus(state == PLAY_PAUSED ? PAUSED_TEXT : STOPPED_TEXT);
}

heardPlace transportPlace()
{
    heardPlace place = {data.currentSong, 0, PLAY_STOPPED};
    if (comeBack.held) {
        place.ms = comeBack.ms;
        place.state = comeBack.state;
    } else if (FSOUND_IsPlaying(0)) {
        place.ms = FSOUND_Stream_GetTime(music);
        place.state = paused ? PLAY_PAUSED : PLAY_PLAYING;
    }
    if (currentSongTakenOut()) {
        // The song heard was taken out: what comes back is the song after it.
        int follower = place.song + 1;
        place.song = follower <= data.songsNumber ? follower : 0;
        place.ms = 0;
    }
    if (place.song < 0 || place.song > data.songsNumber)
        place.song = 0;
    return place;
}

int everyTimer(HWND window, FSOUND_STREAM *stream)
{
    int result;
    if (FSOUND_IsPlaying(0)) {
        now.position = FSOUND_Stream_GetTime(stream) / 1000;
        if (now.position != mem) {
            mem = now.position;
            buildProgressText();
            result = 1;
        } else {
            result = 0;
        }
    } else {
        // Written once, not at every idle tick: the text is the same.
        if (strcmp(now.statusText, STOPPED_TEXT) != 0)
            snprintf(now.statusText, sizeof(now.statusText), "%s", STOPPED_TEXT);
        catchUpWithAnEnd(stream);
        result = 2;
        // A song that plays, paused or not, is heard to its end; one that no
        // longer plays within its last second (ran out, failed to open,
        // stopped there) is left for the next one.
        if (now.position >= now.length - 1 && data.songsNumber != 0)
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(CMD_NEXT, 0), 0);
    }
    return result;
}

void transportForget()
{
    dropFollowingSong();
    FSOUND_Stream_Close(music);
    music = nullptr;
    now = playingNow{};
    paused = false;
    playingShown = false;
    toldHeld = false;
    mem = 0;
    comeBack = ComeBackPoint{};
}

FSOUND_STREAM *transportStream()
{
    return music;
}

bool transportPaused()
{
    return paused;
}
