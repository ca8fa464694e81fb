"""Reads what a real-time sound server played (PulseAudio's null sink, from
its monitor) while bench_play_chain.exe played songs whose left channel
counts its frames (0, 1, 2 ... wrapping at 32,768), and tells where the
counting broke: stretches of silence (the server ran dry) and frames
skipped (never heard), and how many changes of song came with neither.
    realtime_capture.py CAPTURE SONG_FRAMES
"""
import sys
from array import array

capture, song_frames = sys.argv[1], int(sys.argv[2])
samples = array("h")
with open(capture, "rb") as raw:
    samples.frombytes(raw.read())
left = samples[0::2]
sound = [i for i, value in enumerate(left) if value != 0]
if not sound:
    print("real time: nothing was heard")
    sys.exit(1)
first, end = sound[0], sound[-1] + 1
pos = left[first]                     # the frame of the song heard, from its start
skipped = max(pos - 1, 0)             # the first song's frames before the first one heard (frame 0 is silent)
silences = silent = changes = clean = 0


def resync(value):
    """The frame `value` names after a break: later in this song, or early in the next."""
    global pos, skipped, changes
    base = pos - pos % 32768
    later = base + value if value > pos % 32768 else base + 32768 + value
    if later < song_frames:
        skipped += later - pos - 1
        pos = later
    else:
        skipped += song_frames - pos - 1 + value
        changes += 1
        pos = value


i = first + 1
while i < end:
    value = left[i]
    following = pos + 1 if pos + 1 < song_frames else 0
    if value == following % 32768:
        if following == 0:
            changes += 1
            clean += 1
        pos = following
    elif value == 0:
        run = i
        while left[run] == 0:
            run += 1
        silences += 1
        silent += run - i
        i = run
        resync(left[run])
    else:
        resync(value)
    i += 1
print("real time: frames skipped %d; silences %d (%d frames); changes of song with nothing lost or added: %d of %d"
      % (skipped, silences, silent, clean, changes))
