// The benchmarks' clock: milliseconds from the performance counter.
#pragma once

#include <windows.h>

inline double nowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}
