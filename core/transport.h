/*
 * The transport: which song of `data` plays, play, next, previous, stop,
 * the play/pause toggle, seeking, and the progress timer.
 *
 * The state the main window procedure keeps for the transport lives in
 * transport.cpp, in one place: the current stream `music`, the sticky
 * `paused` flag, and the handles of the main window, its position bar
 * `hSlider` and its status label `hStatus`. The main window wires them once,
 * from its creation handler, after it has created its child controls:
 *
 *   transportAttach(window, hSlider, hStatus);
 *
 * and then hands the transport its commands, seeks and ticks:
 *
 *   WM_COMMAND:  if (transportCommand(LOWORD(wParam))) return 0;   // 4 5 6 7 31 42 43
 *   WM_HSCROLL:  seekSong();                  // whatever the scroll code
 *   WM_TIMER:    ...sample the cursor...; progressTick();
 *
 * The transport asks the main window, synchronously (SendMessageA, wParam
 * and lParam 0), for what the main window draws itself:
 *   22  song display refresh: bar range 0..length (no redraw), title label
 *       hTags := slot currentSong of names;
 *   23  status line refresh: the "Playing..." line into statusText and hStatus;
 *   24  status echo: statusText into hTags.
 * Next and Previous start their song by sending WM_COMMAND 4 (Play) to the
 * main window, the timer sends WM_COMMAND 5 (Next), the toggle sends 4 when
 * nothing plays; so the main window must route these back to
 * transportCommand. Play announces CURRENT_SONG_CHANGED (song_events.h), so
 * the playlist window selects the playing row.
 *
 * Songs follow one another with no gap: while a song plays, the tick opens
 * the song the rules name after it (shuffle, restart, end of list) and
 * queues it in the engine (Kelvoria_Stream_Queue); a song that does not open
 * is passed over, one per tick. When the engine says its first sample is
 * heard (Kelvoria_GetHeardStream), that tick makes it `music` and
 * currentSong, sends the song display refresh, announces
 * SONG_HEARD_CHANGED and refreshes the status line and the bar. Songs
 * added, edited or cleared, and a change of the shuffle or restart switch,
 * make the next tick choose the queued song again. A song that plays,
 * paused or not, is heard to its end; Next is sent by the timer only once
 * nothing plays within the song's last second (it ran out with nothing
 * queued, failed to open, or was stopped there).
 */
#ifndef KELVORIA_TRANSPORT_H
#define KELVORIA_TRANSPORT_H

#include "fmod.h"
#include "songlist.h"

#include <windows.h>

// The display requests and the commands it carries out (4 5 6 7 31).
#include "messages.h"

void transportAttach(HWND mainWindow, HWND slider, HWND status);

// Carries out command `id` when it is one of the transport's (42 and 43
// seek 5 s on and back); returns
// false (doing nothing) for any other id.
bool transportCommand(int id);

void playSong();      // 4: song currentSong from 0
void nextSong();      // 5: the following, first (restart) or a random song
void previousSong();  // 6: the one before, or a random song
void stopSong();      // 7
void togglePause();   // 31
void seekSong();      // position bar moved: the engine time follows it
void seekBy(int ms);  // 42, 43: the song's time moved by ms, within the song
void progressTick();  // every tick of the main window's timer

// A non-empty list was emptied (its song, if any, stopped): "Stopped." is
// shown, whatever the label showed before.
void transportListCleared();

// Shows `text` in the status line until the next "Playing..." line.
void transportTell(const char *text);

// The place the last run left off at: song currentSong is shown at `ms`,
// "Paused." (or "Stopped."), and the first Play or play/pause of that song
// goes on from there; until then no tick moves on by itself, and a seek
// moves the place. Stop, a Play of another song and a cleared list let go
// of it. PLAY_PLAYING plays on from there at once.
enum playState { PLAY_STOPPED, PLAY_PAUSED, PLAY_PLAYING };
void comeBackTo(int ms, playState state);

// The position heard of the current song (where it is held, before the
// first Play), or 0 when nothing plays; and whether it plays, is paused (or
// held at a paused place), or is stopped.
int transportHeardMs();
playState transportPlayState();

// Polls the engine: 0 playing, same whole second; 1 playing, a new whole
// second, progressText rebuilt; 2 not playing, statusText "Stopped.". When
// nothing plays and the song is within its last second, sends Next to
// `window` first.
int everyTimer(HWND window, st1 *list, FSOUND_STREAM *stream);

FSOUND_STREAM *transportStream();  // `music`: the current song's stream
bool transportPaused();            // `paused`: set and cleared by the toggle alone

#endif
