#include "frequency_bars.h"

#include <math.h>
#include <string.h>

namespace {

const int HALF = BARS_FRAMES / 2;

// The window, the FFT's rotations and its reordering depend on nothing but
// BARS_FRAMES: made once, on the first use.
struct fftTables {
    float hann[BARS_FRAMES];
    float cosine[HALF], sine[HALF];
    unsigned short reversed[BARS_FRAMES];

    fftTables()
    {
        const double pi = 3.14159265358979323846;
        for (int i = 0; i < BARS_FRAMES; ++i)
            hann[i] = static_cast<float>(0.5 - 0.5 * cos(2 * pi * i / BARS_FRAMES));
        for (int i = 0; i < HALF; ++i) {
            cosine[i] = static_cast<float>(cos(2 * pi * i / BARS_FRAMES));
            sine[i] = static_cast<float>(-sin(2 * pi * i / BARS_FRAMES));
        }
        int bits = 0;
        while ((1 << bits) < BARS_FRAMES)
            ++bits;
        for (int i = 0; i < BARS_FRAMES; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b)
                r |= ((i >> b) & 1) << (bits - 1 - b);
            reversed[i] = static_cast<unsigned short>(r);
        }
    }
};

const fftTables &tables()
{
    static const fftTables made;
    return made;
}

static_assert((BARS_FRAMES & (BARS_FRAMES - 1)) == 0, "the FFT is radix 2");

// In place, iterative, decimation in time; the input is already in
// bit-reversed order.
void transform(float *re, float *im)
{
    const fftTables &t = tables();
    for (int size = 2; size <= BARS_FRAMES; size <<= 1) {
        int half = size / 2, step = BARS_FRAMES / size;
        for (int start = 0; start < BARS_FRAMES; start += size)
            for (int k = 0; k < half; ++k) {
                float wr = t.cosine[k * step], wi = t.sine[k * step];
                int a = start + k, b = a + half;
                float xr = re[b] * wr - im[b] * wi;
                float xi = re[b] * wi + im[b] * wr;
                re[b] = re[a] - xr;
                im[b] = im[a] - xi;
                re[a] += xr;
                im[a] += xi;
            }
    }
}

float monoOf(const short *stereo, int frame)
{
    return (stereo[frame * 2] + stereo[frame * 2 + 1]) * (0.5f / 32768.0f);
}

float clampUnit(float v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

} // namespace

void setUpBars(frequencyBars &bars, int count, int sampleRate)
{
    count = count < 1 ? 1 : count > BARS_MAX ? BARS_MAX : count;
    if (sampleRate <= 0)
        sampleRate = 44100;
    bars.count = count;
    double binHz = static_cast<double>(sampleRate) / BARS_FRAMES;
    double ratio = BARS_HIGHEST_HZ / BARS_LOWEST_HZ;
    for (int b = 0; b < count; ++b) {
        double low = BARS_LOWEST_HZ * pow(ratio, static_cast<double>(b) / count);
        double high = BARS_LOWEST_HZ * pow(ratio, static_cast<double>(b + 1) / count);
        int first = static_cast<int>(ceil(low / binHz));
        int end = static_cast<int>(ceil(high / binHz));
        if (end <= first) {
            first = static_cast<int>(sqrt(low * high) / binHz + 0.5);
            end = first + 1;
        }
        // Bin 0 is the offset, not a frequency; the last is half the rate.
        first = first < 1 ? 1 : first > HALF - 1 ? HALF - 1 : first;
        end = end <= first ? first + 1 : end > HALF ? HALF : end;
        bars.firstBin[b] = first;
        bars.endBin[b] = end;
    }
    clearBars(bars);
}

void clearBars(frequencyBars &bars)
{
    memset(bars.levels, 0, sizeof(bars.levels));
    memset(bars.peaks, 0, sizeof(bars.peaks));
}

void measureBars(frequencyBars &bars, const short *stereo, int frames)
{
    const fftTables &t = tables();
    if (frames > BARS_FRAMES) {
        stereo += (frames - BARS_FRAMES) * 2;
        frames = BARS_FRAMES;
    }
    if (frames < 0 || !stereo)
        frames = 0;
    int silent = BARS_FRAMES - frames;
    for (int i = 0; i < BARS_FRAMES; ++i) {
        float sample = i < silent ? 0.0f : monoOf(stereo, i - silent) * t.hann[i];
        bars.re[t.reversed[i]] = sample;
        bars.im[t.reversed[i]] = 0.0f;
    }
    transform(bars.re, bars.im);
    // A full-scale sine peaks at N/4 in its bin (the window halves it) and
    // puts half as much again into the two bins beside it.
    const float quarter = BARS_FRAMES / 4.0f;
    const float fullScale = quarter * quarter * 1.5f;
    for (int b = 0; b < bars.count; ++b) {
        float power = 0;
        for (int bin = bars.firstBin[b]; bin < bars.endBin[b]; ++bin)
            power += bars.re[bin] * bars.re[bin] + bars.im[bin] * bars.im[bin];
        float level = 0;
        if (power > fullScale * 1e-12f)
            level = clampUnit(1.0f + 10.0f * log10f(power / fullScale) / BARS_RANGE_DB);
        bars.levels[b] = level;
        float fallen = bars.peaks[b] - BARS_PEAK_FALL;
        bars.peaks[b] = fallen > level ? fallen : level;
    }
}

void measureScope(const short *stereo, int frames, scopeColumn *out, int columns)
{
    for (int c = 0; c < columns; ++c) {
        int first = static_cast<int>(static_cast<long long>(c) * frames / columns);
        int end = static_cast<int>(static_cast<long long>(c + 1) * frames / columns);
        if (c > 0 && first > 0)
            --first;    // the last frame of the column before
        float low = 0, high = 0;
        for (int f = first; f < end && stereo; ++f) {
            float v = monoOf(stereo, f);
            if (f == first || v < low)
                low = v;
            if (f == first || v > high)
                high = v;
        }
        out[c] = scopeColumn{low, high};
    }
}
