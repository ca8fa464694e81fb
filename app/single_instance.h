/*
 * One player at a time in a user's session. The first start holds a named
 * mutex and publishes its main window in a small named shared block; a
 * later start finds the running player through them (never by a window's
 * title), hands it its command line (hand_over_format.h) and ends; the
 * player's side is hand_over_queue.h.
 *
 * The player publishes its window once its message loop runs; until then a
 * later start waits for it (up to a minute) rather than finding no answer.
 * A player that refuses the hand-over is quitting: the start waits until it
 * has left the session and then becomes the player itself.
 */
#ifndef KELVORIA_APP_SINGLE_INSTANCE_H
#define KELVORIA_APP_SINGLE_INSTANCE_H

#include <windows.h>

/* True when this start is the session's first player (it now holds the
 * mutex and takes hand-overs); false when another player runs. */
bool becomeTheRunningPlayer();

/* The running player's main window, for later starts to find: published
 * when it answers messages. */
void publishMainWindow(HWND window);

/* A later start: hands the running player its arguments and returns the
 * exit code. No paths ask the player to show itself. A player still
 * starting is waited for; one that does not answer within a few seconds
 * once its window is published is told of in a message box, and so is one
 * that refuses every hand-over for a minute without leaving. Returns -1
 * when the running player ended meanwhile (or refused because it quits)
 * and this start has become the running one. */
int handOverTo(const char *arguments);

/* At the end of the run: later starts no longer find this player, and
 * nothing gathered waits any more. */
void leaveSession();

#endif
