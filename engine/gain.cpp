#include "gain.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kelvoria {

namespace {

int16_t scaled(int16_t sample, double gain)
{
    double value = std::lround(sample * gain);
    return static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
}

} // namespace

double volumeDb(int percent)
{
    percent = std::clamp(percent, kVolumeSilent, kVolumeFull);
    if (percent == kVolumeSilent)
        return -std::numeric_limits<double>::infinity();
    return (percent - kVolumeFull) * kVolumeRangeDb / (kVolumeFull - 1);
}

double volumeGain(int percent)
{
    percent = std::clamp(percent, kVolumeSilent, kVolumeFull);
    if (percent == kVolumeSilent)
        return 0.0;
    return std::pow(10.0, volumeDb(percent) / 20.0);
}

void GainRamp::setTarget(double gain)
{
    if (gain == target_)
        return;
    // A new target while ramping starts from where the gain is now.
    target_ = gain;
    framesLeft_ = kRampFrames;
    step_ = (target_ - current_) / kRampFrames;
}

void GainRamp::jumpTo(double gain)
{
    current_ = target_ = gain;
    framesLeft_ = 0;
}

// A steady gain below 1 as a 16-bit fraction (Q15), rounded: as fine as
// the samples themselves, and a 16 by 16 bit multiply and a shift, which
// the compiler turns into a few vector instructions per eight samples.
void GainRamp::applyConstant(int16_t *samples, size_t count) const
{
    if (current_ == 1.0)
        return;
    if (current_ <= 0.0) {
        std::memset(samples, 0, count * sizeof(int16_t));
        return;
    }
    if (current_ > 1.0) {
        for (size_t i = 0; i < count; ++i)
            samples[i] = scaled(samples[i], current_);
        return;
    }
    const int16_t gain = static_cast<int16_t>(std::min(std::lround(current_ * 32768.0), 32767L));
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>((int32_t{samples[i]} * gain + 16384) >> 15);
}

void GainRamp::apply(int16_t *samples, size_t frames)
{
    size_t frame = 0;
    for (; frame < frames && framesLeft_ > 0; ++frame) {
        current_ = --framesLeft_ == 0 ? target_ : current_ + step_;
        samples[frame * 2] = scaled(samples[frame * 2], current_);
        samples[frame * 2 + 1] = scaled(samples[frame * 2 + 1], current_);
    }
    applyConstant(samples + frame * 2, (frames - frame) * 2);
}

} // namespace kelvoria
