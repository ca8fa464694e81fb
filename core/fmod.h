/*
 * The audio engine interface: the FSOUND calls that Kelvoria makes on
 * fmod.dll, and the engine's own calls (Kelvoria_*) at the end. Calling convention __stdcall, C linkage; booleans are signed
 * chars tested for nonzero. Stream handles are opaque.
 */
#ifndef KELVORIA_FMOD_H
#define KELVORIA_FMOD_H

#ifdef __cplusplus
extern "C" {
#endif

#define F_API __stdcall
/* The calling convention of the functions the engine calls back. */
#define F_CALLBACKAPI __stdcall

typedef struct FSOUND_STREAM FSOUND_STREAM;

/* Output types for FSOUND_SetOutput. */
enum {
    FSOUND_OUTPUT_NOSOUND = 0,
    FSOUND_OUTPUT_WINMM = 1,
    FSOUND_OUTPUT_DSOUND = 2
};

/* Kinds of tag field reported by FSOUND_Stream_GetTagField. */
enum {
    FSOUND_TAGFIELD_VORBISCOMMENT = 0,
    FSOUND_TAGFIELD_ID3V1 = 1,
    FSOUND_TAGFIELD_ID3V2 = 2,
    FSOUND_TAGFIELD_SHOUTCAST = 3,
    FSOUND_TAGFIELD_ICECAST = 4,
    FSOUND_TAGFIELD_ASF = 5
};

signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
signed char F_API FSOUND_SetOutput(int outputtype);
signed char F_API FSOUND_SetDriver(int driver);
void F_API FSOUND_Close(void);

FSOUND_STREAM *F_API FSOUND_Stream_Open(const char *name_or_data, unsigned int mode, int offset, int length);
signed char F_API FSOUND_Stream_Close(FSOUND_STREAM *stream);
int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM *stream);
int F_API FSOUND_Stream_GetLengthMs(FSOUND_STREAM *stream);
int F_API FSOUND_Stream_GetTime(FSOUND_STREAM *stream);
signed char F_API FSOUND_Stream_SetTime(FSOUND_STREAM *stream, int ms);
signed char F_API FSOUND_Stream_GetNumTagFields(FSOUND_STREAM *stream, int *num);
signed char F_API FSOUND_Stream_GetTagField(FSOUND_STREAM *stream, int num, int *type, char **name, void **value, int *length);

signed char F_API FSOUND_SetVolume(int channel, int vol);
signed char F_API FSOUND_SetPaused(int channel, signed char paused);
signed char F_API FSOUND_StopSound(int channel);
signed char F_API FSOUND_IsPlaying(int channel);

/*
 * Kelvoria's own calls, beyond the FSOUND set.
 *
 * For songs that follow one another with no gap:
 *
 * Kelvoria_Stream_Queue(stream): puts `stream` behind the stream channel 0
 * plays, in place of any stream queued before; null only drops the queued
 * one. When the playing stream has been decoded to its last sample, the
 * engine goes on decoding the queued one into the same output, which stays
 * open: its first sample follows the last sample of the one before, with
 * no silence and no sample lost or repeated, whatever the two files' kinds,
 * rates or channels. The queued stream plays from its own time (from 0 when
 * it had reached its end). It becomes channel 0's stream when its first
 * sample is heard: from then on FSOUND_Stream_GetTime reports its position,
 * and the stream before reports its length. Closing the queued stream, or
 * playing, stopping or closing the playing one, drops it. Nonzero when
 * queued (or dropped); zero when channel 0 plays nothing, or `stream` is
 * the one it plays or no stream of the engine.
 *
 * Kelvoria_GetHeardStream(): the stream whose samples were heard last on
 * channel 0: the one heard now, or once the channel has run out, the one
 * heard to its end. Null before anything played, after FSOUND_StopSound,
 * and once that stream is closed. Kelvoria_SetHeardCallback below tells
 * the moment it changes.
 *
 * The position FSOUND_Stream_GetTime gives is the position heard, to within
 * the output's latency, and never more than the stream's length; channel 0
 * stops playing when the last sample of the last stream has been heard.
 *
 * The sound device is held only while it is needed: it is opened when a
 * stream is played and let go 1 s after channel 0 was stopped, within 2 s
 * after it ran out (what the device still held is heard first), and after
 * 10 s of pause; the
 * next play or resume opens it again and loses no sample. A device just
 * opened, or emptied by a seek, is given a little silence first, which a
 * sound server may drop as its stream starts.
 */
signed char F_API Kelvoria_Stream_Queue(FSOUND_STREAM *stream);
FSOUND_STREAM *F_API Kelvoria_GetHeardStream(void);

/*
 * For an album kept as one file (a cue sheet's tracks):
 *
 * Kelvoria_Stream_SetStretch(stream, firstCdFrame, endCdFrame): the stream
 * plays only the stretch of its file from CD frame `firstCdFrame` (1/75 s,
 * 588 samples at 44.1 kHz) to `endCdFrame`, not included, or to the file's
 * end when `endCdFrame` is negative. Its length, time and seeks count from
 * the stretch's start, which its time becomes. A stretch queued behind the
 * stretch of the same file (opened by the same path) that ends where it
 * begins is decoded on with no seek: every sample of the file is heard once,
 * in order. Nonzero when set; zero while the stream plays or is queued, or
 * for a stretch that ends before it begins.
 */
signed char F_API Kelvoria_Stream_SetStretch(FSOUND_STREAM *stream, int firstCdFrame, int endCdFrame);

