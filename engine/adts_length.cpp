#include "adts_length.h"

#include <iterator>

namespace kelvoria {

namespace {

// Past this many bytes of frames the rest of the file is taken to hold
// frames of the same average size: about ten minutes at 128 kbps, read in a
// few milliseconds, while a long recording is not read whole at open.
constexpr int64_t kMaxCountedBytes = 10 * 1024 * 1024;
// Junk or padding tolerated before the first frame.
constexpr int64_t kMaxBytesBeforeFirstFrame = 64 * 1024;
constexpr int kHeaderSize = 7;

const int kSampleRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};

struct AdtsFrame {
    int bytes = 0;   // header included
    int samples = 0; // per channel
    int rate = 0;
};

bool readFrameHeader(AVIOContext *io, int64_t at, AdtsFrame &frame)
{
    uint8_t h[kHeaderSize];
    if (avio_seek(io, at, SEEK_SET) < 0 || avio_read(io, h, kHeaderSize) != kHeaderSize)
        return false;
    // Sync word 0xFFF, layer 0.
    if (h[0] != 0xFF || (h[1] & 0xF6) != 0xF0)
        return false;
    int rateIndex = (h[2] >> 2) & 0x0F;
    frame.bytes = ((h[3] & 0x03) << 11) | (h[4] << 3) | (h[5] >> 5);
    frame.samples = 1024 * ((h[6] & 0x03) + 1);
    frame.rate = rateIndex < static_cast<int>(std::size(kSampleRates)) ? kSampleRates[rateIndex] : 0;
    return frame.rate > 0 && frame.bytes >= kHeaderSize;
}

// Where the audio starts: after an ID3v2 tag (10-byte header, a size in
// four 7-bit bytes, and a 10-byte footer when its flags say so).
int64_t afterId3v2(AVIOContext *io)
{
    uint8_t h[10];
    if (avio_seek(io, 0, SEEK_SET) < 0 || avio_read(io, h, 10) != 10 || h[0] != 'I' || h[1] != 'D' || h[2] != '3')
        return 0;
    int64_t size = (h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F);
    return 10 + size + ((h[5] & 0x10) ? 10 : 0);
}

// The first frame at or after `from` that another frame follows.
int64_t firstFrame(AVIOContext *io, int64_t from)
{
    AdtsFrame frame, next;
    for (int64_t at = from; at < from + kMaxBytesBeforeFirstFrame; ++at)
        if (readFrameHeader(io, at, frame) && readFrameHeader(io, at + frame.bytes, next))
            return at;
    return -1;
}

} // namespace

int64_t adtsLengthMs(AVIOContext *io)
{
    int64_t saved = avio_tell(io);
    int64_t fileSize = avio_size(io);
    int64_t start = firstFrame(io, afterId3v2(io));
    int64_t at = start, samples = 0;
    int rate = 0;
    AdtsFrame frame;
    while (start >= 0 && at - start < kMaxCountedBytes && readFrameHeader(io, at, frame) &&
           at + frame.bytes <= fileSize) {
        rate = rate ? rate : frame.rate;
        samples += frame.samples;
        at += frame.bytes;
    }
    avio_seek(io, saved, SEEK_SET);
    if (samples == 0)
        return -1;
    int64_t ms = av_rescale(samples, 1000, rate);
    if (at - start >= kMaxCountedBytes && fileSize > at)
        ms = av_rescale(ms, fileSize - start, at - start);
    return ms;
}

} // namespace kelvoria
