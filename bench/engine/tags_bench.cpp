// Open, read every tag field, close: over every file named on the command
// line's list file (one Windows path per line), warm cache, best of three;
// beside it the floor of the same run: opening each file with CreateFileA
// and reading its first 64 KB, which is what finding the tags costs at least.
//   bench_engine_tags.exe LISTFILE
#include "fmod.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

double now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

int readAll(const std::vector<std::string> &paths)
{
    int fields = 0;
    for (const std::string &path : paths) {
        FSOUND_STREAM *stream = FSOUND_Stream_Open(path.c_str(), 0, 0, 0);
        if (!stream)
            continue;
        int count = 0;
        FSOUND_Stream_GetNumTagFields(stream, &count);
        for (int i = 0; i < count; ++i) {
            int type, length;
            char *name;
            void *value;
            FSOUND_Stream_GetTagField(stream, i, &type, &name, &value, &length);
            ++fields;
        }
        FSOUND_Stream_Close(stream);
    }
    return fields;
}

int readHeads(const std::vector<std::string> &paths)
{
    static char head[64 * 1024];
    int files = 0;
    for (const std::string &path : paths) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD got = 0;
        if (ReadFile(file, head, sizeof head, &got, NULL))
            ++files;
        CloseHandle(file);
    }
    return files;
}

template <typename Pass> double bestOfThree(Pass pass)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        double start = now();
        pass();
        best = std::min(best, now() - start);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::vector<std::string> paths;
    FILE *list = std::fopen(argv[1], "r");
    if (!list)
        return 3;
    char line[600];
    while (std::fgets(line, sizeof line, list)) {
        std::string path(line);
        while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
            path.pop_back();
        if (!path.empty())
            paths.push_back(path);
    }
    std::fclose(list);
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    FSOUND_Init(44100, 32, 0);
    readAll(paths); // warm the cache
    int fields = 0;
    double engine = bestOfThree([&] { fields = readAll(paths); });
    double floor = bestOfThree([&] { readHeads(paths); });
    FSOUND_Close();
    double files = static_cast<double>(paths.size());
    std::printf("open + tags + close: %zu files, %d fields, %.1f ms in all, %.3f ms per file\n", paths.size(), fields,
                engine * 1000, engine * 1000 / files);
    std::printf("CreateFileA + 64 KB ReadFile + CloseHandle: %.3f ms per file\n", floor * 1000 / files);
    std::printf("per file: %.3f %.3f\n", engine * 1000 / files, floor * 1000 / files);
    return 0;
}
