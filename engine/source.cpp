#include "source.h"

#include "adts_length.h"
#include "codec_lock.h"
#include "flac_frame.h"
#include "../core/fmod.h"

#include <algorithm>
#include <cstring>

namespace kelvoria {

namespace {

// A run of packets that decode to nothing means the rest of the file is
// not audio this decoder understands; the stream ends there.
constexpr int kMaxUndecodablePackets = 512;

// Sample rates the resampler is given. Outside them a header is damaged: the
// resampler's filter grows with the ratio of the rates (building it for a
// claimed 128 MHz takes the decoder thread minutes), and below them each
// packet becomes hundreds of megabytes of output (a claimed 1 Hz makes 44,100
// frames of every sample). Audio at such rates is skipped as undecodable.
constexpr int kMinInputRate = 1000;
constexpr int kMaxInputRate = 384000;

bool isFormat(const AVFormatContext *format, const char *name)
{
    return format->iformat && std::strcmp(format->iformat->name, name) == 0;
}

// MP4 atoms and APE items have no field type of their own: like ID3v2
// frames they are free-form names with text, and are reported as ID3v2.
int tagTypeOf(const AVFormatContext *format, const WinFile &file, AVIOContext *io)
{
    if (isFormat(format, "ogg") || isFormat(format, "flac"))
        return FSOUND_TAGFIELD_VORBISCOMMENT;
    if (isFormat(format, "asf"))
        return FSOUND_TAGFIELD_ASF;
    if ((isFormat(format, "mp3") || isFormat(format, "aac")) && file.size() > 3) {
        int64_t saved = avio_tell(io);
        uint8_t magic[3] = {};
        avio_seek(io, 0, SEEK_SET);
        int got = avio_read(io, magic, 3);
        avio_seek(io, saved, SEEK_SET);
        if (got == 3 && std::memcmp(magic, "ID3", 3) != 0)
            return FSOUND_TAGFIELD_ID3V1;
    }
    return FSOUND_TAGFIELD_ID3V2;
}

// A resampler from the decoder's output to 44.1 kHz stereo 16-bit, ready
// to use; nullptr when it cannot be built.
// The song's gain rides on the resampler's mixing matrix, which it applies
// in its own precision before rounding to 16 bits (and clips there).
SwrContext *makeResampler(const AVChannelLayout &inLayout, AVSampleFormat inFormat, int inRate, double gain)
{
    AVChannelLayout outLayout = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext *swr = nullptr;
    // FFmpeg 5.1 takes the layouts through non-const pointers; it only reads them.
    int result = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, kOutputRate,
                                     const_cast<AVChannelLayout *>(&inLayout), inFormat, inRate, 0, nullptr);
    if (result >= 0 && inLayout.nb_channels == 1) {
        // Mono goes to both speakers at full level, not lowered by 3 dB as
        // a centre channel folded into stereo would be.
        const double both[2] = {gain, gain};
        result = swr_set_matrix(swr, both, 1);
    } else if (result >= 0 && gain != 1.0) {
        result = av_opt_set_double(swr, "rematrix_volume", gain, 0);
    }
    if (result < 0 || !swr || swr_init(swr) < 0) {
        swr_free(&swr);
        return nullptr;
    }
    return swr;
}

} // namespace

std::unique_ptr<Source> Source::open(const char *path)
{
    std::unique_ptr<WinFile> file = WinFile::open(path);
    if (!file)
        return nullptr;
    std::unique_ptr<Source> source(new Source);
    source->file_ = std::move(file);
    source->io_ = source->file_->makeIoContext();
    if (!source->io_)
        return nullptr;

    AVFormatContext *format = avformat_alloc_context();
    if (!format)
        return nullptr;
    format->pb = source->io_.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // On failure avformat_open_input frees the context (not our I/O context).
    if (avformat_open_input(&format, path, nullptr, nullptr) < 0)
        return nullptr;
    source->format_.reset(format);

    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters *par = format->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO && avcodec_find_decoder(par->codec_id)) {
            source->streamIndex_ = static_cast<int>(i);
            break;
        }
    }
    if (source->streamIndex_ < 0)
        return nullptr;

    source->readTags();
    source->replayGain_ = readReplayGain(format, source->streamIndex_, source->io_.get());
    source->measureLength();
    source->findEnd();
    return source;
}

Source::~Source() = default;

