// ReplayGain: the gain and peak a song's tags give for playing it at the
// reference loudness, and the one gain the engine gives the song from them.
#pragma once

#include "ffmpeg.h"

#include <cstddef>
#include <cstdint>
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
// The most a song's gain (its tag, the pre-amplification and the peak's
// limit together) moves it up or down. Beyond it a tag is damaged or meant
// for another scale; the song plays at this limit instead.
constexpr double kMaxSongGainDb = 24.0;

// `gain` (linear) held within kMaxSongGainDb; not a number gives 1.
double clampSongGain(double gain);

// What the file says, read where its kind keeps it: FFmpeg's replay-gain
// side data first (it reads the tags of MP3, FLAC, Ogg Vorbis and MP4),
// then the text fields of the container and the stream (ID3v2 TXXX frames,
// Vorbis comments, MP4 freeform atoms, ASF attributes), an APEv2 tag at
// the end of an MP3, and for Opus the R128 gains. A value missing on one
// side (track or album) is not borrowed here; replayGainFactor() does that.
ReplayGainTags readReplayGain(AVFormatContext *format, int streamIndex, AVIOContext *io);

// `own` where it gives a value, else `file`: a cue sheet's gains go
// before the file's tags, value by value.
ReplayGainTags withOwnGain(const ReplayGainTags &own, const ReplayGainTags &file);

// `count` samples scaled in place by `factor`, held to full scale.
void scaleSamples(int16_t *samples, size_t count, double factor);

// The linear gain a song gets under `settings`: the chosen gain (the other
// kind when it is missing) plus the tagged pre-amp, kept below full scale
// by the peak when clipping is to be prevented; the untagged pre-amp alone
// for a song with no gain; exactly 1 when ReplayGain is off. Always within
// kMaxSongGainDb.
double replayGainFactor(const ReplayGainTags &tags, const ReplayGainSettings &settings);

} // namespace kelvoria
