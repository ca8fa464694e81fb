// What a song gain and a volume below full add to the engine's work while it
// plays: the decoder's output of a whole file, through a ring and out in the
// output's buffers as the engine's threads pass it on, as plain and as a listener with ReplayGain (-6 dB inside the
// resampler) and the volume at 50 % (every output sample scaled) hears it.
// Both are timed in turn, several rounds each, and the fastest of each kept,
// so that other work on the machine does not fall on one of them only.
//   bench_engine_gain_cpu.exe FILE
#include "gain.h"
#include "play_through.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelvoria;

namespace {

// Decoded with a song gain (inside the resampler) and the output's gain at
// 50 %, or plain.
double playThrough(const char *path, bool withGain, size_t &frames)
{
    GainRamp output;
    output.jumpTo(withGain ? volumeGain(50) : 1.0);
    return ::playThrough(
        path, [&](Source &source) { source.setGain(withGain ? 0.5 : 1.0); },
        [&](int16_t *samples, size_t count) { output.apply(samples, count); }, frames);
}

constexpr int kRounds = 15;

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    av_log_set_level(AV_LOG_QUIET);
    double plain = 1e9, gained = 1e9;
    size_t frames = 0;
    for (int round = 0; round < kRounds; ++round) {
        plain = std::min(plain, playThrough(argv[1], false, frames));
        gained = std::min(gained, playThrough(argv[1], true, frames));
    }
    if (plain <= 0 || gained <= 0)
        return 3;
    double seconds = static_cast<double>(frames) / kOutputRate;
    std::printf("per second of music: %.3f ms plain, %.3f ms with gain and volume (%.1f s of music, best of %d)\n",
                plain / seconds, gained / seconds, seconds, kRounds);
    return 0;
}
