#include "presets.h"

#include "registry_values.h"
#include "stored_equalizer.h"

#include <stdio.h>
#include <string.h>

namespace {

const char PRESETS_KEY[] = "Software\\Kelvoria\\Equalizer presets";
const int PRESET_TEXT_SIZE = (EQUALIZER_BANDS + 1) * 7;

// In whole decibels, 31 Hz to 16 kHz; the pre-amplification is 0 for all,
// which Auto lowers where they boost.
struct builtIn {
    const char *name;
    signed char db[EQUALIZER_BANDS];
};
const builtIn BUILT_IN[] = {
    {"Flat", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"Classical", {0, 0, 0, 0, 0, 0, -4, -4, -4, -6}},
    {"Club", {0, 0, 3, 4, 4, 4, 3, 0, 0, 0}},
    {"Dance", {6, 5, 2, 0, 0, -3, -4, -4, 0, 0}},
    {"Full bass", {7, 7, 6, 4, 1, -3, -5, -6, -6, -6}},
    {"Full bass and treble", {5, 4, 0, -4, -3, 1, 5, 7, 8, 8}},
    {"Full treble", {-6, -6, -6, -2, 1, 6, 9, 9, 9, 10}},
    {"Headphones", {3, 7, 3, -2, -1, 1, 3, 6, 8, 9}},
    {"Large hall", {7, 7, 4, 4, 0, -3, -3, -3, 0, 0}},
    {"Live", {-3, 0, 2, 3, 3, 3, 2, 1, 1, 1}},
    {"Party", {5, 5, 0, 0, 0, 0, 0, 0, 5, 5}},
    {"Pop", {-1, 3, 5, 5, 3, -1, -2, -2, -1, -1}},
    {"Reggae", {0, 0, 0, -3, 0, 4, 4, 0, 0, 0}},
    {"Rock", {5, 3, -3, -5, -2, 2, 6, 7, 7, 7}},
    {"Ska", {-1, -2, -2, 0, 2, 3, 5, 6, 7, 6}},
    {"Soft", {2, 1, 0, -1, 0, 2, 5, 6, 7, 8}},
    {"Soft rock", {2, 2, 1, 0, -2, -3, -2, 0, 1, 5}},
    {"Techno", {5, 4, 0, -3, -3, 0, 5, 6, 6, 5}},
    {"Vocal", {-3, -3, -2, 0, 3, 4, 4, 2, 0, -2}},
};
const int BUILT_IN_COUNT = sizeof(BUILT_IN) / sizeof(BUILT_IN[0]);

HKEY openPresetsKey(bool create)
{
    HKEY key = openKey(PRESETS_KEY);
    if (!key && create &&
        RegCreateKeyExA(HKEY_CURRENT_USER, PRESETS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool presetOfText(const char *name, const char *text, equalizerPreset &preset)
{
    int values[EQUALIZER_BANDS + 1];
    if (!parseHundredths(text, values, EQUALIZER_BANDS + 1))
        return false;
    snprintf(preset.name, sizeof(preset.name), "%s", name);
    preset.preamp = values[0];
    memcpy(preset.bands, values + 1, sizeof(preset.bands));
    return true;
}

bool isContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

int builtInPresetCount()
{
    return BUILT_IN_COUNT;
}

equalizerPreset builtInPreset(int index)
{
    equalizerPreset preset;
    memset(&preset, 0, sizeof(preset));
    if (index < 0 || index >= BUILT_IN_COUNT)
        return preset;
    snprintf(preset.name, sizeof(preset.name), "%s", BUILT_IN[index].name);
    for (int band = 0; band < EQUALIZER_BANDS; ++band)
        preset.bands[band] = BUILT_IN[index].db[band] * 100;
    return preset;
}

bool isBuiltInPresetName(const char *name)
{
    for (const builtIn &preset : BUILT_IN)
        if (lstrcmpiA(preset.name, name) == 0)
            return true;
    return false;
}

int listUserPresets(equalizerPreset *presets, int capacity)
{
    HKEY key = openPresetsKey(false);
    if (!key)
        return 0;
    int count = 0;
    for (DWORD index = 0; count < capacity; ++index) {
        char name[PRESET_NAME_SIZE];
        char text[PRESET_TEXT_SIZE + 1];
        DWORD nameSize = sizeof(name), textSize = sizeof(text) - 1, type = REG_NONE;
        LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE *>(text),
                                    &textSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;   // too long a name or value, or not text: not one of ours
        text[textSize < sizeof(text) ? textSize : sizeof(text) - 1] = '\0';
        if (name[0] && presetOfText(name, text, presets[count]))
            ++count;
    }
    RegCloseKey(key);
    return count;
}

bool findPreset(const char *name, equalizerPreset &preset)
{
    for (int index = 0; index < BUILT_IN_COUNT; ++index)
        if (strcmp(BUILT_IN[index].name, name) == 0) {
            preset = builtInPreset(index);
            return true;
        }
    char text[PRESET_TEXT_SIZE + 1];
    return readText(PRESETS_KEY, name, text, sizeof(text)) && presetOfText(name, text, preset);
}

presetSaving saveUserPreset(const equalizerPreset &preset)
{
    if (!preset.name[0])
        return PRESET_NAME_EMPTY;
    if (isBuiltInPresetName(preset.name))
        return PRESET_NAME_BUILT_IN;
    equalizerPreset known;
    if (!findPreset(preset.name, known)) {
        static equalizerPreset listed[USER_PRESETS_MAX];
        if (listUserPresets(listed, USER_PRESETS_MAX) >= USER_PRESETS_MAX)
            return PRESET_LIST_FULL;
    }
    HKEY key = openPresetsKey(true);
    if (!key)
        return PRESET_NOT_SAVED;
    int values[EQUALIZER_BANDS + 1];
    values[0] = preset.preamp;
    memcpy(values + 1, preset.bands, sizeof(preset.bands));
    char text[PRESET_TEXT_SIZE + 1];
    formatHundredths(text, sizeof(text), values, EQUALIZER_BANDS + 1);
    LONG result = RegSetValueExA(key, preset.name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                                 static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? PRESET_SAVED : PRESET_NOT_SAVED;
}

bool deleteUserPreset(const char *name)
{
    HKEY key = openPresetsKey(false);
    if (!key)
        return false;
    bool deleted = RegDeleteValueA(key, name) == ERROR_SUCCESS;
    RegCloseKey(key);
    return deleted;
}

equalizerChoice choiceOfPreset(const equalizerPreset &preset, const equalizerChoice &base)
{
    equalizerChoice choice = base;
    choice.on = true;
    choice.preamp = preset.preamp;
    memcpy(choice.bands, preset.bands, sizeof(choice.bands));
    return choice;
}

equalizerPreset presetOfChoice(const char *name, const equalizerChoice &choice)
{
    equalizerPreset preset;
    memset(&preset, 0, sizeof(preset));
    takePresetName(preset.name, name, static_cast<int>(strlen(name)));
    preset.preamp = choice.preamp;
    memcpy(preset.bands, choice.bands, sizeof(preset.bands));
    return preset;
}

void takePresetName(char *name, const char *text, int length)
{
    int start = 0;
    while (start < length && (static_cast<unsigned char>(text[start]) <= ' '))
        ++start;
    while (length > start && static_cast<unsigned char>(text[length - 1]) <= ' ')
        --length;
    int kept = length - start;
    if (kept > PRESET_NAME_SIZE - 1) {
        kept = PRESET_NAME_SIZE - 1;
        while (kept > 0 && isContinuationByte(static_cast<unsigned char>(text[start + kept])))
            --kept;
    }
    for (int i = 0; i < kept; ++i) {
        unsigned char c = static_cast<unsigned char>(text[start + i]);
        name[i] = (c < ' ' || c == 0x7F) ? ' ' : static_cast<char>(c);
    }
    name[kept] = '\0';
}
