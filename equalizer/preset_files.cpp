#include "preset_files.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

const char EQF_HEADER[EQF_HEADER_SIZE + 1] = "Winamp EQ library file v1.1\x1A!--";
const int EQF_NAME_SIZE = 257;
const int EQF_TOP = 0, EQF_MIDDLE = 31, EQF_BOTTOM = 63;

int rounded(double value)
{
    return static_cast<int>(value < 0 ? value - 0.5 : value + 0.5);
}

int held(int hundredths)
{
    return hundredths < -EQUALIZER_LIMIT ? -EQUALIZER_LIMIT : hundredths > EQUALIZER_LIMIT ? EQUALIZER_LIMIT : hundredths;
}

// The name's bytes up to its NUL, within the field.
void readEntryName(const unsigned char *field, int entry, equalizerPreset &preset)
{
    const void *end = memchr(field, '\0', EQF_NAME_SIZE);
    int length = end ? static_cast<int>(static_cast<const unsigned char *>(end) - field) : EQF_NAME_SIZE;
    takePresetName(preset.name, reinterpret_cast<const char *>(field), length);
    if (!preset.name[0])
        snprintf(preset.name, sizeof(preset.name), "Entry%d", entry + 1);
}

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
}

// One number in dB, ending at a separator, a comment or the end.
bool readDecibels(const char *&at, const char *end, int &hundredths)
{
    char number[32];
    int length = 0;
    while (at < end && !isSeparator(*at) && *at != '#') {
        if (length == sizeof(number) - 1)
            return false;
        number[length++] = *at++;
    }
    number[length] = '\0';
    char *stop = nullptr;
    double db = strtod(number, &stop);
    if (!length || *stop != '\0' || !(db >= -1000.0 && db <= 1000.0))
        return false;   // not a number, NaN, or far beyond any slider
    hundredths = held(rounded(db * 100.0));
    return true;
}

bool readWholeFile(const char *path, std::vector<unsigned char> &bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool read = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= PRESET_FILE_MAX) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                                 got == bytes.size());
    }
    CloseHandle(file);
    return read;
}

bool writeWholeFile(const char *path, const void *bytes, size_t size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD wrote = 0;
    bool whole = WriteFile(file, bytes, static_cast<DWORD>(size), &wrote, nullptr) && wrote == size;
    CloseHandle(file);
    if (!whole)
        DeleteFileA(path);  // never leave half a preset behind
    return whole;
}

bool hasTextExtension(const char *path)
{
    size_t length = strlen(path);
    return length >= 4 && lstrcmpiA(path + length - 4, ".txt") == 0;
}

// The file's base name, for a preset that names none.
void nameAfterFile(const char *path, equalizerPreset &preset)
{
    const char *base = path;
    for (const char *at = path; *at; ++at)
        if (*at == '\\' || *at == '/' || *at == ':')
            base = at + 1;
    const char *dot = strrchr(base, '.');
    int length = dot && dot != base ? static_cast<int>(dot - base) : static_cast<int>(strlen(base));
    takePresetName(preset.name, base, length);
}

} // namespace

int eqfValueOfHundredths(int hundredths)
{
    int h = held(hundredths);
    // 31 steps up to +12 dB, 32 down to -12 dB, as the library's sliders have.
    int steps = h >= 0 ? rounded(h * (EQF_MIDDLE - EQF_TOP) / 1200.0) : rounded(h * (EQF_BOTTOM - EQF_MIDDLE) / 1200.0);
    return EQF_MIDDLE - steps;
}

int hundredthsOfEqfValue(int value)
{
    if (value < EQF_TOP)
        value = EQF_TOP;
    if (value > EQF_BOTTOM)
        value = EQF_BOTTOM;
    int steps = EQF_MIDDLE - value;
    return steps >= 0 ? rounded(steps * 1200.0 / (EQF_MIDDLE - EQF_TOP))
                      : rounded(steps * 1200.0 / (EQF_BOTTOM - EQF_MIDDLE));
}

