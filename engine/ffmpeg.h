// FFmpeg's C headers, and owning pointers for the objects the engine keeps.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace kelvoria {

struct FormatContextCloser {
    void operator()(AVFormatContext *ctx) const { avformat_close_input(&ctx); }
};
struct CodecContextFreer {
    void operator()(AVCodecContext *ctx) const { avcodec_free_context(&ctx); }
};
struct SwrFreer {
    void operator()(SwrContext *ctx) const { swr_free(&ctx); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct IoContextFreer {
    void operator()(AVIOContext *io) const
    {
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }
};

// An AVChannelLayout that releases what it holds. A layout in a custom
// channel order keeps a map of its channels on the heap, which only
// av_channel_layout_uninit frees; copying one over another without it, or
// forgetting it at the end, leaks that map.
class ChannelLayout {
public:
    ChannelLayout() = default;
    ~ChannelLayout() { av_channel_layout_uninit(&layout_); }
    ChannelLayout(const ChannelLayout &) = delete;
    ChannelLayout &operator=(const ChannelLayout &) = delete;

    // Holds a copy of `other` from now on; false (holding nothing) when
    // the copy could not be made.
    bool copyFrom(const AVChannelLayout &other)
    {
        if (av_channel_layout_copy(&layout_, &other) >= 0)
            return true;
        av_channel_layout_uninit(&layout_);
        return false;
    }
    // Holds the usual layout of `channels` channels from now on.
    void setDefault(int channels)
    {
        av_channel_layout_uninit(&layout_);
        av_channel_layout_default(&layout_, channels);
    }
    const AVChannelLayout &get() const { return layout_; }

private:
    AVChannelLayout layout_{};
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextFreer>;

} // namespace kelvoria