/*
 * Kelvoria_Stream_SetGainTags(stream, trackGain, trackPeak, albumGain,
 * albumPeak): ReplayGain values that take the place of the file's own tags
 * for this stream (a cue sheet's REM REPLAYGAIN_* lines): gains in
 * hundredths of a decibel, peaks in millionths of full scale, and
 * KELVORIA_GAIN_NONE for a value not given (the file's own is then used:
 * a gain given goes with its peak, given or not). A gain beyond +-60 dB
 * or a peak not above 0 counts as not given. They are applied as
 * Kelvoria_SetReplayGain says, and also to a stretch decoded on from the
 * one before. Nonzero when set; zero while the stream plays or is queued.
 */
#define KELVORIA_GAIN_NONE (-2147483647 - 1)
signed char F_API Kelvoria_Stream_SetGainTags(FSOUND_STREAM *stream, int trackGain, int trackPeak, int albumGain,
                                              int albumPeak);

/*
 * Kelvoria_SetHeardCallback(callback, context): `callback` is called with
 * `context` when the stream heard on channel 0 changes by itself, so that a
 * program need not poll Kelvoria_GetHeardStream:
 * - KELVORIA_HEARD_STARTED, with the queued stream, the moment its first
 *   sample is heard (it has become channel 0's stream);
 * - KELVORIA_HEARD_ENDED, with channel 0's stream, the moment its last
 *   sample is heard and nothing follows it (the channel no longer plays); a
 *   stream whose file fails before its end ends so too.
 * Nothing is called for what the program does itself (FSOUND_Stream_Play,
 * FSOUND_StopSound, FSOUND_Stream_Close, FSOUND_Close). The callback runs
 * on a thread of the engine, which holds none of its locks meanwhile: it
 * may call Kelvoria_GetHeardStream, and should return at once (post a
 * message, set an event). A null callback calls nothing; a call already
 * under way when the callback is replaced may still finish after this
 * returns. It may be set before FSOUND_Init and holds until FSOUND_Close.
 * Always nonzero.
 */
#define KELVORIA_HEARD_STARTED 1  /* the first sample of a queued stream is heard */
#define KELVORIA_HEARD_ENDED   2  /* the last sample of channel 0's stream is heard, nothing follows */
typedef void (F_CALLBACKAPI *KELVORIA_HEARDCALLBACK)(FSOUND_STREAM *stream, int event, void *context);
signed char F_API Kelvoria_SetHeardCallback(KELVORIA_HEARDCALLBACK callback, void *context);

/*
 * For the level: these may be made before FSOUND_Init; what they set holds
 * from then on, across songs.
 *
 * Kelvoria_SetVolume: the listener's volume, 0 to 100 (clamped). 100 is
 * full volume, 0 silence, and the steps between are even on a decibel
 * scale spanning 50 dB. It is a stage of its own after the channel volume
 * of FSOUND_SetVolume (a straight 0..255 scale of the samples): one does
 * not change the other. A change is heard from the next buffer on, moved
 * over a few milliseconds so that it never clicks.
 *
 * Kelvoria_SetReplayGain: how each song's ReplayGain is applied. `mode` is
 * one of KELVORIA_REPLAYGAIN_*; the two pre-amplifications are in
 * hundredths of a decibel, -1500 to 1500 (clamped): `taggedPreamp` is added
 * to a tagged song's gain, `untaggedPreamp` is the gain of a song without
 * one. With `preventClipping` nonzero, a tagged song's gain is lowered so
 * that its tagged peak stays below full scale. A song's gain, all of these
 * together, is held within +-24 dB (a tagged gain beyond +-60 dB counts as
 * none); no gain keeps a song from playing. A song takes the settings as
 * it starts or is sought, and keeps them from its first sample on.
 */
enum {
    KELVORIA_REPLAYGAIN_OFF = 0,
    KELVORIA_REPLAYGAIN_TRACK = 1,
    KELVORIA_REPLAYGAIN_ALBUM = 2
};

/*
 * The graphic equalizer: ten bands at 31, 62, 125, 250, 500 Hz and 1, 2,
 * 4, 8, 16 kHz, peaking filters one octave wide, and a pre-amplification,
 * each in hundredths of a decibel from -1200 to 1200 (held there). `bands`
 * points to ten values (null: all 0). It acts on what is handed to the
 * device, so a change is heard with the next buffer the device takes (the
 * device's own queue, some 186 ms of sound at most, still plays out before
 * it), its gains moving over a few milliseconds with no click. Off, or on
 * with every value 0, leaves the samples as they are, bit for bit.
 * Kelvoria_GetEqualizerAutoPreamp(bands): the pre-amplification (negative
 * or 0) that keeps a full-scale tone of any frequency below full scale
 * through these bands.
 */
signed char F_API Kelvoria_SetEqualizer(signed char on, int preamp, const int *bands);
int F_API Kelvoria_GetEqualizerAutoPreamp(const int *bands);

/*
 * Kelvoria_GetHeardSamples(samples, frames): for a frequency display or a scope, the
 * `frames` stereo frames (at most 16384, interleaved 16-bit, 44.1 kHz)
 * that the device played last, up to the one it says it played now, as
 * the equalizer left them and before the volumes. Returns how many were
 * copied: 0 while channel 0 holds nothing. While paused, the frames before
 * the pause.
 */
int F_API Kelvoria_GetHeardSamples(short *samples, int frames);

signed char F_API Kelvoria_SetVolume(int percent);
signed char F_API Kelvoria_SetReplayGain(int mode, int taggedPreamp, int untaggedPreamp, signed char preventClipping);

#ifdef __cplusplus
}
#endif

#endif
