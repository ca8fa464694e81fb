// Hand-overs received by the running player, queued for its loop and
// gathered into selections.
#include "hand_over_queue.h"

#include "hand_over_format.h"
#include "hand_over_selection.h"
#include "messages.h"
#include "songlist.h"
#include "start_probe.h"

#include <algorithm>
#include <vector>

namespace {

const UINT SELECTION_TICK_MS = 50;
// What waits for the loop at most: a flood of starts is refused, not
// taken in without end.
const size_t QUEUED_MAX = 4096;

struct receivedHandOver {
    bool show;
    handOver given;
};

std::vector<receivedHandOver> received;
selections gathered;
bool refusing;

bool queueFull()
{
    size_t paths = 0;
    for (const receivedHandOver &r : received)
        paths += r.given.request.paths.size();
    return received.size() >= QUEUED_MAX || paths >= QUEUED_MAX * 16;
}

void showPlayer(HWND window)
{
    SendMessageA(window, WM_COMMAND, CMD_RESTORE, 0);
    SetForegroundWindow(window);
}

// The process list is read only once the selection has been quiet.
bool firstSelectionReady()
{
    uint64_t now = momentNow();
    return firstSelectionDue(gathered, now, false) &&
           firstSelectionDue(gathered, now, startsPending(gathered.waiting.front()));
}

void gather(HWND window, const handOver &given)
{
    gatherHandOver(gathered, given);
    SetTimer(window, SELECTION_TIMER, SELECTION_TICK_MS, NULL);
}

} // namespace

bool receiveHandOver(HWND window, const COPYDATASTRUCT *copy)
{
    receivedHandOver r;
    if (refusing || !copy || !IsWindow(window) || queueFull() ||
        !readHandOver(copy->dwData, copy->lpData, copy->cbData, r.show, r.given))
        return false;
    r.given.arrived = momentNow();
    received.push_back(r);
    if (PostMessageA(window, MSG_HAND_OVER, 0, 0))
        return true;
    received.pop_back();    // the loop would never see it
    return false;
}

void carryOutHandOvers(HWND window)
{
    std::vector<receivedHandOver> taken;
    taken.swap(received);
    for (const receivedHandOver &r : taken) {
        if (r.show)
            showPlayer(window);
        else
            gather(window, r.given);
    }
}

void gatherOwnRequest(HWND window, const pathRequest &request)
{
    if (request.paths.empty())
        return;
    handOver own;
    own.started = startOfProcess(GetCurrentProcess());
    own.arrived = momentNow();
    own.processId = GetCurrentProcessId();
    own.request = request;
    gather(window, own);
}

void carryOutDueSelections(HWND window)
{
    static bool carrying;   // a box of the intake runs a loop that ticks too
    if (carrying)
        return;
    carrying = true;
    while (firstSelectionReady())
        carryOut(takeFirstSelection(gathered));
    if (gathered.waiting.empty())
        KillTimer(window, SELECTION_TIMER);
    carrying = false;
}

bool handOversWaiting()
{
    return !received.empty() || !gathered.waiting.empty();
}

void holdGatheredForLateStarts()
{
    uint64_t now = momentNow();
    for (selection &waiting : gathered.waiting)
        waiting.lastArrival = std::max(waiting.lastArrival, now);
}

void takeHandOvers()
{
    refusing = false;
}

void stopTakingHandOvers()
{
    refusing = true;
}

void forgetHandOvers()
{
    received.clear();
    gathered = selections();
}
