// How old the newest frame Kelvoria_GetHeardSamples hands back is, as the
// analyser reads it, against the device's own steady count. FILE is a
// WAV whose every frame numbers itself (left: the low 16 bits, right: the
// high ones); the probe reads the newest frame every millisecond while it
// plays. Over a short stretch the device's count moves on steadily at
// 44.1 frames a millisecond: the readings lie on steps below that line,
// touching it where the count was just taken, and a reading's age is how
// far behind the line of the half second around it it lies. (A sound
// server may make the count leap; a line drawn over the whole run would
// then put every reading before the leap far behind.)
//   bench_heard_age_probe.exe FILE SECONDS
#include "fmod.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double nowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

struct reading {
    double ms;
    long frame;
};

double percentile(std::vector<double> values, double part)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(part * (values.size() - 1))];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || !FSOUND_Init(44100, 32, 0))
        return 2;
    int seconds = std::atoi(argv[2]);
    FSOUND_STREAM *stream = FSOUND_Stream_Open(argv[1], 0, 0, 0);
    if (!stream || seconds <= 0)
        return 3;
    timeBeginPeriod(1);
    FSOUND_Stream_Play(0, stream);
    Sleep(1000);    // past the start, where the device's count settles
    std::vector<reading> readings;
    double start = nowMs();
    short newest[2];
    while (nowMs() - start < seconds * 1000.0) {
        if (Kelvoria_GetHeardSamples(newest, 1) == 1) {
            long low = static_cast<unsigned short>(newest[0]), high = static_cast<unsigned short>(newest[1]);
            readings.push_back(reading{nowMs() - start, low | high << 16});
        }
        Sleep(1);
    }
    timeEndPeriod(1);
    FSOUND_Close();
    if (readings.size() < 100)
        return 4;
    const double perMs = 44.1, aroundMs = 250;
    std::vector<double> ages, steps;
    for (size_t i = 0, from = 0, to = 0; i < readings.size(); ++i) {
        while (readings[from].ms < readings[i].ms - aroundMs)
            ++from;
        while (to + 1 < readings.size() && readings[to + 1].ms <= readings[i].ms + aroundMs)
            ++to;
        double line = -1e18;
        for (size_t j = from; j <= to; ++j)
            line = std::max(line, readings[j].frame - perMs * readings[j].ms);
        ages.push_back((line + perMs * readings[i].ms - readings[i].frame) / perMs);
        if (i > 0 && readings[i].frame != readings[i - 1].frame)
            steps.push_back(readings[i].ms);
    }
    const reading &first = readings.front(), &last = readings.back();
    std::vector<double> intervals;
    for (size_t i = 1; i < steps.size(); ++i)
        intervals.push_back(steps[i] - steps[i - 1]);
    std::printf("readings: %zu over %d s; the device's count moved on %.0f frames a second\n", readings.size(),
                seconds, (last.frame - first.frame) * 1000.0 / (last.ms - first.ms));
    std::printf("newest frame heard, behind the device's count: median %.1f ms, 95th %.1f ms, worst %.1f ms\n",
                percentile(ages, 0.5), percentile(ages, 0.95), percentile(ages, 1.0));
    if (!intervals.empty())
        std::printf("the count moves on every %.1f ms (median), at worst %.1f ms\n", percentile(intervals, 0.5),
                    percentile(intervals, 1.0));
    return 0;
}
