#include "codec_lock.h"

namespace kelvoria {

namespace {

std::mutex &codecOpenLock()
{
    static std::mutex lock; // made on first use, before any thread can race for it
    return lock;
}

thread_local bool turnHere = false;

} // namespace

CodecOpenTurn::CodecOpenTurn() : hold_(codecOpenLock()) { turnHere = true; }

CodecOpenTurn::~CodecOpenTurn() { turnHere = false; }

bool CodecOpenTurn::heldHere() { return turnHere; }

} // namespace kelvoria
