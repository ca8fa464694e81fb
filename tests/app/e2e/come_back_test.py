"""Quit in the middle of a numbered song (each frame says where it is), and
the next start without paths shows it paused; its first Play goes on from
the kept frame. A damaged kept list is set aside and told of."""
import os
import re
import subprocess
import sys
import tempfile

from kelvoria_e2e import (Build, Player, check, click_until, eventually, kept_lists, numbered_frames, numbered_song,
                          quiet_home, set_setting, visible_main_window)

DAMAGED = "The kept list was damaged; it is set aside."


def status():
    """The main window's status line, as a screen reader reads it."""
    out = subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir,
                          os.path.join(os.path.dirname(build.run_dir), "tests", "accessible_areas.exe"), "list"],
                         capture_output=True, cwd=build.run_dir).stdout.decode("utf-8")
    return next((name for name in ("Paused.", DAMAGED) if "Kelvoria|%s|" % name in out), None)


def quit_player(player):
    click_until(eventually(visible_main_window, "the main window"), 570, 23, lambda: not player.running(), "a quit")
    check(player.exit_code() == 0, "the player quit cleanly")


build = Build(sys.argv)
song = os.path.join(tempfile.mkdtemp(prefix="kelvoria-come-back-"), "numbered.wav")
numbered_song(song, 12)
for name, value in (("Minimize", "No"), ("Playlist", "No"), ("Autoplay", "No")):
    set_setting(build, name, value)
home, raw = quiet_home()
player = Player(build, "Z:" + song.replace("/", "\\"), home=home)
eventually(lambda: len(numbered_frames(raw)) > 3 * 44100, "three seconds of the song to be played")
quit_player(player)
kept = kept_lists(build)[0]
place = re.search(r"#KELVORIA-PLACE:count=1,song=1,ms=(\d+),state=playing", open(kept, encoding="utf-8").read())
kept_frame = round(int(place.group(1)) * 44.1)
# To the second: the device's queue lies between what it got and what it played.
check(abs(kept_frame - numbered_frames(raw)[-1]) < 44100, "the song and position heard were kept")

home, raw = quiet_home()
player = Player(build, home=home, come_back=True)
window = eventually(visible_main_window, "the main window again")
check(eventually(status, "the status line") == "Paused." and not numbered_frames(raw), "it came back paused")
click_until(window, 485, 28, lambda: numbered_frames(raw), "the song to play on")
check(abs(numbered_frames(raw)[0] - kept_frame) <= 1, "Play went on from the kept frame %d" % kept_frame)
quit_player(player)

with open(kept, "ab") as cut:
    cut.write(b"C:\\half a line")
player = Player(build, home=quiet_home()[0], come_back=True)
check(eventually(status, "the status line") == DAMAGED, "a damaged kept list is told of")
check(not kept_lists(build) and os.path.exists(kept + ".damaged"), "and set aside")
os.remove(kept + ".damaged")
quit_player(player)