void Source::measureLength()
{
    const AVStream *stream = format_->streams[streamIndex_];
    bool rawAac = isFormat(format_.get(), "aac");
    int64_t ms = -1;
    if (rawAac)
        ms = adtsLengthMs(io_.get());
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        ms = av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    else if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
        ms = av_rescale(format_->duration, 1000, AV_TIME_BASE);
    // Headerless streams: FFmpeg looks at their first packets, for the bit
    // rate of a constant bit rate MP3 without an Info frame, and for the
    // timing of raw AAC. The AAC parser leaves the sample rate to the
    // decoder (an ADTS header gives half of it for HE-AAC), so until the
    // first frames have been decoded, packets have no duration and no time
    // stamp, and seeking finds none. FFmpeg 5.1 looks only once: a second
    // avformat_find_stream_info reads freed memory.
    if (rawAac || ms < 0) {
        format_->probesize = 64 * 1024;
        format_->max_analyze_duration = AV_TIME_BASE / 2;
        bool looked;
        {
            CodecOpenTurn opening;
            looked = avformat_find_stream_info(format_.get(), nullptr) >= 0;
        }
        if (ms < 0 && looked && format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
            ms = av_rescale(format_->duration, 1000, AV_TIME_BASE);
    }
    if (ms < 0 && stream->codecpar->bit_rate > 0)
        ms = av_rescale(file_->size(), 8000, stream->codecpar->bit_rate);
    lengthMs_ = static_cast<int>(std::clamp<int64_t>(ms, 0, INT32_MAX));
}

// AAC in MP4 is coded in blocks of 1,024 samples, so the encoder pads the
// last one; the track's duration (from its edit list) says where the song
// ends. FFmpeg drops the priming the edit list skips at the start, but keeps
// the padding at the end. MP3 (LAME and Xing headers), Opus (pre-skip and
// the last page's granule) and Vorbis are trimmed by FFmpeg itself.
void Source::findEnd()
{
    const AVStream *stream = format_->streams[streamIndex_];
    if (!isFormat(format_.get(), "mov,mp4,m4a,3gp,3g2,mj2") || stream->codecpar->codec_id != AV_CODEC_ID_AAC)
        return;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        endFrames_ = av_rescale_q(stream->duration, stream->time_base, AVRational{1, kOutputRate});
}

void Source::keepWithinEnd(std::vector<int16_t> &out, size_t before)
{
    int64_t gained = static_cast<int64_t>(out.size() - before) / kOutputChannels;
    if (endFrames_ >= 0 && outputAt_ + gained > endFrames_) {
        gained = std::max<int64_t>(endFrames_ - outputAt_, 0);
        out.resize(before + static_cast<size_t>(gained) * kOutputChannels);
    }
    outputAt_ += gained;
}

void Source::readTags()
{
    int type = tagTypeOf(format_.get(), *file_, io_.get());
    collectTags(format_->metadata, type, tags_);
    // An MP4 track's own metadata comes from its headers (language,
    // handler, vendor); what a person wrote is in the file's item list,
    // which FFmpeg gives the container.
    if (!isFormat(format_.get(), "mov,mp4,m4a,3gp,3g2,mj2"))
        collectTags(format_->streams[streamIndex_]->metadata, type, tags_);
    // The MP3 demuxer leaves an APEv2 tag alone; the AAC one reads it.
    if (isFormat(format_.get(), "mp3"))
        collectApeTags(io_.get(), tags_);
}

bool Source::openDecoder()
{
    const AVStream *stream = format_->streams[streamIndex_];
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    codec_.reset(avcodec_alloc_context3(decoder));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!decoder || !codec_ || !frame_ || !packet_)
        return false;
    if (avcodec_parameters_to_context(codec_.get(), stream->codecpar) < 0)
        return false;
    codec_->pkt_timebase = stream->time_base;
    isFlac_ = stream->codecpar->codec_id == AV_CODEC_ID_FLAC;
    flacFixedBlockSize_ = flacFixedBlockSize(stream->codecpar->extradata, stream->codecpar->extradata_size);
    CodecOpenTurn opening;
    return avcodec_open2(codec_.get(), decoder, nullptr) >= 0;
}

int64_t Source::prerollMs() const
{
    const AVCodecDescriptor *codec = avcodec_descriptor_get(format_->streams[streamIndex_]->codecpar->codec_id);
    return codec && (codec->props & AV_CODEC_PROP_LOSSLESS) ? 0 : 200;
}

