"""An album kept as one FLAC image with a cue sheet beside it, given on the
command line: the sheet names the WAV it was ripped to, which now sits as
FLAC. The rows read as the sheet's tracks, and the capture of what the
player handed the sound device holds every frame of the image once, in
order, across both track boundaries (the second track has a pregap)."""
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import (DEADLINE, Build, Player, check, eventually, fail, numbered_frames, numbered_song,
                          quiet_home, set_setting, wine)

SECONDS = 4
SHEET = """PERFORMER "Band"
TITLE "Album"
FILE "album.wav" WAVE
  TRACK 01 AUDIO
    TITLE "One"
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    TITLE "Two"
    INDEX 00 00:01:00
    INDEX 01 00:01:40
  TRACK 03 AUDIO
    TITLE "Three"
    PERFORMER "Guest"
    INDEX 01 00:02:50
"""

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-album-")
wav = os.path.join(folder, "album.wav")
numbered_song(wav, SECONDS)
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", wav, "-c:a", "flac",
                os.path.join(folder, "album.flac")], check=True)
os.remove(wav)
sheet = os.path.join(folder, "album.cue")
with open(sheet, "w", newline="\r\n") as out:
    out.write(SHEET)


def rows():
    out = wine(build, os.path.join(os.path.dirname(build.run_dir), "tests", "list_rows.exe"), capture=True)
    return out.stdout.splitlines() if out.returncode == 0 else []


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
# Frame 0 is silence, and silence is left out of what was heard.
wanted = list(range(1, SECONDS * 44100))
player = Player(build, "Z:" + sheet.replace("/", "\\"), home=home)
try:
    eventually(lambda: len(rows()) == 3, "the sheet's three tracks listed")
    check(rows() == ["Band - One", "Band - Two", "Guest - Three"], "the rows are the sheet's tracks: %s" % rows())
    eventually(lambda: len(numbered_frames(raw)) >= len(wanted), "the whole image heard", DEADLINE * 2)
finally:
    player.kill()
heard = numbered_frames(raw)
wrong = next((i for i, (got, want) in enumerate(zip(heard, wanted)) if got != want), None)
if wrong is not None:
    fail("frame %d of the image heard as frame %d" % (wanted[wrong], heard[wrong]))
check(len(heard) == len(wanted), "every frame once, nothing after: %d heard, %d in the image"
      % (len(heard), len(wanted)))
print("heard the image's %d frames once, in order, across 2 track boundaries" % len(heard))
