"""Start-up times of Windows programs under Wine: from the start of the
process to the moment its window of the given title is mapped on the display.

The moment is taken from the X server's own MapNotify event, read by one
`xev` that listens on the root window for the whole run. Polling for the
window instead (a process started every few milliseconds) takes the very
processor time the starting program needs and adds its own period to every
reading.

    startup_times.py RUNS WINE_EXEC PREFIX WORK IMAGE=TITLE [IMAGE=TITLE ...]

Starts the programs RUNS times each, interleaved, ends each one as the
system does at log-off (taskkill without /f, then a wait for its exit), and
prints one line per program: the image name and its times in milliseconds.
"""
import os
import queue
import re
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
from kelvoria_bench import Wine  # noqa: E402

MAP_NOTIFY = re.compile(r"^MapNotify event.*")
MAPPED_WINDOW = re.compile(r"\bwindow (0x[0-9a-f]+), override")


def listen_for_maps(xev, events):
    """Puts (time, X window) for every top-level window mapped."""
    in_map_event = False
    for line in xev.stdout:
        now = time.monotonic()
        if MAP_NOTIFY.match(line):
            in_map_event = True
            continue
        found = MAPPED_WINDOW.search(line) if in_map_event else None
        if found:
            events.put((now, found.group(1)))
            in_map_event = False


def window_title(window):
    shown = subprocess.run(["xprop", "-id", window, "WM_NAME"], capture_output=True, text=True).stdout
    named = re.search(r'= "(.*)"', shown)
    return named.group(1) if named else None


def end_program(wine, image):
    wine.run("taskkill", "/im", image)
    deadline = time.monotonic() + 10
    while wine.running(image):
        if time.monotonic() > deadline:
            print(f"{image} did not end on WM_CLOSE within 10 s; ended by force", file=sys.stderr)
            wine.run("taskkill", "/f", "/im", image)
            break
        time.sleep(0.1)


def time_one_start(events, wine, image, title):
    while not events.empty():
        events.get_nowait()
    started = time.monotonic()
    wine.start(image)
    while True:
        try:
            mapped_at, window = events.get(timeout=60)
        except queue.Empty:
            sys.exit(f"{image}: no window titled {title} within 60 s")
        if window_title(window) == title:
            return round((mapped_at - started) * 1000)


def main():
    runs, wine = int(sys.argv[1]), Wine(*sys.argv[2:5])
    programs = [argument.split("=", 1) for argument in sys.argv[5:]]
    events = queue.Queue()
    xev = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    threading.Thread(target=listen_for_maps, args=(xev, events), daemon=True).start()
    time.sleep(0.5)     # xev listens before the first start
    times = {image: [] for image, _ in programs}
    for _ in range(runs):
        for image, title in programs:
            times[image].append(time_one_start(events, wine, image, title))
            end_program(wine, image)
            time.sleep(0.5)
    xev.terminate()
    xev.wait()
    for image, _ in programs:
        print(image, " ".join(map(str, times[image])))


if __name__ == "__main__":
    main()
