/*
 * The equalizer as the registry keeps it between runs, in
 * "Software\Kelvoria\Settings": "Equalizer" and "EqualizerAuto" ("Yes" or
 * "No"), "EqualizerPreamp" (hundredths of a decibel, "-350") and
 * "EqualizerBands" (ten such numbers, comma-separated). A value that is
 * missing or not exactly of that form counts as flat: a damaged entry never
 * gives a loud or half-read setting.
 */
#ifndef KELVORIA_STORED_EQUALIZER_H
#define KELVORIA_STORED_EQUALIZER_H

#include "equalizer_choice.h"

equalizerChoice storedEqualizer(void);
void storeEqualizer(const equalizerChoice &choice);

/* At start: the stored choice becomes the current one, and from then on
 * every change is stored as it is made. */
void restoreAndKeepEqualizer(void);

/* `count` comma-separated whole numbers within the limit into `values`;
 * false (values untouched) for anything else. */
bool parseHundredths(const char *text, int *values, int count);

/* The same list written back, at most `size` bytes with its NUL. */
void formatHundredths(char *text, int size, const int *values, int count);

#endif
