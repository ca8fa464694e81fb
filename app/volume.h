/*
 * The listener's volume as the player keeps it: one step per wheel notch,
 * arrow key or tray entry (commands 40 and 41 to the main window), stored
 * in the registry at every change and handed to the engine, and shown as
 * "Volume: N%" in the status label for about a second, after which the
 * label shows what it would have shown meanwhile.
 */
#ifndef KELVORIA_APP_VOLUME_H
#define KELVORIA_APP_VOLUME_H

#include <windows.h>

#define VOLUME_STEP 5               /* percent per step: 2.5 dB at the engine */
#define VOLUME_LINE_MS 1000         /* how long the status label shows it */

/* At start, once the engine runs: the stored volume and ReplayGain choice
 * go to the engine. */
void restoreVolume(void);

/* Commands 40 (up) and 41 (down): one step, stored, heard and shown.
 * False, doing nothing, for any other id. */
bool volumeCommand(int id, HWND hStatus);

/* A wheel message's turn (wParam of WM_MOUSEWHEEL) as one command 40 or
 * 41 per whole notch sent to `window`; the part of a notch that a fine
 * wheel turns is kept for the next message. */
void sendWheelNotches(HWND window, WPARAM wParam);

/* True while the status label shows the volume: the "Playing..." line is
 * then kept in statusText and waits for the label. */
bool volumeLineShown(void);

/* At every tick of the main window's timer: the volume line gives way
 * once its second is over. */
void volumeLineTick(HWND hStatus);

#endif
