"""What the benchmark scripts share: Windows programs run in the build's
prefix, the sound capture (ALSA's file plugin) and reading it as it grows,
the player's stored settings, and the test songs made with the ffmpeg tool.
Every wait is a poll with a deadline."""
import os
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
import alsa_capture  # noqa: E402

DEADLINE = 30.0     # seconds
POLL = 0.003        # between readings of a growing capture
QUIET = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Wine:
    """Runs Windows programs under Wine in `prefix` through the build's
    wine-exec.sh, from the folder `work` (which holds fmod.dll)."""

    def __init__(self, wine_exec, prefix, work):
        self.wine_exec, self.prefix, self.work = wine_exec, prefix, work

    def command(self, *arguments):
        return ["bash", self.wine_exec, self.prefix, self.work] + [str(a) for a in arguments]

    def start(self, *arguments, home=None, read=False, errors=subprocess.DEVNULL):
        """Starts a program; with `home` (from capture_home) its sound goes
        to that capture, else to no sound server."""
        env = dict(os.environ, WINEDEBUG="-all", PULSE_SERVER="none")
        if home:
            env.update(alsa_capture.environment(home))
        return subprocess.Popen(self.command(*arguments), cwd=self.work, env=env,
                                stdout=subprocess.PIPE if read else subprocess.DEVNULL, stderr=errors)

    def run(self, *arguments):
        """Runs a program to its end and gives its output (bytes), or None
        when it failed."""
        # Into a file, not a pipe: the desktop process the first program of a
        # Wine session starts inherits the output and would hold a pipe open.
        with tempfile.TemporaryFile() as out:
            done = subprocess.run(self.command(*arguments), cwd=self.work, stdout=out, stderr=subprocess.DEVNULL)
            out.seek(0)
            return out.read() if done.returncode == 0 else None

    def running(self, image):
        """Whether `image` runs in this prefix; a player of another build on
        the same machine does not count."""
        wanted = b"WINEPREFIX=" + os.fsencode(self.prefix)
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    program = f.read().split(b"\0")[0]
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environment = f.read().split(b"\0")
            except OSError:     # gone, or another user's
                continue
            if program.endswith(os.fsencode(image)) and wanted in environment:
                return True
        return False

    def set_setting(self, name, value):
        self.run("reg", "add", r"HKCU\Software\Kelvoria\Settings", "/v", name, "/t", "REG_SZ", "/d", value, "/f")

    def end_player(self, *starts, deadline=DEADLINE):
        """Ends Kelvoria.exe as the system does (WM_CLOSE), then waits for
        the given starts; one that does not end is killed."""
        subprocess.run(self.command("taskkill", "/im", "Kelvoria.exe"), cwd=self.work, **QUIET)
        for start in starts:
            try:
                start.wait(timeout=deadline)
            except subprocess.TimeoutExpired:
                start.kill()


def capture_home(name):
    """A fresh HOME whose ALSA default device writes what is played into
    HOME/out.raw: (home, raw)."""
    home = tempfile.mkdtemp(prefix="kelvoria-%s-" % name)
    raw = os.path.join(home, "out.raw")
    alsa_capture.write_config(home, raw)
    return home, raw


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def tone(path, hz, seconds, bitrate="96k"):
    """A stereo tone; the kind follows the name."""
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=%s" % (hz, seconds), "-ac", "2", "-b:a", bitrate, path], check=True)


def wait_for(condition, what, deadline=DEADLINE, poll=0.1):
    end = time.monotonic() + deadline
    while not condition():
        if time.monotonic() > end:
            raise SystemExit("timed out waiting for " + what)
        time.sleep(poll)


def holds_tone(block, hz):
    """Whether a block of 16-bit stereo carries a tone of about `hz`."""
    left = struct.unpack("<%dh" % (len(block) // 2), block)[0::2]
    if max(left, default=0) < 1000:
        return False
    crossings = sum(1 for a, b in zip(left, left[1:]) if a < 0 <= b)
    return abs(crossings / (len(left) / 44100.0) - hz) < hz * 0.05


def wait_for_tone(raw, hz, after, deadline=DEADLINE):
    """The monotonic time at which `hz` is first heard past byte `after` of
    the capture, read in blocks of 0.05 s as it grows."""
    block = 4410 * 4 // 2
    checked = after - after % 4
    wait_for(lambda: os.path.exists(raw), "the capture", deadline)
    end = time.monotonic() + deadline
    with open(raw, "rb") as capture:
        while time.monotonic() < end:
            capture.seek(checked)
            data = capture.read()
            while len(data) >= block:
                if holds_tone(data[:block], hz):
                    return time.monotonic()
                data, checked = data[block:], checked + block
            time.sleep(POLL)
    raise SystemExit("no %d Hz tone heard within %d s" % (hz, deadline))
