/*
 * The starts of this program as processes: when one began, the clock the
 * selection rule's moments are read from, and whether starts of a
 * selection's moment still run without having handed over (read from the
 * system's process list).
 */
#ifndef KELVORIA_APP_START_PROBE_H
#define KELVORIA_APP_START_PROBE_H

#include <windows.h>

#include "hand_over_selection.h"

#include <stdint.h>

/* Milliseconds of the system time, now. */
uint64_t momentNow();

/* When the process began, on the clock of momentNow; 0 when unknown.
 * Starts Explorer makes at once began together, however long each then
 * took to come this far. */
uint64_t startOfProcess(HANDLE process);

/* True when a start of this program in this session, other than this
 * process and the starts that already handed over to `waiting`, began in
 * its moment. */
bool startsPending(const selection &waiting);

#endif
