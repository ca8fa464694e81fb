"""Two figures of the player at the keyboard, on the display of the run:

- the time from a key press to its action being heard: B (next) and Z
  (previous) pressed in turn over two songs of different tones, each time
  measured from the key press (xdotool) to the first moment the other tone
  reaches the sound capture (ALSA's file plugin, read as it grows every few
  milliseconds); one line "key-to-heard: T1 T2 ... ms";
- for each window, its areas reached by Tab and named, against the areas a
  user can act on there (push buttons, check buttons, lists, sliders), read
  through accessible_areas.exe as a screen reader reads them; one line
  "tab-reach: WINDOW REACHED/THERE" per window.

    keyboard_figures.py RUNS WINE_EXEC PREFIX RUN_DIR PROBE
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
from kelvoria_bench import Wine, capture_home, tone, wait_for, wait_for_tone, windows_path  # noqa: E402

runs, wine, probe_exe = int(sys.argv[1]), Wine(*sys.argv[2:5]), sys.argv[5]
ACTING_ROLES = ("push button", "check button", "list", "slider")


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True).stdout


def probe(*args):
    out = wine.run(probe_exe, *args)
    return out.decode("utf-8").splitlines() if out is not None else []


def children(window):
    """(name, role) of each child of the shown window named `window`."""
    found = []
    for line in probe("list"):
        owner, name, role, _, _ = line.split("|")
        if owner == window:
            found.append((name, role))
    return found


def tab_reach(window):
    """The named areas Tab reaches in `window`, which has the focus, against
    the areas a user can act on there."""
    acting = [name for name, role in children(window) if role in ACTING_ROLES]
    reached = set()
    for _ in range(len(acting) + 1):
        xdotool("key", "Tab")
        time.sleep(0.1)
        focus = probe("focus", window)
        if focus and focus[0].strip():
            reached.add(focus[0].strip())
    print("tab-reach: %s %d/%d" % (window, len(reached & set(acting)), len(acting)))


home, raw = capture_home("keys-bench")
songs = [(os.path.join(home, "low.mp3"), 330), (os.path.join(home, "high.mp3"), 990)]
for path, hz in songs:
    tone(path, hz, 900)
player = wine.start("Kelvoria.exe", *[windows_path(path) for path, _ in songs], home=home)
try:
    wait_for_tone(raw, 330, 0)
    main = xdotool("search", "--sync", "--onlyvisible", "--name", "^Kelvoria_v1.0$").split()[0]
    xdotool("windowfocus", "--sync", main)
    times = []
    for run in range(runs):
        key, hz = ("b", 990) if run % 2 == 0 else ("z", 330)
        size = os.path.getsize(raw)
        began = time.monotonic()
        xdotool("key", key)
        times.append(round((wait_for_tone(raw, hz, size) - began) * 1000))
    print("key-to-heard: %s ms" % " ".join(map(str, times)))

    tab_reach("Kelvoria")
    xdotool("key", "ctrl+p")
    wait_for(lambda: children("Playlist"), "the playlist window")
    tab_reach("Playlist")
    probe("act", "Kelvoria", "Settings")
    wait_for(lambda: children("Settings"), "the settings window")     # shown, it has the focus
    tab_reach("Settings")
    probe("act", "Playlist", "Search for music")
    wait_for(lambda: children("Search"), "the search window")
    tab_reach("Search")
    xdotool("key", "Escape")
finally:
    wine.end_player(player, deadline=10)
