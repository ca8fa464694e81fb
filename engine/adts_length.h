// The length of a raw AAC file: a run of ADTS frames, whose headers carry
// no running time and no total. FFmpeg can only guess it from the bit rate
// of the first packets, which misses by several percent for the variable
// rate that AAC encoders write; counting the frames' samples does not.
#pragma once

#include "ffmpeg.h"

#include <cstdint>

namespace kelvoria {

// Milliseconds of audio in the ADTS frames of the file behind `io`, after
// an ID3v2 tag if there is one; -1 when no frame is found. Reads headers
// only, up to a bounded amount, and extrapolates by file size past it. The
// I/O context is left where it was.
int64_t adtsLengthMs(AVIOContext *io);

} // namespace kelvoria
