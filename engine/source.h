// One opened music file: its length and tags, known at open, and a decoder
// created on first use that turns the file into 44.1 kHz stereo 16-bit PCM.
//
// Opening reads only the container's headers (and the end of the file for
// some formats); no audio is decoded until decoding is asked for. Length and
// tags never change after open and may be read from any thread; seekTo() and
// decode() belong to the one thread that decodes.
#pragma once

#include "ffmpeg.h"
#include "replay_gain.h"
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
    const ReplayGainTags &replayGain() const { return replayGain_; }

    // The song's own gain (its ReplayGain), applied inside the resampler at
    // its precision: from the next seekTo() on, from the first frame heard.
    // Held within kMaxSongGainDb either way: the resampler refuses larger
    // factors, and no tag means a song to be made that much louder.
    void setGain(double gain) { gain_ = clampSongGain(gain); }
    double gain() const { return gain_; }

    // Positions decoding so that the next frame decode() gives is the one
    // heard at `ms`. False when the file cannot be decoded at all.
    bool seekTo(int64_t ms) { return seekToFrame(ms * kOutputRate / 1000); }
    // The same, to the output frame `frame` (at 44.1 kHz from the start).
    bool seekToFrame(int64_t frame);

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
    // Gives a FLAC packet the time its frame header says (see flac_frame.h).
    void stampFromFlacHeader(AVPacket &packet) const;
    // Where the decoded frame starts, in output frames from the start: by
    // its time stamp, or right after the frame before when it has none.
    int64_t frameStartFrames() const;
    // After a seek, drops the output of the frame (from `frameStart` in
    // `out` to its end; nextFrameAt_ is where it ends) that lies before the
    // asked time. Each frame is judged by its own time stamp, not by the
    // first one's and a count: a demuxer may stamp the first packets after
    // a seek from an estimate and the later ones exactly.
    void dropBeforeSeekTarget(int64_t startFrames, size_t frameStart, std::vector<int16_t> &out);
    void measureLength();
    void findEnd();
    void readTags();
    // Cuts what `out` gained past the end the file gives (from `before` on).
    void keepWithinEnd(std::vector<int16_t> &out, size_t before);

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
    bool isFlac_ = false;
    int flacFixedBlockSize_ = 0;
    int lengthMs_ = 0;
    std::vector<TagField> tags_;
    ReplayGainTags replayGain_;
    double gain_ = 1.0;

    // Resampler input, to notice a change of format inside a stream.
    int swrRate_ = 0;
    int swrFormat_ = -1;
    ChannelLayout swrLayout_;

    bool decoderFailed_ = false;
    bool positioned_ = false; // seekTo() has been called
    bool draining_ = false;
    bool finished_ = false;
    // The asked time of the last seek, in output frames, until output
    // reaches it (then -1).
    int64_t seekTargetFrames_ = -1;
    int64_t nextFrameAt_ = 0; // where the next frame should start, in output frames
    // Where the next frame decode() gives lies, in output frames from the
    // start, counted by what it gave since the last seek.
    int64_t outputAt_ = 0;
    // The last frame plus one, in output frames, where the file says where
    // its audio ends before the decoder's does; -1 where every decoded frame
    // belongs to the song.
    int64_t endFrames_ = -1;
};

} // namespace kelvoria
