"""A selection opened as Explorer opens it, with no player running before:
as many starts of Kelvoria at the same moment as files, one file each. For
each count, the songs the player ends up listing against the files opened,
and the time from the first start to the last song listed (the list read
through list_rows.exe, about every tenth of a second; a reading takes a
Wine process start, which bounds the resolution).

    selection_times.py WINE_EXEC PREFIX WORK LIST_ROWS COUNT...

Prints one line per count: "COUNT listed LISTED in MS ms, FAILED starts ended with an error".
"""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
from kelvoria_bench import Wine, capture_home, tone, windows_path  # noqa: E402

wine, list_rows = Wine(*sys.argv[1:4]), sys.argv[4]
counts = [int(c) for c in sys.argv[5:]]
DEADLINE = 300.0
STEADY = 3.0        # seconds the list stays the same, every start ended, before it counts as final


def listed():
    rows = wine.run(list_rows)
    return len(rows.splitlines()) if rows is not None else 0


home, _ = capture_home("selection")
folder = os.path.join(home, "album")
os.makedirs(folder)
paths = []
for number in range(1, max(counts) + 1):
    path = os.path.join(folder, "Track %d.wav" % number)
    tone(path, 440, 2)
    paths.append(windows_path(path))

for count in counts:
    began = time.monotonic()
    errors = [tempfile.TemporaryFile() for _ in paths[:count]]
    starts = [wine.start("Kelvoria.exe", path, home=home, errors=said) for path, said in zip(paths, errors)]
    readings = []       # (seconds since the first start, songs listed)
    steady_since = None
    while time.monotonic() - began < DEADLINE:
        readings.append((time.monotonic() - began, listed()))
        ended = sum(start.poll() is None for start in starts) <= 1     # the player alone runs
        if ended and len(readings) > 1 and readings[-1][1] == readings[-2][1] and readings[-1][1] > 0:
            steady_since = steady_since or readings[-1][0]
            if readings[-1][0] - steady_since >= STEADY:
                break
        else:
            steady_since = None
        time.sleep(0.1)
    final = readings[-1][1]
    last = next(at for at, songs in readings if songs == final)
    failed = sum(1 for start in starts if start.poll() not in (None, 0))
    for start, said in zip(starts, errors):
        if start.poll() not in (None, 0):
            said.seek(0)
            print("a start ended with %d: %s" % (start.poll(), said.read().decode(errors="replace")[-500:]),
                  file=sys.stderr)
    print("%d listed %d in %d ms, %d starts ended with an error" % (count, final, round(last * 1000), failed), flush=True)
    wine.end_player(*starts)
