/*
 * One player at a time in a user's session. The first start holds a named
 * mutex and publishes its main window in a small named shared block; a
 * later start finds the running player through them (never by a window's
 * title), hands it its command line and ends.
 *
 * The hand-over is WM_COPYDATA with HAND_OVER_TAG: the mode ("play", "add"
 * or "show"), the sender's process id and the moment its process began
 * (milliseconds of the system time, in decimal), then the full paths, each
 * NUL-terminated, in UTF-8. The running player copies it and acts on it
 * after the sender has had its answer: "show" at once, paths gathered with
 * those of the starts made at the same moment (hand_over_selection.h).
 *
 * The player publishes its window once its message loop runs; until then a
 * later start waits for it (up to a minute) rather than finding no answer.
 */
#ifndef KELVORIA_APP_SINGLE_INSTANCE_H
#define KELVORIA_APP_SINGLE_INSTANCE_H

#include <windows.h>

#include "command_line.h"

#define HAND_OVER_TAG 0x4B4C5641   /* 'KLVA' */
/* The main window's timer that carries out gathered selections when due. */
#define SELECTION_TIMER 0x4B53

/* True when this start is the session's first player (it now holds the
 * mutex); false when another player runs. */
bool becomeTheRunningPlayer();

/* The running player's main window, for later starts to find: published
 * when it answers messages. */
void publishMainWindow(HWND window);

/* A later start: hands the running player its arguments and returns the
 * exit code. "/startup" ends quietly; no paths ask the player to show
 * itself. A player still starting is waited for; one that does not answer
 * within a few seconds once its window is published is told of in a
 * message box. Returns -1 when the running player ended meanwhile and this
 * start has become the running one. */
int handOverTo(const char *arguments);

/* The running player, at WM_COPYDATA: true when it was a hand-over, which
 * is kept and carried out at MSG_HAND_OVER, posted to `window`. */
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

/* At the end of the run: later starts no longer find this player, and
 * nothing gathered waits any more. */
void leaveSession();

#endif
