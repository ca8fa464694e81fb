"""Reads the capture of bench_play_chain.exe playing songs whose left channel
counts frames (lossless, 44.1 kHz) between songs of other kinds, and prints
what each transition lost or added: every counting song must come whole,
and the song between two of them takes exactly the frames between them:
the encoder's input length where the file says where the song ends, every
decoded frame where it does not.
    gapless_capture.py CAPTURE SONG_FRAMES KIND:EXPECTED_FRAMES:COUNTS...
"""
import struct
import sys
from array import array

capture, song_frames = sys.argv[1], int(sys.argv[2])
songs = [(kind, int(frames), counts == "1") for kind, frames, counts in (a.split(":") for a in sys.argv[3:])]
samples = array("h")
with open(capture, "rb") as raw:
    samples.frombytes(raw.read())
left = samples[0::2]
start_of = (i for i in range(len(left) - 3) if left[i] == 0 and left[i + 1] == 1 and left[i + 2] == 2 and left[i + 3] == 3)


def counts_from(at):
    """Frames of a whole counting song from `at`, or the first wrong one."""
    for i in range(song_frames):
        if at + i >= len(left) or left[at + i] != i % 32768:
            return i
    return song_frames


at = next(start_of, None)
if at is None:
    print("gapless: the first song was not found in the capture")
    sys.exit(1)
lost_added = []
previous_end = None
pending = None        # the song between two counting songs: (kind, expected)
for number, (kind, expected, counts) in enumerate(songs, 1):
    if not counts:
        pending = (kind, expected)
        continue
    if previous_end is not None:
        # The next counting song starts where the one between ends: search
        # from there, a second either way.
        begin = previous_end + (pending[1] if pending else 0)
        window = range(max(begin - 44100, previous_end), min(begin + 44100, len(left) - 3))
        found = next((i for i in window if left[i] == 0 and left[i + 1] == 1 and left[i + 2] == 2
                      and left[i + 3] == 3 and counts_from(i) == song_frames), None)
        if found is None:
            print("song %d (%s): not found whole near frame %d" % (number, kind, begin))
            sys.exit(1)
        between = found - previous_end
        if pending:
            print("%-16s played %6d frames, expected %6d: %+d" % (pending[0], between, pending[1],
                                                                  between - pending[1]))
            lost_added.append(between - pending[1])
        else:
            lost_added.append(between)
        at = found
    whole = counts_from(at)
    print("%-16s %s" % (kind, "whole, every frame once" if whole == song_frames else "broken at frame %d" % whole))
    if whole != song_frames:
        sys.exit(1)
    lost_added.append(0)
    previous_end = at + song_frames
    pending = None
transitions = len(songs) - 1
print("transitions: %d; frames lost: %d; frames added: %d" % (
    transitions, -sum(d for d in lost_added if d < 0), sum(d for d in lost_added if d > 0)))
