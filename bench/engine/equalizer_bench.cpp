// The equalizer's figures: the level it gives tones with the 1 kHz band at
// +12 dB (the 1 kHz tone is to rise 12 dB, a 125 Hz tone to stay), whether
// every band at 0 dB is bit-exact to off, and the work it adds while a song
// plays: the decoder's output of a whole file through a ring and out in the
// output's buffers, with the equalizer off and on (a preset's curve),
// timed in turn, the fastest of several rounds kept.
//   bench_engine_equalizer.exe FILE
#include "equalizer.h"
#include "play_through.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace kelvoria;

namespace {

std::vector<int16_t> tone(double hz, double seconds)
{
    std::vector<int16_t> pcm(static_cast<size_t>(seconds * kOutputRate) * 2);
    for (size_t frame = 0; frame < pcm.size() / 2; ++frame)
        pcm[2 * frame] = pcm[2 * frame + 1] =
            static_cast<int16_t>(std::lround(0.1 * 32767 * std::sin(2 * M_PI * hz * frame / kOutputRate)));
    return pcm;
}

// The level of the left channel of the last half, past the gains' moves.
double levelDb(const std::vector<int16_t> &pcm)
{
    double sum = 0;
    size_t from = pcm.size() / 4, count = 0;
    for (size_t frame = from; frame < pcm.size() / 2; ++frame, ++count)
        sum += double(pcm[2 * frame]) * pcm[2 * frame];
    return 10 * std::log10(sum / count / (32768.0 * 32768.0));
}

std::vector<int16_t> through(const EqualizerSettings &settings, std::vector<int16_t> pcm)
{
    Equalizer equalizer(kOutputRate);
    equalizer.set(settings);
    for (size_t at = 0; at < pcm.size() / 2; at += AudioSink::kFramesPerBuffer)
        equalizer.apply(pcm.data() + 2 * at, std::min<size_t>(AudioSink::kFramesPerBuffer, pcm.size() / 2 - at));
    return pcm;
}

void reportLevels()
{
    EqualizerSettings raised;
    raised.on = true;
    raised.bandsDb[5] = 12.0;
    for (double hz : {1000.0, 125.0}) {
        std::vector<int16_t> in = tone(hz, 2.0);
        std::printf("%.0f Hz tone with 1 kHz at +12 dB: %+.2f dB\n", hz, levelDb(through(raised, in)) - levelDb(in));
    }
    EqualizerSettings flat;
    flat.on = true;
    std::vector<int16_t> music = tone(440.0, 1.0);
    std::printf("every band at 0 dB against off: %s\n",
                through(flat, music) == through(EqualizerSettings{}, music) ? "bit-exact" : "differs");
}

double playThrough(const char *path, const EqualizerSettings &settings, size_t &frames)
{
    Equalizer equalizer(kOutputRate);
    equalizer.set(settings);
    return ::playThrough(
        path, [](Source &) {}, [&](int16_t *samples, size_t count) { equalizer.apply(samples, count); }, frames);
}

constexpr int kRounds = 15;

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    av_log_set_level(AV_LOG_QUIET);
    reportLevels();
    EqualizerSettings off, rock;
    rock.on = true;
    rock.bandsDb = {5, 3, -3, -5, -2, 2, 6, 7, 7, 7};
    rock.preampDb = -7;
    double plain = 1e9, filtered = 1e9;
    size_t frames = 0;
    for (int round = 0; round < kRounds; ++round) {
        plain = std::min(plain, playThrough(argv[1], off, frames));
        filtered = std::min(filtered, playThrough(argv[1], rock, frames));
    }
    if (plain <= 0 || filtered <= 0)
        return 3;
    double seconds = static_cast<double>(frames) / kOutputRate;
    std::printf("per second of music: %.3f ms off, %.3f ms on (%.1f s of music, best of %d)\n", plain / seconds,
                filtered / seconds, seconds, kRounds);
    return 0;
}
