// Plays a song through the wave output while the user-interface thread does
// the heaviest work the player can be asked for, and counts the engine's
// under-runs during each piece of it:
//   open      1,999 songs put in the list, their tags read, the list rebuilt
//   scan      a folder tree scanned as the search window does it
//   rebuild   the shown playlist window's 1,999 rows rebuilt ten times
//   drag      the playlist window dragged with the right button for 3 s
// The engine is linked in (fmod_static) so that its under-run count can be
// read; everything else is the player's own code. Run from the folder that
// holds Skins/ (bench/engine/run.sh).
//   bench_underrun.exe SONG LIST SCAN_PATTERN [ROUNDS]
// LIST holds the 1,999 song paths, one a line. SONG may name several songs
// joined by '|': they play in turn, round and round, each queued behind the
// one before from the user-interface thread whenever it handles messages (as
// the player's timer does), so that transitions fall inside the work.
#include "disk_scan.h"
#include "song_list_record.h"
#include "figures.h"
#include "fmod.h"
#include "globals.h"
#include "intake.h"
#include "playlist_window.h"
#include "sink.h"
#include "songlist.h"
#include "tags.h"

#include <windows.h>

#include "bench_clock.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {


// The songs that play in turn, and the one queued behind the one heard.
struct Chain {
    std::vector<std::string> songs;
    size_t next = 1;
    FSOUND_STREAM *heard = nullptr;
    FSOUND_STREAM *queued = nullptr;
    int transitions = 0;

    void follow()
    {
        if (songs.size() < 2 || !heard)
            return;
        if (queued && Kelvoria_GetHeardStream() == queued) {
            FSOUND_Stream_Close(heard);
            heard = queued;
            queued = nullptr;
            ++transitions;
        }
        if (!queued) {
            queued = FSOUND_Stream_Open(songs[next].c_str(), 0, 0, 0);
            next = (next + 1) % songs.size();
            Kelvoria_Stream_Queue(queued);
        }
    }
} chain;

void pumpPending()
{
    chain.follow();
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::vector<std::string> readLines(const char *file)
{
    std::vector<std::string> lines;
    FILE *in = std::fopen(file, "r");
    if (!in)
        return lines;
    char line[PATH_SIZE + 2];
    while (std::fgets(line, sizeof(line), in)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0])
            lines.push_back(line);
    }
    std::fclose(in);
    return lines;
}

// The open dialog's path, without the dialog: the songs appended, their
// tags read, the playlist window's list rebuilt.
void openSongs(const std::vector<std::string> &paths)
{
    // An empty list to open into; clearing through the playlist window would
    // also stop the song.
    std::memset(&songList, 0, sizeof(songList));
    for (const std::string &path : paths)
        takeSong(&songList, path.c_str(), nameOfSinglePath(path.c_str()));
    queryTags(&songList);
    SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
}

void scanTree(const char *pattern)
{
    std::memset(&songList, 0, sizeof(songList));
    searchDiskForMF(pattern, &songList);
}

void rebuildRows()
{
    for (int i = 0; i < 10; ++i) {
        SendMessageA(hPlaylistDialog, WM_CLOSE, 0, 0);
        UpdateWindow(hPlaylistDialog);
        pumpPending();
    }
}

void sendMouse(DWORD flags, POINT at)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65536 / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = at.y * 65536 / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

// A point of the playlist window's own skin (not its list, not a part the
// outline cuts away), in screen coordinates.
bool grabPoint(POINT &at)
{
    RECT frame;
    GetWindowRect(hPlaylistDialog, &frame);
    for (int y : {8, 12, 4, 270, 280, 260})
        for (int x = 40; x < 320; x += 20) {
            at = {frame.left + x, frame.top + y};
            if (WindowFromPoint(at) == hPlaylistDialog)
                return true;
        }
    return false;
}

