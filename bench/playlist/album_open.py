"""Time from the start of Kelvoria.exe to its list shown, for an album image
given as its cue sheet of many tracks against the same image given as one
song (the list read through list_rows.exe about every twentieth of a
second; a reading takes a Wine process start, which bounds the resolution).
The median of five starts each.

    album_open.py WINE_EXEC PREFIX WORK LIST_ROWS IMAGE SHEET TRACKS

Prints "sheet of TRACKS tracks listed in MS ms; image as one song in MS ms".
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
from kelvoria_bench import Wine, wait_for, windows_path  # noqa: E402

wine, list_rows = Wine(*sys.argv[1:4]), sys.argv[4]
image, sheet, tracks = sys.argv[5], sys.argv[6], int(sys.argv[7])
STARTS = 5


def listed():
    rows = wine.run(list_rows)
    return len(rows.splitlines()) if rows is not None else 0


def time_to_list(path, rows):
    started = time.monotonic()
    player = wine.start("Kelvoria.exe", windows_path(path))
    wait_for(lambda: listed() == rows, "%d rows listed" % rows, poll=0.05)
    shown = time.monotonic() - started
    wine.end_player(player)
    wait_for(lambda: not wine.running("Kelvoria.exe"), "the player to end")
    return shown * 1000


wine.set_setting("Minimize", "No")
wine.run("cmd", "/c", "exit")     # Wine's server and desktop up, as on a running system
times = {}
for path, rows in ((sheet, tracks), (image, 1)):
    times[path] = statistics.median(time_to_list(path, rows) for _ in range(STARTS))
print("sheet of %d tracks listed in %.0f ms; image as one song in %.0f ms" % (tracks, times[sheet], times[image]))
