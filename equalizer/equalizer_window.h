/*
 * The equalizer window: a modeless dialog from the template "Equalizer",
 * made hidden once at start-up and owned by the main window, shown and
 * hidden as the playlist window is (the main window's EQ area, the tray
 * menu, the key G; its close area and Escape hide it). It keeps its place
 * between runs.
 *
 * It reads the equalizer (core/equalizer_choice.h) and changes it only
 * through chooseEqualizer: On, Auto, the pre-amplification and ten sliders
 * of 0.5 dB steps from -12 to +12 dB, the presets (built in and the
 * listener's own, chosen, saved under the name typed in the list, deleted)
 * and the preset files (Import..., Export...).
 */
#ifndef KELVORIA_EQUALIZER_WINDOW_H
#define KELVORIA_EQUALIZER_WINDOW_H

#include <windows.h>

/* Control and command ids. */
#define EQUALIZER_CMD_HIDE 14       /* the close area, Escape */
#define EQUALIZER_ON 101
#define EQUALIZER_AUTO 102
#define EQUALIZER_PRESETS 103       /* a list to choose from, or a name to save under */
#define EQUALIZER_SAVE 104
#define EQUALIZER_DELETE 105
#define EQUALIZER_IMPORT 106
#define EQUALIZER_EXPORT 107
#define EQUALIZER_STATUS 108
#define EQUALIZER_PREAMP 110
#define EQUALIZER_FIRST_BAND 111    /* to 120, 31 Hz to 16 kHz */

/* The sliders' places: 0 at the top (+12 dB) to 48 (-12 dB). */
#define EQUALIZER_SLIDER_STEPS 48
int sliderPlaceOfHundredths(int hundredths);
int hundredthsOfSliderPlace(int place);

/* "+3.0 dB", as the sliders read to screen readers. */
void writeDecibels(char *text, int size, int hundredths);

INT_PTR CALLBACK EqualizerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