bool Source::seekToFrame(int64_t frame)
{
    frame = std::max<int64_t>(frame, 0);
    int64_t ms = frame * 1000 / kOutputRate;
    if (!codec_ && !decoderFailed_)
        decoderFailed_ = !openDecoder();
    if (decoderFailed_)
        return false;

    // Lossy decoders need a few frames before they give the true signal
    // (bit reservoirs, overlapped transforms): start early and drop up to
    // the asked time.
    const AVStream *stream = format_->streams[streamIndex_];
    int64_t from = std::max<int64_t>(ms - prerollMs(), 0);
    int64_t timestamp = av_rescale_q(from, AVRational{1, 1000}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        timestamp += stream->start_time;
    // A new decoder is at the start already: no seek, which in some formats
    // lands a little off.
    if (positioned_ || frame > 0) {
        if (av_seek_frame(format_.get(), streamIndex_, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
            avformat_seek_file(format_.get(), streamIndex_, INT64_MIN, timestamp, timestamp, 0);
        avcodec_flush_buffers(codec_.get());
        swr_.reset(); // drops what the resampler held from before the seek
    }
    positioned_ = true;
    draining_ = false;
    finished_ = false;
    seekTargetFrames_ = frame;
    nextFrameAt_ = seekTargetFrames_; // a stream without time stamps is taken to start there
    outputAt_ = seekTargetFrames_;
    return true;
}

bool Source::configureResampler(const AVFrame *frame)
{
    if (swr_ && frame->sample_rate == swrRate_ && frame->format == swrFormat_ &&
        av_channel_layout_compare(&frame->ch_layout, &swrLayout_.get()) == 0)
        return true;
    swr_.reset();
    if (frame->sample_rate < kMinInputRate || frame->sample_rate > kMaxInputRate)
        return false;
    // The resampler mixes down only speakers it knows by name (the native
    // order); channels in any other order are mixed as the usual layout of
    // as many channels.
    ChannelLayout inLayout;
    if (frame->ch_layout.order != AV_CHANNEL_ORDER_NATIVE || frame->ch_layout.nb_channels <= 0)
        inLayout.setDefault(std::max(frame->ch_layout.nb_channels, 1));
    else if (!inLayout.copyFrom(frame->ch_layout))
        return false;
    SwrContext *swr = makeResampler(inLayout.get(), static_cast<AVSampleFormat>(frame->format), frame->sample_rate,
                                    gain_);
    if (!swr || !swrLayout_.copyFrom(frame->ch_layout)) {
        swr_free(&swr);
        return false;
    }
    swr_.reset(swr);
    swrRate_ = frame->sample_rate;
    swrFormat_ = frame->format;
    return true;
}

void Source::resample(const AVFrame *frame, std::vector<int16_t> &out)
{
    int capacity = swr_get_out_samples(swr_.get(), frame ? frame->nb_samples : 0);
    if (capacity <= 0)
        return;
    size_t old = out.size();
    out.resize(old + static_cast<size_t>(capacity) * kOutputChannels);
    auto *target = reinterpret_cast<uint8_t *>(out.data() + old);
    int got = frame ? swr_convert(swr_.get(), &target, capacity, const_cast<const uint8_t **>(frame->extended_data),
                                  frame->nb_samples)
                    : swr_convert(swr_.get(), &target, capacity, nullptr, 0);
    out.resize(old + static_cast<size_t>(std::max(got, 0)) * kOutputChannels);
}

bool Source::readFrame()
{
    int undecodable = 0;
    for (;;) {
        int result = avcodec_receive_frame(codec_.get(), frame_.get());
        if (result == 0)
            return true;
        if (result == AVERROR_EOF || draining_ || ++undecodable > kMaxUndecodablePackets)
            return false;
        if (av_read_frame(format_.get(), packet_.get()) < 0) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        if (packet_->stream_index == streamIndex_) {
            if (isFlac_)
                stampFromFlacHeader(*packet_);
            avcodec_send_packet(codec_.get(), packet_.get()); // damaged packets are skipped
        }
        av_packet_unref(packet_.get());
    }
}

void Source::stampFromFlacHeader(AVPacket &packet) const
{
    const AVStream *stream = format_->streams[streamIndex_];
    int64_t sample = flacFrameFirstSample(packet.data, packet.size, flacFixedBlockSize_);
    int rate = stream->codecpar->sample_rate;
    if (sample < 0 || rate <= 0)
        return;
    int64_t pts = av_rescale_q(sample, AVRational{1, rate}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        pts += stream->start_time;
    packet.pts = packet.dts = pts;
}

int64_t Source::frameStartFrames() const
{
    int64_t pts = frame_->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        return nextFrameAt_;
    const AVStream *stream = format_->streams[streamIndex_];
    if (stream->start_time != AV_NOPTS_VALUE)
        pts -= stream->start_time;
    return av_rescale_q(pts, stream->time_base, AVRational{1, kOutputRate});
}

void Source::dropBeforeSeekTarget(int64_t startFrames, size_t frameStart, std::vector<int16_t> &out)
{
    int64_t produced = nextFrameAt_ - startFrames;
    int64_t drop = std::clamp<int64_t>(seekTargetFrames_ - startFrames, 0, produced);
    out.erase(out.begin() + static_cast<ptrdiff_t>(frameStart),
              out.begin() + static_cast<ptrdiff_t>(frameStart + drop * kOutputChannels));
    if (startFrames + produced > seekTargetFrames_)
        seekTargetFrames_ = -1; // reached
}

bool Source::decode(std::vector<int16_t> &out)
{
    if (finished_ || decoderFailed_ || !codec_)
        return false;
    size_t before = out.size();
    int unplayable = 0;
    while (out.size() == before) {
        if (!readFrame() || unplayable > kMaxUndecodablePackets) {
            if (swr_)
                resample(nullptr, out); // what the resampler still holds
            keepWithinEnd(out, before);
            finished_ = true;
            return out.size() != before;
        }
        if (!configureResampler(frame_.get())) {
            av_frame_unref(frame_.get());
            ++unplayable;
            continue;
        }
        int64_t startFrames = frameStartFrames();
        size_t frameStart = out.size();
        resample(frame_.get(), out);
        av_frame_unref(frame_.get());
        int64_t produced = static_cast<int64_t>(out.size() - frameStart) / kOutputChannels;
        nextFrameAt_ = startFrames + produced;
        if (seekTargetFrames_ >= 0)
            dropBeforeSeekTarget(startFrames, frameStart, out);
        keepWithinEnd(out, frameStart);
    }
    return true;
}

} // namespace kelvoria
