/*
 * Explorer opens a selection of files by starting the program once per
 * file, all at the same moment; each start hands its file to the running
 * player. Hand-overs that came within SELECTION_MOMENT_MS of each other, or
 * whose starts began within it (chained: of the latest so far), are one
 * selection, carried out as one request once no hand-over has come for
 * SELECTION_MOMENT_MS:
 *
 *   the first hand-over's mode (replace or "/add") is the selection's;
 *   the hand-overs in Explorer's order of their first names (numbers by
 *   value), each one's paths in the order it gave them; a path another
 *   start gave already is left out (Windows names ignore case).
 *
 * A start that began and handed over later opens a new selection, carried
 * out after the one before it. A hand-over that comes after its selection
 * was carried out (its start began in that moment, but took longer)
 * appends.
 *
 * Moments are milliseconds of one clock (the system time); the caller
 * passes them in, so the rule runs the same under a test's table.
 */
#ifndef KELVORIA_APP_HAND_OVER_SELECTION_H
#define KELVORIA_APP_HAND_OVER_SELECTION_H

#include "command_line.h"

#include <stdint.h>

#include <vector>

#define SELECTION_MOMENT_MS 250
/* Starts of the selection that are known to run but have not handed over
 * yet hold it back, at most this long after the last hand-over. */
#define SELECTION_HOLD_MS 20000

struct handOver {
    uint64_t started;           /* when the start's process began */
    uint64_t arrived;           /* when the player received it */
    unsigned long processId;    /* the start's process */
    pathRequest request;
};

struct selection {
    uint64_t earliestStart = 0, latestStart = 0, firstArrival = 0, lastArrival = 0;
    bool add = false;
    std::vector<std::vector<std::string>> handedPaths;     /* each hand-over's */
    std::vector<unsigned long> processIds;     /* the starts that handed over */
};

struct selections {
    std::vector<selection> waiting;     /* oldest first */
    bool carriedAny = false;
    uint64_t carriedEarliest = 0, carriedLatest = 0;
};

/* True when a start that began at `started` belongs to the moment of the
 * starts from `earliest` to `latest`. */
bool startsTogether(uint64_t earliest, uint64_t latest, uint64_t started);

void gatherHandOver(selections &all, const handOver &given);

/* The oldest waiting selection is due at `now`; `startsPending` says whether
 * starts of its moment still run without having handed over. */
bool firstSelectionDue(const selections &all, uint64_t now, bool startsPending);

/* Takes the oldest waiting selection out: its request, paths ordered and
 * each once. */
pathRequest takeFirstSelection(selections &all);

/* Explorer's order of names: digit runs compared by value, case ignored. */
bool beforeAsExplorer(const std::string &a, const std::string &b);

#endif
