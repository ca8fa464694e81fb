// The starts of this program still running, from the process list.
#include "start_probe.h"

#include <tlhelp32.h>

#include <string.h>

#include <algorithm>

namespace {

uint64_t momentOf(const FILETIME &time)
{
    return ((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

bool sameSession(DWORD processId)
{
    DWORD own = 0, other = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &own) && ProcessIdToSessionId(processId, &other) &&
           own == other;
}

// A start of this program, of the selection's moment, that runs but has not
// handed over yet.
bool isPendingStart(const selection &waiting, const PROCESSENTRY32 &entry, const char *ownName)
{
    if (_stricmp(entry.szExeFile, ownName) != 0 || entry.th32ProcessID == GetCurrentProcessId() ||
        std::count(waiting.processIds.begin(), waiting.processIds.end(), entry.th32ProcessID) ||
        !sameSession(entry.th32ProcessID))
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process)
        return false;
    uint64_t started = startOfProcess(process);
    CloseHandle(process);
    return started && startsTogether(waiting.earliestStart, waiting.latestStart, started);
}

} // namespace

uint64_t momentNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return momentOf(now);
}

uint64_t startOfProcess(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    return GetProcessTimes(process, &created, &ended, &kernel, &user) ? momentOf(created) : 0;
}

bool startsPending(const selection &waiting)
{
    char own[MAX_PATH] = "";
    GetModuleFileNameA(NULL, own, sizeof(own));
    own[sizeof(own) - 1] = '\0';    // a cut name is not terminated on every system
    const char *ownName = strrchr(own, '\\') ? strrchr(own, '\\') + 1 : own;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    bool pending = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !pending; more = Process32Next(snapshot, &entry))
        pending = isPendingStart(waiting, entry, ownName);
    CloseHandle(snapshot);
    return pending;
}
