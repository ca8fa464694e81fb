#include "stored_equalizer.h"

#include "registry_values.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int BAND_LIST_SIZE = EQUALIZER_BANDS * 7;     // "-1200," each

bool readYes(const char *name)
{
    char text[8];
    return readText(SETTINGS_KEY, name, text, sizeof(text)) && strcmp(text, "Yes") == 0;
}

void storeChange(equalizerChange, void *)
{
    storeEqualizer(currentEqualizer());
}

} // namespace

bool parseHundredths(const char *text, int *values, int count)
{
    int read[EQUALIZER_BANDS + 1];
    if (count < 1 || count > EQUALIZER_BANDS + 1)
        return false;
    const char *at = text;
    for (int i = 0; i < count; ++i) {
        char *end = nullptr;
        long value = strtol(at, &end, 10);
        if (end == at || value < -EQUALIZER_LIMIT || value > EQUALIZER_LIMIT)
            return false;
        read[i] = static_cast<int>(value);
        if (*end != (i == count - 1 ? '\0' : ','))
            return false;
        at = end + 1;
    }
    memcpy(values, read, count * sizeof(int));
    return true;
}

void formatHundredths(char *text, int size, const int *values, int count)
{
    int used = 0;
    text[0] = '\0';
    for (int i = 0; i < count && used < size; ++i) {
        int wrote = snprintf(text + used, size - used, i ? ",%d" : "%d", values[i]);
        if (wrote < 0 || wrote >= size - used) {
            text[used] = '\0';     // a number that does not fit is left out whole
            return;
        }
        used += wrote;
    }
}

equalizerChoice storedEqualizer(void)
{
    equalizerChoice choice = flatEqualizer();
    char bands[BAND_LIST_SIZE + 1];
    if (!readText(SETTINGS_KEY, "EqualizerBands", bands, sizeof(bands)) || !parseHundredths(bands, choice.bands, EQUALIZER_BANDS))
        return choice;
    choice.on = readYes("Equalizer");
    choice.autoPreamp = readYes("EqualizerAuto");
    choice.preamp = readNumber("EqualizerPreamp", -EQUALIZER_LIMIT, EQUALIZER_LIMIT, 0);
    return choice;
}

void storeEqualizer(const equalizerChoice &choice)
{
    char bands[BAND_LIST_SIZE + 1];
    formatHundredths(bands, sizeof(bands), choice.bands, EQUALIZER_BANDS);
    writeText(SETTINGS_KEY, "EqualizerBands", bands);
    writeText(SETTINGS_KEY, "Equalizer", choice.on ? "Yes" : "No");
    writeText(SETTINGS_KEY, "EqualizerAuto", choice.autoPreamp ? "Yes" : "No");
    writeNumber("EqualizerPreamp", choice.preamp);
}

void restoreAndKeepEqualizer(void)
{
    chooseEqualizer(storedEqualizer());
    listenToEqualizer(storeChange, nullptr);
}
