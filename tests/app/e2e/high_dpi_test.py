"""Kelvoria.exe at 200 %: with the prefix's DPI at 192 the main window is its
skin at twice the size, clicks at the doubled places of the areas do what
the areas do, and Ctrl+D doubles it again, stored, and back."""
import os
import subprocess
import sys
import tempfile
import time

from kelvoria_e2e import (Build, Player, accessible_areas, answer_file_dialog, check, click_until, delete_value,
                          eventually, geometry, left_channel, quiet_home, registry_value, set_setting, shown_named,
                          visible_main_window, visible_tool_windows, wine, xdotool)

DESKTOP = r"HKCU\Control Panel\Desktop"
SETTINGS = r"HKCU\Software\Kelvoria\Settings"

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-dpi-")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=30",
                "-ac", "2", "-c:a", "pcm_s16le", os.path.join(folder, "tone.wav")], check=True)


def loud_samples(raw):
    return sum(1 for s in left_channel(raw) if abs(s) > 1000) if os.path.exists(raw) else 0


def click_doubled(window, x, y, done, what):
    return click_until(window, 2 * x, 2 * y, done, what)


def set_dpi(dpi):
    wine(build, "reg", "add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f", capture=True)


kept_dpi = registry_value(build, DESKTOP, "LogPixels")
set_dpi(192)
set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
delete_value(build, SETTINGS, "DoubleSize")
home, raw = quiet_home()
player = Player(build, home=home)
try:
    main = eventually(visible_main_window, "the main window")
    check(geometry(main)[2:] == (1200, 238), "the main window is its skin at twice the size, 1200 x 238")
    play = accessible_areas(build).get(("Kelvoria", "Play or pause"))
    check(play and play[1][2:] == (102, 76), "a screen reader finds the Play area at twice its size: %s" % (play,))

    for shown, (x, y, area) in enumerate(((570, 40, "playlist"), (570, 70, "settings"), (440, 92, "equalizer")), 1):
        click_doubled(main, x, y, lambda: len(visible_tool_windows()) == shown, "the %s area" % area)
    print("ok: the doubled playlist, settings and equalizer areas show their windows")

    click_doubled(main, 488, 62, lambda: shown_named("Open"), "the open area")
    answer_file_dialog("Open", "Z:" + folder.replace("/", "\\"), "tone.wav")
    eventually(lambda: loud_samples(raw) > 44100, "the tone to be heard")

    def stopped():
        before = loud_samples(raw)
        time.sleep(0.5)
        return loud_samples(raw) == before

    click_doubled(main, 489, 93, stopped, "the stop area to stop the tone")
    heard = loud_samples(raw)
    click_doubled(main, 485, 28, lambda: loud_samples(raw) > heard + 22050, "the play area to start the song")
    print("ok: the doubled open, stop and play areas open, stop and start the song")

    xdotool("windowactivate", "--sync", main)
    xdotool("key", "ctrl+d")
    eventually(lambda: geometry(main)[2:] == (2400, 476), "Ctrl+D to double the window again")
    check(registry_value(build, SETTINGS, "DoubleSize") == "1", "double size is stored")
    xdotool("key", "ctrl+d")
    eventually(lambda: geometry(main)[2:] == (1200, 238), "Ctrl+D to bring it back")
    check(registry_value(build, SETTINGS, "DoubleSize") == "0", "its end is stored")

    click_doubled(main, 570, 20, lambda: not player.running(), "the close area to end the player")
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()
    set_dpi(int(kept_dpi, 0) if kept_dpi else 96)
    delete_value(build, SETTINGS, "DoubleSize")
