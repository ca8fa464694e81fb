// CPU time of the whole process while one file plays for a while on the
// default device (or in silence without one).
//   bench_engine_cpu.exe FILE SECONDS
#include "fmod.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    int seconds = std::atoi(argv[2]);
    FSOUND_Init(44100, 32, 0);
    FSOUND_STREAM *stream = FSOUND_Stream_Open(argv[1], 0, 0, 0);
    if (!stream)
        return 3;
    double before = cpuSeconds();
    DWORD start = GetTickCount();
    FSOUND_Stream_Play(0, stream);
    // Poll as the player's timer does, a hundred times a second.
    while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
        FSOUND_IsPlaying(0);
        FSOUND_Stream_GetTime(stream);
        Sleep(10);
    }
    double used = cpuSeconds() - before;
    double wall = (GetTickCount() - start) / 1000.0;
    std::printf("engine while playing: %.3f s CPU in %.1f s = %.2f%% of one core; heard %d ms\n", used,
                wall, used / wall * 100, FSOUND_Stream_GetTime(stream));
    FSOUND_Close();
    return 0;
}
