// Latency from starting (or seeking) a stream to its first samples leaving
// the engine for the sound device, and from a change of the listener's
// volume or the equalizer to the first buffer that leaves with it, over
// many tries.
//   bench_engine_latency.exe FILE
#include "engine.h"

#include <windows.h>

#include "bench_clock.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelvoria;

namespace {


double waitForFirstSamples(Engine &engine)
{
    double start = nowMs();
    while (engine.framesWrittenSinceStart() == 0 && nowMs() - start < 5000)
        ;
    return nowMs() - start;
}

void report(const char *what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("%s: median %.2f ms, worst %.2f ms over %zu tries\n", what, samples[samples.size() / 2],
                samples.back(), samples.size());
}

// The output takes a buffer from the engine each time the device has room
// for one; the first taken after the change carries the new gain.
double waitForNextBuffer(Engine &engine)
{
    double start = nowMs();
    uint64_t written = engine.framesWrittenSinceStart();
    while (engine.framesWrittenSinceStart() == written && nowMs() - start < 5000)
        ;
    return nowMs() - start;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const char *output = openAudioClientSink() ? "shared audio stream" : openWaveOutSink() ? "wave output" : "silent output";
    Engine engine(openDeviceSink);
    std::vector<double> play, seek, volume, equalizer;
    for (int i = 0; i < 20; ++i) {
        Stream stream;
        stream.source = Source::open(argv[1]);
        if (!stream.source)
            return 3;
        engine.play(&stream);
        play.push_back(waitForFirstSamples(engine));
        Sleep(50);
        engine.setTime(&stream, 1000 + i * 1000);
        seek.push_back(waitForFirstSamples(engine));
        Sleep(50);
        engine.setListenerVolume(i % 2 ? 100 : 50);
        volume.push_back(waitForNextBuffer(engine));
        Sleep(50);
        EqualizerSettings settings;
        settings.on = true;
        settings.bandsDb[5] = i % 2 ? 12.0 : -12.0;
        engine.setEqualizer(settings);
        equalizer.push_back(waitForNextBuffer(engine));
        Sleep(50);
        engine.release(&stream);
    }
    std::printf("output: %s\n", output);
    report("play to first samples out", play);
    report("seek to first samples out", seek);
    report("volume change to the first buffer out with it", volume);
    report("equalizer change to the first buffer out with it", equalizer);
    std::printf("then queued for the device before it is heard: up to %d buffers of %.1f ms\n", AudioSink::kBuffers,
                AudioSink::kFramesPerBuffer * 1000.0 / kOutputRate);
    return 0;
}
