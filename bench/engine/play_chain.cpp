// Plays files one after another through fmod.dll on the default device,
// each queued behind the one before as the player's transport does it (the
// next one is queued once the one before is heard; the engine is polled
// every 10 ms), until the last has been heard to its end. Prints each file's
// length and the moment its first sample was heard.
//   bench_play_chain.exe FILE...
#include "fmod.h"

#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    FSOUND_Init(44100, 32, 0);
    std::vector<FSOUND_STREAM *> streams;
    for (int i = 1; i < argc; ++i) {
        streams.push_back(FSOUND_Stream_Open(argv[i], 0, 0, 0));
        if (!streams.back()) {
            std::printf("cannot open %s\n", argv[i]);
            return 3;
        }
    }
    DWORD start = GetTickCount();
    FSOUND_Stream_Play(0, streams[0]);
    size_t heard = 0, queued = 0;
    std::printf("song 1 heard at 0 ms\n");
    while (FSOUND_IsPlaying(0) && GetTickCount() - start < 600000) {
        if (heard + 1 < streams.size() && Kelvoria_GetHeardStream() == streams[heard + 1]) {
            ++heard;
            std::printf("song %zu heard at %lu ms\n", heard + 1, static_cast<unsigned long>(GetTickCount() - start));
        }
        if (queued == heard && heard + 1 < streams.size() && Kelvoria_Stream_Queue(streams[heard + 1]))
            queued = heard + 1;
        Sleep(10);
    }
    std::printf("songs heard: %zu of %zu\n", heard + 1, streams.size());
    // The engine has handed over the last frame and the wave output says it
    // was played; the device's own buffer behind it plays out before the
    // device is closed.
    Sleep(1000);
    FSOUND_Close();
    return heard + 1 == streams.size() ? 0 : 1;
}