// The user holds the right button on the window and moves the mouse round
// a circle for three seconds, at the pace of a real mouse (one move every
// 10 ms). False when the window did not follow.
bool dragWindow()
{
    SetForegroundWindow(hPlaylistDialog);
    pumpPending();
    POINT start;
    if (!grabPoint(start))
        return false;
    RECT before;
    GetWindowRect(hPlaylistDialog, &before);
    sendMouse(0, start);
    pumpPending();
    sendMouse(MOUSEEVENTF_RIGHTDOWN, start);
    double begin = nowMs();
    POINT at = start;
    for (int step = 0; nowMs() - begin < 3000; ++step) {
        double angle = step * 0.05;
        at = {start.x + static_cast<LONG>(150 * std::sin(angle)), start.y + static_cast<LONG>(100 - 100 * std::cos(angle))};
        sendMouse(0, at);
        double moved = nowMs();
        while (nowMs() - moved < 10) {
            pumpPending();
            MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
        }
    }
    sendMouse(MOUSEEVENTF_RIGHTUP, at);
    pumpPending();
    RECT after;
    GetWindowRect(hPlaylistDialog, &after);
    return after.left != before.left || after.top != before.top;
}

struct Phase {
    const char *name;
    std::function<bool()> run;
    double ms = 0;
    uint64_t underruns = 0;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_underrun SONG LIST SCAN_PATTERN [ROUNDS]\n");
        return 2;
    }
    for (const char *from = argv[1];;) {
        const char *bar = std::strchr(from, '|');
        chain.songs.emplace_back(from, bar ? static_cast<size_t>(bar - from) : std::strlen(from));
        if (!bar)
            break;
        from = bar + 1;
    }
    std::vector<std::string> paths = readLines(argv[2]);
    const char *pattern = argv[3];
    int rounds = argc > 4 ? std::atoi(argv[4]) : 2;

    // A sound device, not the silent output, is what is measured.
    if (!kelvoria::openDeviceSink()) {
        std::printf("output: silent output (no sound device): nothing to measure\n");
        return 3;
    }
    std::printf("output: %s\n", kelvoria::openAudioClientSink() ? "shared audio stream" : "wave output");

    hInst = GetModuleHandleA(NULL);
    hPlaylistDialog = CreateDialogParamA(hInst, "Playlist", NULL, PlaylistProc, 0);
    if (!hPlaylistDialog || paths.empty())
        return 4;
    ShowWindow(hPlaylistDialog, SW_SHOW);
    loaded = true;
    pumpPending();

    FSOUND_Init(44100, 32, 0);
    FSOUND_STREAM *stream = FSOUND_Stream_Open(chain.songs[0].c_str(), 0, 0, 0);
    if (!stream)
        return 5;
    FSOUND_Stream_Play(0, stream);
    chain.heard = stream;
    chain.follow();
    // Work starts once the song is heard, as it would for a user.
    double wait = nowMs();
    while (FSOUND_Stream_GetTime(stream) < 500 && nowMs() - wait < 30000)
        Sleep(10);

    std::vector<Phase> phases = {
        {"open 1,999 songs (tags, list rebuilt)", [&] { openSongs(paths); return songList.songsNumber > 0; }},
        {"scan a folder tree (walk, tags, list rebuilt)", [&] { scanTree(pattern); return songList.songsNumber > 0; }},
        {"rebuild the shown playlist's rows, 10 times", [] { rebuildRows(); return true; }},
        {"drag the playlist window, 3 s", [] { return dragWindow(); }},
    };
    bool allRan = true;
    for (int round = 0; round < rounds; ++round)
        for (Phase &phase : phases) {
            uint64_t before = kelvoria::engineUnderruns();
            double start = nowMs();
            if (!phase.run()) {
                std::printf("%s: did not happen\n", phase.name);
                allRan = false;
            }
            chain.follow();
            phase.ms += nowMs() - start;
            phase.underruns += kelvoria::engineUnderruns() - before;
        }
    bool playing = FSOUND_IsPlaying(0) != 0;
    if (chain.heard)
        stream = chain.heard;
    int heardMs = FSOUND_Stream_GetTime(stream);
    uint64_t underruns = kelvoria::engineUnderruns();
    FSOUND_StopSound(0);

    for (const Phase &phase : phases)
        std::printf("%-48s %8.0f ms  %llu under-runs\n", phase.name, phase.ms,
                    static_cast<unsigned long long>(phase.underruns));
    std::printf("rounds %d; songs in the list %d; still playing at the end: %s\n", rounds, songList.songsNumber,
                playing ? "yes" : "no");
    std::printf("heard %d ms\n", heardMs);
    if (chain.songs.size() > 1)
        std::printf("transitions: %d\n", chain.transitions);
    std::printf("under-runs: %llu\n", static_cast<unsigned long long>(underruns));
    FSOUND_Close();
    return allRan && playing ? 0 : 1;
}
