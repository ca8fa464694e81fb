// The equalizer on generated tones: each band lifts or cuts its own
// frequency by its gain and leaves tones octaves away alone, the
// pre-amplification scales, Auto keeps the loudest lift below full scale,
// and off or flat it leaves every sample as it was.
#include "equalizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace kelvoria;

namespace {

constexpr int kRate = 44100;

std::vector<int16_t> tone(double hz, double amplitude, double seconds)
{
    std::vector<int16_t> pcm(static_cast<size_t>(seconds * kRate) * 2);
    for (size_t frame = 0; frame < pcm.size() / 2; ++frame)
        pcm[frame * 2] = pcm[frame * 2 + 1] =
            static_cast<int16_t>(std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * frame / kRate)));
    return pcm;
}

// The level of the left channel from `fromFrame` on, in dB of full scale.
double levelDb(const std::vector<int16_t> &pcm, size_t fromFrame)
{
    double sum = 0;
    size_t count = 0;
    for (size_t frame = fromFrame; frame < pcm.size() / 2; ++frame, ++count)
        sum += double(pcm[frame * 2]) * pcm[frame * 2];
    return 10 * std::log10(sum / count / (32767.0 * 32767.0));
}

EqualizerSettings bands(std::initializer_list<std::pair<int, double>> lifted, double preamp = 0, bool on = true)
{
    EqualizerSettings settings;
    settings.on = on;
    settings.preampDb = preamp;
    for (const auto &band : lifted)
        settings.bandsDb[band.first] = band.second;
    return settings;
}

// Played in buffers of 1,024 frames, as the output hands them on.
std::vector<int16_t> through(const EqualizerSettings &settings, std::vector<int16_t> pcm)
{
    Equalizer equalizer(kRate);
    equalizer.set(settings);
    for (size_t at = 0; at < pcm.size() / 2; at += 1024)
        equalizer.apply(pcm.data() + at * 2, std::min<size_t>(1024, pcm.size() / 2 - at));
    return pcm;
}

TEST(Equalizer, EachBandMovesItsOwnFrequencyByItsGain)
{
    const struct {
        EqualizerSettings settings;
        double hz, changeDb, within;
    } cases[] = {
        {bands({{5, 12}}), 1000, 12, 0.5},      // 1 kHz at +12 dB
        {bands({{5, 12}}), 125, 0, 0.5},        // three octaves below it
        {bands({{2, -12}}), 125, -12, 0.5},
        {bands({{9, 6}}), 16000, 6, 0.5},
        {bands({{0, 9}}), 31, 9, 0.5},
        {bands({}, -6), 440, -6, 0.05},         // the pre-amplification alone
        {bands({{5, 40}}), 1000, 12, 0.5},      // held to +12 dB
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.hz);
        std::vector<int16_t> in = tone(c.hz, 0.1, 1.0);
        std::vector<int16_t> out = through(c.settings, in);
        EXPECT_NEAR(levelDb(out, kRate / 2) - levelDb(in, kRate / 2), c.changeDb, c.within);
    }
}

TEST(Equalizer, OffOrFlatLeavesEverySampleAsItWas)
{
    std::vector<int16_t> in = tone(997, 0.9, 0.3);
    EXPECT_EQ(through(bands({}), in), in);
    EXPECT_EQ(through(bands({{5, 12}, {0, -3}}, 6, false), in), in);
    // Turned off while playing, it comes back to the samples themselves.
    Equalizer equalizer(kRate);
    equalizer.set(bands({{5, 12}}));
    std::vector<int16_t> pcm = in;
    equalizer.apply(pcm.data(), 4096);
    equalizer.set(bands({}, 0, false));
    equalizer.apply(pcm.data() + 4096 * 2, pcm.size() / 2 - 4096);
    EXPECT_TRUE(std::equal(pcm.begin() + 8192 * 2, pcm.end(), in.begin() + 8192 * 2));
}

TEST(Equalizer, AutoKeepsAFullScaleToneBelowFullScaleAndAChangeNeverSteps)
{
    EqualizerSettings lifted = bands({{5, 12}, {6, 12}, {4, 6}});
    EXPECT_LE(autoPreampDb(lifted.bandsDb, kRate), -12 + 1e-9);
    EXPECT_EQ(autoPreampDb(bands({{3, -6}}).bandsDb, kRate), 0.0);
    EqualizerSettings halfLift = bands({{5, 6}, {6, 6}});
    halfLift.preampDb = autoPreampDb(halfLift.bandsDb, kRate);
    for (double hz : {700.0, 1000.0, 1414.0, 2000.0}) {
        std::vector<int16_t> out = through(halfLift, tone(hz, 1.0, 0.5));
        int16_t loudest = *std::max_element(out.begin() + kRate / 2, out.end(),
                                            [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
        EXPECT_LT(std::abs(loudest), 32767) << hz;
    }
    // A 24 dB swing in the middle of a tone moves in small steps: no sample
    // jumps further from the one before than the loudest the tone makes.
    Equalizer equalizer(kRate);
    std::vector<int16_t> pcm = tone(1000, 0.05, 0.5);
    equalizer.set(bands({{5, -12}}));
    equalizer.apply(pcm.data(), 8192);
    equalizer.set(bands({{5, 12}}));
    equalizer.apply(pcm.data() + 8192 * 2, pcm.size() / 2 - 8192);
    int jump = 0;
    for (size_t frame = 8193; frame < pcm.size() / 2; ++frame)
        jump = std::max(jump, std::abs(pcm[frame * 2] - pcm[(frame - 1) * 2]));
    EXPECT_LT(jump, 0.05 * 32767 * 4.5 * 2 * M_PI * 1000 / kRate);
}

} // namespace
