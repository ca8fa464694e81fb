// FFmpeg built without threads sets up its codecs' shared tables the first
// time each codec is opened, with no guard of its own: two threads opening
// codecs at once (the decoder thread starting a song while a tag reader
// opens another file) can build a table twice over each other. Every call
// that opens a codec (avcodec_open2, and avformat_find_stream_info, which
// opens decoders to probe) is made within a CodecOpenTurn, on every thread.
#pragma once

#include <mutex>

namespace kelvoria {

class CodecOpenTurn {
public:
    CodecOpenTurn();
    ~CodecOpenTurn();
    CodecOpenTurn(const CodecOpenTurn &) = delete;
    CodecOpenTurn &operator=(const CodecOpenTurn &) = delete;

    // Whether the calling thread has the turn now.
    static bool heldHere();

private:
    std::lock_guard<std::mutex> hold_;
};

} // namespace kelvoria
