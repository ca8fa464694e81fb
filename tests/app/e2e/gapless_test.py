"""Songs of different kinds and rates, given on the command line, are heard
whole and with nothing between them: the left channel of each lossless song
counts its frames, so the capture of what the player handed the sound device
shows every frame once, in order, each song starting on the frame after the
one before ended. The resampled and lossy songs between them must take their
exact length, or the song after would not start where it should."""
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import Build, Player, check, eventually, fail, left_channel, quiet_home, set_setting

SONG_FRAMES = 77175     # 1.75 s at 44.1 kHz, the length of every song
# (file, whether its left channel counts its frames in the capture)
PLAYLIST = [("counter.wav", True), ("counter48k.flac", False), ("counter.flac", True), ("counter.mp3", False),
            ("counter-alac.m4a", True), ("counter.m4a", False), ("counter-flac.ogg", True),
            ("counter.opus", False), ("counter.wav", True)]

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-gapless-")
make = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "engine", "make-gapless-songs.sh")
subprocess.run(["bash", make, folder], check=True)

set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
wanted = SONG_FRAMES * len(PLAYLIST)


def first_song_start(left):
    """The first song begins with frames 0, 1, 2 ...; a new device is given
    silence first."""
    return next((i for i in range(len(left) - 3) if left[i:i + 4] == (0, 1, 2, 3)), None)


def all_played():
    if not os.path.exists(raw) or os.path.getsize(raw) < wanted * 4:
        return False
    left = left_channel(raw)
    start = first_song_start(left)
    return start is not None and len(left) >= start + wanted


player = Player(build, ["Z:" + os.path.join(folder, name).replace("/", "\\") for name, _ in PLAYLIST], home=home)
try:
    eventually(all_played, "every song to be played", 120)
finally:
    player.kill()

left = left_channel(raw)
start = first_song_start(left)
check(start is not None, "the first song's first frames were heard")
at = start
for number, (name, counts) in enumerate(PLAYLIST, 1):
    song = left[at:at + SONG_FRAMES]
    if len(song) < SONG_FRAMES:
        fail("song %d (%s) was cut after %d frames" % (number, name, len(song)))
    if counts:
        wrong = next((i for i, value in enumerate(song) if value != i % 32768), None)
        if wrong is not None:
            fail("song %d (%s): frame %d is %d, not %d" % (number, name, wrong, song[wrong], wrong % 32768))
    at += SONG_FRAMES
check(all(value == 0 for value in left[at:]), "nothing but silence after the last song")
print("heard %d songs, %d frames, from frame %d of the capture" % (len(PLAYLIST), at - start, start))
