// Songs and album tracks opened as streams.
#include "song_stream.h"

#include "track_address.h"

namespace {

bool limitToTrack(FSOUND_STREAM *stream, const trackAddress &track)
{
    if (!Kelvoria_Stream_SetStretch(stream, track.first, track.end))
        return false;
    Kelvoria_Stream_SetGainTags(stream, track.trackGain, track.trackPeak, track.albumGain, track.albumPeak);
    // A stretch that begins past the file's end has nothing to play.
    return FSOUND_Stream_GetLengthMs(stream) > 0;
}

} // namespace

FSOUND_STREAM *openSongStream(const char *path)
{
    if (!isTrackAddress(path))
        return FSOUND_Stream_Open(path, 0, 0, 0);
    trackAddress track;
    if (!readTrackAddress(path, track))
        return nullptr;
    FSOUND_STREAM *stream = FSOUND_Stream_Open(track.file.c_str(), 0, 0, 0);
    if (stream && !limitToTrack(stream, track)) {
        FSOUND_Stream_Close(stream);
        return nullptr;
    }
    return stream;
}

int songLengthSeconds(const char *path)
{
    FSOUND_STREAM *stream = openSongStream(path);
    if (!stream)
        return -1;
    int seconds = FSOUND_Stream_GetLengthMs(stream) / 1000;
    FSOUND_Stream_Close(stream);
    return seconds;
}
