// One opened music file: its length and tags, known at open, and a decoder
// created on first use that turns the file into 44.1 kHz stereo 16-bit PCM.
//
// Opening reads only the container's headers (and the end of the file for
// some formats); no audio is decoded until decoding is asked for. Length and
// tags never change after open and may be read from any thread; seekTo() and
// decode() belong to the one thread that decodes.
#pragma once

#include "ffmpeg.h"
#include "tags.h"
#include "win_file.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvoria {

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;

class Source {
public:
    static std::unique_ptr<Source> open(const char *path);
    ~Source();
    Source(const Source &) = delete;
    Source &operator=(const Source &) = delete;

    int lengthMs() const { return lengthMs_; }
    const std::vector<TagField> &tags() const { return tags_; }

    // Positions decoding so that the next frame decode() gives is the one
    // heard at `ms`. False when the file cannot be decoded at all.
    bool seekTo(int64_t ms);

    // Appends decoded frames (interleaved stereo) to `out`: at least one
    // frame, unless the end of the stream was reached (then false).
    bool decode(std::vector<int16_t> &out);

private:
    Source() = default;
    bool openDecoder();
    int64_t prerollMs() const;
    bool configureResampler(const AVFrame *frame);
    void resample(const AVFrame *frame, std::vector<int16_t> &out);
    bool readFrame();
    bool lookAtFirstPackets();
    void measureLength();
    void readTags();

    // Declared in the order they depend on one another: the format context
    // reads through the I/O context, which reads the file.
    std::unique_ptr<WinFile> file_;
    IoContextPtr io_;
    FormatContextPtr format_;
    CodecContextPtr codec_;
    SwrPtr swr_;
    FramePtr frame_;
    PacketPtr packet_;

    int streamIndex_ = -1;
    int lengthMs_ = 0;
    std::vector<TagField> tags_;

    // Resampler input, to notice a change of format inside a stream.
    int swrRate_ = 0;
    int swrFormat_ = -1;
    ChannelLayout swrLayout_;

    bool decoderFailed_ = false;
    bool draining_ = false;
    bool finished_ = false;
    // Output frames still to drop after a seek, before the asked time.
    int64_t dropFrames_ = 0;
    int64_t seekTargetFrames_ = -1;
};

} // namespace kelvoria
