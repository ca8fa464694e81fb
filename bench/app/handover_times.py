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
import struct
import subprocess
import sys
import tempfile
import time

runs, wine_exec, prefix, work = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
POLL = 0.003
DEADLINE = 30.0


def tone(path, hz, seconds):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=%d" % (hz, seconds), "-ac", "2", "-b:a", "96k", path], check=True)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def start(home, *arguments):
    env = dict(os.environ, WINEDEBUG="-all", PULSE_SERVER="none", HOME=home)
    return subprocess.Popen(["bash", wine_exec, prefix, work, "Kelvoria.exe"] + list(arguments), cwd=work, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def holds_tone(block, hz):
    """Whether 0.05 s of 16-bit stereo carries a tone of about `hz`."""
    left = struct.unpack("<%dh" % (len(block) // 2), block)[0::2]
    if max(left, default=0) < 1000:
        return False
    crossings = sum(1 for a, b in zip(left, left[1:]) if a < 0 <= b)
    return abs(crossings / (len(left) / 44100.0) - hz) < hz * 0.05


def wait_for_tone(raw, hz, after):
    """Seconds until `hz` is heard past byte `after` of the capture."""
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


home = tempfile.mkdtemp(prefix="kelvoria-handover-")
raw = os.path.join(home, "out.raw")
with open(os.path.join(home, ".asoundrc"), "w") as f:
    f.write('pcm.!default {\n type file\n slave.pcm "null"\n file "%s"\n format "raw"\n}\n' % raw)
songs = [(os.path.join(home, "low.mp3"), 330), (os.path.join(home, "high.mp3"), 990)]
for path, hz in songs:
    tone(path, hz, 900)
first = os.path.join(home, "first.mp3")
tone(first, 550, 900)

player = start(home, windows_path(first))
try:
    while not os.path.exists(raw):
        time.sleep(0.05)
    wait_for_tone(raw, 550, 0)
    times = []
    for run in range(runs):
        path, hz = songs[run % 2]
        size = os.path.getsize(raw)
        began = time.monotonic()
        later = start(home, windows_path(path))
        heard = wait_for_tone(raw, hz, size)
        times.append(round((heard - began) * 1000))
        later.wait(timeout=DEADLINE)
    print(" ".join(map(str, times)))
finally:
    subprocess.run(["bash", wine_exec, prefix, work, "taskkill", "/im", "Kelvoria.exe"], cwd=work,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        player.wait(timeout=10)
    except subprocess.TimeoutExpired:
        player.kill()
