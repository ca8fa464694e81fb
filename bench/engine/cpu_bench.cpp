// CPU time of the whole process while one file plays for a while on the
// default device (or in silence without one), and of each of its threads,
// so that a reader sees whether the decoder, the output or the polling
// costs what the engine costs. With more files, they play in turn with no
// gap, round and round, each opened and queued as the player's transport
// does it, so that the figure includes the transitions. A file may be an
// album's track as the song list names it (C:\a.flac|0-450||-).
//   bench_engine_cpu.exe FILE SECONDS [FILE...]
#include "fmod.h"
#include "song_stream.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

double seconds(FILETIME t)
{
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
}

double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return seconds(kernel) + seconds(user);
}

// CPU seconds of every thread of this process, by thread id.
std::map<DWORD, double> threadSeconds()
{
    std::map<DWORD, double> used;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return used;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user))
            used[entry.th32ThreadID] = seconds(kernel) + seconds(user);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return used;
}

// The files after the first, played in turn behind it: the next one is
// opened and queued as soon as the one before is heard.
struct Chain {
    std::vector<const char *> files;
    size_t next = 0;
    FSOUND_STREAM *queued = nullptr;
    int transitions = 0;

    void follow(FSOUND_STREAM *&stream)
    {
        if (files.empty())
            return;
        if (queued && Kelvoria_GetHeardStream() == queued) {
            FSOUND_Stream_Close(stream);
            stream = queued;
            queued = nullptr;
            ++transitions;
        }
        if (!queued) {
            queued = openSongStream(files[next]);
            next = (next + 1) % files.size();
            Kelvoria_Stream_Queue(queued);
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    int wanted = std::atoi(argv[2]);
    Chain chain;
    for (int i = 3; i < argc; ++i)
        chain.files.push_back(argv[i]);
    if (!chain.files.empty())
        chain.files.push_back(argv[1]);
    FSOUND_Init(44100, 32, 0);
    FSOUND_STREAM *stream = openSongStream(argv[1]);
    if (!stream)
        return 3;
    std::map<DWORD, double> threadsBefore = threadSeconds();
    double before = cpuSeconds();
    DWORD start = GetTickCount();
    FSOUND_Stream_Play(0, stream);
    // Poll as the player's timer does, a hundred times a second.
    while (GetTickCount() - start < static_cast<DWORD>(wanted) * 1000) {
        FSOUND_IsPlaying(0);
        FSOUND_Stream_GetTime(stream);
        chain.follow(stream);
        Sleep(10);
    }
    double used = cpuSeconds() - before;
    double wall = (GetTickCount() - start) / 1000.0;
    std::map<DWORD, double> threadsAfter = threadSeconds();
    std::printf("engine while playing: %.3f s CPU in %.1f s = %.2f%% of one core; heard %d ms\n", used, wall,
                used / wall * 100, FSOUND_Stream_GetTime(stream));
    if (!chain.files.empty())
        std::printf("transitions: %d\n", chain.transitions);
    std::printf("by thread (main thread %lu):", static_cast<unsigned long>(GetCurrentThreadId()));
    for (const auto &[id, after] : threadsAfter) {
        auto earlier = threadsBefore.find(id);
        double spent = after - (earlier == threadsBefore.end() ? 0 : earlier->second);
        if (spent > 0.0005)
            std::printf(" %lu: %.3f s;", static_cast<unsigned long>(id), spent);
    }
    std::printf("\n");
    FSOUND_Close();
    return 0;
}
