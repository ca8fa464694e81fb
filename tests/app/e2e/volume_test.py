"""The volume in the listener's hands: ten real wheel notches down over the
main window lower what the capture hears by the scale's 25 dB (50 %), the
registry keeps 50, and the next start plays at that level from its first
sound. The captured sound runs unpaced, so levels are compared by where they
lie in the capture, never by when they were written."""
import math
import os
import sys
import tempfile

from kelvoria_e2e import (Build, Player, check, delete_value, eventually, geometry, left_channel, quiet_home,
                          registry_value, release_at, set_setting, settle, visible_main_window, xdotool)

SETTINGS = r"HKCU\Software\Kelvoria\Settings"
SECOND = 44100 * 4      # bytes of one second of 16-bit stereo
EXPECTED_DB = -50.0 * 50 / 99      # 50 % on the player's scale

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-volume-")
song = os.path.join(folder, "tone.mp3")
import subprocess
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "aevalsrc=0.5*sin(2*PI*1000*t):s=44100:d=600", "-ac", "2", "-b:a", "192k", song], check=True)
windows_path = "Z:" + song.replace("/", "\\")


def level_db(samples):
    return 10 * math.log10(sum(s * s for s in samples) / len(samples) / 32768.0 ** 2)


def size(raw):
    return os.path.getsize(raw) if os.path.exists(raw) else 0


def start_playing(home, raw):
    player = Player(build, windows_path, home=home)
    main = eventually(visible_main_window, "the main window")
    eventually(lambda: size(raw) >= 2 * SECOND, "the song to be heard")
    return player, main


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
delete_value(build, SETTINGS, "Volume")
home, raw = quiet_home()
player, main = start_playing(home, raw)
try:
    full = level_db(left_channel(raw)[44100:88200])
    print("full volume: %.2f dB" % full)
    x, y, _, _ = geometry(main)
    xdotool("mousemove", x + 300, y + 100)
    settle()
    xdotool("windowfocus", main)
    for _ in range(10):
        xdotool("click", 5)
    eventually(lambda: registry_value(build, SETTINGS, "Volume") == "50", "the volume 50 to be stored")
    after = size(raw)
    eventually(lambda: size(raw) >= after + 2 * SECOND, "more of the song to be heard")
    lowered = level_db(left_channel(raw)[-44100:]) - full
    print("after ten notches: %.2f dB" % lowered)
    check(abs(lowered - EXPECTED_DB) < 0.2, "ten notches down lower the sound to 50 %")
    release_at(main, 570, 20)
    check(player.exit_code() == 0, "the player ends with 0")

    os.remove(raw)
    player, main = start_playing(home, raw)
    restarted = level_db(left_channel(raw)[22050:66150]) - full
    print("after a restart: %.2f dB" % restarted)
    check(abs(restarted - EXPECTED_DB) < 0.2, "the next start plays at the stored volume")
    release_at(main, 570, 20)
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()
    delete_value(build, SETTINGS, "Volume")