int readEqfLibrary(const unsigned char *bytes, size_t size, equalizerPreset *presets, int capacity)
{
    if (size < EQF_HEADER_SIZE || memcmp(bytes, EQF_HEADER, EQF_HEADER_SIZE) != 0)
        return -1;
    int count = 0;
    for (size_t at = EQF_HEADER_SIZE; at + EQF_ENTRY_SIZE <= size && count < capacity; at += EQF_ENTRY_SIZE) {
        equalizerPreset &preset = presets[count];
        memset(&preset, 0, sizeof(preset));
        readEntryName(bytes + at, count, preset);
        const unsigned char *values = bytes + at + EQF_NAME_SIZE;
        for (int band = 0; band < EQUALIZER_BANDS; ++band)
            preset.bands[band] = hundredthsOfEqfValue(values[band]);
        preset.preamp = hundredthsOfEqfValue(values[EQUALIZER_BANDS]);
        ++count;
    }
    return count;
}

size_t writeEqfLibrary(const equalizerPreset *presets, int count, unsigned char *out, size_t capacity)
{
    size_t size = EQF_HEADER_SIZE + static_cast<size_t>(count) * EQF_ENTRY_SIZE;
    if (count < 0 || size > capacity)
        return 0;
    memset(out, 0, size);
    memcpy(out, EQF_HEADER, EQF_HEADER_SIZE);
    for (int i = 0; i < count; ++i) {
        unsigned char *entry = out + EQF_HEADER_SIZE + static_cast<size_t>(i) * EQF_ENTRY_SIZE;
        size_t length = strnlen(presets[i].name, EQF_NAME_SIZE - 1);
        memcpy(entry, presets[i].name, length);
        for (int band = 0; band < EQUALIZER_BANDS; ++band)
            entry[EQF_NAME_SIZE + band] = static_cast<unsigned char>(eqfValueOfHundredths(presets[i].bands[band]));
        entry[EQF_NAME_SIZE + EQUALIZER_BANDS] = static_cast<unsigned char>(eqfValueOfHundredths(presets[i].preamp));
    }
    return size;
}

bool readTextPreset(const char *text, size_t size, equalizerPreset &preset)
{
    int values[EQUALIZER_BANDS + 1];
    int count = 0;
    const char *at = text, *end = text + size;
    while (at < end) {
        if (isSeparator(*at)) {
            ++at;
        } else if (*at == '#') {
            while (at < end && *at != '\n')
                ++at;
        } else if (count == EQUALIZER_BANDS + 1 || !readDecibels(at, end, values[count++])) {
            return false;
        }
    }
    if (count < EQUALIZER_BANDS)
        return false;
    memcpy(preset.bands, values, sizeof(preset.bands));
    preset.preamp = count > EQUALIZER_BANDS ? values[EQUALIZER_BANDS] : 0;
    return true;
}

void writeTextPreset(const equalizerPreset &preset, char *out, int size)
{
    int used = snprintf(out, size, "# Equalizer: 31 Hz to 16 kHz in dB, then the pre-amplification\r\n");
    for (int i = 0; i <= EQUALIZER_BANDS && used >= 0 && used < size; ++i) {
        int value = i < EQUALIZER_BANDS ? preset.bands[i] : preset.preamp;
        used += snprintf(out + used, size - used, "%s%.2f", i ? " " : "", value / 100.0);
    }
    if (used >= 0 && used < size)
        snprintf(out + used, size - used, "\r\n");
}

presetFileResult importPresetFile(const char *path, equalizerPreset *presets, int capacity, int &count)
{
    count = 0;
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes))
        return PRESET_FILE_UNREADABLE;
    int read = readEqfLibrary(bytes.data(), bytes.size(), presets, capacity);
    if (read < 0 && capacity > 0) {
        memset(&presets[0], 0, sizeof(presets[0]));
        read = readTextPreset(reinterpret_cast<const char *>(bytes.data()), bytes.size(), presets[0]) ? 1 : 0;
        if (read)
            nameAfterFile(path, presets[0]);
    }
    if (read <= 0)
        return PRESET_FILE_NOT_PRESETS;
    count = read;
    return PRESET_FILE_READ;
}

bool exportPresetFile(const char *path, const equalizerPreset &preset)
{
    if (hasTextExtension(path)) {
        char text[512];
        writeTextPreset(preset, text, sizeof(text));
        return writeWholeFile(path, text, strlen(text));
    }
    unsigned char library[EQF_HEADER_SIZE + EQF_ENTRY_SIZE];
    size_t size = writeEqfLibrary(&preset, 1, library, sizeof(library));
    return size && writeWholeFile(path, library, size);
}
