/*
 * The player comes back where it was: the list, the song, the position
 * heard, paused or playing, shuffle and restart, kept in the current user's
 * application data ("Kelvoria\Kept.m3u8", see playlist/kept_list.h) at
 * every quit, when Windows ends the session, and every 10 seconds while a
 * song plays.
 */
#ifndef KELVORIA_KEPT_PLACE_H
#define KELVORIA_KEPT_PLACE_H

/* Writes the list and the place now; false when it could not be written. */
bool keepPlace();

/* Run at every tick of the main window's timer: keeps the place every 10
 * seconds while a song plays (not while it is paused), and tries again,
 * every 2 s for 30 s, a kept file that was there but could not be read. */
void keepPlaceWhilePlaying();

/* At a start without paths: the kept list, its song held at the kept
 * position (played on at once when it played at the quit and "Autoplay" is
 * chosen), shuffle and restart. A damaged kept file is set aside and the
 * status line says so; a missing one leaves a fresh start. One that is
 * there but cannot be read (another program holds it) is tried again and
 * never written over by an empty list. */
void comeBackToKeptPlace();

/* The kept file's path; false when there is no folder for it. */
bool keptListPath(char *path, int size);

#endif
