"""Drives the built Kelvoria.exe from outside, as a user would: Wine in the
build's own prefix, the X display of the test run, xdotool for the mouse and
keyboard, trayer for a notification area. Every wait is a poll with a
generous deadline."""
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import alsa_capture  # noqa: E402

DEADLINE = 60.0     # seconds; only a broken program runs into it


class Build:
    def __init__(self, argv):
        self.wine_exec, self.prefix, self.run_dir = argv[1], argv[2], argv[3]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message)


def eventually(probe, what, deadline=DEADLINE):
    """Polls probe() until it gives a true value, which it returns."""
    end = time.monotonic() + deadline
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            fail("timed out waiting for " + what)
        time.sleep(0.1)


def wine(build, *args, env=None, capture=False):
    """Runs a program in the prefix. What it prints is captured into files,
    not pipes: the first program of a fresh Wine session starts the desktop
    process, which inherits its output and would hold a pipe open for good."""
    command = ["bash", build.wine_exec, build.prefix, build.run_dir] + list(args)
    if not capture:
        return subprocess.run(command, env=env, cwd=build.run_dir, text=True)
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        done = subprocess.run(command, env=env, cwd=build.run_dir, stdout=out, stderr=err, text=True)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())


def set_setting(build, name, value):
    wine(build, "reg", "add", r"HKCU\Software\Kelvoria\Settings", "/v", name, "/t", "REG_SZ", "/d", value,
         "/f", capture=True)


def registry_value(build, key, name):
    out = wine(build, "reg", "query", key, "/v", name, capture=True).stdout
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2]
    return None


def quiet_home():
    """A HOME with an ALSA configuration whose default device writes what is
    played into a file (capture_env(home) makes a process use it)."""
    home = tempfile.mkdtemp(prefix="kelvoria-e2e-")
    raw = os.path.join(home, "out.raw")
    alsa_capture.write_config(home, raw)
    return home, raw


def capture_env(home):
    """The environment entries that send a process's sound to the capture of
    quiet_home's `home`."""
    return alsa_capture.environment(home)


def left_channel(raw):
    """The left samples of what reached the ALSA file plugin (16-bit stereo)."""
    data = open(raw, "rb").read()
    frames = len(data) // 4
    return struct.unpack("<%dh" % (frames * 2), data[:frames * 4])[0::2]


def tone(path, hz, seconds):
    """A stereo tone made with the ffmpeg tool; the kind follows the name."""
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=%s" % (hz, seconds), "-ac", "2", path], check=True)


