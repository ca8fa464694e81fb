// Plays one file through fmod.dll on the default sound device until it
// ends, then reports how the engine saw it. Used by the sound capture test.
//   play_file.exe FILE
#include "fmod.h"

#include <windows.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    if (!FSOUND_Init(44100, 32, 0))
        return 3;
    FSOUND_STREAM *stream = FSOUND_Stream_Open(argv[1], 0, 0, 0);
    if (!stream)
        return 4;
    FSOUND_Stream_Play(0, stream);
    FSOUND_SetVolume(0, 255);
    DWORD start = GetTickCount();
    while (FSOUND_IsPlaying(0) && GetTickCount() - start < 30000)
        Sleep(10);
    std::printf("length %d ms, heard %d ms, took %lu ms\n", FSOUND_Stream_GetLengthMs(stream),
                FSOUND_Stream_GetTime(stream), static_cast<unsigned long>(GetTickCount() - start));
    FSOUND_Close();
    return 0;
}
