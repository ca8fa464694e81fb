// The real registry of the test prefix as the settings tests see and set
// it: the values' stored bytes, and a clean start without Software\Kelvoria
// and without the log-on entry, as on a first run.
#ifndef KELVORIA_TEST_REGISTRY_STATE_H
#define KELVORIA_TEST_REGISTRY_STATE_H

#include <windows.h>

#include <string>

extern const char SETTINGS_KEY[];   // Software\Kelvoria\Settings
extern const char SHELL_KEY[];      // Software\Kelvoria\Shell
extern const char STARTUP_KEY[];    // Software\Kelvoria\Shell\Startup
extern const char RUN_KEY[];        // Software\Microsoft\Windows\CurrentVersion\Run

// The value's bytes as stored (terminator included), prefixed with "sz:"
// for REG_SZ and "other:" for other types; "<absent>" when there is none.
std::string stored(const char *keyPath, const char *name);

// What stored() gives for a REG_SZ value holding `text`.
std::string sz(const std::string &text);

// Creates the key when needed and writes the bytes as they are.
void writeValue(const char *keyPath, const char *name, DWORD type, const std::string &bytes);
void writeText(const char *keyPath, const char *name, const std::string &text);

bool keyExists(const char *keyPath);

// Removes Software\Kelvoria with its keys and the "Run" value "Kelvoria".
void forgetEverything();

// This test program's own path, and the start-up line the registry keeps
// for a program at `path`.
std::string programFile();
std::string startupLineOf(const std::string &path);

#endif
