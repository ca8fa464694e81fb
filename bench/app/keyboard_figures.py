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
import struct
import subprocess
import sys
import tempfile
import time

runs, wine_exec, prefix, run_dir, probe_exe = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
POLL = 0.003
DEADLINE = 30.0
ACTING_ROLES = ("push button", "check button", "list", "slider")


def tone(path, hz, seconds):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=%d" % (hz, seconds), "-ac", "2", "-b:a", "96k", path], check=True)


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True).stdout


def probe(*args):
    out = subprocess.run(["bash", wine_exec, prefix, run_dir, probe_exe] + list(args), capture_output=True,
                         cwd=run_dir)
    return out.stdout.decode("utf-8").splitlines() if out.returncode == 0 else []


def holds_tone(block, hz):
    left = struct.unpack("<%dh" % (len(block) // 2), block)[0::2]
    if max(left, default=0) < 1000:
        return False
    crossings = sum(1 for a, b in zip(left, left[1:]) if a < 0 <= b)
    return abs(crossings / (len(left) / 44100.0) - hz) < hz * 0.05


def wait_for_tone(raw, hz, after):
    block = 4410 * 4 // 2        # 0.05 s
    checked = after - after % 4
    end = time.monotonic() + DEADLINE
    with open(raw, "rb") as capture:
        while time.monotonic() < end:
            capture.seek(checked)
            data = capture.read()
            while len(data) >= block:
                if holds_tone(data[:block], hz):
                    return time.monotonic()
                data, checked = data[block:], checked + block
            time.sleep(POLL)
    raise SystemExit("no %d Hz tone heard within %d s" % (hz, DEADLINE))


def wait_for(condition, what):
    end = time.monotonic() + DEADLINE
    while not condition():
        if time.monotonic() > end:
            raise SystemExit("timed out waiting for " + what)
        time.sleep(0.1)


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


home = tempfile.mkdtemp(prefix="kelvoria-keys-bench-")
raw = os.path.join(home, "out.raw")
with open(os.path.join(home, ".asoundrc"), "w") as f:
    f.write('pcm.!default {\n type file\n slave.pcm "null"\n file "%s"\n format "raw"\n}\n' % raw)
songs = [(os.path.join(home, "low.mp3"), 330), (os.path.join(home, "high.mp3"), 990)]
for path, hz in songs:
    tone(path, hz, 900)
env = dict(os.environ, WINEDEBUG="-all", PULSE_SERVER="none", HOME=home)
player = subprocess.Popen(["bash", wine_exec, prefix, run_dir, "Kelvoria.exe"] +
                          ["Z:" + path.replace("/", "\\") for path, _ in songs],
                          cwd=run_dir, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    wait_for(lambda: os.path.exists(raw), "the capture")
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
    subprocess.run(["bash", wine_exec, prefix, run_dir, "taskkill", "/im", "Kelvoria.exe"], cwd=run_dir,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        player.wait(timeout=10)
    except subprocess.TimeoutExpired:
        player.kill()
