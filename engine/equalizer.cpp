#include "equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace kelvoria {

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kQ = std::sqrt(2.0); // one octave between the -3 dB points of a band's lift

struct Coefficients {
    double b0, b1, b2, a1, a2;
};

// The cookbook's peaking filter, normalised by a0.
Coefficients peaking(double hz, double gainDb, int rate)
{
    double a = std::pow(10.0, gainDb / 40.0);
    double w0 = 2 * kPi * hz / rate;
    double alpha = std::sin(w0) / (2 * kQ);
    double a0 = 1 + alpha / a;
    return {(1 + alpha * a) / a0, -2 * std::cos(w0) / a0, (1 - alpha * a) / a0, -2 * std::cos(w0) / a0,
            (1 - alpha / a) / a0};
}

double responseDb(const Coefficients &c, double hz, int rate)
{
    std::complex<double> z = std::polar(1.0, -2 * kPi * hz / rate); // z^-1
    std::complex<double> h = (c.b0 + c.b1 * z + c.b2 * z * z) / (1.0 + c.a1 * z + c.a2 * z * z);
    return 20 * std::log10(std::abs(h));
}

int bandsBelowNyquist(int rate)
{
    int bands = 0;
    while (bands < kEqualizerBands && kEqualizerBandHz[bands] < rate * 0.45)
        ++bands;
    return bands;
}

double held(double db)
{
    return std::isfinite(db) ? std::clamp(db, -kEqualizerMostDb, kEqualizerMostDb) : 0.0;
}

int16_t toSample(double value)
{
    return static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

} // namespace

double autoPreampDb(const std::array<double, kEqualizerBands> &bandsDb, int rate)
{
    // The cascade's highest lift, looked for on a fine logarithmic grid
    // from 20 Hz to the band limit.
    int bands = bandsBelowNyquist(rate);
    double highest = 0.0;
    for (double hz = 20.0; hz < rate * 0.45; hz *= 1.01) {
        double db = 0.0;
        for (int band = 0; band < bands; ++band)
            db += responseDb(peaking(kEqualizerBandHz[band], held(bandsDb[band]), rate), hz, rate);
        highest = std::max(highest, db);
    }
    return -std::min(highest, kEqualizerMostDb);
}

Equalizer::Equalizer(int rate) : rate_(rate), bands_(bandsBelowNyquist(rate))
{
    makeSections();
}

void Equalizer::set(const EqualizerSettings &settings)
{
    for (int band = 0; band < kEqualizerBands; ++band)
        targetDb_[band] = settings.on ? held(settings.bandsDb[band]) : 0.0;
    targetDb_[kEqualizerBands] = settings.on ? held(settings.preampDb) : 0.0;
}

double Equalizer::targetResponseDb(double hz) const
{
    double db = targetDb_[kEqualizerBands];
    for (int band = 0; band < bands_; ++band)
        db += responseDb(peaking(kEqualizerBandHz[band], targetDb_[band], rate_), hz, rate_);
    return db;
}

bool Equalizer::flatNow() const
{
    return std::all_of(nowDb_.begin(), nowDb_.end(), [](double db) { return db == 0.0; });
}

// Moves every gain one step toward its target; true when any moved.
bool Equalizer::stepTowardTarget()
{
    bool moved = false;
    for (size_t at = 0; at < nowDb_.size(); ++at) {
        double to = targetDb_[at], now = nowDb_[at];
        if (now == to)
            continue;
        nowDb_[at] = std::abs(to - now) <= kStepDb ? to : now + (to > now ? kStepDb : -kStepDb);
        moved = true;
    }
    if (moved)
        makeSections();
    return moved;
}

void Equalizer::makeSections()
{
    for (int band = 0; band < bands_; ++band) {
        Coefficients c = peaking(kEqualizerBandHz[band], nowDb_[band], rate_);
        sections_[band] = {c.b0, c.b1, c.b2, c.a1, c.a2};
    }
    preampGain_ = std::pow(10.0, nowDb_[kEqualizerBands] / 20.0);
}

void Equalizer::apply(int16_t *samples, size_t frames)
{
    for (size_t done = 0; done < frames;) {
        bool moving = stepTowardTarget();
        if (!moving && flatNow()) {
            memory_ = {}; // flat: the samples pass as they are, and a later lift starts clean
            return;
        }
        size_t step = moving ? std::min<size_t>(kStepFrames, frames - done) : frames - done;
        filter(samples + done * 2, step);
        done += step;
    }
}

void Equalizer::filter(int16_t *samples, size_t frames)
{
    for (size_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < 2; ++channel) {
            double x = samples[frame * 2 + channel] * preampGain_;
            for (int band = 0; band < bands_; ++band) {
                const Section &s = sections_[band];
                Memory &m = memory_[channel][band];
                double y = s.b0 * x + s.b1 * m.x1 + s.b2 * m.x2 - s.a1 * m.y1 - s.a2 * m.y2;
                if (std::abs(y) < 1e-15)
                    y = 0.0; // no denormals in a fading tail
                m.x2 = m.x1;
                m.x1 = x;
                m.y2 = m.y1;
                m.y1 = y;
                x = y;
            }
            samples[frame * 2 + channel] = toSample(x);
        }
    }
}

} // namespace kelvoria
