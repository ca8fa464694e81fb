#include "equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include <emmintrin.h>

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

// Whether a section's state still adds more than a millionth of a step.
bool ringing(const double (&z1)[2], const double (&z2)[2])
{
    return std::max({std::abs(z1[0]), std::abs(z1[1]), std::abs(z2[0]), std::abs(z2[1])}) > 1e-6;
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
        sections_[band] = {c.b0, c.b2, c.a1, c.a2};
    }
    preampGain_ = std::pow(10.0, nowDb_[kEqualizerBands] / 20.0);
}

void Equalizer::apply(int16_t *samples, size_t frames)
{
    for (size_t done = 0; done < frames;) {
        bool moving = stepTowardTarget();
        if (!moving && flatNow()) {
            state_ = {}; // flat: the samples pass as they are, and a later lift starts clean
            return;
        }
        size_t step = moving ? std::min<size_t>(kStepFrames, frames - done) : frames - done;
        filter(samples + done * 2, step);
        done += step;
    }
}

// Both channels in one register through the active sections in turn, in the
// transposed direct form (two values of state a section and channel). The
// sections of successive samples overlap in the processor, where one
// section across a whole buffer would wait on its own result at every
// sample. Denormals are flushed for the call: a fading tail would otherwise
// slow every sample it passes through.
__attribute__((target("sse2"))) void Equalizer::filter(int16_t *samples, size_t frames)
{
    unsigned int modes = _mm_getcsr();
    _mm_setcsr(modes | 0x8040); // flush to zero, denormals are zero
    __m128d b0[kEqualizerBands], b2[kEqualizerBands], a1[kEqualizerBands], a2[kEqualizerBands],
        z1[kEqualizerBands], z2[kEqualizerBands];
    int used[kEqualizerBands];
    int active = 0;
    for (int band = 0; band < bands_; ++band) {
        // A band at 0 dB passes samples as they are once what it held has
        // rung out: till then it runs, so that reaching 0 dB never clicks.
        if (nowDb_[band] == 0.0 && !ringing(state_[band].z1, state_[band].z2)) {
            state_[band] = {};
            continue;
        }
        const Section &c = sections_[band];
        b0[active] = _mm_set1_pd(c.b0);
        b2[active] = _mm_set1_pd(c.b2);
        a1[active] = _mm_set1_pd(c.a1);
        a2[active] = _mm_set1_pd(c.a2);
        z1[active] = _mm_loadu_pd(state_[band].z1);
        z2[active] = _mm_loadu_pd(state_[band].z2);
        used[active++] = band;
    }
    const __m128d preamp = _mm_set1_pd(preampGain_);
    for (size_t frame = 0; frame < frames; ++frame) {
        int16_t *pair = samples + frame * 2;
        __m128d x = _mm_mul_pd(_mm_set_pd(pair[1], pair[0]), preamp);
        for (int k = 0; k < active; ++k) {
            __m128d y = _mm_add_pd(_mm_mul_pd(b0[k], x), z1[k]);
            z1[k] = _mm_add_pd(_mm_mul_pd(a1[k], _mm_sub_pd(x, y)), z2[k]);
            z2[k] = _mm_sub_pd(_mm_mul_pd(b2[k], x), _mm_mul_pd(a2[k], y));
            x = y;
        }
        // Rounded to nearest and saturated to 16 bits, both channels at once.
        __m128i both = _mm_packs_epi32(_mm_cvtpd_epi32(x), _mm_setzero_si128());
        pair[0] = static_cast<int16_t>(_mm_extract_epi16(both, 0));
        pair[1] = static_cast<int16_t>(_mm_extract_epi16(both, 1));
    }
    for (int k = 0; k < active; ++k) {
        _mm_storeu_pd(state_[used[k]].z1, z1[k]);
        _mm_storeu_pd(state_[used[k]].z2, z2[k]);
    }
    _mm_setcsr(modes);
}

} // namespace kelvoria
