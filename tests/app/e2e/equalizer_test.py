"""A 1 kHz tone plays with the equalizer on and flat; G shows the equalizer
window with its 1 kHz slider in hand, and 24 presses of Up raise what the
capture hears by 12 dB, in the song that plays. A screen reader reads the
slider as "1 kHz", "+12.0 dB", the registry keeps it, and Escape hides the
window again. The capture runs unpaced: levels are compared by where they
lie in it, never by when."""
import math
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import (Build, Player, accessible_areas, check, delete_value, eventually, left_channel,
                          quiet_home, registry_value, release_at, set_setting, visible_main_window,
                          visible_tool_windows, xdotool)

SETTINGS = r"HKCU\Software\Kelvoria\Settings"
RAISED = "0,0,0,0,0,1200,0,0,0,0"

build = Build(sys.argv)
song = os.path.join(tempfile.mkdtemp(prefix="kelvoria-equalizer-"), "tone.wav")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "aevalsrc=0.1*sin(2*PI*1000*t):s=44100:d=600", "-ac", "2", song], check=True)


def level_db(first, last):
    """The level of the capture's samples first..last counted from the first
    sound or, when negative, back from the end."""
    left = left_channel(raw)
    begin = next((i for i, s in enumerate(left) if s), 0) if first >= 0 else 0
    samples = left[begin + first:None if last is None else begin + last]
    return 10 * math.log10(sum(s * s for s in samples) / len(samples) / 32768.0 ** 2)


def heard(seconds):
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= seconds * 176400, "the tone to be heard")
    return os.path.getsize(raw) / 176400


def slider_read():
    return accessible_areas(build).get(("Equalizer", "1 kHz"), (None, None, None))[2]


def raise_one_kilohertz(main):
    xdotool("windowfocus", "--sync", main)
    xdotool("key", "g")
    eventually(lambda: len(visible_tool_windows()) == 1, "G to show the equalizer window")
    check(slider_read() == "+0.0 dB", "the 1 kHz slider reads +0.0 dB before")
    for _ in range(24):
        xdotool("key", "Up")
    eventually(lambda: registry_value(build, SETTINGS, "EqualizerBands") == RAISED, "the raised band to be stored")
    check(slider_read() == "+12.0 dB", "the 1 kHz slider reads +12.0 dB")
    before = level_db(44100, 88200)
    heard(heard(0) + 2)
    raised = level_db(-44100, None) - before
    check(abs(raised - 12.0) < 0.5, "24 steps of Up raise the 1 kHz tone by %.2f dB" % raised)
    xdotool("key", "Escape")
    eventually(lambda: not visible_tool_windows(), "Escape to hide the equalizer window")


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
set_setting(build, "Equalizer", "Yes")
set_setting(build, "EqualizerAuto", "No")
set_setting(build, "EqualizerPreamp", "0")
set_setting(build, "EqualizerBands", "0,0,0,0,0,0,0,0,0,0")
home, raw = quiet_home()
player = Player(build, "Z:" + song.replace("/", "\\"), home=home)
try:
    main = eventually(visible_main_window, "the main window")
    heard(3)
    raise_one_kilohertz(main)
    release_at(main, 570, 20)
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()
    for name in ("Equalizer", "EqualizerAuto", "EqualizerPreamp", "EqualizerBands", "EqualizerPlace"):
        delete_value(build, SETTINGS, name)
