"""The position the player keeps when it quits, against what was heard:
Kelvoria plays a song whose every frame holds its own number (left channel:
the number modulo 32768, right: the number of 32768s), quits through
WM_CLOSE after a different time in each run, and the kept position is set
against the last frame the sound device was handed (ALSA's file plugin).
Then it starts again without paths and plays on: the first frame heard
against the kept one.

    kept_position.py RUNS WINE_EXEC PREFIX WORK

Prints one line per run and, last, "largest: KEPT_MS RESUME_FRAMES".
"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "lib"))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "app", "e2e"))
from kelvoria_bench import Wine, capture_home, wait_for, windows_path  # noqa: E402
from kelvoria_e2e import numbered_frames, numbered_song  # noqa: E402

runs, wine = int(sys.argv[1]), Wine(*sys.argv[2:5])
prefix = wine.prefix
RATE = 44100
DEADLINE = 60.0


def until(probe):
    wait_for(probe, "the player", DEADLINE, poll=0.02)


def window_shown():
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kelvoria_v1.0$"],
                          capture_output=True).stdout.strip()


song = os.path.join(tempfile.mkdtemp(prefix="kelvoria-kept-song-"), "numbered.wav")
numbered_song(song, 20)
kept_file = os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming", "Kelvoria", "Kept.m3u8")
largest_kept, largest_resume = 0.0, 0
for run in range(runs):
    home, raw = capture_home("kept")
    player = wine.start("Kelvoria.exe", windows_path(song), home=home)
    wanted = int((2 + run * 0.73) * RATE)
    until(lambda: len(numbered_frames(raw)) > wanted)
    wine.end_player(player, deadline=DEADLINE)
    last = numbered_frames(raw)[-1]
    kept_ms = int(re.search(r",ms=(\d+),", open(glob.glob(kept_file)[0], encoding="utf-8").read()).group(1))
    kept_error = kept_ms - last * 1000.0 / RATE

    home, raw = capture_home("kept")
    player = wine.start("Kelvoria.exe", home=home)
    until(window_shown)
    main = window_shown().split()[0]

    def pressed_play():
        subprocess.run(["xdotool", "windowfocus", "--sync", main, "key", "space"], capture_output=True)
        time.sleep(0.3)
        return numbered_frames(raw)
    until(pressed_play)
    resume_error = numbered_frames(raw)[0] - round(kept_ms * RATE / 1000)
    wine.end_player(player, deadline=DEADLINE)
    print("run %d: kept %d ms, last frame handed %.0f ms (%+.0f ms); played on %+d frames from it"
          % (run + 1, kept_ms, last * 1000.0 / RATE, kept_error, resume_error))
    largest_kept = max(largest_kept, abs(kept_error))
    largest_resume = max(largest_resume, abs(resume_error))
print("largest: %.0f %d" % (largest_kept, largest_resume))
