// Times the disk scan's walk of one tree: prints the songs found and the
// best of several walks in milliseconds (the first walk warms the caches).
//   scan_walk_bench PATTERN [RUNS]
#include "disk_scan.h"
#include "song_list_record.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

double millisecondsSince(LARGE_INTEGER start, LARGE_INTEGER frequency)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: scan_walk_bench PATTERN [RUNS]\n");
        return 2;
    }
    int runs = argc > 2 ? atoi(argv[2]) : 5;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = -1;
    int songs = 0;
    for (int run = 0; run < runs; ++run) {
        memset(&songList, 0, sizeof(songList));
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        exploreDirectory(argv[1], &songList);
        double elapsed = millisecondsSince(start, frequency);
        songs = songList.songsNumber;
        if (best < 0 || elapsed < best)
            best = elapsed;
    }
    printf("walk: %d songs, best of %d walks %.1f ms\n", songs, runs, best);
    return 0;
}
