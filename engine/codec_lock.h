// FFmpeg built without threads sets up its codecs' shared tables the first
// time each codec is opened, with no guard of its own: two threads opening
// codecs at once (the decoder thread starting a song while a tag reader
// opens another file) can build a table twice over each other. Every call
// that opens a codec (avcodec_open2, and avformat_find_stream_info, which
// opens decoders to probe) takes this one lock, on every thread.
#pragma once

#include <mutex>

namespace kelvoria {

std::mutex &codecOpenLock();

} // namespace kelvoria
