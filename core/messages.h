/*
 * The messages and ids that cross windows: what one window sends another.
 */
#ifndef KELVORIA_MESSAGES_H
#define KELVORIA_MESSAGES_H

#include <windows.h>

/* ---- To the main window ------------------------------------------------ */

/* The player's own messages, all in the range WM_APP gives programs, so
 * that none is ever taken for a system message. */

/* Posted to itself once a later start's hand-over (WM_COPYDATA) has been
 * answered: the hand-over is carried out then, not while the later start
 * waits. */
#define MSG_HAND_OVER (WM_APP + 1)
/* Tray callback; lParam is the mouse message over the icon. */
#define MSG_TRAY_CALLBACK (WM_APP + 2)
/* Posted by the engine's word that the song heard changed (the transport's
 * callback): the transport follows it (transportSongHeard). */
#define MSG_SONG_HEARD (WM_APP + 3)

/* Commands (WM_COMMAND, id in the low word of wParam). */
#define CMD_SHOW_PLAYLIST 3
#define CMD_PLAY 4
#define CMD_NEXT 5
#define CMD_PREVIOUS 6
#define CMD_STOP 7
#define CMD_OPEN_FILES 8
#define CMD_SHOW_SETTINGS 9
#define CMD_MINIMISE_TO_TRAY 13
#define CMD_QUIT 14
#define CMD_RESTORE 19
#define CMD_TOGGLE 31
/* The keyboard's and the tray menu's commands beyond the areas' own. */
#define CMD_VOLUME_UP 40
#define CMD_VOLUME_DOWN 41
#define CMD_SEEK_FORWARD 42     /* 5 seconds on */
#define CMD_SEEK_BACK 43        /* 5 seconds back */
#define CMD_PAUSE 44            /* pause or resume what plays; starts nothing */
#define CMD_ANALYSER_MODE 45    /* the analyser area's next mode: bars, scope, off */
#define CMD_SHOW_EQUALIZER 46   /* the main window's EQ area, G, the tray menu */
#define CMD_DOUBLE_SIZE 47      /* double size on or off: Ctrl+D, the tray menu */

/* ---- To the playlist window --------------------------------------------- */

/* Its list control, whose row the main window's Play selects. */
#define PLAYLIST_LIST_ID 10
/* Commands; 15 (Clear) is also sent by the search window's Start. WM_CLOSE
 * rebuilds the list from the song list and never closes the window. */
#define PLAYLIST_CMD_SAVE 11
#define PLAYLIST_CMD_OPEN 12
#define PLAYLIST_CMD_HIDE 14
#define PLAYLIST_CMD_CLEAR 15
#define PLAYLIST_CMD_SEARCH 33
/* The keyboard's and the list's menu's: the selected rows. */
#define PLAYLIST_CMD_PLAY_SELECTED 34
#define PLAYLIST_CMD_REMOVE 35
#define PLAYLIST_CMD_MOVE_UP 36
#define PLAYLIST_CMD_MOVE_DOWN 37
#define PLAYLIST_CMD_SELECT_ALL 38

#endif
