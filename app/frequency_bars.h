/*
 * What the analyser area shows, computed from the frames heard and nothing
 * else: no window, no clock. Every call does the same work for the same
 * frames, so the pictures it leads to are the same on every machine.
 *
 * Frequency bars: the last BARS_FRAMES stereo frames, mixed to mono and
 * shaped by a Hann window, go through a radix-2 FFT; each bar sums the
 * power of the bins of its band on a logarithmic scale from
 * BARS_LOWEST_HZ to BARS_HIGHEST_HZ, in dB mapped to 0..1 (a full-scale
 * sine in the band gives about 1, BARS_RANGE_DB below that gives 0). Each
 * bar's peak rises with the bar at once and falls by BARS_PEAK_FALL a call.
 *
 * Scope: the lowest and highest mono sample of each column, in -1..1.
 */
#ifndef KELVORIA_APP_FREQUENCY_BARS_H
#define KELVORIA_APP_FREQUENCY_BARS_H

#define BARS_FRAMES 1024          /* 23 ms at 44.1 kHz: bins 43 Hz apart */
#define BARS_MAX 32
#define BARS_LOWEST_HZ 50.0f
#define BARS_HIGHEST_HZ 16000.0f
#define BARS_RANGE_DB 60.0f
#define BARS_PEAK_FALL 0.02f      /* per call: the whole height in 50 pictures */

struct frequencyBars {
    int count;
    int firstBin[BARS_MAX];     /* each bar sums bins firstBin .. endBin - 1 */
    int endBin[BARS_MAX];
    float levels[BARS_MAX];     /* 0..1 */
    float peaks[BARS_MAX];      /* 0..1, never below levels */
    float re[BARS_FRAMES];      /* the FFT's working space, kept here so that no call allocates */
    float im[BARS_FRAMES];
};

/* `count` bars (1..BARS_MAX, cut to that) for frames at `sampleRate`;
 * levels and peaks at 0. A band narrower than a bin takes the bin nearest
 * its middle. */
void setUpBars(frequencyBars &bars, int count, int sampleRate);

/* Levels of `frames` interleaved 16-bit stereo frames (the most recent
 * last); fewer than BARS_FRAMES count as silence before them, more are cut
 * to the last BARS_FRAMES. The peaks fall, then rise to the new levels. */
void measureBars(frequencyBars &bars, const short *stereo, int frames);

/* Levels and peaks back to 0, as after setUpBars. */
void clearBars(frequencyBars &bars);

struct scopeColumn {
    float low, high;    /* -1..1, low <= high */
};

/* `columns` columns over `frames` interleaved stereo frames, each column
 * an equal share of them in order. A column also takes the last frame of
 * the one before, so that a line drawn from low to high in each column
 * joins its neighbours. No frames: every column 0..0. */
void measureScope(const short *stereo, int frames, scopeColumn *out, int columns);

#endif
