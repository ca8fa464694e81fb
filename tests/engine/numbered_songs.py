"""Numbered songs for listening tests, and the check of what was heard.

Every frame of a numbered song says which song and which of its frames it
is: the left channel holds the frame's number modulo 32,768, the right one
8 * song + the number's higher bits (never 0, so silence is told apart).
    numbered_songs.py make DIR SECONDS...      writes DIR/song1.wav ...
    numbered_songs.py check CAPTURE SECONDS... [--seek MS_TO]
The check reads a capture of raw 44.1 kHz stereo 16-bit PCM and says how
many frames were lost or repeated: at the first song's start, between
songs, after the seek (the first song's one jump, to the frame of MS_TO),
and at the last song's end. Silence anywhere is allowed. Exit status 0 when
nothing was lost or repeated.
"""
import struct
import sys
from array import array

RATE = 44100


def make(folder, seconds):
    for song, length in enumerate(seconds, 1):
        frames = round(length * RATE)
        pcm = array("h")
        for i in range(frames):
            pcm.append(i % 32768)
            pcm.append(song * 8 + i // 32768)
        data = pcm.tobytes()
        header = (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
                  struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16) + b"data" + struct.pack("<I", len(data)))
        with open("%s/song%d.wav" % (folder, song), "wb") as out:
            out.write(header + data)


def heard(capture):
    samples = array("h")
    with open(capture, "rb") as raw:
        data = raw.read()
        samples.frombytes(data[: len(data) // 4 * 4])
    left, right = samples[0::2], samples[1::2]
    return [(r // 8, (r % 8) * 32768 + l) for l, r in zip(left, right) if r > 0 and l >= 0]


def check(capture, seconds, seek_ms):
    lengths = [round(s * RATE) for s in seconds]
    frames = heard(capture)
    if not frames:
        print("listening: nothing was heard")
        return 1
    seek_frame = None if seek_ms is None else seek_ms * RATE // 1000
    lost = {"start": 0, "transitions": 0, "seek": 0, "end": 0, "within": 0}
    repeated = 0
    song, at = frames[0]
    lost["start"] = at if song == 1 else sum(lengths[: song - 1]) + at
    for next_song, next_at in frames[1:]:
        if next_song == song and next_at == at + 1:
            at = next_at
            continue
        if next_song == song and song == 1 and seek_frame is not None:
            lost["seek"] += max(next_at - seek_frame, 0)
            repeated += max(seek_frame - next_at, 0)
            seek_frame = None
        elif next_song == song:
            if next_at > at:
                lost["within"] += next_at - at - 1
            else:
                repeated += at - next_at + 1
        elif next_song > song:
            lost["transitions"] += lengths[song - 1] - 1 - at + sum(lengths[song:next_song - 1]) + next_at
        else:
            repeated += 1
        song, at = next_song, next_at
    lost["end"] = lengths[song - 1] - 1 - at + sum(lengths[song:])
    print("listening: %d frames heard of %d; lost at the start %d, at %d transitions %d, after the seek %d, "
          "within songs %d, at the end %d; repeated %d"
          % (len(frames), sum(lengths), lost["start"], len(lengths) - 1, lost["transitions"], lost["seek"],
             lost["within"], lost["end"], repeated))
    return 0 if sum(lost.values()) == 0 and repeated == 0 else 1


if __name__ == "__main__":
    args = sys.argv[1:]
    seek = None
    if "--seek" in args:
        seek = int(args[args.index("--seek") + 1])
        del args[args.index("--seek"):args.index("--seek") + 2]
    if args[0] == "make":
        make(args[1], [float(s) for s in args[2:]])
    else:
        sys.exit(check(args[1], [float(s) for s in args[2:]], seek))
