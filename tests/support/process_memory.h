// The private memory of this process, for tests that repeat something many
// times and check that it leaves nothing behind.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstddef>

inline size_t privateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters);
    // Wine fills in only the page file figure, which Windows keeps equal.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}
