// Where a FLAC frame starts, as its own header says. Every FLAC frame
// carries its place in the stream: its frame number when all blocks have
// one size, its first sample's number otherwise. The container's time
// stamps can be worse: after a seek in Ogg, whose FLAC packets run across
// pages, FFmpeg 5.1 may stamp them up to a page's length off until the
// next page ends.
#pragma once

#include <cstdint>
#include <vector>

namespace kelvoria {

// The block size of a stream of fixed-size blocks, from its STREAMINFO
// (the codec's extradata, bare or behind "fLaC" and a block header); 0 when
// the blocks vary in size or the STREAMINFO is not there.
int flacFixedBlockSize(const uint8_t *extradata, int size);

// The number of the first sample of the frame that starts `data`; -1 when
// `data` does not start with a frame header. `fixedBlockSize` comes from
// flacFixedBlockSize().
int64_t flacFrameFirstSample(const uint8_t *data, int size, int fixedBlockSize);

} // namespace kelvoria
