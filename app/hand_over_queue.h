/*
 * The running player's side of a hand-over: a block received at
 * WM_COPYDATA is read (hand_over_format.h) and queued, and acted on from
 * the message loop after the sender has had its answer: "show" at once,
 * paths gathered with those of the starts made at the same moment
 * (hand_over_selection.h) and carried out at SELECTION_TIMER.
 *
 * A hand-over the player cannot carry out is refused, so that its start
 * knows: a block of another shape, one that finds the queue full or
 * cannot be posted to the loop, and every one once the player has begun
 * to quit.
 */
#ifndef KELVORIA_APP_HAND_OVER_QUEUE_H
#define KELVORIA_APP_HAND_OVER_QUEUE_H

#include <windows.h>

#include "command_line.h"

/* The main window's timer that carries out gathered selections when due. */
#define SELECTION_TIMER 0x4B53

/* The running player, at WM_COPYDATA: true when it took a hand-over, which
 * is carried out at MSG_HAND_OVER, posted to `window`; false when it
 * refused it. */
bool receiveHandOver(HWND window, const COPYDATASTRUCT *copy);

/* MSG_HAND_OVER: shows the player for each "show" hand-over, and gathers
 * the paths of the others for SELECTION_TIMER. */
void carryOutHandOvers(HWND window);

/* The player's own command line, the first of its selection. */
void gatherOwnRequest(HWND window, const pathRequest &request);

/* WM_TIMER of SELECTION_TIMER: carries out the selections that are due,
 * and stops the timer once none waits. */
void carryOutDueSelections(HWND window);

/* True while hand-overs wait to be carried out. */
bool handOversWaiting();

/* The starts that waited for the player's window hand over right after it
 * is published: what was gathered before waits for them. */
void holdGatheredForLateStarts();

/* This process has become the session's player: it takes hand-overs. */
void takeHandOvers();

/* The player has begun to quit: hand-overs are refused from now on. */
void stopTakingHandOvers();

/* At the end of the run: nothing received or gathered waits any more. */
void forgetHandOvers();

#endif
