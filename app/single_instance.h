/*
 * One player at a time in a user's session. The first start holds a named
 * mutex and publishes its main window in a small named shared block; a
 * later start finds the running player through them (never by a window's
 * title), hands it its command line and ends.
 *
 * The hand-over is WM_COPYDATA with HAND_OVER_TAG: the mode ("play", "add"
 * or "show") and the full paths, each NUL-terminated, in UTF-8. The running
 * player copies it and acts on it after the sender has had its answer.
 */
#ifndef KELVORIA_APP_SINGLE_INSTANCE_H
#define KELVORIA_APP_SINGLE_INSTANCE_H

#include <windows.h>

#define HAND_OVER_TAG 0x4B4C5641   /* 'KLVA' */

/* True when this start is the session's first player (it now holds the
 * mutex); false when another player runs. */
bool becomeTheRunningPlayer();

/* The running player's main window, for later starts to find. */
void publishMainWindow(HWND window);

/* A later start: hands the running player its arguments and returns the
 * exit code. "/startup" ends quietly; no paths ask the player to show
 * itself. A player that does not answer within a few seconds is told of
 * in a message box. Returns -1 when the running player ended meanwhile and
 * this start has become the running one. */
int handOverTo(const char *arguments);

/* The running player, at WM_COPYDATA: true when it was a hand-over, which
 * is kept and carried out at MSG_HAND_OVER, posted to `window`. */
bool receiveHandOver(HWND window, const COPYDATASTRUCT *copy);

/* MSG_HAND_OVER: carries out the hand-overs received. */
void carryOutHandOvers(HWND window);

/* At the end of the run: later starts no longer find this player. */
void leaveSession();

#endif
