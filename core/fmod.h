/*
 * The audio engine interface: the FSOUND calls that Kelvoria makes on
 * fmod.dll. Calling convention __stdcall, C linkage; booleans are signed
 * chars tested for nonzero. Stream handles are opaque.
 */
#ifndef KELVORIA_FMOD_H
#define KELVORIA_FMOD_H

#ifdef __cplusplus
extern "C" {
#endif

#define F_API __stdcall

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

#ifdef __cplusplus
}
#endif

#endif
