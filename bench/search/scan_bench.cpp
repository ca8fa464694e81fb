// Times one drive's scan as the search window runs it, beside the platform's
// floor: a bare FindFirstFileA/FindNextFileA walk of the same tree that
// keeps nothing. Prints the best of RUNS runs of each, after one walk that
// warms the caches:
//   floor  the bare walk
//   walk   exploreDirectory, the scan's walk, in turns with the floor
//   scan   searchDiskForMF: the walk, the tags read through the real
//          engine, and the real playlist window refilled, on this thread
//   away   the same scan as the search window runs it: the walk and the tags
//          on threads of their own, the songs and names taken here from
//          their messages and announced to the real playlist window at most
//          every 200 ms; timed to the last name written back
//   cancel from Cancel to the walk's thread ended, asked once the first
//          songs came in (the longest of RUNS)
//   scan_bench PATTERN [RUNS]
#include "background_scan.h"
#include "tag_reader.h"
#include "song_list_record.h"
#include "disk_scan.h"
#include "fmod.h"
#include "globals.h"
#include "playlist_window.h"
#include "song_events.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

LARGE_INTEGER frequency;

double nowMs()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// The least a depth-first walk of the tree costs: every entry read, every
// folder's pattern built and opened, nothing kept but a count.
int bareWalk(const char *pattern)
{
    char directory[512];
    snprintf(directory, sizeof(directory), "%s", pattern);
    *strrchr(directory, '\\') = '\0';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int files = 0;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0)
                continue;
            char inner[512];
            snprintf(inner, sizeof(inner), "%s\\%s\\*.*", directory, entry.cFileName);
            files += bareWalk(inner);
        } else {
            ++files;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return files;
}

double smallest(std::vector<double> times)
{
    return *std::min_element(times.begin(), times.end());
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Run> double bestOf(int runs, Run run)
{
    double best = -1;
    for (int i = 0; i < runs; ++i) {
        double start = nowMs();
        run();
        double took = nowMs() - start;
        if (best < 0 || took < best)
            best = took;
    }
    return best;
}

HWND walkWindow;

// Every song's path and shown name, in order.
std::vector<std::string> listedSongs()
{
    std::vector<std::string> songs;
    for (int slot = 1; slot <= songList.songsNumber; ++slot)
        songs.push_back(std::string(songList.paths[slot]) + "|" + songList.names[slot]);
    return songs;
}

// This thread's messages, as the search window runs them, until `done`.
template <typename Done> void runMessagesUntil(Done done)
{
    double announced = nowMs();
    bool unannounced = false;
    while (!done()) {
        MSG m;
        if (!PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
        } else if (m.hwnd == walkWindow && m.message == MSG_SCAN_FOUND) {
            unannounced |= takeFoundSongs() > 0;
        } else if (m.hwnd == walkWindow && m.message == MSG_SCAN_WALKED && isRunningWalk(m.wParam)) {
            finishWalk();
            unannounced = true;
            announced = 0;
        } else {
            DispatchMessageA(&m);
        }
        if (unannounced && nowMs() - announced >= 200) {
            announceSongList(SONGS_ADDED);
            unannounced = false;
            announced = nowMs();
        }
    }
}

void scanAway(const char *folder)
{
    memset(&songList, 0, sizeof(songList));
    startWalk(walkWindow, folder);
    runMessagesUntil([] { return !walkRunning() && tagsWaiting() == 0; });
}

double cancelAfterFirstSongs(const char *folder)
{
    memset(&songList, 0, sizeof(songList));
    startWalk(walkWindow, folder);
    runMessagesUntil([] { return songList.songsNumber > 0 || !walkRunning(); });
    double start = nowMs();
    cancelWalk();
    double took = nowMs() - start;
    runMessagesUntil([] { return tagsWaiting() == 0; });
    return took;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: scan_bench PATTERN [RUNS]\n");
        return 2;
    }
    const char *pattern = argv[1];
    int runs = argc > 2 ? atoi(argv[2]) : 5;
    QueryPerformanceFrequency(&frequency);
    hInst = GetModuleHandleA(NULL);
    hPlaylistDialog = CreateDialogParamA(hInst, "Playlist", NULL, PlaylistProc, 0);
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    FSOUND_Init(44100, 32, 0);

    // The floor and the walk take turns, after one walk that warms the
    // caches, so that neither is timed on a colder machine than the other.
    int files = bareWalk(pattern);
    double floor = -1, walk = -1;
    for (int run = 0; run < runs; ++run) {
        double took = bestOf(1, [&] { bareWalk(pattern); });
        floor = floor < 0 || took < floor ? took : floor;
        took = bestOf(1, [&] {
            memset(&songList, 0, sizeof(songList));
            exploreDirectory(pattern, &songList);
        });
        walk = walk < 0 || took < walk ? took : walk;
    }
    walkWindow = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    char folder[512];
    snprintf(folder, sizeof(folder), "%s", pattern);
    *strrchr(folder, '\\') = '\0';
    // The scan away and the scan here take turns too. Other work on the
    // machine only ever lengthens a run: the best of each is compared, and
    // the medians are shown beside them.
    std::vector<double> scans, aways;
    bool same = true;
    for (int run = 0; run < runs; ++run) {
        aways.push_back(bestOf(1, [&] { scanAway(folder); }));
        std::vector<std::string> awayList = listedSongs();
        scans.push_back(bestOf(1, [&] {
            memset(&songList, 0, sizeof(songList));
            searchDiskForMF(pattern, &songList);
        }));
        same = same && listedSongs() == awayList;
    }
    double cancel = 0;
    for (int run = 0; run < runs; ++run) {
        double took = cancelAfterFirstSongs(folder);
        cancel = took > cancel ? took : cancel;
    }
    scanAway(folder);
    int relabelled = 0;
    for (int slot = 1; slot <= songList.songsNumber; ++slot)
        relabelled += strstr(songList.names[slot], " - ") != NULL;

    printf("tree: %d files; listed %d songs, %d relabelled from their tags\n", files, songList.songsNumber, relabelled);
    printf("floor (bare FindFirstFileA/FindNextFileA walk): best of %d %.1f ms\n", runs, floor);
    printf("walk (exploreDirectory): best of %d %.1f ms, %.2f x the floor (budget 1.2)\n", runs, walk, walk / floor);
    printf("scan (searchDiskForMF, walk + tags + playlist refill): best of %d %.1f ms, median %.1f ms (budget 2000)\n",
           runs, smallest(scans), median(scans));
    printf("away (walk and tags on their threads, to the last name): best of %d %.1f ms, %.2f x the scan "
           "(budget 1.1); median %.1f ms, %.2f x; %s list\n", runs, smallest(aways), smallest(aways) / smallest(scans),
           median(aways), median(aways) / median(scans), same ? "the same" : "ANOTHER");
    printf("cancel (Cancel to the walk's thread ended): longest of %d %.1f ms (budget 250)\n", runs, cancel);
    FSOUND_Close();
    return 0;
}
