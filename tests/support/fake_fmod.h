/*
 * A scripted stand-in for fmod.dll, for tests of code that calls the FSOUND
 * functions. Link the static library `fake_fmod` instead of `fmod_import`:
 * it defines every call of core/fmod.h with the same __stdcall C signature.
 *
 * Nothing moves by itself. The test scripts the files and drives the clock:
 *
 *   fake_fmod::reset();                          // forget everything
 *   fake_fmod::addFile("C:\\a.mp3", 257000);     // opens; 257 s long
 *   fake_fmod::addTag("C:\\a.mp3", "TITLE", "T");
 *   fake_fmod::failOpen("C:\\b.mp3");            // opening it gives null
 *   ...code under test opens and plays a.mp3...
 *   fake_fmod::advance(1500);                    // 1.5 s of playback pass
 *
 * Behaviour, as the real engine has it:
 * - Stream_Open gives a new handle for a scripted path (time 0) and null for
 *   any other path, or a path marked with failOpen. Handles are never reused.
 * - Stream_Play(0, s) puts s on channel 0, playing and not paused, from the
 *   stream's own time (from 0 again when it had reached its end).
 * - advance(ms) moves the playing stream's time on while channel 0 plays and
 *   is not paused; when it reaches the length the stream ends: its time stays
 *   at the length, and the queued stream, if any, takes channel 0 at once
 *   with the rest of the `ms` (its first sample is heard at that moment);
 *   with none queued, channel 0 no longer plays.
 * - Kelvoria_Stream_Queue(s) queues s behind channel 0's stream (null drops
 *   the queued one) while channel 0 holds a stream other than s; Play, Stop
 *   and closing either stream drop it.
 * - Kelvoria_SetHeardCallback(cb, ctx) registers cb; advance() calls it,
 *   on the test's thread once advance() holds no lock, with
 *   KELVORIA_HEARD_STARTED and the queued stream the moment it takes
 *   channel 0, and with KELVORIA_HEARD_ENDED and the stream that ended when
 *   none is queued; never for Play, Stop or Close. reset() forgets it.
 * - Kelvoria_GetHeardStream() gives the stream last heard: the one Play put
 *   on channel 0 or the queued one once it took the channel, still after it
 *   ran out; null after StopSound or once that stream is closed.
 * - Kelvoria_GetHeardSamples(samples, n) gives the last n frames of those
 *   setHeardSamples scripted (fewer when fewer are scripted) while channel
 *   0 holds a stream, paused or not; 0 otherwise. reset() forgets them.
 * - IsPlaying(0) is nonzero while channel 0 holds a stream that has not ended
 *   or been stopped, paused or not.
 * - SetPaused(0, p) acts only while channel 0 plays; StopSound(0) empties
 *   channel 0, the stream keeps its time. Stream_Close of the stream on
 *   channel 0 stops it first.
 * - Stream_SetTime clamps to 0..length; Stream_GetTime and
 *   Stream_GetLengthMs give 0 for null or closed handles.
 * - Kelvoria_Stream_SetStretch(s, first, end) gives s the length of the
 *   stretch (CD frames, 1/75 s, cut to the file's length; end -1: its end)
 *   and time 0, unless s is on channel 0 or queued;
 *   Kelvoria_Stream_SetGainTags is only logged, values not given as "-".
 * - GetNumTagFields / GetTagField report the path's scripted fields, in the
 *   order they were added; the texts stay valid until the stream is closed.
 *
 * Every call is written to a log, in order, as the call's name without the
 * FSOUND_ prefix and its arguments, streams as s1, s2, ... (null as 0):
 *   "Stream_Open(C:\a.mp3,0,0,0)", "Stream_Play(0,s1)", "SetVolume(0,255)",
 *   "Stream_GetLengthMs(s1)", "IsPlaying(0)", "Stream_GetTime(s1)",
 *   "Stream_SetTime(s1,5000)", "SetPaused(0,1)", "StopSound(0)",
 *   "Stream_Close(s1)", "Stream_GetNumTagFields(s1)",
 *   "Stream_GetTagField(s1,0)", "Init(44100,32,0)", "SetOutput(2)",
 *   "SetDriver(0)", "Close()"; Kelvoria's own calls keep their whole name:
 *   "Kelvoria_Stream_Queue(s2)", "Kelvoria_GetHeardStream()",
 *   "Kelvoria_SetVolume(50)", "Kelvoria_SetReplayGain(1,-300,0,1)",
 *   "Kelvoria_SetHeardCallback()".
 */
#ifndef KELVORIA_FAKE_FMOD_H
#define KELVORIA_FAKE_FMOD_H

#include "fmod.h"

#include <string>
#include <vector>

namespace fake_fmod {

// Forgets every file, field and log entry, closes every stream (handles
// stay unique across resets); the channel is empty.
void reset();

// A file that opens, with its length in milliseconds.
void addFile(const std::string &path, int lengthMs);
// Opening this path gives null (whether or not it was added).
void failOpen(const std::string &path);
// A tag field of the file; `value` is the bytes the field points to and
// `length` the length reported with it (by default the size of `value`).
const int WHOLE_VALUE = -2147483647 - 1;
void addTag(const std::string &path, const std::string &name, const std::string &value, int length = WHOLE_VALUE);
// GetNumTagFields on this file answers zero, though it has fields.
void failTagCount(const std::string &path);

// What Kelvoria_GetHeardSamples hands out: interleaved stereo frames.
void setHeardSamples(const std::vector<short> &stereo);

// Lets `ms` of playback pass on channel 0.
void advance(int ms);

// What Kelvoria_SetHeardCallback registered last (null when none).
KELVORIA_HEARDCALLBACK heardCallback();
void *heardContext();

// What the channel holds now.
bool channelPlaying();             // IsPlaying(0) would answer nonzero
bool channelPaused();
FSOUND_STREAM *channelStream();    // null when empty
FSOUND_STREAM *queuedStream();     // null when nothing is queued
int volume();                      // last SetVolume(0, ...)
int openStreams();                 // streams opened and not closed yet
int streamTime(FSOUND_STREAM *stream);

// The call log.
const std::vector<std::string> &calls();
void clearCalls();
// How many logged calls start with `prefix` (as "Stream_Open(").
int countCalls(const std::string &prefix);

} // namespace fake_fmod

#endif
