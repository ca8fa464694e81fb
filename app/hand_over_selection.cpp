// Hand-overs of starts made at the same moment gathered into one request.
#include "hand_over_selection.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

bool startsTogether(uint64_t earliest, uint64_t latest, uint64_t started)
{
    return started + SELECTION_MOMENT_MS >= earliest && started <= latest + SELECTION_MOMENT_MS;
}

namespace {

selection selectionOf(const handOver &given, bool add)
{
    selection opened;
    opened.earliestStart = opened.latestStart = given.started;
    opened.firstArrival = opened.lastArrival = given.arrived;
    opened.add = add;
    if (!given.request.paths.empty())
        opened.handedPaths.push_back(given.request.paths);
    opened.processIds.push_back(given.processId);
    return opened;
}

bool overlapWithin(uint64_t aFrom, uint64_t aTo, uint64_t bFrom, uint64_t bTo)
{
    return bFrom <= aTo + SELECTION_MOMENT_MS && aFrom <= bTo + SELECTION_MOMENT_MS;
}

// Of one selection: their starts began within the moment, or their
// hand-overs came within it (a start's process may be made late on a busy
// machine, its hand-over still comes with the others').
bool together(const selection &a, const selection &b)
{
    return overlapWithin(a.earliestStart, a.latestStart, b.earliestStart, b.latestStart) ||
           overlapWithin(a.firstArrival, a.lastArrival, b.firstArrival, b.lastArrival);
}

// The later selection's hand-overs join the earlier one's, whose mode stays.
void absorb(selection &earlier, const selection &later)
{
    earlier.earliestStart = std::min(earlier.earliestStart, later.earliestStart);
    earlier.latestStart = std::max(earlier.latestStart, later.latestStart);
    earlier.firstArrival = std::min(earlier.firstArrival, later.firstArrival);
    earlier.lastArrival = std::max(earlier.lastArrival, later.lastArrival);
    earlier.handedPaths.insert(earlier.handedPaths.end(), later.handedPaths.begin(), later.handedPaths.end());
    earlier.processIds.insert(earlier.processIds.end(), later.processIds.begin(), later.processIds.end());
}

// Hand-overs come in any order of their starts: one that began between two
// waiting selections' moments chains them into one.
void mergeSelectionsOfOneMoment(std::vector<selection> &waiting)
{
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t earlier = 0; earlier < waiting.size() && !merged; ++earlier)
            for (size_t later = earlier + 1; later < waiting.size() && !merged; ++later)
                if (together(waiting[earlier], waiting[later])) {
                    absorb(waiting[earlier], waiting[later]);
                    waiting.erase(waiting.begin() + later);
                    merged = true;
                }
    }
}

std::wstring wideOf(const std::string &path)
{
    int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, NULL, 0);
    std::wstring wide(size > 0 ? size : 1, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], size);
    return wide;
}

bool sameName(const std::wstring &a, const std::wstring &b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool takenBefore(const std::vector<std::wstring> &taken, const std::wstring &name)
{
    for (const std::wstring &before : taken)
        if (sameName(before, name))
            return true;
    return false;
}

} // namespace

void gatherHandOver(selections &all, const handOver &given)
{
    // A start of a moment already carried out that came late: its songs go
    // after the others rather than in their place.
    bool late = all.carriedAny && startsTogether(all.carriedEarliest, all.carriedLatest, given.started);
    all.waiting.push_back(selectionOf(given, late || given.request.add));
    mergeSelectionsOfOneMoment(all.waiting);
}

bool firstSelectionDue(const selections &all, uint64_t now, bool startsPending)
{
    if (all.waiting.empty())
        return false;
    uint64_t quietSince = all.waiting.front().lastArrival;
    if (now < quietSince + SELECTION_MOMENT_MS)
        return false;
    return !startsPending || now >= quietSince + SELECTION_HOLD_MS;
}

bool beforeAsExplorer(const std::string &a, const std::string &b)
{
    return StrCmpLogicalW(wideOf(a).c_str(), wideOf(b).c_str()) < 0;
}

pathRequest takeFirstSelection(selections &all)
{
    pathRequest request;
    if (all.waiting.empty())
        return request;
    selection first = all.waiting.front();
    all.waiting.erase(all.waiting.begin());
    all.carriedAny = true;
    all.carriedEarliest = first.earliestStart;
    all.carriedLatest = first.latestStart;
    request.add = first.add;
    std::stable_sort(first.handedPaths.begin(), first.handedPaths.end(),
                     [](const auto &a, const auto &b) { return beforeAsExplorer(a.front(), b.front()); });
    // A name another start gave already is left out; one command line may
    // name a song twice on purpose.
    std::vector<std::wstring> taken;
    for (const std::vector<std::string> &paths : first.handedPaths) {
        std::vector<std::wstring> names;
        for (const std::string &path : paths) {
            names.push_back(wideOf(path));
            if (!takenBefore(taken, names.back()))
                request.paths.push_back(path);
        }
        taken.insert(taken.end(), names.begin(), names.end());
    }
    return request;
}
