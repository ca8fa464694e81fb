/*
 * The settings window's procedure: a modeless dialog from the template
 * "Settings", created hidden once at start-up and owned by the main window.
 *
 * "Playing": Shuffle and Restart when played, kept in `data` (and with the
 * kept list between runs), and Autoplay, kept in the registry: a song that
 * played when the player quit plays on at the next start.
 * "At Startup": Launch, Minimize and Use current playlist, kept in the
 * registry for a start with "/startup". "This one !" saves the song list as
 * the start-up playlist. "ReplayGain": the mode, prevent clipping and the
 * two pre-amps, stored in the registry and handed to the engine by "Apply
 * changes", which stores the boxes and hides the
 * window, the close area hides it without storing anything.
 *
 * Its timer keeps the "At Startup" boxes consistent at every tick, shown or
 * hidden: unticking Launch clears and greys Minimize and Use current
 * playlist and greys "This one !"; ticking Launch makes the two boxes usable
 * again; "This one !" follows Use current playlist once that box has been
 * ticked.
 */
#ifndef KELVORIA_SETTINGS_WINDOW_H
#define KELVORIA_SETTINGS_WINDOW_H

#include <windows.h>

/* Control and command ids of the template "SETTINGS". */
#define SETTINGS_APPLY 1            /* "Apply changes" */
#define SETTINGS_CLOSE IDCANCEL     /* the close area, or a request to close */
#define SETTINGS_SHUFFLE 26
#define SETTINGS_MINIMIZE 27
#define SETTINGS_LAUNCH 28
#define SETTINGS_PLAYLIST 29        /* "Use current playlist" */
#define SETTINGS_RESTART 30         /* "Restart when played" */
#define SETTINGS_THIS_ONE 32        /* "This one !": save the start-up playlist */
#define SETTINGS_REPLAY_GAIN 34     /* list: Off, Track, Album, By order */
#define SETTINGS_PREVENT_CLIPPING 35
#define SETTINGS_PREAMP_TAGGED 36   /* list: -15 dB to +15 dB */
#define SETTINGS_PREAMP_UNTAGGED 37
#define SETTINGS_AUTOPLAY 38        /* a song playing at the quit plays on at the next start */
#define SETTINGS_DOUBLE_SIZE 39    /* applied at once, not by "Apply changes" */
#define SETTINGS_LAST_ID 39

/* The close area, in window coordinates, both ends included. */
#define SETTINGS_CLOSE_LEFT 322
#define SETTINGS_CLOSE_RIGHT 339
#define SETTINGS_CLOSE_TOP 69
#define SETTINGS_CLOSE_BOTTOM 83

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
