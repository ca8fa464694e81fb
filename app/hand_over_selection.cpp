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
    opened.add = add;
    return opened;
}

selection *selectionOfMoment(selections &all, uint64_t started)
{
    for (selection &waiting : all.waiting)
        if (startsTogether(waiting.earliestStart, waiting.latestStart, started))
            return &waiting;
    return nullptr;
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

} // namespace

void gatherHandOver(selections &all, const handOver &given)
{
    selection *joined = selectionOfMoment(all, given.started);
    if (!joined) {
        // A start of a moment already carried out came late: its songs go
        // after the others rather than in their place.
        bool late = all.carriedAny && startsTogether(all.carriedEarliest, all.carriedLatest, given.started);
        all.waiting.push_back(selectionOf(given, late || given.request.add));
        joined = &all.waiting.back();
    }
    joined->earliestStart = std::min(joined->earliestStart, given.started);
    joined->latestStart = std::max(joined->latestStart, given.started);
    joined->lastArrival = std::max(joined->lastArrival, given.arrived);
    joined->paths.insert(joined->paths.end(), given.request.paths.begin(), given.request.paths.end());
    joined->processIds.push_back(given.processId);
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

void sortAsExplorer(std::vector<std::string> &paths)
{
    std::vector<std::pair<std::wstring, std::string>> named;
    for (const std::string &path : paths)
        named.emplace_back(wideOf(path), path);
    std::stable_sort(named.begin(), named.end(), [](const auto &a, const auto &b) {
        return StrCmpLogicalW(a.first.c_str(), b.first.c_str()) < 0;
    });
    paths.clear();
    for (size_t at = 0; at < named.size(); ++at)
        if (at == 0 || !sameName(named[at - 1].first, named[at].first))
            paths.push_back(named[at].second);
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
    request.paths = first.paths;
    sortAsExplorer(request.paths);
    return request;
}
