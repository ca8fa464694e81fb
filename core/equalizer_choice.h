/*
 * The listener's equalizer: on or off, Auto, the pre-amplification and the
 * ten bands, in hundredths of a decibel. This is its one owner: every
 * change goes through chooseEqualizer, which hands the sound to the engine
 * at once (the song that plays hears it) and then tells the listeners, so
 * that the window that moved a slider and every other reader agree.
 */
#ifndef KELVORIA_EQUALIZER_CHOICE_H
#define KELVORIA_EQUALIZER_CHOICE_H

#define EQUALIZER_BANDS 10
#define EQUALIZER_LIMIT 1200    /* hundredths of a decibel, either way */

/* The bands' centres, 31 Hz to 16 kHz, as the window names them. */
extern const char *const EQUALIZER_BAND_NAMES[EQUALIZER_BANDS];

struct equalizerChoice {
    bool on;
    bool autoPreamp;    /* the pre-amplification is lowered so that no band can clip */
    int preamp;         /* the listener's own, -1200..1200 */
    int bands[EQUALIZER_BANDS];
};

/* Off, Auto off, everything at 0 dB. */
equalizerChoice flatEqualizer();

const equalizerChoice &currentEqualizer();

/* The pre-amplification the engine is given: the listener's, or with Auto
 * the lower of it and the one that keeps a full-scale tone unclipped. */
int preampHeard(const equalizerChoice &choice);

/* Takes `choice` (every value held within the limit), gives it to the
 * engine and tells the listeners; an unchanged choice tells nobody. */
void chooseEqualizer(const equalizerChoice &choice);

enum equalizerChange { EQUALIZER_CHANGED };
typedef void (*equalizerListener)(equalizerChange change, void *context);
bool listenToEqualizer(equalizerListener listener, void *context);
void stopListeningToEqualizer(equalizerListener listener, void *context);

#endif
