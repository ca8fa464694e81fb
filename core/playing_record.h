/*
 * What is playing, writable, and the transport's announcement, for tests
 * that draw a given state. The player changes them through the transport's
 * commands alone (transport.h).
 */
#ifndef KELVORIA_PLAYING_RECORD_H
#define KELVORIA_PLAYING_RECORD_H

#include "transport.h"

extern playingNow nowPlaying;
void announceTransport(transportChange change);

#endif
