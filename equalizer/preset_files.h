/*
 * Preset files of other players and of people's own notes:
 *
 * - The graphic-equalizer library (.eqf, .q1): the 27-byte header
 *   "Winamp EQ library file v1.1", the bytes 1A 21 2D 2D, then entries of
 *   257 bytes of name (NUL-padded) and eleven values: the ten bands from the
 *   lowest, then the pre-amplification. A value is a slider's place from
 *   the top, 0 (+12 dB) to 63 (-12 dB), 31 at 0 dB.
 * - Plain text: ten values in decibels, 31 Hz to 16 kHz, and an optional
 *   eleventh, the pre-amplification, separated by blanks, commas,
 *   semicolons or line breaks; a '#' starts a comment to the end of its line.
 *
 * Both are read as untrusted bytes: every length is bounded, values beyond
 * the limit are held at it.
 */
#ifndef KELVORIA_PRESET_FILES_H
#define KELVORIA_PRESET_FILES_H

#include "presets.h"

#include <stddef.h>

#define EQF_HEADER_SIZE 31
#define EQF_ENTRY_SIZE 268
#define PRESET_FILE_MAX (1 << 20)

/* The entries of a library, at most `capacity`; -1 when the bytes are not
 * one. An entry cut short at the end is left out. */
int readEqfLibrary(const unsigned char *bytes, size_t size, equalizerPreset *presets, int capacity);

/* The library of `count` presets; its size, or 0 when it does not fit. */
size_t writeEqfLibrary(const equalizerPreset *presets, int count, unsigned char *out, size_t capacity);

/* One preset from text; false when it holds anything but ten or eleven numbers. */
bool readTextPreset(const char *text, size_t size, equalizerPreset &preset);
void writeTextPreset(const equalizerPreset &preset, char *out, int size);

/* The slider place of the library form for hundredths of a decibel, and back. */
int eqfValueOfHundredths(int hundredths);
int hundredthsOfEqfValue(int value);

/* A file by its extension (.txt is text, anything else the library): the
 * presets it holds, named after the file when it names none. */
enum presetFileResult { PRESET_FILE_READ, PRESET_FILE_UNREADABLE, PRESET_FILE_NOT_PRESETS };
presetFileResult importPresetFile(const char *path, equalizerPreset *presets, int capacity, int &count);
bool exportPresetFile(const char *path, const equalizerPreset &preset);

#endif
