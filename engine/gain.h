// The listener's volume: a percentage heard on a decibel scale, and the
// ramp that moves the output's gain to a new value without a click.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvoria {

constexpr int kVolumeSilent = 0;
constexpr int kVolumeFull = 100;
// The range the percentages span: 1 % lies this far below 100 %.
constexpr double kVolumeRangeDb = 50.0;

// The linear gain of a listener's volume: 100 % is 1, 0 % is silence, and
// each percent between is the same number of decibels (an even step to the
// ear). Out-of-range values are clamped.
double volumeGain(int percent);

// Where a volume lies on the decibel scale (for 0 %: minus infinity).
double volumeDb(int percent);

// The output's gain, moved to each new target in a straight line over a few
// milliseconds: a sudden jump of the gain in the middle of a waveform is a
// step in it, heard as a click. Belongs to the one thread that writes the
// output; targets are handed to it under that thread's lock.
class GainRamp {
public:
    // 256 frames: 5.8 ms at 44.1 kHz, short enough to follow a wheel at
    // once, long enough to make no click at full scale.
    static constexpr int kRampFrames = 256;

    void setTarget(double gain);
    // Takes `gain` at once, for when nothing plays.
    void jumpTo(double gain);
    double target() const { return target_; }
    // Scales `frames` interleaved stereo frames in place.
    void apply(int16_t *samples, size_t frames);

private:
    void applyConstant(int16_t *samples, size_t count) const;

    double current_ = 1.0;
    double target_ = 1.0;
    double step_ = 0.0;   // change per frame while ramping
    int framesLeft_ = 0;  // of the ramp under way
};

} // namespace kelvoria