def numbered_song(path, seconds):
    """A WAV song whose every frame says where it is: the left channel holds
    the frame's number modulo 32768, the right one the number of 32768s."""
    with wave.open(path, "wb") as song:
        song.setnchannels(2)
        song.setsampwidth(2)
        song.setframerate(44100)
        song.writeframes(b"".join(struct.pack("<hh", n % 32768, n // 32768) for n in range(seconds * 44100)))


def numbered_frames(raw):
    """The frame numbers of a numbered song in what reached the device,
    silence left out."""
    data = open(raw, "rb").read() if os.path.exists(raw) else b""
    pairs = struct.unpack("<%dh" % (len(data) // 2), data[:len(data) // 4 * 4])
    return [left + 32768 * right for left, right in zip(pairs[0::2], pairs[1::2]) if left or right]


def first_tone(raw):
    """The frequency heard from half a second into the sound to a second and a
    half, or None when nothing was heard."""
    left = left_channel(raw)
    sound = [i for i, s in enumerate(left) if abs(s) > 1000]
    return frequency(left[sound[0] + 22050:sound[0] + 66150]) if sound else None


def frequencies(raw, step=44100):
    """The tone heard in each step of what was captured (0 for silence)."""
    left = left_channel(raw)
    heard = []
    for start in range(0, len(left) - step + 1, step):
        part = left[start:start + step]
        heard.append(frequency(part) if max(part) > 1000 else 0)
    return heard


def frequency(samples):
    """A tone's frequency at 44.1 kHz, from its rising zero crossings."""
    crossings = [i for i in range(1, len(samples)) if samples[i - 1] < 0 <= samples[i]]
    return (len(crossings) - 1) / ((crossings[-1] - crossings[0]) / 44100.0)


def probe(build, *args):
    """The lines a probe of tests/ (accessible_areas.exe, list_rows.exe)
    prints about the running player, or None when it fails."""
    tests_dir = os.path.join(os.path.dirname(build.run_dir), "tests")
    out = subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir,
                          os.path.join(tests_dir, args[0])] + list(args[1:]),
                         capture_output=True, cwd=build.run_dir)
    return out.stdout.decode("utf-8").splitlines() if out.returncode == 0 else None


def accessible_areas(build):
    """{(window, name): (role, (x, y, w, h), value)} of every shown window,
    as a screen reader reads them."""
    found = {}
    for line in probe(build, "accessible_areas.exe", "list") or []:
        window, name, role, place, value = line.split("|")
        found[(window, name)] = (role, tuple(map(int, place.split(","))), value)
    return found


def delete_value(build, key, name):
    wine(build, "reg", "delete", key, "/v", name, "/f", capture=True)


class Player:
    """Kelvoria.exe of the build's runnable layout, started in that folder;
    or `program` (a path Wine understands) with its own folder for the
    DLLs, started in the current directory `cwd`."""

    def __init__(self, build, argument=None, home=None, program=None, dll_dir=None, cwd=None, come_back=False):
        """`argument` is one argument, or a list of them. The list an earlier
        run kept is forgotten first unless `come_back`."""
        self.build = build
        if not come_back:
            for kept in kept_lists(build):
                os.remove(kept)
        env = dict(os.environ, WINEDEBUG="-all", PULSE_SERVER="none")
        if home:
            env.update(capture_env(home))
        arguments = argument if isinstance(argument, list) else [] if argument is None else [argument]
        args = [program or "Kelvoria.exe"] + arguments
        command = ["bash", build.wine_exec, build.prefix, dll_dir or build.run_dir] + args
        self.process = subprocess.Popen(command, cwd=cwd or build.run_dir, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def exit_code(self, deadline=DEADLINE):
        try:
            return self.process.wait(timeout=deadline)
        except subprocess.TimeoutExpired:
            # Where each of its threads waits, for whoever reads the failure.
            print(wine(self.build, "winedbg", "--command", "bt all", capture=True).stdout)
            self.process.kill()
            fail("the player did not end")

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()


def kept_lists(build):
    """The list each user of the prefix kept at the player's last quit."""
    return glob.glob(os.path.join(build.prefix, "drive_c", "users", "*", "AppData", "Roaming", "Kelvoria",
                                  "Kept.m3u8"))


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True).stdout


def visible_main_window():
    ids = xdotool("search", "--onlyvisible", "--name", "^Kelvoria_v1.0$").split()
    return ids[0] if ids else None


def geometry(window):
    """(x, y, w, h) of the window, or None once it is gone."""
    out = xdotool("getwindowgeometry", window)
    place = re.search(r"Position: (-?\d+),(-?\d+)", out)
    size = re.search(r"Geometry: (\d+)x(\d+)", out)
    if not place or not size:
        return None
    return tuple(map(int, place.groups() + size.groups()))


def visible_tool_windows():
    """The player's shown windows other than the main one (the tool windows
    have no title)."""
    ids = xdotool("search", "--onlyvisible", "--class", "kelvoria.exe").split()
    shown = []
    for window in ids:
        name = xdotool("getwindowname", window).strip()
        place = geometry(window)    # None when the window went since the search
        if name in ("", ) and place and place[2] > 100:
            shown.append(window)
    return shown


def settle():
    """The player samples the cursor at every tick of its 10 ms timer; a
    tenth of a second is ten ticks."""
    time.sleep(0.1)


def shown_named(title):
    """The first shown window of that exact title, or None."""
    ids = xdotool("search", "--onlyvisible", "--name", "^%s$" % title).split()
    return ids[0] if ids else None


def answer_file_dialog(title, *typed):
    """Types each text into the file dialog of that title and presses Enter
    after each, as a user does (a folder first, then the names); the dialog
    is to close after the last."""
    dialog = eventually(lambda: shown_named(title), "the %s dialog" % title)
    xdotool("windowactivate", "--sync", dialog)
    for text in typed:
        settle()
        xdotool("type", "--delay", "20", text)
        xdotool("key", "Return")
    eventually(lambda: not shown_named(title), "the %s dialog to close" % title)


def release_at(window, x, y):
    """A left click whose release lands at (x, y) of the window."""
    wx, wy, _, _ = geometry(window)
    xdotool("mousemove", wx + x, wy + y)
    settle()
    xdotool("click", 1)


def click_until(window, x, y, done, what):
    """Clicks (x, y) of the window again until done() holds: just after a
    start or a message box, a window may not be taking input yet."""
    def clicked():
        if done():
            return done()
        release_at(window, x, y)
        end = time.monotonic() + 1
        while time.monotonic() < end:
            value = done()
            if value:
                return value
            time.sleep(0.1)
        return None
    return eventually(clicked, what)


def right_drag(window, x, y, by_x, by_y, steps=10):
    wx, wy, _, _ = geometry(window)
    xdotool("mousemove", wx + x, wy + y)
    settle()
    xdotool("mousedown", 3)
    for i in range(1, steps + 1):
        xdotool("mousemove", wx + x + by_x * i // steps, wy + y + by_y * i // steps)
        settle()
    xdotool("mouseup", 3)


class Tray:
    """trayer as the notification area of the virtual display."""

    def __init__(self):
        if not shutil.which("trayer"):
            fail("trayer is missing (scripts/setup.sh installs it)")
        self.process = subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
             "--heighttype", "pixel", "--height", "32", "--SetDockType", "true", "--transparent", "false"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.panel = eventually(self._panel, "trayer's panel")

    def _panel(self):
        for window in xdotool("search", "--class", "trayer").split():
            if xdotool("getwindowname", window).strip() == "panel":
                return window
        return None

    def icons(self):
        """Absolute places (x, y, w, h) of the icons docked in the panel."""
        tree = subprocess.run(["xwininfo", "-tree", "-id", self.panel], capture_output=True, text=True).stdout
        found = []
        for line in tree.splitlines():
            m = re.search(r'\("explorer\.exe" "explorer\.exe"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)',
                          line)
            if m:
                w, h, x, y = map(int, m.groups())
                found.append((x, y, w, h))
        return found

    def click_icon(self, button):
        x, y, w, h = self.icons()[0]
        xdotool("mousemove", x + w // 2, y + h // 2)
        settle()
        xdotool("click", button)

    def stop(self):
        self.process.kill()
        self.process.wait()


def menu_open():
    """Wine's popup menus are X windows of the class kelvoria.exe with no name
    and override-redirect; xdotool finds the shown one by its small height."""
    for window in xdotool("search", "--onlyvisible", "--class", "kelvoria.exe").split():
        place = geometry(window)
        if xdotool("getwindowname", window).strip() == "" and place:
            x, y, w, h = place
            if 100 < h < 400 and w < 400:
                return window
    return None
