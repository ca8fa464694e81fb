// ReplayGain: the gain and peak a song's tags give for playing it at the
// reference loudness, and the one gain the engine gives the song from them.
#pragma once

#include "ffmpeg.h"

#include <optional>

namespace kelvoria {

struct ReplayGainTags {
    std::optional<double> trackGainDb;
    std::optional<double> trackPeak; // of full scale, 1.0 = full
    std::optional<double> albumGainDb;
    std::optional<double> albumPeak;
};

enum class ReplayGainMode { Off, Track, Album };

struct ReplayGainSettings {
    ReplayGainMode mode = ReplayGainMode::Off;
    double taggedPreampDb = 0.0;   // added to a tagged song's gain
    double untaggedPreampDb = 0.0; // the gain of a song with none
    bool preventClipping = true;   // a song's peak stays below full scale
};

constexpr double kMaxPreampDb = 15.0;

// What the file says, read where its kind keeps it: FFmpeg's replay-gain
// side data first (it reads the tags of MP3, FLAC, Ogg Vorbis and MP4),
// then the text fields of the container and the stream (ID3v2 TXXX frames,
// Vorbis comments, MP4 freeform atoms, ASF attributes), an APEv2 tag at
// the end of an MP3, and for Opus the R128 gains. A value missing on one
// side (track or album) is not borrowed here; replayGainFactor() does that.
ReplayGainTags readReplayGain(AVFormatContext *format, int streamIndex, AVIOContext *io);

// The linear gain a song gets under `settings`: the chosen gain (the other
// kind when it is missing) plus the tagged pre-amp, kept below full scale
// by the peak when clipping is to be prevented; the untagged pre-amp alone
// for a song with no gain; exactly 1 when ReplayGain is off.
double replayGainFactor(const ReplayGainTags &tags, const ReplayGainSettings &settings);

} // namespace kelvoria
