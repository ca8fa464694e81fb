// The process's CPU share while nothing plays: after the engine started and
// before any song, and again from 10 s after a song was stopped, each over
// SECONDS. The output lets the sound device go once it has nothing to play,
// so the two should be alike.
//   bench_engine_idle_cpu.exe FILE SECONDS
#include "fmod.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
    return value(kernel) + value(user);
}

// Percent of one core used over the next `seconds`.
double cpuShareOver(int seconds)
{
    double before = cpuSeconds();
    DWORD start = GetTickCount();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    return (cpuSeconds() - before) * 100000.0 / (GetTickCount() - start);
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
    double before = cpuShareOver(seconds);
    FSOUND_Stream_Play(0, stream);
    double playing = cpuShareOver(3);
    FSOUND_StopSound(0);
    Sleep(10000);
    double after = cpuShareOver(seconds);
    std::printf("cpu before any song: %.2f %%; playing: %.2f %%; from 10 s after stop: %.2f %%; ratio %.2f\n", before,
                playing, after, before > 0 ? after / before : 0.0);
    FSOUND_Close();
    return 0;
}
