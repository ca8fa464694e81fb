// Text and number values below HKEY_CURRENT_USER, for every stored setting.
#include "registry_values.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char SETTINGS_KEY[] = "Software\\Kelvoria\\Settings";

HKEY openKey(const char *path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The stored size counts the terminating NUL.
void writeText(const char *keyPath, const char *name, const char *text)
{
    HKEY key = openKey(keyPath);
    if (!key)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                   static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
}

void deleteValue(const char *keyPath, const char *name)
{
    HKEY key = openKey(keyPath);
    if (!key)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// Reads a text value into `text` (of `size` bytes). False when it is absent,
// not stored as text, empty, does not fit, or is not terminated within the
// buffer: whoever copies it on must never get a cut or foreign text.
bool readText(const char *keyPath, const char *name, char *text, DWORD size)
{
    HKEY key = openKey(keyPath);
    if (!key)
        return false;
    memset(text, 0, size);
    DWORD type = REG_NONE;
    DWORD got = size;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text), &got);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // The zero fill terminates a value stored without its NUL when it is
    // shorter than the buffer.
    if (got >= size && !memchr(text, '\0', size))
        return false;
    return text[0] != '\0';
}

// A whole number from `low` to `high` stored as text; `fallback` for
// anything else (absent, empty, trailing letters, out of range).
int readNumber(const char *name, int low, int high, int fallback)
{
    char text[16];
    if (!readText(SETTINGS_KEY, name, text, sizeof(text)))
        return fallback;
    char *end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high)
        return fallback;
    return static_cast<int>(value);
}

void writeNumber(const char *name, int value)
{
    char text[16];
    snprintf(text, sizeof(text), "%d", value);
    writeText(SETTINGS_KEY, name, text);
}

