/*
 * The equalizer's presets: a built-in set, and the listener's own, kept in
 * the registry below "Software\Kelvoria\Equalizer presets", one value a
 * preset (its name; the pre-amplification and the ten bands in hundredths
 * of a decibel, comma-separated).
 */
#ifndef KELVORIA_EQUALIZER_PRESETS_H
#define KELVORIA_EQUALIZER_PRESETS_H

#include "equalizer_choice.h"

#define PRESET_NAME_SIZE 128        /* with its NUL */
#define USER_PRESETS_MAX 200

struct equalizerPreset {
    char name[PRESET_NAME_SIZE];
    int preamp;
    int bands[EQUALIZER_BANDS];
};

int builtInPresetCount();
equalizerPreset builtInPreset(int index);
bool isBuiltInPresetName(const char *name);

/* The listener's presets in the registry's order, at most `capacity`;
 * a value that is not a whole preset is passed over. */
int listUserPresets(equalizerPreset *presets, int capacity);

/* A built-in preset of that name, else the listener's; false for none. */
bool findPreset(const char *name, equalizerPreset &preset);

enum presetSaving { PRESET_SAVED, PRESET_NAME_EMPTY, PRESET_NAME_BUILT_IN, PRESET_LIST_FULL, PRESET_NOT_SAVED };
/* Saves (or replaces) the listener's preset of that name. A built-in
 * name is refused, so that the set every listener knows stays as it is. */
presetSaving saveUserPreset(const equalizerPreset &preset);
bool deleteUserPreset(const char *name);

/* The preset's values as a choice, switched on; Auto is kept from `base`. */
equalizerChoice choiceOfPreset(const equalizerPreset &preset, const equalizerChoice &base);
equalizerPreset presetOfChoice(const char *name, const equalizerChoice &choice);

/* Copies a name from outside (a file, a dialog) into `name`: control
 * characters become blanks, blanks at both ends go, and a name too long is
 * cut before the character that does not fit whole. */
void takePresetName(char *name, const char *text, int length);

#endif
