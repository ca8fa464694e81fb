#include "replay_gain.h"

#include "tags.h"

extern "C" {
#include <libavutil/replaygain.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kelvoria {

namespace {

// Below full scale by a margin that rounding to 16 bits cannot cross.
constexpr double kHighestPeak = 0.9995;
// R128 gains aim at -23 LUFS, ReplayGain at about 5 dB louder.
constexpr double kR128ToReplayGainDb = 5.0;
// FFmpeg's units: gains in 1/100000 dB, peaks in 1/100000 of full scale.
constexpr double kSideDataScale = 100000.0;

double dbToGain(double db)
{
    return std::pow(10.0, db / 20.0);
}

// "-6.50 dB", "+1.2", "0.988": the number at the start of a text. Decimal
// points only: tags are written that way whatever the writer's locale.
std::optional<double> numberIn(const char *text)
{
    if (!text)
        return std::nullopt;
    char *end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> plausibleGain(std::optional<double> db)
{
    return db && std::fabs(*db) <= 60.0 ? db : std::nullopt;
}

std::optional<double> plausiblePeak(std::optional<double> peak)
{
    return peak && *peak > 0.0 && *peak <= 100.0 ? peak : std::nullopt;
}

void fillFromSideData(const AVStream *stream, ReplayGainTags &tags)
{
    size_t size = 0;
    const uint8_t *data = av_stream_get_side_data(stream, AV_PKT_DATA_REPLAYGAIN, &size);
    if (!data || size < sizeof(AVReplayGain))
        return;
    AVReplayGain gain;
    std::memcpy(&gain, data, sizeof(gain));
    // FFmpeg parses the tags' texts into these without judging them.
    if (gain.track_gain != INT32_MIN && !tags.trackGainDb)
        tags.trackGainDb = plausibleGain(gain.track_gain / kSideDataScale);
    if (gain.album_gain != INT32_MIN && !tags.albumGainDb)
        tags.albumGainDb = plausibleGain(gain.album_gain / kSideDataScale);
    if (gain.track_peak && !tags.trackPeak)
        tags.trackPeak = plausiblePeak(gain.track_peak / kSideDataScale);
    if (gain.album_peak && !tags.albumPeak)
        tags.albumPeak = plausiblePeak(gain.album_peak / kSideDataScale);
}

// Fills what is still missing from one set of named texts.
template <typename Lookup>
void fillFromTexts(Lookup textOf, ReplayGainTags &tags)
{
    if (!tags.trackGainDb)
        tags.trackGainDb = plausibleGain(numberIn(textOf("REPLAYGAIN_TRACK_GAIN")));
    if (!tags.trackPeak)
        tags.trackPeak = plausiblePeak(numberIn(textOf("REPLAYGAIN_TRACK_PEAK")));
    if (!tags.albumGainDb)
        tags.albumGainDb = plausibleGain(numberIn(textOf("REPLAYGAIN_ALBUM_GAIN")));
    if (!tags.albumPeak)
        tags.albumPeak = plausiblePeak(numberIn(textOf("REPLAYGAIN_ALBUM_PEAK")));
}

void fillFromDictionary(const AVDictionary *dict, ReplayGainTags &tags)
{
    // av_dict_get matches names regardless of case, as the tag formats do
    // (MP4 writers use lower case).
    fillFromTexts(
        [dict](const char *name) -> const char * {
            const AVDictionaryEntry *entry = av_dict_get(dict, name, nullptr, 0);
            return entry ? entry->value : nullptr;
        },
        tags);
}

void fillFromApeTag(AVIOContext *io, ReplayGainTags &tags)
{
    std::vector<std::pair<std::string, std::string>> items;
    forEachApeItem(io, [&](const std::string &key, const std::string &value) { items.emplace_back(key, value); });
    fillFromTexts(
        [&items](const char *name) -> const char * {
            for (const auto &item : items)
                if (_stricmp(item.first.c_str(), name) == 0)
                    return item.second.c_str();
            return nullptr;
        },
        tags);
}

// Q7.8 fixed point decibels: "-1280" is -5 dB.
std::optional<double> r128Gain(const AVDictionary *dict, const char *name)
{
    const AVDictionaryEntry *entry = av_dict_get(dict, name, nullptr, 0);
    std::optional<double> q78 = entry ? numberIn(entry->value) : std::nullopt;
    if (!q78 || *q78 != std::trunc(*q78) || std::fabs(*q78) > 32768)
        return std::nullopt;
    return *q78 / 256.0 + kR128ToReplayGainDb;
}

// Opus files carry R128 gains instead of ReplayGain tags. The header's
// output gain needs nothing here: FFmpeg's decoder applies it to every
// sample, and the R128 gains are relative to what it gives.
void fillFromR128(const AVDictionary *dict, ReplayGainTags &tags)
{
    if (std::optional<double> track = r128Gain(dict, "R128_TRACK_GAIN"))
        tags.trackGainDb = track;
    if (std::optional<double> album = r128Gain(dict, "R128_ALBUM_GAIN"))
        tags.albumGainDb = album;
}

bool isFormat(const AVFormatContext *format, const char *name)
{
    return format->iformat && std::strcmp(format->iformat->name, name) == 0;
}

} // namespace

double clampSongGain(double gain)
{
    if (!std::isfinite(gain))
        return 1.0;
    return std::clamp(gain, dbToGain(-kMaxSongGainDb), dbToGain(kMaxSongGainDb));
}

ReplayGainTags readReplayGain(AVFormatContext *format, int streamIndex, AVIOContext *io)
{
    ReplayGainTags tags;
    const AVStream *stream = format->streams[streamIndex];
    // Each source fills only what those before it left missing.
    if (stream->codecpar->codec_id == AV_CODEC_ID_OPUS)
        fillFromR128(stream->metadata, tags);
    fillFromSideData(stream, tags);
    fillFromDictionary(stream->metadata, tags);
    fillFromDictionary(format->metadata, tags);
    // The MP3 demuxer leaves an APEv2 tag alone.
    if (isFormat(format, "mp3"))
        fillFromApeTag(io, tags);
    return tags;
}

double replayGainFactor(const ReplayGainTags &tags, const ReplayGainSettings &settings)
{
    if (settings.mode == ReplayGainMode::Off)
        return 1.0;
    bool album = settings.mode == ReplayGainMode::Album;
    std::optional<double> gain = album ? tags.albumGainDb : tags.trackGainDb;
    std::optional<double> peak = album ? tags.albumPeak : tags.trackPeak;
    if (!gain)
        gain = album ? tags.trackGainDb : tags.albumGainDb;
    if (!peak)
        peak = album ? tags.trackPeak : tags.albumPeak;
    double preamp = std::clamp(gain ? settings.taggedPreampDb : settings.untaggedPreampDb, -kMaxPreampDb,
                               kMaxPreampDb);
    double factor = dbToGain(gain.value_or(0.0) + preamp);
    if (gain && settings.preventClipping && peak)
        factor = std::min(factor, kHighestPeak / *peak);
    return clampSongGain(factor);
}

ReplayGainTags withOwnGain(const ReplayGainTags &own, const ReplayGainTags &file)
{
    ReplayGainTags merged = file;
    if (own.trackGainDb) {
        merged.trackGainDb = own.trackGainDb;
        merged.trackPeak = own.trackPeak;
    }
    if (own.albumGainDb) {
        merged.albumGainDb = own.albumGainDb;
        merged.albumPeak = own.albumPeak;
    }
    return merged;
}

void scaleSamples(int16_t *samples, size_t count, double factor)
{
    for (size_t at = 0; at < count; ++at) {
        double scaled = std::round(samples[at] * factor);
        samples[at] = static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
    }
}

} // namespace kelvoria
