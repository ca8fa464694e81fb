/*
 * The transport: which song of `data` plays, play, next, previous, stop,
 * the play/pause toggle, seeking, and the progress timer.
 *
 * It owns what is playing: the current stream `music`, the `paused` flag,
 * and `playing` below (the position, the length, the progress text and the
 * status line). It announces every change of them to its listeners; the
 * main window listens and draws. It draws nothing itself.
 *
 * The main window wires it once, from its creation handler:
 *
 *   transportAttach(window);
 *
 * and then hands it its commands, seeks, ticks and the engine's word:
 *
 *   WM_COMMAND:     if (transportCommand(LOWORD(wParam))) return 0;   // 4 5 6 7 31 42 43
 *   WM_HSCROLL:     seekSong(position of the bar);
 *   WM_TIMER:       progressTick();
 *   MSG_SONG_HEARD: transportSongHeard();
 *
 * Next and Previous start their song by sending WM_COMMAND 4 (Play) to the
 * main window, the timer sends WM_COMMAND 5 (Next), the toggle sends 4 when
 * nothing plays; so the main window routes these back to transportCommand.
 *
 * Songs follow one another with no gap: while a song plays, the song the
 * rules name after it (shuffle, restart, end of list) is opened and queued
 * in the engine (Kelvoria_Stream_Queue), once at each change of the list,
 * the switches, or the song heard; songs that do not open are passed over.
 * The engine tells, from its own thread, when the queued song's first
 * sample is heard; the transport posts MSG_SONG_HEARD to the main window
 * then, and on that message the song becomes `music` and currentSong, the
 * song is shown and SONG_HEARD_CHANGED announced. A song that plays, paused
 * or not, is heard to its end; Next is sent by the timer only once nothing
 * plays within the song's last second (it ran out with nothing queued,
 * failed to open, or was stopped there).
 */
#ifndef KELVORIA_TRANSPORT_H
#define KELVORIA_TRANSPORT_H

#include "fmod.h"
#include "songlist.h"

#include <windows.h>

// The commands it carries out (4 5 6 7 31 42 43) and MSG_SONG_HEARD.
#include "messages.h"

// What is playing, to read; the transport alone writes it.
struct playingNow {
    int position;           // whole seconds heard of the current song
    int length;             // whole seconds of the current song
    char progressText[25];  // "m' s / m' s", rebuilt at each whole second
    char statusText[260];   // the status line's text when it is not "Playing..."
};
extern const playingNow &playing;

// What the transport tells its listeners, on the user-interface thread.
enum transportChange {
    SONG_SHOWN,         // another song (or none) is current: its name, the bar's range
    PROGRESS_SHOWN,     // a new whole second: the "Playing..." line and the bar's place
    STATUS_SHOWN,       // statusText is to be shown in the status line
};
typedef void (*transportListener)(transportChange change, void *context);
#define MAX_TRANSPORT_LISTENERS 4
bool listenToTransport(transportListener listener, void *context);
void stopListeningToTransport(transportListener listener, void *context);

void transportAttach(HWND mainWindow);

// Carries out command `id` when it is one of the transport's (42 and 43
// seek 5 s on and back); returns false (doing nothing) for any other id.
bool transportCommand(int id);

void playSong();      // 4: song currentSong from 0
void nextSong();      // 5: the following, first (restart) or a random song
void previousSong();  // 6: the one before, or a random song
void stopSong();      // 7
void togglePause();   // 31
void seekSong(int seconds);  // position bar moved: the engine time follows it
void seekBy(int ms);  // 42, 43: the song's time moved by ms, within the song
void progressTick();  // every tick of the main window's timer

// Plays song `slot` from its start (a row double-clicked, a list that
// replaced another).
void playSongAt(int slot);

// MSG_SONG_HEARD: the engine said the song heard changed.
void transportSongHeard();

// Shows `text` in the status line; the "Playing..." line comes back over it
// after 4 s (statusToldLately), a later status at once.
void transportTell(const char *text);
bool statusToldLately();

// The place the last run left off at: song `slot` is shown at `ms`,
// "Paused." (or "Stopped."), and the first Play or play/pause of that song
// goes on from there; until then no tick moves on by itself, and a seek
// moves the place. Stop, a Play of another song and a cleared list let go
// of it. PLAY_PLAYING plays on from there at once.
enum playState { PLAY_STOPPED, PLAY_PAUSED, PLAY_PLAYING };
void comeBackTo(int slot, int ms, playState state);

// The place to keep: the song heard and its position, or, when the song
// heard was taken out of the list, the song that follows it at 0 (0 when
// none does); and whether it plays, is paused (or held at a paused place),
// or is stopped.
struct heardPlace {
    int song;
    int ms;
    playState state;
};
heardPlace transportPlace();

// Polls the engine: 0 playing, same whole second; 1 playing, a new whole
// second, progressText rebuilt; 2 not playing, statusText "Stopped.". When
// nothing plays and the song is within its last second, sends Next to
// `window` first.
int everyTimer(HWND window, FSOUND_STREAM *stream);

// Forgets what played, the place held and what is shown, as at start-up
// (a test's fresh start).
void transportForget();

FSOUND_STREAM *transportStream();  // `music`: the current song's stream
bool transportPaused();            // what plays is paused

#endif
