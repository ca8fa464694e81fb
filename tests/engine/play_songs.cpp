// Plays files one after another through fmod.dll on the default sound
// device, as the player does it with the heard callback: the next file is
// queued when the one before is heard, and the program ends when the last
// one has been heard to its end. Optionally seeks in the first file, or
// pauses it, on the way. Used by the real-time listening benchmark.
//   play_songs.exe [--seek MS_AT:MS_TO] [--pause MS_AT:MS_FOR] FILE...
#include "fmod.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

HANDLE changed;

void F_CALLBACKAPI heardChanged(FSOUND_STREAM *, int, void *)
{
    SetEvent(changed);
}

} // namespace

int main(int argc, char **argv)
{
    int arg = 1, seekAt = -1, seekTo = 0, pauseAt = -1, pauseFor = 0;
    for (; arg + 1 < argc && argv[arg][0] == '-'; arg += 2) {
        if (std::strcmp(argv[arg], "--seek") == 0)
            std::sscanf(argv[arg + 1], "%d:%d", &seekAt, &seekTo);
        else if (std::strcmp(argv[arg], "--pause") == 0)
            std::sscanf(argv[arg + 1], "%d:%d", &pauseAt, &pauseFor);
    }
    if (arg >= argc || !FSOUND_Init(44100, 32, 0))
        return 2;
    std::vector<FSOUND_STREAM *> streams;
    for (; arg < argc; ++arg)
        if (FSOUND_STREAM *stream = FSOUND_Stream_Open(argv[arg], 0, 0, 0))
            streams.push_back(stream);
        else
            return 3;
    changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Kelvoria_SetHeardCallback(heardChanged, nullptr);
    FSOUND_Stream_Play(0, streams[0]);
    size_t queued = 0;
    DWORD start = GetTickCount();
    while (FSOUND_IsPlaying(0) && GetTickCount() - start < 120000) {
        FSOUND_STREAM *heard = Kelvoria_GetHeardStream();
        if (queued + 1 < streams.size() && heard == streams[queued] && Kelvoria_Stream_Queue(streams[queued + 1]))
            ++queued;
        int at = FSOUND_Stream_GetTime(streams[0]);
        if (seekAt >= 0 && heard == streams[0] && at >= seekAt) {
            FSOUND_Stream_SetTime(streams[0], seekTo);
            seekAt = -1;
        }
        if (pauseAt >= 0 && heard == streams[0] && at >= pauseAt) {
            FSOUND_SetPaused(0, 1);
            Sleep(static_cast<DWORD>(pauseFor)); // a listener away for a while
            FSOUND_SetPaused(0, 0);
            pauseAt = -1;
        }
        WaitForSingleObject(changed, 20); // the callback wakes it at once; the times are polled
    }
    std::printf("songs queued: %zu of %zu\n", queued + 1, streams.size());
    FSOUND_Close();
    return 0;
}
