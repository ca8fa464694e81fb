// BmpToRgn on each shipped skin: time per call and the size of the
// outline. Run from the folder that holds Skins/ (bench/skin/run.sh).
#include "draw.h"
#include "frame.h"

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

void measure(const skinnedWindow &table, double budget)
{
    HBITMAP skin = loadSkin(table);
    if (!skin) {
        printf("%-22s missing\n", table.skinFile);
        return;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int rounds = 200;
    std::vector<double> times;
    DWORD rectangles = 0;
    for (int i = 0; i < rounds; i++) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        HRGN region = BmpToRgn(skin, table.transparent);
        times.push_back(millisecondsSince(start, frequency));
        if (i == 0) {
            DWORD bytes = GetRegionData(region, 0, NULL);
            rectangles = (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT);
        }
        DeleteObject(region);
    }
    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2];
    double worst = times.back();
    printf("%-22s median %6.3f ms  p95 %6.3f ms  worst %6.3f ms  (%lu rectangles in the region)",
           table.skinFile, median, times[times.size() * 95 / 100], worst, rectangles);
    if (budget > 0)
        printf("  budget %.0f ms: %s", budget, median <= budget ? "met" : "MISSED");
    printf("\n");
    DeleteObject(skin);
}

}  // namespace

int main()
{
    printf("BmpToRgn, 200 calls on each shipped skin\n");
    measure(mainWindow, 5.0);
    measure(playlistWindow, 0);
    measure(settingsWindow, 0);
    measure(searchWindow, 0);
    return 0;
}
