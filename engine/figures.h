// What benchmarks read inside the engine. fmod.dll exports its FSOUND calls
// and nothing else; a benchmark that wants these links the engine's objects
// in (the fmod_static library) in place of fmod.dll, and calls them directly.
#pragma once

#include <cstdint>

namespace kelvoria {

// Under-runs of the output since FSOUND_Init (see underrun_count.h); 0
// without an engine.
uint64_t engineUnderruns();

} // namespace kelvoria
