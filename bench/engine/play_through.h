// A whole file through the engine's stages apart from the device: the
// decoder's output into a ring and out in the output's buffers, each buffer
// handed to `output` (the stage a benchmark measures). Milliseconds taken,
// or -1 when the file does not open; the frames are counted into `frames`.
#pragma once

#include "bench_clock.h"
#include "pcm_ring.h"
#include "sink.h"
#include "source.h"

#include <vector>

template <typename Prepare, typename Output>
double playThrough(const char *path, Prepare prepare, Output output, size_t &frames)
{
    using namespace kelvoria;
    std::unique_ptr<Source> source = Source::open(path);
    if (!source)
        return -1;
    prepare(*source);
    double start = nowMs();
    source->seekTo(0);
    std::vector<int16_t> decoded;
    std::vector<int16_t> buffer(AudioSink::kFramesPerBuffer * 2);
    PcmRing ring(kOutputRate);
    frames = 0;
    for (bool more = true; more;) {
        decoded.clear();
        more = source->decode(decoded);
        ring.push(decoded.data(), decoded.size() / 2);
        while (ring.size() >= AudioSink::kFramesPerBuffer) {
            frames += ring.pop(buffer.data(), AudioSink::kFramesPerBuffer);
            output(buffer.data(), AudioSink::kFramesPerBuffer);
        }
    }
    return nowMs() - start;
}
