"""The time from a second start of Kelvoria, with a song on its command
line, to the running player playing that song: the first moment the song's
tone reaches the sound capture (ALSA's file plugin, read as it grows every
few milliseconds). The second start finds the running player, hands it the
path and ends; the player reads the song's tags, clears its list and plays.
Two songs of different tones are handed in turn, so that every run changes
what is heard.

    handover_times.py RUNS WINE_EXEC PREFIX WORK

Prints the times in milliseconds, one line.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
from kelvoria_bench import DEADLINE, Wine, capture_home, tone, wait_for_tone, windows_path  # noqa: E402

runs, wine = int(sys.argv[1]), Wine(*sys.argv[2:5])
home, raw = capture_home("handover")
songs = [(os.path.join(home, "low.mp3"), 330), (os.path.join(home, "high.mp3"), 990)]
for path, hz in songs:
    tone(path, hz, 900)
first = os.path.join(home, "first.mp3")
tone(first, 550, 900)

player = wine.start("Kelvoria.exe", windows_path(first), home=home)
try:
    wait_for_tone(raw, 550, 0)
    times = []
    for run in range(runs):
        path, hz = songs[run % 2]
        size = os.path.getsize(raw)
        began = time.monotonic()
        later = wine.start("Kelvoria.exe", windows_path(path), home=home)
        heard = wait_for_tone(raw, hz, size)
        times.append(round((heard - began) * 1000))
        later.wait(timeout=DEADLINE)
    print(" ".join(map(str, times)))
finally:
    wine.end_player(player, deadline=10)
