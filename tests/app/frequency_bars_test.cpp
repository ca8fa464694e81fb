// The analyser's computation on generated frames: a tone lights the bar of
// its band and leaves far bars dark, silence lights nothing, a peak falls
// by its step a call, and the scope follows a known wave.
#include "frequency_bars.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

std::vector<short> tone(double hz, double amplitude, int frames)
{
    std::vector<short> stereo(frames * 2);
    for (int i = 0; i < frames; ++i)
        stereo[i * 2] = stereo[i * 2 + 1] = static_cast<short>(amplitude * 32767 * sin(2 * M_PI * hz * i / 44100));
    return stereo;
}

// Nine bars from 50 Hz to 16 kHz: each band 1.9 times the one before.
TEST(FrequencyBars, AToneLightsTheBarOfItsBandAndFarBarsStayDark)
{
    // The lowest band holds one bin, 86 Hz, and takes a tone away from its
    // middle less whole.
    const struct { double hz; int bar; float within; } tones[] = {
        {60, 0, 0.1f}, {250, 2, 0.03f}, {1000, 4, 0.03f}, {3000, 6, 0.03f}, {5000, 7, 0.03f}, {12000, 8, 0.03f},
    };
    frequencyBars bars;
    setUpBars(bars, 9, 44100);
    for (const auto &t : tones) {
        SCOPED_TRACE(std::to_string(t.hz) + " Hz");
        std::vector<short> frames = tone(t.hz, 0.5, BARS_FRAMES);
        clearBars(bars);
        measureBars(bars, frames.data(), BARS_FRAMES);
        // Half the full scale is 6 dB down.
        EXPECT_NEAR(1.0f - 6.0f / BARS_RANGE_DB, bars.levels[t.bar], t.within);
        for (int b = 0; b < bars.count; ++b) {
            EXPECT_LE(bars.levels[b], bars.levels[t.bar]) << "bar " << b;
            EXPECT_TRUE(abs(b - t.bar) < 3 || bars.levels[b] < 0.05f) << "bar " << b << ": " << bars.levels[b];
        }
    }
}

TEST(FrequencyBars, SilenceLightsNothingAndAPeakFallsByItsStepEachCall)
{
    frequencyBars bars;
    setUpBars(bars, 9, 44100);
    std::vector<short> silence(BARS_FRAMES * 2, 0);
    measureBars(bars, silence.data(), BARS_FRAMES);
    measureBars(bars, nullptr, 0);
    for (int b = 0; b < bars.count; ++b)
        EXPECT_EQ(0.0f, bars.levels[b] + bars.peaks[b]) << "bar " << b;

    std::vector<short> loud = tone(1000, 0.5, BARS_FRAMES);
    measureBars(bars, loud.data(), BARS_FRAMES);
    float peak = bars.peaks[4];
    EXPECT_EQ(bars.levels[4], peak);
    for (int call = 1; call <= 5; ++call) {
        measureBars(bars, silence.data(), BARS_FRAMES);
        EXPECT_EQ(0.0f, bars.levels[4]);
        EXPECT_NEAR(peak - call * BARS_PEAK_FALL, bars.peaks[4], 1e-5f) << "call " << call;
    }
}

// A half-scale step down in the middle of 64 frames over 8 columns; the
// column after the step also takes the last frame before it.
TEST(FrequencyBars, TheScopeGivesEachColumnsLowestAndHighestSample)
{
    std::vector<short> stereo(64 * 2);
    for (int i = 0; i < 64; ++i) {
        stereo[i * 2] = i < 32 ? 16384 : -16384;
        stereo[i * 2 + 1] = i < 32 ? 16384 : 0;    // the channels are mixed
    }
    scopeColumn columns[8];
    measureScope(stereo.data(), 64, columns, 8);
    const float low[8] = {0.5f, 0.5f, 0.5f, 0.5f, -0.25f, -0.25f, -0.25f, -0.25f};
    const float high[8] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, -0.25f, -0.25f, -0.25f};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(low[c], columns[c].low) << "column " << c;
        EXPECT_EQ(high[c], columns[c].high) << "column " << c;
    }
}

} // namespace
