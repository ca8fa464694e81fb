/*
 * Text and number values below HKEY_CURRENT_USER, read so that a value
 * written by anything else (another type, no terminator, out of range)
 * is never taken half.
 */
#ifndef KELVORIA_REGISTRY_VALUES_H
#define KELVORIA_REGISTRY_VALUES_H

#include <windows.h>

/* "Software\Kelvoria\Settings", where the listener's choices live. */
extern const char SETTINGS_KEY[];

/* The key at `path` below HKEY_CURRENT_USER opened for all access, or null
 * when it does not exist. */
HKEY openKey(const char *path);

/* Writes `text` as a REG_SZ (its terminating NUL counted) into an existing
 * key; nothing when the key is missing. */
void writeText(const char *keyPath, const char *name, const char *text);

void deleteValue(const char *keyPath, const char *name);

/* Reads a text value into `text` (of `size` bytes). False when it is
 * absent, not stored as text, empty, does not fit, or is not terminated
 * within the buffer. */
bool readText(const char *keyPath, const char *name, char *text, DWORD size);

/* A whole number from `low` to `high` stored as text in SETTINGS_KEY;
 * `fallback` for anything else (absent, empty, trailing letters, out of
 * range). */
int readNumber(const char *name, int low, int high, int fallback);
void writeNumber(const char *name, int value);

#endif
