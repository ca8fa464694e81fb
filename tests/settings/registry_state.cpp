#include "registry_state.h"

const char SHELL_KEY[] = "Software\\Kelvoria\\Shell";
const char STARTUP_KEY[] = "Software\\Kelvoria\\Shell\\Startup";
const char RUN_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string stored(const char *keyPath, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<absent>";
    char bytes[1024];
    DWORD size = sizeof(bytes), type = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(bytes), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "<absent>";
    return (type == REG_SZ ? "sz:" : "other:") + std::string(bytes, size);
}

std::string sz(const std::string &text)
{
    return "sz:" + text + '\0';
}

void writeValue(const char *keyPath, const char *name, DWORD type, const std::string &bytes)
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void writeText(const char *keyPath, const char *name, const std::string &text)
{
    writeValue(keyPath, name, REG_SZ, text + '\0');
}

bool keyExists(const char *keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void forgetEverything()
{
    for (const char *keyPath : {STARTUP_KEY, SHELL_KEY, SETTINGS_KEY, "Software\\Kelvoria\\Playlist", "Software\\Kelvoria"})
        RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Kelvoria");
        RegCloseKey(run);
    }
}

std::string programFile()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

std::string startupLineOf(const std::string &path)
{
    return "\"" + path + "\" /startup";
}
