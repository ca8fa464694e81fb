"""Ten wheel notches down over the main window lower what the capture hears
to 50 % (25 dB down), and the next start plays at that level. The capture
runs unpaced: levels are compared by where they lie in it, never by when."""
import math
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import (Build, Player, check, delete_value, eventually, geometry, left_channel, quiet_home,
                          registry_value, release_at, set_setting, settle, visible_main_window, xdotool)

SETTINGS = r"HKCU\Software\Kelvoria\Settings"
EXPECTED_DB = -50.0 * 50 / 99

build = Build(sys.argv)
song = os.path.join(tempfile.mkdtemp(prefix="kelvoria-volume-"), "tone.mp3")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "aevalsrc=0.5*sin(2*PI*1000*t):s=44100:d=600", "-ac", "2", song], check=True)


def level_db(first, last):
    """The level of the capture's samples first..last, counted from the
    first sound (a new device is given silence first) or, when negative,
    back from the end."""
    left = left_channel(raw)
    if first >= 0:
        begin = next((i for i, s in enumerate(left) if s), 0)
        first, last = first + begin, None if last is None else last + begin
    samples = left[first:last]
    return 10 * math.log10(sum(s * s for s in samples) / len(samples) / 32768.0 ** 2)


def heard(seconds):
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= seconds * 176400, "the song to be heard")
    return os.path.getsize(raw) / 176400


def play(then):
    player = Player(build, "Z:" + song.replace("/", "\\"), home=home)
    try:
        main = eventually(visible_main_window, "the main window")
        heard(3)
        then(main)
        release_at(main, 570, 20)
        check(player.exit_code() == 0, "the player ends with 0")
    finally:
        player.kill()


def turn_down(main):
    x, y, _, _ = geometry(main)
    xdotool("mousemove", x + 300, y + 100)
    settle()
    for _ in range(10):
        xdotool("click", 5)
    eventually(lambda: registry_value(build, SETTINGS, "Volume") == "50", "the volume 50 to be stored")
    heard(heard(0) + 2)
    full.append(level_db(44100, 88200))
    lowered = level_db(-44100, None) - full[0]
    check(abs(lowered - EXPECTED_DB) < 0.2, "ten notches down lower the sound by %.2f dB" % lowered)


def stays_down(main):
    check(abs(level_db(22050, 66150) - full[0] - EXPECTED_DB) < 0.2, "the next start plays at the stored volume")


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
delete_value(build, SETTINGS, "Volume")
home, raw = quiet_home()
full = []
try:
    play(turn_down)
    os.remove(raw)
    play(stays_down)
finally:
    delete_value(build, SETTINGS, "Volume")
