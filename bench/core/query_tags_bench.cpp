// How long queryTags takes over a full list of 1,999 songs of the four
// kinds, with fmod.dll, once the files are in the cache. Budget: 2 s.
//   bench_query_tags FOLDER    (FOLDER holds song1.ogg ... song1999.ogg etc.)
#include "fmod.h"
#include "song_list_record.h"
#include "tags.h"

#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <string.h>
#include <vector>

namespace {

const char *const kinds[] = {"mp3", "ogg", "wma", "wav"};
const double budgetSeconds = 2.0;
const int timedRuns = 5;

void fillList(const char *folder)
{
    memset(&songList, 0, sizeof(songList));
    for (int song = 1; song <= MAX_SONGS; ++song) {
        const char *kind = kinds[song % 4];
        snprintf(songList.paths[song], PATH_SIZE, "%s\\song%d.%s", folder, song, kind);
        snprintf(songList.names[song], NAME_SIZE, "\\song%d.%s", song, kind);
    }
    songList.songsNumber = MAX_SONGS;
}

int relabelledSongs()
{
    int count = 0;
    for (int song = 1; song <= songList.songsNumber; ++song)
        count += strcmp(songList.names[song], "Bench Artist - Bench Title") == 0;
    return count;
}

double secondsOfOneRun()
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    queryTags(&songList);
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char **argv)
{
    const char *folder = argc > 1 ? argv[1] : "files";
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    FSOUND_Init(44100, 32, 0);
    fillList(folder);

    double warmUp = secondsOfOneRun();
    int relabelled = relabelledSongs();
    std::vector<double> runs;
    for (int run = 0; run < timedRuns; ++run)
        runs.push_back(secondsOfOneRun());
    std::sort(runs.begin(), runs.end());

    printf("queryTags over %d songs (mp3, ogg, wma, wav), %d relabelled\n", songList.songsNumber, relabelled);
    printf("  first run (cold engine): %.3f s\n", warmUp);
    printf("  warm runs: best %.3f s, median %.3f s, worst %.3f s\n", runs.front(), runs[runs.size() / 2],
           runs.back());
    printf("  per song (median): %.3f ms\n", runs[runs.size() / 2] * 1000.0 / songList.songsNumber);
    printf("  budget %.1f s: %s\n", budgetSeconds, runs[runs.size() / 2] <= budgetSeconds ? "met" : "MISSED");
    FSOUND_Close();
    return relabelled == 0 ? 1 : 0;
}
