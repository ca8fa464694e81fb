// The playlist window's rebuild (WM_CLOSE) of a full list of 1,999 songs,
// shown and hidden: it follows every addition, every playlist opened and
// every drive scanned, and the player waits for it. Run from the folder
// that holds Skins/ (bench/playlist/run.sh).
#include "globals.h"
#include "song_list_record.h"
#include "playlist_window.h"
#include "songlist.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double millisecondsSince(const LARGE_INTEGER &start, const LARGE_INTEGER &frequency)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void pumpPending()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Median time of a rebuild, painting included: what the user waits for.
double rebuildMilliseconds(HWND window, int rounds)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        pumpPending();
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        SendMessageA(window, WM_CLOSE, 0, 0);
        UpdateWindow(window);
        times.push_back(millisecondsSince(start, frequency));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void fillList()
{
    for (int slot = 1; slot <= MAX_SONGS; ++slot) {
        snprintf(songList.paths[slot], PATH_SIZE, "C:\\Music\\Artist %d\\song %d.mp3", slot % 50, slot);
        snprintf(songList.names[slot], NAME_SIZE, "Artist %d - A song title of ordinary length %d", slot % 50,
                 slot);
    }
    songList.songsNumber = MAX_SONGS;
}

} // namespace

int main()
{
    hInst = GetModuleHandleA(NULL);
    hPlaylistDialog = CreateDialogParamA(hInst, "Playlist", NULL, PlaylistProc, 0);
    if (!hPlaylistDialog) {
        printf("the playlist window could not be made\n");
        return 1;
    }
    fillList();
    const int rounds = 9;
    double hidden = rebuildMilliseconds(hPlaylistDialog, rounds);
    ShowWindow(hPlaylistDialog, SW_SHOW);
    double shown = rebuildMilliseconds(hPlaylistDialog, rounds);
    printf("playlist rebuild of %d songs: %.1f ms shown, %.1f ms hidden (median of %d)\n", MAX_SONGS, shown,
           hidden, rounds);
    return 0;
}
