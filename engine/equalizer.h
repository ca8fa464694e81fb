// The ten-band graphic equalizer: peaking filters (second-order sections of
// the audio-filter cookbook, one octave wide) in floating point, per
// channel, at the output's rate, and a pre-amplification. It works on what
// the output hands the device, so a change is heard from the next buffer
// on; the gains move there over a few milliseconds, so that a change never
// clicks. Off, or on with every gain at 0 dB, it leaves the samples as they
// are, bit for bit, and costs nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvoria {

constexpr int kEqualizerBands = 10;
constexpr std::array<double, kEqualizerBands> kEqualizerBandHz = {31, 62, 125, 250, 500,
                                                                  1000, 2000, 4000, 8000, 16000};
constexpr double kEqualizerMostDb = 12.0; // each band and the pre-amplification: -12 to +12 dB

struct EqualizerSettings {
    bool on = false;
    double preampDb = 0.0;
    std::array<double, kEqualizerBands> bandsDb{};
};

// The pre-amplification that keeps a full-scale tone of any frequency below
// full scale through these bands (0 when no band lifts any frequency).
double autoPreampDb(const std::array<double, kEqualizerBands> &bandsDb, int rate);

class Equalizer {
public:
    // Gains move at most this far per step of kStepFrames: a full 24 dB
    // swing takes about 25 ms.
    static constexpr int kStepFrames = 32;
    static constexpr double kStepDb = 1.5;

    explicit Equalizer(int rate);

    // Values out of range are held to +-12 dB. Belongs to the thread that
    // applies it; settings are handed over under that thread's lock.
    void set(const EqualizerSettings &settings);
    // Filters `frames` interleaved stereo frames in place.
    void apply(int16_t *samples, size_t frames);
    // The response the settings aimed at, in dB, at `hz` (for tests).
    double targetResponseDb(double hz) const;

private:
    struct Section {
        // A peaking section's b1 equals its a1: the filter uses a1 for both.
        double b0 = 1, b2 = 0, a1 = 0, a2 = 0;
    };
    struct State {
        double z1[2] = {0, 0}, z2[2] = {0, 0}; // left, right
    };

    bool flatNow() const;
    bool stepTowardTarget();
    void makeSections();
    void filter(int16_t *samples, size_t frames);

    int rate_;
    int bands_; // those below the rate's Nyquist limit
    std::array<double, kEqualizerBands + 1> targetDb_{}; // the bands, then the pre-amplification
    std::array<double, kEqualizerBands + 1> nowDb_{};
    std::array<Section, kEqualizerBands> sections_{};
    std::array<State, kEqualizerBands> state_{};
    double preampGain_ = 1.0;
};

} // namespace kelvoria
