#include "equalizer_choice.h"

#include "fmod.h"
#include "listener_table.h"

#include <string.h>

const char *const EQUALIZER_BAND_NAMES[EQUALIZER_BANDS] = {"31 Hz",  "62 Hz", "125 Hz", "250 Hz", "500 Hz",
                                                           "1 kHz", "2 kHz", "4 kHz",  "8 kHz",  "16 kHz"};

namespace {

equalizerChoice current = flatEqualizer();
listenerTable<equalizerChange, 8> listeners;

int held(int value)
{
    return value < -EQUALIZER_LIMIT ? -EQUALIZER_LIMIT : value > EQUALIZER_LIMIT ? EQUALIZER_LIMIT : value;
}

bool same(const equalizerChoice &a, const equalizerChoice &b)
{
    return a.on == b.on && a.autoPreamp == b.autoPreamp && a.preamp == b.preamp &&
           memcmp(a.bands, b.bands, sizeof(a.bands)) == 0;
}

} // namespace

equalizerChoice flatEqualizer()
{
    equalizerChoice flat;
    memset(&flat, 0, sizeof(flat));
    return flat;
}

const equalizerChoice &currentEqualizer()
{
    return current;
}

int preampHeard(const equalizerChoice &choice)
{
    if (!choice.autoPreamp)
        return choice.preamp;
    int safe = Kelvoria_GetEqualizerAutoPreamp(choice.bands);
    return safe < choice.preamp ? safe : choice.preamp;
}

void chooseEqualizer(const equalizerChoice &choice)
{
    equalizerChoice next = choice;
    next.preamp = held(choice.preamp);
    for (int &band : next.bands)
        band = held(band);
    if (same(next, current))
        return;
    current = next;
    Kelvoria_SetEqualizer(current.on ? 1 : 0, preampHeard(current), current.bands);
    listeners.tell(EQUALIZER_CHANGED);
}

bool listenToEqualizer(equalizerListener listener, void *context)
{
    return listeners.add(listener, context);
}

void stopListeningToEqualizer(equalizerListener listener, void *context)
{
    listeners.remove(listener, context);
}
