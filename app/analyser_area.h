/*
 * The analyser area of the main window's face: a small recess beside the
 * labels that shows what is heard now, as frequency bars or a scope line
 * (frequency_bars.h), or nothing. A left click in it, or command
 * CMD_ANALYSER_MODE, goes on to the next mode: bars, scope, off, bars. The
 * mode is kept in the registry as "Analyser" ("Bars", "Scope", "Off").
 *
 * It draws at its own timer (ANALYSER_TIMER, every ANALYSER_TICK_MS) only
 * while a song plays, not paused, and the window is shown, not minimised
 * and not wholly covered; otherwise the timer is killed and costs nothing.
 * A paused song leaves its last picture; stopped, or off, the area shows
 * the skin's empty recess.
 *
 * The main window wires it:
 *   WM_CREATE:             createAnalyser(window, hdcBis) once the skin is on its surface
 *   WM_DESTROY:            destroyAnalyser(window) before the surface goes
 *   WM_ERASEBKGND:         paintAnalyser(window, dc) after the skin, before the focus mark
 *   WM_TIMER (its own):    analyserTick(window)
 *   WM_TIMER (the frame's): analyserFollow(window)
 *   WM_WINDOWPOSCHANGED, WM_ACTIVATE: analyserWindowChanged(window)
 */
#ifndef KELVORIA_APP_ANALYSER_AREA_H
#define KELVORIA_APP_ANALYSER_AREA_H

#include <windows.h>

/* Window coordinates, both bounds included: the recess drawn in the skin. */
#define ANALYSER_LEFT 381
#define ANALYSER_RIGHT 410
#define ANALYSER_TOP 56
#define ANALYSER_BOTTOM 94

#define ANALYSER_TIMER 0x414E
#define ANALYSER_TICK_MS 30
/* The rate of what the engine hands the device (fmod.h). */
#define ANALYSER_RATE 44100

enum analyserMode { ANALYSER_BARS, ANALYSER_SCOPE, ANALYSER_OFF };

void createAnalyser(HWND window, HDC skinSurface);
void destroyAnalyser(HWND window);

bool inAnalyserArea(int x, int y);

/* The next mode, stored; a song playing or paused shows it at once. */
void cycleAnalyserMode(HWND window);
analyserMode analyserModeNow();

/* Starts or kills the timer as the song and the window now ask; cheap
 * enough for every tick of the frame timer. */
void analyserFollow(HWND window);

/* The window was moved, shown, hidden, raised or activated: what covered
 * the area may have gone, so the next tick looks again. */
void analyserWindowChanged(HWND window);

void analyserTick(HWND window);

void paintAnalyser(HWND window, HDC dc);

/* Whether the analyser's timer is set. */
bool analyserRunning();

#endif
